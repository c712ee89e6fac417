#include "editor/machine_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editor/editor_context.h"
#include "platform/numbers.h"

namespace tlv {

namespace {

const QString kMachineFilter = QStringLiteral("機械データファイル(*.mch);;全ファイル(*.*)");

QString ShowNumber(double value) { return QString::number(value, 'g', 12); }

double ReadNumber(const QLineEdit* edit) {
  return ParseLeadingDouble(edit->text().toStdString());
}

}  // namespace

std::array<QString, 2> AxisCaptions(int machine_type) {
  switch (machine_type) {
    case 1:
    case 2:
      return {QStringLiteral("回転軸"), QString()};
    case 3:
    case 4:
      return {QStringLiteral("基礎軸"), QStringLiteral("従属軸")};
    case 5:
      return {QStringLiteral("テーブル"), QStringLiteral("ヘッド")};
    default:
      return {QString(), QString()};
  }
}

TableAxisDialog::TableAxisDialog(double x, double y, double z, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("テーブル軸設定"));
  auto* group = new QGroupBox(QStringLiteral("回転軸の位置"), this);
  auto* form = new QFormLayout(group);
  const double values[3] = {x, y, z};
  const char* labels[3] = {"X", "Y", "Z"};
  for (int i = 0; i < 3; ++i) {
    edits_[static_cast<std::size_t>(i)] = new QLineEdit(ShowNumber(values[i]), group);
    form->addRow(QString::fromLatin1(labels[i]), edits_[static_cast<std::size_t>(i)]);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(buttons);
}

double TableAxisDialog::x() const { return ReadNumber(edits_[0]); }
double TableAxisDialog::y() const { return ReadNumber(edits_[1]); }
double TableAxisDialog::z() const { return ReadNumber(edits_[2]); }

MachineDialog::MachineDialog(const MachineData& machine, EditorPrompter& prompter, QWidget* parent)
    : QDialog(parent), prompter_(prompter) {
  setWindowTitle(QStringLiteral("機械設定"));
  type_ = new QComboBox(this);
  type_->addItems({QStringLiteral("3軸加工"), QStringLiteral("テーブル"), QStringLiteral("ヘッド"),
                   QStringLiteral("テーブル － テーブル"), QStringLiteral("ヘッド     － ヘッド"),
                   QStringLiteral("テ－ブル － ヘッド")});
  auto* type_form = new QFormLayout;
  type_form->addRow(QStringLiteral("機械の種類"), type_);

  auto* axes = new QGridLayout;
  const QString group_titles[2] = {QStringLiteral("第１軸"), QStringLiteral("第２軸")};
  for (int a = 0; a < 2; ++a) {
    auto* group = new QGroupBox(group_titles[a], this);
    auto* form = new QFormLayout(group);
    captions_[a] = new QLabel(group);
    axis_[a] = new QComboBox(group);
    axis_[a]->addItems({QStringLiteral("Ａ軸"), QStringLiteral("Ｂ軸"), QStringLiteral("Ｃ軸")});
    direction_[a] = new QButtonGroup(group);
    auto* normal = new QRadioButton(QStringLiteral("正転"), group);
    auto* reversed = new QRadioButton(QStringLiteral("反転"), group);
    direction_[a]->addButton(normal, 0);
    direction_[a]->addButton(reversed, 1);
    auto* direction_row = new QHBoxLayout;
    direction_row->addWidget(normal);
    direction_row->addWidget(reversed);
    limited_[a] = new QCheckBox(QStringLiteral("角度に制限を付ける"), group);
    max_[a] = new QLineEdit(group);
    min_[a] = new QLineEdit(group);
    table_buttons_[a] = new QPushButton(QStringLiteral("テーブル軸の設定"), group);
    form->addRow(captions_[a], axis_[a]);
    form->addRow(direction_row);
    form->addRow(limited_[a]);
    form->addRow(QStringLiteral("最大値"), max_[a]);
    form->addRow(QStringLiteral("最小値"), min_[a]);
    form->addRow(table_buttons_[a]);
    axes->addWidget(group, 0, a);
    connect(limited_[a], &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
    connect(table_buttons_[a], &QPushButton::clicked, this, [this, a] { EditTable(a); });
  }
  connect(type_, &QComboBox::currentIndexChanged, this, [this] { UpdateEnabled(); });

  load_ = new QPushButton(QStringLiteral("ファイルから読込"), this);
  save_ = new QPushButton(QStringLiteral("ファイルに保存"), this);
  connect(load_, &QPushButton::clicked, this, [this] {
    const QString path = prompter_.AskOpenPath(this, QStringLiteral("ファイルから読込"),
                                               QString(), kMachineFilter);
    if (!path.isEmpty()) LoadFrom(path);
  });
  connect(save_, &QPushButton::clicked, this, [this] {
    const QString path = prompter_.AskSavePath(this, QStringLiteral("ファイルに保存"), QString(),
                                               kMachineFilter, QStringLiteral("mch"));
    if (!path.isEmpty()) SaveTo(path);
  });
  auto* files = new QHBoxLayout;
  files->addWidget(load_);
  files->addWidget(save_);
  files->addStretch();

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(type_form);
  layout->addLayout(axes);
  layout->addLayout(files);
  layout->addWidget(buttons);
  SetData(machine);
}

void MachineDialog::SetData(const MachineData& d) {
  type_->setCurrentIndex(d.machine_type >= 0 && d.machine_type <= 5 ? d.machine_type : 0);
  const int axis[2] = {d.first_axis, d.second_axis};
  const int direction[2] = {d.first_direction, d.second_direction};
  const int limited[2] = {d.first_limited, d.second_limited};
  const double max[2] = {d.first_max, d.second_max};
  const double min[2] = {d.first_min, d.second_min};
  for (int a = 0; a < 2; ++a) {
    axis_[a]->setCurrentIndex(axis[a] >= 0 && axis[a] <= 2 ? axis[a] : 0);
    direction_[a]->button(direction[a] != 0 ? 1 : 0)->setChecked(true);
    limited_[a]->setChecked(limited[a] != 0);
    max_[a]->setText(ShowNumber(max[a]));
    min_[a]->setText(ShowNumber(min[a]));
  }
  tables_[0] = {d.table1_x, d.table1_y, d.table1_z};
  tables_[1] = {d.table2_x, d.table2_y, d.table2_z};
  UpdateEnabled();
}

MachineData MachineDialog::Data() const {
  MachineData d;
  d.machine_type = type_->currentIndex();
  d.first_axis = axis_[0]->currentIndex();
  d.second_axis = axis_[1]->currentIndex();
  d.first_direction = direction_[0]->checkedId() == 1 ? 1 : 0;
  d.second_direction = direction_[1]->checkedId() == 1 ? 1 : 0;
  d.first_limited = limited_[0]->isChecked() ? 1 : 0;
  d.second_limited = limited_[1]->isChecked() ? 1 : 0;
  d.first_max = ReadNumber(max_[0]);
  d.first_min = ReadNumber(min_[0]);
  d.second_max = ReadNumber(max_[1]);
  d.second_min = ReadNumber(min_[1]);
  d.table1_x = tables_[0][0];
  d.table1_y = tables_[0][1];
  d.table1_z = tables_[0][2];
  d.table2_x = tables_[1][0];
  d.table2_y = tables_[1][1];
  d.table2_z = tables_[1][2];
  return d;
}

void MachineDialog::UpdateEnabled() {
  const int type = type_->currentIndex();
  const std::array<QString, 2> captions = AxisCaptions(type);
  for (int a = 0; a < 2; ++a) {
    captions_[a]->setText(captions[a]);
    max_[a]->setEnabled(limited_[a]->isChecked());
    min_[a]->setEnabled(limited_[a]->isChecked());
  }
  table_buttons_[0]->setEnabled(type == 1 || type == 3 || type == 5);
  table_buttons_[1]->setEnabled(type == 3);
}

void MachineDialog::EditTable(int table) {
  auto& position = tables_[static_cast<std::size_t>(table)];
  TableAxisDialog dialog(position[0], position[1], position[2], this);
  if (dialog.exec() != QDialog::Accepted) return;
  position = {dialog.x(), dialog.y(), dialog.z()};
}

void MachineDialog::LoadFrom(const QString& path) {
  MachineData machine = Data();
  if (LoadMachineDataFile(path.toStdString(), &machine)) SetData(machine);
}

bool MachineDialog::SaveTo(const QString& path) {
  std::string err;
  if (SaveMachineDataFile(path.toStdString(), Data(), &err)) return true;
  prompter_.Inform(this, QString::fromStdString(err), EditorPrompter::Icon::kError);
  return false;
}

}  // namespace tlv
