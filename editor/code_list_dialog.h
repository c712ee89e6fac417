// The code list "コード表" (cCodeDlg): a modeless window listing the variable
// names of the dictionary; "張り付け" puts the selected name as a tag at the
// caret of the section text.
#ifndef TLV_EDITOR_CODE_LIST_DIALOG_H_
#define TLV_EDITOR_CODE_LIST_DIALOG_H_

#include <string>
#include <vector>

#include <QDialog>

#include "editor/editor_context.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace tlv {

class VariableDictionary;

/// Names are shown cut to this many bytes (CP932), texts to kDictFieldSize.
inline constexpr std::size_t kCodeListNameWidth = 50;

struct CodeListEntry {
  /// The name as the list shows it (UTF-8), cut to kCodeListNameWidth bytes.
  std::string shown;
  /// The tag pasted (UTF-8): "<" + the whole name + ">".  The whole name,
  /// not the shown one, so that a long name still pastes a tag that compiles.
  std::string tag;
  /// The dictionary text (UTF-8).
  std::string text;
};

/// The dictionary entries with a setting in every definition, in name order
/// (bytes of the CP932 names).
std::vector<CodeListEntry> CodeListEntries(const VariableDictionary& dict);

class CodeListDialog : public QDialog {
  Q_OBJECT
 public:
  CodeListDialog(QWidget* parent, const EditorContext& context);

  QListWidget* list() const { return list_; }
  QLabel* text() const { return text_; }
  QPushButton* paste() const { return paste_; }

 private:
  void ShowText();
  void Paste();

  EditorContext context_;
  std::vector<CodeListEntry> entries_;
  QListWidget* list_;
  QLabel* text_;
  QPushButton* paste_;
};

}  // namespace tlv

#endif  // TLV_EDITOR_CODE_LIST_DIALOG_H_
