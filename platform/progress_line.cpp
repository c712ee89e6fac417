#include "platform/progress_line.h"

#include <unistd.h>

#include <algorithm>

namespace tlv {

ProgressLine::ProgressLine(std::FILE* out, bool enabled, Clock::time_point start)
    : out_(out), enabled_(enabled && out != nullptr), start_(start), next_(start + kDelay) {}

void ProgressLine::Update(int64_t done, int64_t total, int64_t records, Clock::time_point now) {
  if (!enabled_ || now < next_) return;
  next_ = now + kInterval;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const int percent =
      total > 0 ? static_cast<int>(std::clamp<int64_t>(done * 100 / total, 0, 100)) : 0;
  const double rate = seconds > 0 ? static_cast<double>(records) / seconds : 0;
  char line[96];
  int n = std::snprintf(line, sizeof line, "\r%3d%%  %.0f records/s", percent, rate);
  if (n <= 0) return;
  n = std::min<int>(n, static_cast<int>(sizeof line) - 1);
  // Blank out what a longer earlier line left behind.
  const int width = n - 1;
  std::fwrite(line, 1, static_cast<size_t>(n), out_);
  for (int i = width; i < width_; ++i) std::fputc(' ', out_);
  width_ = std::max(width_, width);
  std::fflush(out_);
  showing_ = true;
}

void ProgressLine::Clear() {
  if (!showing_) return;
  std::fputc('\r', out_);
  for (int i = 0; i < width_; ++i) std::fputc(' ', out_);
  std::fputc('\r', out_);
  std::fflush(out_);
  showing_ = false;
  width_ = 0;
}

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace tlv
