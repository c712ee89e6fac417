// The progress line a long run shows on a terminal.
#ifndef TLV_PLATFORM_PROGRESS_LINE_H_
#define TLV_PLATFORM_PROGRESS_LINE_H_

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace tlv {

/// One line on a terminal, rewritten in place ("\r"), telling how far a run
/// has come through its input and how many records it posts a second. It
/// shows only when enabled (TerminalProgress() enables it when standard
/// error is a terminal) and only once the run has lasted kDelay, so short
/// runs and callers that read our output never see it; Clear() removes it.
/// Never written to standard output.
class ProgressLine {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kDelay{1000};
  static constexpr std::chrono::milliseconds kInterval{250};

  /// `out` null or `enabled` false: the line never shows.
  ProgressLine(std::FILE* out, bool enabled, Clock::time_point start = Clock::now());
  ~ProgressLine() { Clear(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  /// Shows `done` of `total` bytes and `records` so far, when due.
  void Update(int64_t done, int64_t total, int64_t records, Clock::time_point now = Clock::now());
  /// Removes the line if it shows.
  void Clear();

  bool showing() const { return showing_; }

 private:
  std::FILE* out_;
  bool enabled_;
  Clock::time_point start_;
  Clock::time_point next_;
  bool showing_ = false;
  int width_ = 0;
};

/// A progress line on standard error, enabled when standard error is a
/// terminal.
bool StandardErrorIsTerminal();

}  // namespace tlv

#endif  // TLV_PLATFORM_PROGRESS_LINE_H_
