#include "editor/sheet_settings_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "definition/post_definition.h"
#include "editor/editor_context.h"
#include "editor/settings_dialogs.h"
#include "editor/settings_sheet_widgets.h"

namespace tlv {

SheetSettingsEdits SheetSettingsEditsFrom(const PostDefinition& def) {
  SheetSettingsEdits edits;
  const ProcessSheetBlock& p = def.process_sheet;
  edits.output = p.output <= 2 ? p.output : -1;
  edits.unit = def.sheet_unit >= 0 && def.sheet_unit <= 3 ? def.sheet_unit : -1;
  edits.name_source =
      def.sheet_name_source >= 0 && def.sheet_name_source <= 2 ? def.sheet_name_source : -1;
  edits.extension = p.extension_index < kSheetExtensions.size() ? p.extension_index : -1;
  edits.to_spreadsheet = def.sheet_to_spreadsheet != 0;
  return edits;
}

bool SpreadsheetAllowed(int output, int extension) { return output == 1 && extension == 0; }

bool ApplySheetSettingsEdits(const SheetSettingsEdits& edits, PostDefinition* def) {
  const PostDefinition before = *def;
  ProcessSheetBlock& p = def->process_sheet;
  if (edits.output >= 0 && edits.output <= 2) p.output = static_cast<std::uint8_t>(edits.output);
  if (edits.unit >= 0 && edits.unit <= 3) def->sheet_unit = edits.unit;
  if (edits.name_source >= 0 && edits.name_source <= 2) def->sheet_name_source = edits.name_source;
  if (edits.extension >= 0 && edits.extension < static_cast<int>(kSheetExtensions.size()))
    p.extension_index = static_cast<std::uint16_t>(edits.extension);
  def->sheet_to_spreadsheet =
      edits.to_spreadsheet && SpreadsheetAllowed(p.output, p.extension_index) ? 1 : 0;
  return before.process_sheet != def->process_sheet || before.sheet_unit != def->sheet_unit ||
         before.sheet_name_source != def->sheet_name_source ||
         before.sheet_to_spreadsheet != def->sheet_to_spreadsheet;
}

SheetSettingsDialog::SheetSettingsDialog(QWidget* parent, EditorContext& context)
    : QDialog(parent), context_(context) {
  setObjectName(QStringLiteral("sheet_settings"));
  setWindowTitle(QStringLiteral("工程表出力設定"));
  auto* layout = new QVBoxLayout(this);
  output_ = MakeRadioGroup(this, layout, QString(),
                           {QStringLiteral("工程表出力しない。"),
                            QStringLiteral("工程表(ﾌｧｲﾙ)出力する。"),
                            QStringLiteral("工程表(DB)出力する。")},
                           QStringLiteral("output"));
  unit_ = MakeRadioGroup(this, layout, QString(),
                         {QStringLiteral("手続き毎"), QStringLiteral("工具毎"),
                          QStringLiteral("軌跡毎"), QStringLiteral("ファイル毎")},
                         QStringLiteral("unit"));
  auto* name_row = new QHBoxLayout;
  name_row->addWidget(new QLabel(QStringLiteral("ﾌｧｲﾙ名"), this));
  name_source_ = new QComboBox(this);
  name_source_->setObjectName(QStringLiteral("name_source"));
  name_source_->addItems({QStringLiteral("NCﾌﾟﾛｸﾞﾗﾑ名"), QStringLiteral("手続き名"),
                          QStringLiteral("工具軌跡名")});
  name_row->addWidget(name_source_);
  name_row->addWidget(new QLabel(QStringLiteral("．"), this));
  extension_ = new QComboBox(this);
  extension_->setObjectName(QStringLiteral("extension"));
  for (std::string_view ext : kSheetExtensions)
    extension_->addItem(QString::fromLatin1(ext.data(), static_cast<int>(ext.size())));
  name_row->addWidget(extension_);
  name_row->addStretch();
  layout->addLayout(name_row);
  layout->addWidget(
      new QLabel(QStringLiteral("工程表ﾌｧｲﾙ名は、選択した項目名 + 拡張子となります。"), this));
  to_spreadsheet_ = new QCheckBox(QStringLiteral("エクセルのファイルに変換する｡"), this);
  to_spreadsheet_->setObjectName(QStringLiteral("to_spreadsheet"));
  layout->addWidget(to_spreadsheet_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  const SheetSettingsEdits edits = SheetSettingsEditsFrom(context_.definition);
  CheckRadio(output_, edits.output);
  CheckRadio(unit_, edits.unit);
  name_source_->setCurrentIndex(edits.name_source);
  extension_->setCurrentIndex(edits.extension);
  to_spreadsheet_->setChecked(edits.to_spreadsheet);
  UpdateEnabled();
  // Choosing anything that does not allow the conversion clears it.
  auto on_choice = [this] {
    if (!SpreadsheetAllowed(output_->checkedId(), extension_->currentIndex()))
      to_spreadsheet_->setChecked(false);
    UpdateEnabled();
  };
  connect(output_, &QButtonGroup::idClicked, this, on_choice);
  connect(extension_, &QComboBox::currentIndexChanged, this, on_choice);
}

SheetSettingsEdits SheetSettingsDialog::Read() const {
  SheetSettingsEdits edits;
  edits.output = output_->checkedId();
  edits.unit = unit_->checkedId();
  edits.name_source = name_source_->currentIndex();
  edits.extension = extension_->currentIndex();
  edits.to_spreadsheet = to_spreadsheet_->isChecked();
  return edits;
}

void SheetSettingsDialog::accept() {
  changed_ = ApplySheetSettingsEdits(Read(), &context_.definition);
  // These fields are saved with the definition: mark it modified so that
  // leaving the editor asks before the change is lost.
  if (changed_) context_.MarkModified();
  QDialog::accept();
}

void SheetSettingsDialog::UpdateEnabled() {
  to_spreadsheet_->setEnabled(
      SpreadsheetAllowed(output_->checkedId(), extension_->currentIndex()));
}

bool ShowSheetSettingsDialog(QWidget* parent, EditorContext& context) {
  SheetSettingsDialog dialog(parent, context);
  return dialog.exec() == QDialog::Accepted && dialog.changed();
}

}  // namespace tlv
