// File splitting of a job: the split files that code markers, tool paths
// and the length, tape and time limits start and end, their names and
// numbers, and what is written and reset at each cut.
#ifndef TLV_POST_FILE_SPLITTER_H_
#define TLV_POST_FILE_SPLITTER_H_

#include <cstdint>
#include <functional>
#include <string>

#include "post/job_outputs.h"

namespace tlv {

class FormatEngine;
class Prompts;
class RunMessages;
struct RunContext;
struct RunSettings;

/// What the splitter works on.  Everything must outlive it.
struct SplitterInputs {
  RunContext* ctx = nullptr;
  FormatEngine* engine = nullptr;
  JobOutputs* outputs = nullptr;
  const RunSettings* settings = nullptr;
  /// The job's NC output path, the base of every split-file name.
  std::string output_path;
  Prompts* prompts = nullptr;  ///< may be null: every question answers ""
  RunMessages* messages = nullptr;
  /// Writes one process-sheet item from fresh snapshots (sheet unit 3).
  std::function<void()> sheet_item;
};

/// The split policy of a definition that splits its program.
class FileSplitter : public SplitPolicy {
 public:
  explicit FileSplitter(SplitterInputs in) : in_(std::move(in)) {}

  void AskOpenValues() override;
  void AfterRecord(int rapid_class) override;
  void StartNextFile() override;
  void EndFile() override;
  double ClosedTapeLength() const override;
  bool failed() const override { return failed_; }

 private:
  /// The next split number: chosen (and asked for) at the first numbered
  /// file, then grown by the increment.  Sets variables 130 and 131.
  long long NumberStep();
  /// The number the next step would give, without asking or storing.
  long long PeekNumber() const;
  /// The name of the next split file by the definition's name source;
  /// "" with `why` set when none can be made.
  std::string MakeName(std::string* why);
  std::string AskName();
  int Ask(const char* question);
  void Split();
  void Fail(const std::string& path, const std::string& why);

  SplitterInputs in_;
  bool chosen_ = false;
  long long split_number_ = 0;
  bool failed_ = false;
};

}  // namespace tlv

#endif  // TLV_POST_FILE_SPLITTER_H_
