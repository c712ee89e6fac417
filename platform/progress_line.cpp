#include "platform/progress_line.h"

#include <unistd.h>

#include <algorithm>

namespace tlv {

namespace {

ProgressLine* active_line = nullptr;

}  // namespace

ProgressLine::ProgressLine(std::FILE* out, bool enabled, Clock::time_point start)
    : out_(out), enabled_(enabled && out != nullptr), start_(start), next_(start + kDelay) {
  if (enabled_) {
    previous_active_ = active_line;
    active_line = this;
  }
}

ProgressLine::~ProgressLine() {
  Clear();
  if (active_line == this) active_line = previous_active_;
}

ProgressLine* ProgressLine::Active() { return active_line; }

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
  suspended_ = false;
  last_.assign(line + 1, static_cast<size_t>(width));
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

void ProgressLine::Suspend() {
  if (!showing_) return;
  Clear();
  suspended_ = true;
}

void ProgressLine::Resume() {
  if (!suspended_) return;
  suspended_ = false;
  std::fputc('\r', out_);
  std::fwrite(last_.data(), 1, last_.size(), out_);
  std::fflush(out_);
  showing_ = true;
  width_ = static_cast<int>(last_.size());
}

void PromptsBesideProgress::ShowMessage(std::string_view title, std::string_view text) {
  ProgressPause pause;
  inner_.ShowMessage(title, text);
}

bool PromptsBesideProgress::AskYesNo(std::string_view title, std::string_view text) {
  ProgressPause pause;
  return inner_.AskYesNo(title, text);
}

std::optional<std::string> PromptsBesideProgress::AskText(std::string_view title,
                                                          std::string_view message,
                                                          std::string_view default_text) {
  ProgressPause pause;
  return inner_.AskText(title, message, default_text);
}

int PromptsBesideProgress::AskChoice(std::string_view title, std::string_view text,
                                     const std::vector<std::string>& choices,
                                     int default_choice) {
  ProgressPause pause;
  return inner_.AskChoice(title, text, choices, default_choice);
}

std::optional<std::string> PromptsBesideProgress::AskOpenFile(const FileDialogRequest& request) {
  ProgressPause pause;
  return inner_.AskOpenFile(request);
}

std::optional<std::string> PromptsBesideProgress::AskSaveFile(const FileDialogRequest& request) {
  ProgressPause pause;
  return inner_.AskSaveFile(request);
}

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace tlv
