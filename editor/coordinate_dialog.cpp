#include "editor/coordinate_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "definition/post_definition.h"
#include "editor/settings_sheet_widgets.h"

namespace tlv {

CoordinateEdits CoordinateEditsFrom(const PostDefinition& def) {
  const CoordinateModeBlock& c = def.coordinate_mode;
  CoordinateEdits edits;
  edits.output_mode = c.output_mode <= 2 ? c.output_mode : -1;
  edits.tool_position = c.tool_position != 0 ? 1 : 0;
  // Start point 3 shows its own radio: showing it as 2 would rewrite a
  // machine-origin start as the machining start at the next OK.
  edits.start_point = c.start_point == 1 ? 0 : c.start_point == 3 ? 2 : 1;
  edits.min_unit_digits = std::to_string(def.min_unit_digits);
  edits.split_large_arcs = def.split_large_arcs != 0;
  edits.tiny_arc_as_circle = def.tiny_arc_as_circle != 0;
  return edits;
}

std::optional<Refusal> ApplyCoordinateEdits(const CoordinateEdits& edits,
                                            PostDefinition* def) {
  Refusal refusal;
  std::optional<int> digits =
      ParseIntInRange(edits.min_unit_digits, 0, 6, "min_unit_digits", &refusal);
  if (!digits) return refusal;
  CoordinateModeBlock& c = def->coordinate_mode;
  if (edits.output_mode >= 0 && edits.output_mode <= 2)
    c.output_mode = static_cast<std::uint8_t>(edits.output_mode);
  c.start_point = static_cast<std::uint8_t>(edits.start_point + 1);
  if (edits.tool_position == 0) {
    c.tool_position = 0;
  } else if (c.tool_position == 0) {
    c.tool_position = 1;
  }
  c.error_digits = static_cast<std::uint8_t>(*digits);
  def->min_unit_digits = *digits;
  def->split_large_arcs = edits.split_large_arcs ? 1 : 0;
  def->tiny_arc_as_circle = edits.tiny_arc_as_circle ? 1 : 0;
  return std::nullopt;
}

CoordinatePage::CoordinatePage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("cG9091Dlg"));
  auto* layout = new QVBoxLayout(this);

  auto* mode_row = new QHBoxLayout;
  mode_row->addWidget(new QLabel(QStringLiteral("座標値出力"), this));
  output_mode_ = new QComboBox(this);
  output_mode_->setObjectName(QStringLiteral("output_mode"));
  output_mode_->addItems({QStringLiteral("Ｇ９０出力"), QStringLiteral("Ｇ９１出力"),
                          QStringLiteral("Ｇ９２出力")});
  mode_row->addWidget(output_mode_);
  mode_row->addStretch();
  layout->addLayout(mode_row);

  tool_position_ = MakeRadioGroup(this, layout, QString(),
                                  {QStringLiteral("工具先端位置"),
                                   QStringLiteral("工具中心位置")},
                                  QStringLiteral("tool_position"));
  start_point_ = MakeRadioGroup(this, layout, QString(),
                                {QStringLiteral("基準位置 (X,Y,Z_HOME)"),
                                 QStringLiteral("加工開始位置(X,Y,Z_START)"),
                                 QStringLiteral("機械座標原点 (入力値)")},
                                QStringLiteral("start_point"));

  auto* unit_row = new QHBoxLayout;
  unit_row->addWidget(new QLabel(QStringLiteral("最小設定単位（小数点以下の桁数）"), this));
  min_unit_digits_ = new QLineEdit(this);
  min_unit_digits_->setObjectName(QStringLiteral("min_unit_digits"));
  min_unit_digits_->setMaximumWidth(60);
  unit_row->addWidget(min_unit_digits_);
  unit_row->addStretch();
  layout->addLayout(unit_row);

  split_large_arcs_ = new QCheckBox(QStringLiteral("中心角が１８０度より大きい円弧を分割"), this);
  split_large_arcs_->setObjectName(QStringLiteral("split_large_arcs"));
  tiny_arc_as_circle_ = new QCheckBox(QStringLiteral("微小円弧を真円として処理"), this);
  tiny_arc_as_circle_->setObjectName(QStringLiteral("tiny_arc_as_circle"));
  layout->addWidget(split_large_arcs_);
  layout->addWidget(tiny_arc_as_circle_);
  layout->addStretch();
}

void CoordinatePage::Load(const CoordinateEdits& edits) {
  output_mode_->setCurrentIndex(edits.output_mode);
  CheckRadio(tool_position_, edits.tool_position);
  CheckRadio(start_point_, edits.start_point);
  min_unit_digits_->setText(QString::fromStdString(edits.min_unit_digits));
  split_large_arcs_->setChecked(edits.split_large_arcs);
  tiny_arc_as_circle_->setChecked(edits.tiny_arc_as_circle);
}

CoordinateEdits CoordinatePage::Read() const {
  CoordinateEdits edits;
  edits.output_mode = output_mode_->currentIndex();
  edits.tool_position = tool_position_->checkedId();
  edits.start_point = start_point_->checkedId();
  edits.min_unit_digits = min_unit_digits_->text().toStdString();
  edits.split_large_arcs = split_large_arcs_->isChecked();
  edits.tiny_arc_as_circle = tiny_arc_as_circle_->isChecked();
  return edits;
}

void CoordinatePage::FocusControl(const std::string& control) {
  if (control == "min_unit_digits") {
    min_unit_digits_->setFocus();
    min_unit_digits_->selectAll();
  }
}

}  // namespace tlv
