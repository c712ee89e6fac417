#include "post_windows/run_dialog_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "post/run_settings.h"
#include "post_windows/qt_text.h"
#include "post_windows/window_prompts.h"

namespace tlv {

namespace {

QString Q(std::string_view text) { return ToQString(text); }
std::string S(const QString& text) { return ToUtf8(text); }

}  // namespace

RunDialogWindow::RunDialogWindow(RunDialogModel& model, QWidget* parent)
    : QDialog(parent), model_(model) {
  setObjectName("PRMINPDLG1");
  setWindowTitle(Q(kRunDialogTitle));
  setModal(true);

  slot_list_ = new QComboBox(this);
  for (int i = 0; i < kJobSlotCount; ++i) slot_list_->addItem(Q(model_.slot(i).name));
  use_setting_ = new QCheckBox("この設定を利用する", this);
  definition_ = new QLineEdit(this);
  definition_->setMinimumWidth(360);
  auto* definition_picker = new QPushButton("ﾌｧｲﾙ選択", this);
  output_ = new QLineEdit(this);
  auto* output_picker = new QPushButton("ﾌｧｲﾙ選択", this);
  database_label_ = new QLabel("工程ＤＢ ->", this);
  database_target_ = new QLabel(this);
  database_target_->setTextFormat(Qt::PlainText);
  database_settings_ = new QPushButton("ＤＢ設定", this);
  database_clear_ = new QPushButton("X", this);
  register_ = new QCheckBox("デフォルトとして登録", this);
  auto* run = new QPushButton("実行", this);
  auto* cancel = new QPushButton("ｷｬﾝｾﾙ", this);
  run->setDefault(true);

  controls_ = {{kSlotList, slot_list_},         {kUseSettingCheck, use_setting_},
               {kDefinitionField, definition_}, {kDefinitionPicker, definition_picker},
               {kOutputField, output_},         {kOutputPicker, output_picker},
               {kDatabaseLabel, database_label_}, {kDatabaseTarget, database_target_},
               {kDatabaseSettings, database_settings_}, {kDatabaseClear, database_clear_},
               {kRegisterCheck, register_},     {kRunButton, run},
               {kCancelButton, cancel}};
  for (const auto& [id, widget] : controls_) widget->setObjectName(QString::number(id));

  auto* grid = new QGridLayout(this);
  grid->addWidget(slot_list_, 0, 0, 1, 2);
  grid->addWidget(use_setting_, 0, 2, 1, 2);
  grid->addWidget(new QLabel("ＴＬＶﾌｧｲﾙ名", this), 1, 0);
  grid->addWidget(definition_, 1, 1, 1, 2);
  grid->addWidget(definition_picker, 1, 3);
  grid->addWidget(new QLabel("出力ﾌｧｲﾙ名", this), 2, 0);
  grid->addWidget(output_, 2, 1, 1, 2);
  grid->addWidget(output_picker, 2, 3);
  grid->addWidget(database_label_, 3, 0);
  grid->addWidget(database_target_, 3, 1);
  auto* database_buttons = new QHBoxLayout;
  database_buttons->addWidget(database_settings_);
  database_buttons->addWidget(database_clear_);
  grid->addLayout(database_buttons, 3, 2, 1, 2);
  grid->addWidget(register_, 4, 0, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(run);
  buttons->addWidget(cancel);
  grid->addLayout(buttons, 5, 0, 1, 4);

  connect(slot_list_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (updating_) return;
    model_.SelectSlot(index);
    Refresh();
  });
  connect(use_setting_, &QCheckBox::toggled, this, [this](bool on) {
    if (!updating_) model_.SetEnabled(on);
  });
  connect(definition_, &QLineEdit::editingFinished, this,
          &RunDialogWindow::CommitDefinitionField);
  connect(output_, &QLineEdit::editingFinished, this, &RunDialogWindow::CommitOutputField);
  connect(definition_picker, &QPushButton::clicked, this, [this] {
    model_.PickDefinition();
    Refresh();
  });
  connect(output_picker, &QPushButton::clicked, this, [this] {
    model_.PickOutput(S(output_->text()));
    Refresh();
  });
  connect(database_settings_, &QPushButton::clicked, this, [this] {
    model_.ChooseDatabaseTarget();
    Refresh();
  });
  connect(database_clear_, &QPushButton::clicked, this, [this] {
    model_.ClearDatabaseTarget();
    Refresh();
  });
  connect(register_, &QCheckBox::toggled, this, [this](bool on) {
    if (!updating_) model_.SetRegister(on);
  });
  connect(run, &QPushButton::clicked, this, &RunDialogWindow::Run);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  model_.SelectSlot(0);
  Refresh();
}

QWidget* RunDialogWindow::control(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

void RunDialogWindow::Refresh() {
  updating_ = true;
  const JobSlot& slot = model_.slot();
  slot_list_->setCurrentIndex(model_.current());
  use_setting_->setChecked(slot.enabled);
  definition_->setText(Q(slot.definition_path));
  output_->setText(Q(slot.output_path));
  const bool database = model_.DatabaseControlsShown();
  for (QWidget* w : {static_cast<QWidget*>(database_label_),
                     static_cast<QWidget*>(database_target_),
                     static_cast<QWidget*>(database_settings_),
                     static_cast<QWidget*>(database_clear_)}) {
    w->setVisible(database);
  }
  database_settings_->setEnabled(model_.CanChooseTarget());
  database_target_->setText(database ? Q(model_.TargetText()) : QString());
  register_->setChecked(model_.registering());
  updating_ = false;
}

void RunDialogWindow::CommitDefinitionField() {
  if (updating_) return;
  updating_ = true;
  model_.EnterDefinitionPath(S(definition_->text()));
  updating_ = false;
  Refresh();
}

void RunDialogWindow::CommitOutputField() {
  if (updating_) return;
  updating_ = true;
  model_.EnterOutputPath(S(output_->text()));
  updating_ = false;
  Refresh();
}

void RunDialogWindow::Run() {
  // The fields go into the shown slot first; a refused path keeps the
  // dialog open on it.
  updating_ = true;
  bool taken = model_.EnterDefinitionPath(S(definition_->text())) &&
               model_.EnterOutputPath(S(output_->text()));
  updating_ = false;
  if (!taken) {
    Refresh();
    return;
  }
  const bool valid = model_.Validate().valid;
  Refresh();
  if (valid) accept();
}

bool WindowRunDialogView::Show(RunDialogModel& model) {
  RunDialogWindow window(model, DialogParent());
  return window.exec() == QDialog::Accepted;
}

}  // namespace tlv
