// What a dialog of the editor needs from the editor: the definition being
// edited, the variable dictionary, the settings store, a way to tell the
// document that something changed, a way to paste text at the caret of the
// section view, and the prompter through which every message box and file
// dialog goes (so that tests can answer them without a window).
#ifndef TLV_EDITOR_EDITOR_CONTEXT_H_
#define TLV_EDITOR_EDITOR_CONTEXT_H_

#include <QString>
#include <functional>
#include <string_view>

class QWidget;

namespace tlv {

struct PostDefinition;
class VariableDictionary;
class SettingsStore;

/// The settings key the editor shares with the post-processor.
inline constexpr std::string_view kEditorSettingsKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV";

/// The editor's numbered messages (texts from EditorMessage()).  The prefix
/// keeps them apart from the message constants of definition/.
inline constexpr int kEdMsgEnterFileName = 61449;      // configuration list
inline constexpr int kEdMsgBadFormatFormula = 61450;   // number-format formula
inline constexpr int kEdMsgBadUserFormula = 61451;     // user-defined formula
inline constexpr int kEdMsgNoDictionary = 61452;       // start-up
inline constexpr int kEdMsgInvalidFile = 61453;        // unknown file version
inline constexpr int kEdMsgDiscardChanges = 61454;     // new, import, exit
inline constexpr int kEdMsgZeroIncrement = 61455;      // registry settings
inline constexpr int kEdMsgChangeRegistry = 61446;     // registry settings

/// The text of message `id`; "" for an id not listed above.
QString EditorMessage(int id);

/// How the editor asks and tells the user.  The application shows real
/// message boxes and file dialogs (QtPrompter); tests give a scripted one.
class EditorPrompter {
 public:
  enum class Icon { kInformation, kWarning, kError, kQuestion };

  virtual ~EditorPrompter() = default;

  /// A message with one OK button.
  virtual void Inform(QWidget* parent, const QString& text,
                      Icon icon = Icon::kWarning) = 0;
  /// An OK/Cancel box; true on OK.
  virtual bool ConfirmOkCancel(QWidget* parent, const QString& text) = 0;
  /// A Yes/No box with a question icon; true on Yes.
  virtual bool ConfirmYesNo(QWidget* parent, const QString& text) = 0;
  /// A file-open dialog; "" when cancelled.  `filter` is in Qt's form
  /// ("Tolvekﾌｧｲﾙ (*.tlv);;全てのﾌｧｲﾙ (*)").
  virtual QString AskOpenPath(QWidget* parent, const QString& title,
                              const QString& dir, const QString& filter) = 0;
  /// A file-save dialog that asks before replacing a file; "" when
  /// cancelled.  `default_suffix` ("tlv") is added to a name without one.
  virtual QString AskSavePath(QWidget* parent, const QString& title,
                              const QString& dir, const QString& filter,
                              const QString& default_suffix) = 0;
};

/// Message boxes and file dialogs of Qt.
class QtPrompter : public EditorPrompter {
 public:
  void Inform(QWidget* parent, const QString& text, Icon icon) override;
  bool ConfirmOkCancel(QWidget* parent, const QString& text) override;
  bool ConfirmYesNo(QWidget* parent, const QString& text) override;
  QString AskOpenPath(QWidget* parent, const QString& title,
                      const QString& dir, const QString& filter) override;
  QString AskSavePath(QWidget* parent, const QString& title,
                      const QString& dir, const QString& filter,
                      const QString& default_suffix) override;
};

/// Handed to every dialog the editor opens.  The references stay valid for
/// as long as the dialog is shown.
struct EditorContext {
  PostDefinition& definition;
  const VariableDictionary& dictionary;
  SettingsStore& settings;
  EditorPrompter& prompter;
  /// Sets the document's modified flag (the NC format sheet's OK does).
  std::function<void()> mark_modified;
  /// Inserts text at the caret of the section view (the code list does).
  std::function<void(const QString&)> paste_at_caret;

  void MarkModified() const {
    if (mark_modified) mark_modified();
  }
  void PasteAtCaret(const QString& text) const {
    if (paste_at_caret) paste_at_caret(text);
  }
};

}  // namespace tlv

#endif  // TLV_EDITOR_EDITOR_CONTEXT_H_
