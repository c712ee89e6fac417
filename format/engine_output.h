// What the format engine writes to: the output files, the file splitting at
// code markers, the run log and standard output.  The run pipeline
// implements it over its output list; tests collect into memory.
#ifndef TLV_FORMAT_ENGINE_OUTPUT_H_
#define TLV_FORMAT_ENGINE_OUTPUT_H_

#include <string_view>

namespace tlv {

class EngineOutput {
 public:
  virtual ~EngineOutput() = default;

  /// Appends expanded NC text (CP932 bytes, exactly as given) to the current
  /// output, or to the first output when `first_stream` (the process-sheet
  /// sections).  The current output is looked up at every call, so a split
  /// in between is followed.
  virtual void Write(std::string_view text, bool first_stream) = 0;

  /// Split marker 5000: closes nothing, opens the next split file, which
  /// becomes the current output.
  virtual void StartSplitFile() = 0;
  /// Split marker 5001: finishes and closes the current split file.
  virtual void EndSplitFile() = 0;

  /// Appends `text` (UTF-8) to the run log as it stands.
  virtual void Log(std::string_view text) = 0;
  /// Writes `text` (UTF-8) to standard output as it stands.
  virtual void Print(std::string_view text) = 0;

  /// A message for the operator: the run log gets it with a line feed,
  /// standard output without.
  void Report(std::string_view message);
};

}  // namespace tlv

#endif  // TLV_FORMAT_ENGINE_OUTPUT_H_
