#include "editor/registry_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cstdio>

#include "editor/editor_context.h"
#include "platform/numbers.h"

namespace tlv {

namespace {

constexpr int kDigitChoices = 10;  // "最小桁数" offers 0..9

QString Text(const SettingsStore& store, std::string_view name, const QString& fallback) {
  const auto text = store.ReadText(kEditorSettingsKey, name, kRegistryTextLimit);
  return text ? QString::fromStdString(*text) : fallback;
}

bool Flag(const SettingsStore& store, std::string_view name, bool fallback) {
  const auto value = store.ReadNumber(kEditorSettingsKey, name);
  return value ? (*value & 0xFF) != 0 : fallback;
}

int Number(const SettingsStore& store, std::string_view name, int fallback) {
  const auto value = store.ReadNumber(kEditorSettingsKey, name);
  return value ? *value : fallback;
}

std::string Std(const QString& text) { return text.toStdString(); }

QRadioButton* AddRadio(QButtonGroup* group, int id, const QString& label, QWidget* parent) {
  auto* button = new QRadioButton(label, parent);
  group->addButton(button, id);
  return button;
}

}  // namespace

RegistryValues ReadRegistryValues(const SettingsStore& store) {
  RegistryValues v;
  v.save_path = Text(store, "SavePath", QString());
  // The post-processor joins names straight onto this folder.
  if (!v.save_path.isEmpty() && !v.save_path.endsWith(QChar('/')) &&
      !v.save_path.endsWith(QChar('\\'))) {
    v.save_path += QChar('/');
  }
  v.tlv_path = Text(store, "TLVPath", QString());
  v.save_own_file = Flag(store, "SaveOwnFile", false);
  v.own_file_ext_type = Number(store, "OwnFileExtType", 0) != 0 ? 1 : 0;
  v.divided_ext = Text(store, "SaveDvFileExt", QString()).left(3);
  v.nc_default_ext = Text(store, "NCDefaultExt", QStringLiteral("NCD")).left(3);
  v.dont_show_exec_dlg = Flag(store, "DontShowExecDlg", false) ? 1 : 0;
  v.input_before_run = Flag(store, "PrmInputBeforeRun", false);
  v.set_init_pos_to_cord = Flag(store, "PrmSetInitPostoCord", true);
  v.no_admit_r_return = Flag(store, "PrmNoAdmitRretCycle", true);
  v.show_complete_msg = Flag(store, "PrmShowCompleteMsg", true);
  v.delete_null_line = Flag(store, "PrmDeleteNullLine", false);
  v.feed_at_rapid = Text(store, "FeedAtRapid", QStringLiteral("10000"));
  v.init_file_num = Text(store, "InitFileNum", QStringLiteral("0"));
  v.file_num_source = Number(store, "FileNumSource", 0) != 0 ? 1 : 0;
  v.file_num_digit = Number(store, "FileNumDigit", 2);
  v.file_num_increment = Text(store, "FileNumIncriment", QStringLiteral("1"));
  return v;
}

std::vector<SettingsChange> RegistryChanges(const RegistryValues& v) {
  auto flag = [](const char* name, bool on) { return SettingsChange::Dword(name, on ? 1 : 0); };
  auto number = [](const char* name, int value) {
    return SettingsChange::Text(name, std::to_string(value));
  };
  char feed[64];
  std::snprintf(feed, sizeof feed, "%f", ParseLeadingDouble(Std(v.feed_at_rapid)));
  return {
      SettingsChange::Text("SavePath", Std(v.save_path)),
      SettingsChange::Text("TLVPath", Std(v.tlv_path)),
      flag("SaveOwnFile", v.save_own_file),
      SettingsChange::Text("SaveDvFileExt", Std(v.divided_ext)),
      flag("DontShowExecDlg", v.dont_show_exec_dlg != 0),
      flag("PrmInputBeforeRun", v.input_before_run),
      flag("PrmSetInitPostoCord", v.set_init_pos_to_cord),
      flag("PrmNoAdmitRretCycle", v.no_admit_r_return),
      flag("PrmShowCompleteMsg", v.show_complete_msg),
      flag("PrmDeleteNullLine", v.delete_null_line),
      SettingsChange::Text("FeedAtRapid", feed),
      number("InitFileNum", ParseLeadingInt(Std(v.init_file_num))),
      number("FileNumSource", v.file_num_source),
      number("OwnFileExtType", v.own_file_ext_type),
      number("FileNumDigit", v.file_num_digit),
      number("FileNumIncriment", ParseLeadingInt(Std(v.file_num_increment))),
      SettingsChange::Text("NCDefaultExt", Std(v.nc_default_ext)),
  };
}

RegistryDialog::RegistryDialog(SettingsStore& store, EditorPrompter& prompter, QWidget* parent)
    : QDialog(parent), store_(store), prompter_(prompter) {
  setWindowTitle(QStringLiteral("レジストリ設定"));

  save_path_ = new QLineEdit(this);
  tlv_path_ = new QLineEdit(this);
  own_file_ = new QCheckBox(QStringLiteral("ＣＡＭデータと同じファイルとして出力"), this);
  own_ext_type_ = new QButtonGroup(this);
  divided_ext_ = new QLineEdit(this);
  divided_ext_->setMaxLength(3);
  nc_ext_ = new QLineEdit(this);
  nc_ext_->setMaxLength(3);
  exec_dlg_ = new QButtonGroup(this);
  input_before_run_ = new QCheckBox(QStringLiteral("ユーザー変数の先行入力"), this);
  set_init_pos_ = new QCheckBox(
      QStringLiteral("工程終了セクションの X,Y,Z_CORD 変数に開始点座標を入れる｡"), this);
  no_r_return_ = new QCheckBox(QStringLiteral("固定サイクルのR点復帰指令を許可しない。"), this);
  complete_msg_ = new QCheckBox(QStringLiteral("NCプログラム作成完了のメッセージを表示"), this);
  delete_null_line_ = new QCheckBox(QStringLiteral("空白行を削除する"), this);
  feed_ = new QLineEdit(this);
  init_num_ = new QLineEdit(this);
  num_source_ = new QButtonGroup(this);
  digits_ = new QComboBox(this);
  for (int i = 0; i < kDigitChoices; ++i) digits_->addItem(QString::number(i));
  increment_ = new QLineEdit(this);

  auto* output = new QGroupBox(QStringLiteral("出力"), this);
  auto* output_form = new QFormLayout(output);
  output_form->addRow(QStringLiteral("出力先"), save_path_);
  output_form->addRow(QStringLiteral("TLVファイル"), tlv_path_);
  output_form->addRow(own_file_);
  auto* ext_row = new QHBoxLayout;
  ext_row->addWidget(AddRadio(own_ext_type_, 0, QStringLiteral("標準拡張子を使用"), output));
  ext_row->addWidget(AddRadio(own_ext_type_, 1, QStringLiteral("TLVファイル名を使用"), output));
  output_form->addRow(ext_row);
  output_form->addRow(QStringLiteral("分割ファイルの拡張子"), divided_ext_);
  output_form->addRow(QStringLiteral("ＮＣファイルの標準拡張子"), nc_ext_);

  auto* exec = new QGroupBox(QStringLiteral("実行ダイアログの表示"), this);
  auto* exec_row = new QHBoxLayout(exec);
  exec_row->addWidget(AddRadio(exec_dlg_, 0, QStringLiteral("表示"), exec));
  exec_row->addWidget(AddRadio(exec_dlg_, 1, QStringLiteral("非表示"), exec));

  auto* run = new QGroupBox(QStringLiteral("実行時の設定"), this);
  auto* run_layout = new QVBoxLayout(run);
  for (QCheckBox* check :
       {input_before_run_, set_init_pos_, no_r_return_, complete_msg_, delete_null_line_}) {
    run_layout->addWidget(check);
  }
  auto* feed_form = new QFormLayout;
  feed_form->addRow(QStringLiteral("早送りの送り速度"), feed_);
  run_layout->addLayout(feed_form);

  auto* numbers = new QGroupBox(QStringLiteral("ファイル番号初期値の設定"), this);
  auto* numbers_form = new QFormLayout(numbers);
  auto* source_row = new QHBoxLayout;
  source_row->addWidget(AddRadio(num_source_, 0, QStringLiteral("実行時に入力"), numbers));
  source_row->addWidget(AddRadio(num_source_, 1, QStringLiteral("レジスタの登録値"), numbers));
  numbers_form->addRow(source_row);
  numbers_form->addRow(QStringLiteral("ファイル番号の初期値"), init_num_);
  numbers_form->addRow(QStringLiteral("最小桁数"), digits_);
  numbers_form->addRow(QStringLiteral("増分値"), increment_);

  register_button_ = new QPushButton(QStringLiteral("登　録"), this);
  register_button_->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("中  止"), this);
  connect(register_button_, &QPushButton::clicked, this, [this] { Register(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(register_button_);
  buttons->addWidget(cancel);

  auto* grid = new QGridLayout;
  grid->addWidget(output, 0, 0);
  grid->addWidget(exec, 1, 0);
  grid->addWidget(run, 0, 1);
  grid->addWidget(numbers, 1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);

  SetValues(ReadRegistryValues(store_));
}

void RegistryDialog::SetValues(const RegistryValues& v) {
  save_path_->setText(v.save_path);
  tlv_path_->setText(v.tlv_path);
  own_file_->setChecked(v.save_own_file);
  own_ext_type_->button(v.own_file_ext_type)->setChecked(true);
  divided_ext_->setText(v.divided_ext);
  nc_ext_->setText(v.nc_default_ext);
  exec_dlg_->button(v.dont_show_exec_dlg)->setChecked(true);
  input_before_run_->setChecked(v.input_before_run);
  set_init_pos_->setChecked(v.set_init_pos_to_cord);
  no_r_return_->setChecked(v.no_admit_r_return);
  complete_msg_->setChecked(v.show_complete_msg);
  delete_null_line_->setChecked(v.delete_null_line);
  feed_->setText(v.feed_at_rapid);
  init_num_->setText(v.init_file_num);
  num_source_->button(v.file_num_source)->setChecked(true);
  // A stored digit count beyond the list is kept selectable rather than
  // changed behind the user's back.
  const int digit = v.file_num_digit < 0 ? 0 : v.file_num_digit;
  while (digits_->count() <= digit && digits_->count() < 100) {
    digits_->addItem(QString::number(digits_->count()));
  }
  digits_->setCurrentIndex(digit < digits_->count() ? digit : 2);
  increment_->setText(v.file_num_increment);
}

RegistryValues RegistryDialog::Values() const {
  RegistryValues v;
  v.save_path = save_path_->text();
  v.tlv_path = tlv_path_->text();
  v.save_own_file = own_file_->isChecked();
  v.own_file_ext_type = own_ext_type_->checkedId() == 1 ? 1 : 0;
  v.divided_ext = divided_ext_->text();
  v.nc_default_ext = nc_ext_->text();
  v.dont_show_exec_dlg = exec_dlg_->checkedId() == 1 ? 1 : 0;
  v.input_before_run = input_before_run_->isChecked();
  v.set_init_pos_to_cord = set_init_pos_->isChecked();
  v.no_admit_r_return = no_r_return_->isChecked();
  v.show_complete_msg = complete_msg_->isChecked();
  v.delete_null_line = delete_null_line_->isChecked();
  v.feed_at_rapid = feed_->text();
  v.init_file_num = init_num_->text();
  v.file_num_source = num_source_->checkedId() == 1 ? 1 : 0;
  v.file_num_digit = digits_->currentIndex() < 0 ? 2 : digits_->currentIndex();
  v.file_num_increment = increment_->text();
  return v;
}

bool RegistryDialog::Register() {
  const RegistryValues v = Values();
  if (ParseLeadingInt(Std(v.file_num_increment)) == 0) {
    prompter_.Inform(this, EditorMessage(kEdMsgZeroIncrement));
    increment_->setFocus();
    return false;
  }
  // The post-processor reads each text into a buffer of 100 bytes; a longer
  // path would come back cut and point somewhere else.
  const std::pair<QString, QString> texts[] = {{QStringLiteral("出力先"), v.save_path},
                                               {QStringLiteral("TLVファイル"), v.tlv_path}};
  for (const auto& [label, text] : texts) {
    if (text.toUtf8().size() > kRegistryTextLimit) {
      prompter_.Inform(this, QStringLiteral("%1 が長すぎます（%2 バイトまで）。")
                                 .arg(label)
                                 .arg(kRegistryTextLimit));
      return false;
    }
  }
  if (!prompter_.ConfirmYesNo(this, EditorMessage(kEdMsgChangeRegistry))) return false;
  std::string err;
  if (!store_.Write(kEditorSettingsKey, RegistryChanges(v), &err)) {
    // Nothing was written; say so rather than close as if it had been.
    prompter_.Inform(this, QString::fromStdString(err), EditorPrompter::Icon::kError);
    return false;
  }
  accept();
  return true;
}

}  // namespace tlv
