// The dialog "設定出力ﾀﾞｲｱﾛｸﾞ": chooses the parts of the configuration list
// and the file it goes to, and writes it.
#ifndef TLV_EDITOR_LIST_EXPORT_DIALOG_H_
#define TLV_EDITOR_LIST_EXPORT_DIALOG_H_

#include <QDialog>
#include <array>
#include <string>

#include "definition/configuration_list.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tlv {

class EditorPrompter;
struct PostDefinition;
class VariableDictionary;

class ListExportDialog : public QDialog {
  Q_OBJECT

 public:
  /// `definition_path` (UTF-8) is the definition's file, "" when never saved.
  ListExportDialog(const PostDefinition& def, const VariableDictionary& dict,
                   std::string definition_path, EditorPrompter& prompter,
                   QWidget* parent = nullptr);

  ListParts Parts() const;

  /// OK: 61449 for an empty file name (the dialog stays), else writes the
  /// list and closes.  A file that cannot be written is reported and the
  /// dialog stays.  True when the list was written.
  bool WriteList();

  QLineEdit* file_edit() const { return file_; }
  /// The eight part checks in list order.
  const std::array<QCheckBox*, 8>& part_checks() const { return checks_; }
  QPushButton* browse_button() const { return browse_; }

 private:
  const PostDefinition& def_;
  const VariableDictionary& dict_;
  std::string definition_path_;
  EditorPrompter& prompter_;
  QLineEdit* file_ = nullptr;
  QPushButton* browse_ = nullptr;
  std::array<QCheckBox*, 8> checks_{};
};

}  // namespace tlv

#endif  // TLV_EDITOR_LIST_EXPORT_DIALOG_H_
