#ifndef TLV_PLATFORM_RUN_LOG_H_
#define TLV_PLATFORM_RUN_LOG_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace tlv {

/// One argument of a log message: a text, an integer or a floating-point
/// number.  Built implicitly, so `log.Printf("%s: %d\n", path, count)` works.
class LogArg {
 public:
  enum class Kind { kNone, kText, kInt, kDouble };

  LogArg() = default;
  LogArg(std::string_view text) : kind_(Kind::kText), text_(text) {}
  LogArg(const char* text) : kind_(Kind::kText), text_(text ? text : "") {}
  LogArg(const std::string& text) : kind_(Kind::kText), text_(text) {}
  LogArg(int value) : kind_(Kind::kInt), int_(value) {}
  LogArg(long value) : kind_(Kind::kInt), int_(value) {}
  LogArg(long long value) : kind_(Kind::kInt), int_(value) {}
  LogArg(unsigned value) : kind_(Kind::kInt), int_(value) {}
  LogArg(double value) : kind_(Kind::kDouble), double_(value) {}

  Kind kind() const { return kind_; }
  std::string_view text() const { return text_; }
  std::int64_t int_value() const { return int_; }
  double double_value() const { return double_; }

 private:
  Kind kind_ = Kind::kNone;
  std::string_view text_;
  std::int64_t int_ = 0;
  double double_ = 0;
};

/// Formats a printf-style message with up to two arguments, safely: each
/// directive (%s %d %i %u %x %X %c %f %g %e, with flags, width and precision;
/// '*' is not supported) takes the next argument and prints it as that kind
/// of value whatever the argument's own kind (a text under %d is read like
/// atoi, a number under %s is printed in decimal).  A directive with no
/// argument left, or one we do not know, is copied as it stands; "%%" is
/// '%'.  Never reads beyond its arguments.
std::string FormatMessage(std::string_view format, LogArg a = {},
                          LogArg b = {});

/// The run log.  Opening empties the file and keeps it open for appending;
/// every write goes straight to the file (no buffering in the process), so
/// another program can read it while the run goes on and nothing is lost if
/// we crash.  A file removed under us is created again at the next write.
/// A log that is not open (or whose file cannot be written) drops what it is
/// given: logging never stops a run.  Text is UTF-8.
class RunLog {
 public:
  RunLog() = default;
  ~RunLog();
  RunLog(RunLog&& other) noexcept;
  RunLog& operator=(RunLog&& other) noexcept;
  RunLog(const RunLog&) = delete;
  RunLog& operator=(const RunLog&) = delete;

  /// Remembers `path` and empties (creates) the file.  False with `err` when
  /// the file cannot be created; writes are still tried later.
  bool Open(std::string path, std::string* err = nullptr);

  /// True after Open() was called.
  bool is_open() const { return !path_.empty(); }
  const std::string& path() const { return path_; }

  /// Appends `text` as it stands.  False when it could not be written.
  bool Write(std::string_view text);

  /// Appends FormatMessage(format, a, b).
  bool Printf(std::string_view format, LogArg a = {}, LogArg b = {});

 private:
  // The open file for appending; opened again when it was removed or could
  // not be opened before.  -1 when none is open.
  int Descriptor();
  void CloseFile();

  std::string path_;
  int fd_ = -1;
};

}  // namespace tlv

#endif  // TLV_PLATFORM_RUN_LOG_H_
