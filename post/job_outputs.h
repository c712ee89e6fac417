// The open output files of a job and what the format engine writes to.
// The NC program is written to a temporary file beside its target and put
// in place only when the job ends well, so a failed run never leaves half
// a program where a good one was.
#ifndef TLV_POST_JOB_OUTPUTS_H_
#define TLV_POST_JOB_OUTPUTS_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "format/engine_output.h"
#include "platform/record_file.h"

namespace tlv {

class RunMessages;

/// File splitting as the record loop and the code markers reach it.  The
/// job runs with NoSplit until splitting is part of the build.
class SplitPolicy {
 public:
  virtual ~SplitPolicy() = default;
  /// Job set-up: asks the limits the definition leaves open.
  virtual void AskOpenValues() {}
  /// After every record, with its rapid class (0 none, 1 XY, 2 Z).
  virtual void AfterRecord(int rapid_class) { (void)rapid_class; }
  /// Starts the next split file (code marker 5000, path start).
  virtual void StartNextFile() {}
  /// Finishes the current split file (code marker 5001, path end).
  virtual void EndFile() {}
  /// Tape length of the split files already closed, metres.
  virtual double ClosedTapeLength() const { return 0; }
};

/// Writes everything into the one NC file.
class NoSplit : public SplitPolicy {};

/// The output list of a job: the NC file (and, once they exist, the sheet
/// file before it and split files after it).  The last entry is the
/// current output.
class JobOutputs : public EngineOutput {
 public:
  explicit JobOutputs(RunMessages& messages) : messages_(messages) {}
  ~JobOutputs() override;
  JobOutputs(const JobOutputs&) = delete;
  JobOutputs& operator=(const JobOutputs&) = delete;

  void set_split_policy(SplitPolicy* split) { split_ = split; }

  /// Opens the NC program for `path` (its temporary file beside it) as the
  /// current output.  False with `err` (naming the path) when it cannot be
  /// created.
  bool OpenNc(const std::string& path, std::string* err);
  /// Flushes and closes the NC program and renames it into place.  False
  /// with `err` when a write failed or the rename did; the target is then
  /// untouched and the temporary file removed.
  bool CommitNc(std::string* err);
  /// Closes and removes the unfinished NC program.
  void AbandonNc();

  /// Bytes written to the current output so far.
  std::int64_t WritePosition() const;
  bool has_output() const { return !outputs_.empty(); }

  // EngineOutput.
  void Write(std::string_view text, bool first_stream) override;
  void StartSplitFile() override;
  void EndSplitFile() override;
  void Log(std::string_view text) override;
  void Print(std::string_view text) override;

 private:
  RunMessages& messages_;
  SplitPolicy* split_ = nullptr;
  std::vector<std::unique_ptr<RecordFile>> outputs_;
  std::string nc_path_;
  std::string nc_temp_path_;
};

/// The temporary name the NC program of `path` is written under.
std::string TemporaryOutputPath(std::string_view path);

}  // namespace tlv

#endif  // TLV_POST_JOB_OUTPUTS_H_
