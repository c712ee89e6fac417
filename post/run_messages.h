// Progress and error lines of a run: TLVP reports each one on standard
// output and in the run log.
#pragma once

#include <cstdio>
#include <string_view>

#include "platform/run_log.h"

namespace tlv {

/// Writes the run's messages.  Standard output gets UTF-8 text as it stands
/// and is flushed at once, so its lines and the log's keep their order when
/// both are watched; the log takes printf-style formats (FormatMessage).
class RunMessages {
 public:
  RunMessages(RunLog* log, std::FILE* out) : log_(log), out_(out) {}

  /// Standard output only.
  void Out(std::string_view text);

  /// The log only, as FormatMessage(format, a, b).
  void Log(std::string_view format, LogArg a = {}, LogArg b = {});

  /// The same text to standard output and to the log (no formatting: a '%'
  /// in a path stays as it is).
  void Both(std::string_view text);

  RunLog& log() { return *log_; }

 private:
  RunLog* log_;
  std::FILE* out_;
};

}  // namespace tlv
