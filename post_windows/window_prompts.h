// TLVP's dialogs as real windows: message and Yes/No boxes, the input
// prompt, a choice list and the file dialogs.  A QApplication must exist
// (see EnsureWindowApplication).
#ifndef TLV_POST_WINDOWS_WINDOW_PROMPTS_H_
#define TLV_POST_WINDOWS_WINDOW_PROMPTS_H_

#include <QStringList>
#include <vector>

#include "platform/prompts.h"

class QFileDialog;
class QWidget;

namespace tlv {

/// The file dialog's filter strings for `filters`: each label as it stands,
/// followed by its patterns in the form Qt reads them (the details are
/// hidden in the dialog, so the label is what the user sees).  "*.*" means
/// every file, as it does on the desktop the patterns come from, and
/// becomes "*".
QStringList QtNameFilters(const std::vector<FileFilter>& filters);

/// Sets up `dialog` (non-native, so it looks and behaves the same
/// everywhere) as `request` describes, for opening or for saving.
void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request,
                         bool save);

class WindowPrompts : public Prompts {
 public:
  void ShowMessage(std::string_view title, std::string_view text) override;
  /// Yes is the default button; Escape answers No.
  bool AskYesNo(std::string_view title, std::string_view text) override;
  /// The input prompt "NcInpDlg"; nullopt for Cancel.
  std::optional<std::string> AskText(std::string_view title,
                                     std::string_view message,
                                     std::string_view default_text) override;
  /// A list dialog; -1 for Cancel, `default_choice` for OK with nothing
  /// selected.
  int AskChoice(std::string_view title, std::string_view text,
                const std::vector<std::string>& choices,
                int default_choice) override;
  std::optional<std::string> AskOpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> AskSaveFile(const FileDialogRequest& request) override;
  /// A window never runs out of input.
  bool AtEndOfInput() const override { return false; }
  bool ShowsWindows() const override { return true; }

 private:
  std::optional<std::string> AskFile(const FileDialogRequest& request, bool save);
};

/// The window a new dialog belongs to: the modal one on top, if any.
QWidget* DialogParent();

}  // namespace tlv

#endif  // TLV_POST_WINDOWS_WINDOW_PROMPTS_H_
