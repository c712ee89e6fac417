#ifndef TLV_PLATFORM_PROMPTS_H_
#define TLV_PLATFORM_PROMPTS_H_

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tlv {

// The dialogs and message boxes of TLVP behind one interface.  All text given
// to and returned by a Prompts is UTF-8; callers convert CP932 data first.
//
// The terminal front end writes each dialog to its output stream (standard
// error) and reads one answer line from its input stream (standard input).
// At end of input every dialog takes its default button at once, so nothing
// ever waits on a closed input: a message box is acknowledged, a Yes/No box
// answers Yes, an input prompt answers its default text (empty unless the
// caller gives one), a choice takes its default, and a file dialog gives the
// caller's end-of-input answer (or is cancelled when there is none).
// Typing ESC (alone on the line, then Enter) cancels a dialog that can be
// cancelled.

/// One entry of a file dialog's filter list: "TLV Files (*.tlv)" / "*.tlv".
struct FileFilter {
  std::string label;
  std::string pattern;  ///< one or more patterns separated by ';'
};

/// Splits a filter list written as "label\npattern\nlabel\npattern\n...";
/// '|' separates as well as '\n'.  Empty trailing entries end the list and a
/// label without pattern is dropped.
std::vector<FileFilter> ParseFileFilters(std::string_view list);

/// What an open-file or save-file dialog starts from.
struct FileDialogRequest {
  std::string title;
  std::vector<FileFilter> filters;
  /// The folder the dialog opens in; a relative name typed in is taken
  /// relative to it ("" = the current directory).
  std::string folder;
  /// The name (or full path) shown as the starting answer: Enter on an empty
  /// line takes it.
  std::string initial_name;
  /// Appended as "." + extension to a typed name that has none ("" = never).
  std::string default_extension;
  /// Save dialog: ask before a chosen existing file is overwritten.
  bool confirm_overwrite = false;
  /// The chosen file (open dialog) or its folder (save dialog) must exist;
  /// otherwise the dialog says so and asks again.
  bool must_exist = false;
  /// The answer at end of input.  nullopt: the dialog is cancelled there.
  /// A dialog that the caller would show again until a file is chosen must
  /// set this, so the loop ends on a closed input.
  std::optional<std::string> end_of_input_answer;
};

class Prompts {
 public:
  virtual ~Prompts() = default;

  /// A message box with an OK button.
  virtual void ShowMessage(std::string_view title, std::string_view text) = 0;

  /// A Yes/No box; true for Yes.  Yes at end of input.
  virtual bool AskYesNo(std::string_view title, std::string_view text) = 0;

  /// An input prompt with one edit field holding `default_text`.  Returns
  /// the answer line, `default_text` for an empty line or at end of input,
  /// nullopt when cancelled.  Callers whose prompt has no cancel treat
  /// nullopt as an empty answer.
  virtual std::optional<std::string> AskText(std::string_view title,
                                             std::string_view message,
                                             std::string_view default_text) = 0;

  /// Chooses one of `choices` (shown numbered from 1; the answer is the
  /// number or the choice's text without regard to ASCII case).  An empty
  /// line or end of input gives `default_choice`; ESC gives -1.
  virtual int AskChoice(std::string_view title, std::string_view text,
                        const std::vector<std::string>& choices,
                        int default_choice) = 0;

  /// Open-file dialog: the chosen path, nullopt when cancelled.
  virtual std::optional<std::string> AskOpenFile(
      const FileDialogRequest& request) = 0;

  /// Save-file dialog: the chosen path, nullopt when cancelled.
  virtual std::optional<std::string> AskSaveFile(
      const FileDialogRequest& request) = 0;

  /// True once the input has ended; from then on every dialog answers with
  /// its default button without reading.
  virtual bool AtEndOfInput() const = 0;

  /// True for a front end that shows real windows: the run dialog then
  /// opens as a window too (see SetWindowRunDialogFactory in post/).
  virtual bool ShowsWindows() const { return false; }
};

/// The terminal front end.  Reads answers from `in` and writes the dialogs to
/// `out`; neither is closed.  Answers longer than 4095 bytes are cut (the
/// rest of the line is read and dropped).
class TerminalPrompts : public Prompts {
 public:
  /// A null `in` is an input that has already ended; a null `out` is stderr.
  TerminalPrompts(std::FILE* in, std::FILE* out)
      : in_(in), out_(out ? out : stderr) {}

  void ShowMessage(std::string_view title, std::string_view text) override;
  bool AskYesNo(std::string_view title, std::string_view text) override;
  std::optional<std::string> AskText(std::string_view title,
                                     std::string_view message,
                                     std::string_view default_text) override;
  int AskChoice(std::string_view title, std::string_view text,
                const std::vector<std::string>& choices,
                int default_choice) override;
  std::optional<std::string> AskOpenFile(
      const FileDialogRequest& request) override;
  std::optional<std::string> AskSaveFile(
      const FileDialogRequest& request) override;
  bool AtEndOfInput() const override { return at_end_; }

 private:
  /// Reads one line without its line end; false at end of input.
  bool ReadAnswer(std::string* line);
  void WriteHeader(std::string_view title);
  std::optional<std::string> AskFile(const FileDialogRequest& request,
                                     bool save);

  std::FILE* in_;
  std::FILE* out_;
  bool at_end_ = false;
};

/// The Qt front end registers itself here when it is built in; MakePrompts
/// calls the factory when the window front end is chosen.
void SetWindowPromptsFactory(std::function<std::unique_ptr<Prompts>()> factory);

/// True when this run asks for windows: TLV_UI=gui, or TLV_UI other than
/// tty and DISPLAY or WAYLAND_DISPLAY set.
bool WindowsWanted();

/// The front end for this run.  TLV_UI=tty forces the terminal, TLV_UI=gui
/// the window front end; unset, the window front end is used when it is
/// built in and DISPLAY or WAYLAND_DISPLAY is set.  When the window front end
/// is asked for but not built in (or its factory gives nothing, as it does
/// with nothing to show windows on), a notice goes to standard error and the
/// terminal front end (standard input, standard error) is used.
std::unique_ptr<Prompts> MakePrompts();

}  // namespace tlv

#endif  // TLV_PLATFORM_PROMPTS_H_
