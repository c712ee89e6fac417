// The progress line a long run shows on a terminal.
#ifndef TLV_PLATFORM_PROGRESS_LINE_H_
#define TLV_PLATFORM_PROGRESS_LINE_H_

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/prompts.h"

namespace tlv {

/// One line on a terminal, rewritten in place ("\r"), telling how far a run
/// has come through its input and how many records it posts a second. It
/// shows only when enabled (TerminalProgress() enables it when standard
/// error is a terminal) and only once the run has lasted kDelay, so short
/// runs and callers that read our output never see it; Clear() removes it.
/// Never written to standard output.
///
/// The enabled line made last is the active one: a dialog on the same
/// terminal takes it off first and lets it come back after (ProgressPause,
/// PromptsBesideProgress), so a prompt never starts in the middle of it.
class ProgressLine {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kDelay{1000};
  static constexpr std::chrono::milliseconds kInterval{250};

  /// `out` null or `enabled` false: the line never shows.
  ProgressLine(std::FILE* out, bool enabled, Clock::time_point start = Clock::now());
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  /// Shows `done` of `total` bytes and `records` so far, when due.
  void Update(int64_t done, int64_t total, int64_t records, Clock::time_point now = Clock::now());
  /// Removes the line if it shows.
  void Clear();
  /// Removes the line if it shows, to be shown again by Resume().
  void Suspend();
  /// Shows the line again as it was when Suspend() removed it.
  void Resume();

  bool showing() const { return showing_; }

  /// The active line: the enabled one made last that still exists, or null.
  static ProgressLine* Active();

 private:
  std::FILE* out_;
  bool enabled_;
  Clock::time_point start_;
  Clock::time_point next_;
  bool showing_ = false;
  bool suspended_ = false;
  int width_ = 0;
  std::string last_;  // the text last shown, without its "\r"
  ProgressLine* previous_active_ = nullptr;
};

/// Takes the active progress line (if any) off the terminal for its own
/// lifetime.
class ProgressPause {
 public:
  ProgressPause() : line_(ProgressLine::Active()) {
    if (line_) line_->Suspend();
  }
  ~ProgressPause() {
    if (line_) line_->Resume();
  }
  ProgressPause(const ProgressPause&) = delete;
  ProgressPause& operator=(const ProgressPause&) = delete;

 private:
  ProgressLine* line_;
};

/// Dialogs of `inner` shown with the active progress line off the terminal;
/// the line comes back when the dialog is answered.
class PromptsBesideProgress : public Prompts {
 public:
  explicit PromptsBesideProgress(Prompts& inner) : inner_(inner) {}

  void ShowMessage(std::string_view title, std::string_view text) override;
  bool AskYesNo(std::string_view title, std::string_view text) override;
  std::optional<std::string> AskText(std::string_view title, std::string_view message,
                                     std::string_view default_text) override;
  int AskChoice(std::string_view title, std::string_view text,
                const std::vector<std::string>& choices, int default_choice) override;
  std::optional<std::string> AskOpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> AskSaveFile(const FileDialogRequest& request) override;
  bool AtEndOfInput() const override { return inner_.AtEndOfInput(); }
  bool ShowsWindows() const override { return inner_.ShowsWindows(); }

 private:
  Prompts& inner_;
};

/// A progress line on standard error, enabled when standard error is a
/// terminal.
bool StandardErrorIsTerminal();

}  // namespace tlv

#endif  // TLV_PLATFORM_PROGRESS_LINE_H_
