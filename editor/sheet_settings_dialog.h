// The process-sheet settings dialog "工程表出力設定": where the sheet goes,
// when an item is written, how its file is named, its extension and the
// hand-off to the spreadsheet exporter.
#ifndef TLV_EDITOR_SHEET_SETTINGS_DIALOG_H_
#define TLV_EDITOR_SHEET_SETTINGS_DIALOG_H_

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;

namespace tlv {

struct EditorContext;
struct PostDefinition;

/// The dialog's controls as values.  -1 in a list or radio keeps a stored
/// value the dialog cannot show.
struct SheetSettingsEdits {
  int output = 0;         // 0 none, 1 file, 2 process database
  int unit = 0;           // 0..3: procedure, tool, tool path, file
  int name_source = 0;    // 0..2: NC program, procedure, tool path
  int extension = 0;      // 0..7: kSheetExtensions
  bool to_spreadsheet = false;
};

SheetSettingsEdits SheetSettingsEditsFrom(const PostDefinition& def);

/// "エクセルのファイルに変換する｡" is offered only for a sheet file with the
/// extension "csv".
bool SpreadsheetAllowed(int output, int extension);

/// Writes the controls back; returns whether anything changed.  The
/// workbook conversion is written off whenever it is not allowed.
bool ApplySheetSettingsEdits(const SheetSettingsEdits& edits, PostDefinition* def);

class SheetSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  SheetSettingsDialog(QWidget* parent, EditorContext& context);

  SheetSettingsEdits Read() const;

  QButtonGroup* output() const { return output_; }
  QComboBox* extension() const { return extension_; }
  QCheckBox* to_spreadsheet() const { return to_spreadsheet_; }

  /// Writes the controls to the definition and closes (OK).
  void accept() override;
  /// Whether OK changed the definition.
  bool changed() const { return changed_; }

 private:
  void UpdateEnabled();

  EditorContext& context_;
  QButtonGroup* output_;
  QButtonGroup* unit_;
  QComboBox* name_source_;
  QComboBox* extension_;
  QCheckBox* to_spreadsheet_;
  bool changed_ = false;
};

}  // namespace tlv

#endif  // TLV_EDITOR_SHEET_SETTINGS_DIALOG_H_
