#include "editor/split_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>

#include "definition/post_definition.h"
#include "editor/settings_sheet_widgets.h"

namespace tlv {

namespace {

constexpr std::array<std::uint8_t, 5> kMethodBits = {
    kSplitByCode, kSplitByMachiningLength, kSplitByTapeLength,
    kSplitByMachiningTime, kSplitPerToolPath};
constexpr std::uint8_t kMethodMask = 0x1F;

std::string FormatDouble(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", value);
  return buf;
}

std::optional<double> ParseDouble(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() ||
      !std::isfinite(value))
    return std::nullopt;
  return value;
}

}  // namespace

SplitEdits SplitEditsFrom(const PostDefinition& def) {
  SplitEdits edits;
  edits.methods = def.split_mode.methods;
  edits.name_source = def.split_mode.name_source <= 5 ? def.split_mode.name_source : -1;
  edits.split_position =
      def.split_position >= 0 && def.split_position <= 2 ? def.split_position : -1;
  edits.machining_length = std::to_string(def.machining_length);
  edits.tape_length = std::to_string(def.tape_length);
  edits.machining_time = std::to_string(def.machining_time);
  edits.rapid_feed = FormatDouble(def.rapid_feed);
  edits.serial_number = def.serial_number != 0;
  return edits;
}

bool SerialNumberEnabled(int name_source) { return name_source >= 2 && name_source <= 5; }

std::optional<Refusal> ApplySplitEdits(const SplitEdits& edits, PostDefinition* def) {
  Refusal refusal;
  auto length = ParseIntInRange(edits.machining_length, INT_MIN, INT_MAX,
                                "machining_length", &refusal);
  if (!length) return refusal;
  auto tape = ParseIntInRange(edits.tape_length, INT_MIN, INT_MAX, "tape_length", &refusal);
  if (!tape) return refusal;
  auto time = ParseIntInRange(edits.machining_time, INT_MIN, INT_MAX,
                              "machining_time", &refusal);
  if (!time) return refusal;
  std::optional<double> feed = ParseDouble(edits.rapid_feed);
  if (!feed) {
    refusal.message_id = 0;
    refusal.text = "数値を入力してください。";
    refusal.control = "rapid_feed";
    return refusal;
  }
  SplitModeBlock& s = def->split_mode;
  s.methods = static_cast<std::uint8_t>((s.methods & ~kMethodMask) | (edits.methods & kMethodMask));
  if (edits.name_source >= 0 && edits.name_source <= 5)
    s.name_source = static_cast<std::uint8_t>(edits.name_source);
  if (edits.split_position >= 0 && edits.split_position <= 2)
    def->split_position = edits.split_position;
  def->machining_length = *length;
  def->tape_length = *tape;
  def->machining_time = *time;
  def->rapid_feed = *feed;
  def->serial_number = edits.serial_number ? 1 : 0;
  // The run reads the split length from bytes 2-3 as well.
  s.machining_length = static_cast<std::int16_t>(static_cast<std::uint16_t>(*length & 0xFFFF));
  return std::nullopt;
}

SplitPage::SplitPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("cDivFileCmpDlg"));
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  const QStringList labels = {QStringLiteral("ｺｰﾄﾞによる分割"), QStringLiteral("加工長による分割"),
                              QStringLiteral("テープ長による分割"),
                              QStringLiteral("加工時間による分割"), QStringLiteral("軌跡毎の分割")};
  for (int i = 0; i < 5; ++i) {
    methods_[i] = new QCheckBox(labels[i], this);
    methods_[i]->setObjectName(QStringLiteral("split_method_%1").arg(i));
    grid->addWidget(methods_[i], i, 0);
    connect(methods_[i], &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
  }
  auto value_edit = [&](int row, const char* name, const QString& unit) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaximumWidth(100);
    grid->addWidget(edit, row, 1);
    grid->addWidget(new QLabel(unit, this), row, 2);
    return edit;
  };
  machining_length_ = value_edit(1, "machining_length", QStringLiteral("ﾒｰﾄﾙ"));
  tape_length_ = value_edit(2, "tape_length", QStringLiteral("ﾒｰﾄﾙ"));
  machining_time_ = value_edit(3, "machining_time", QStringLiteral("分"));
  layout->addLayout(grid);

  auto* form = new QGridLayout;
  form->addWidget(new QLabel(QStringLiteral("分割ファイル名の決定方法　："), this), 0, 0);
  name_source_ = new QComboBox(this);
  name_source_->setObjectName(QStringLiteral("name_source"));
  name_source_->addItems({QStringLiteral("都度入力"), QStringLiteral("元ファイル+数値"),
                          QStringLiteral("現手続き名"), QStringLiteral("現手続きコメント"),
                          QStringLiteral("現工具軌跡名"), QStringLiteral("現工具軌跡コメント")});
  form->addWidget(name_source_, 0, 1);
  serial_number_ = new QCheckBox(QStringLiteral("通し番号を付ける"), this);
  serial_number_->setObjectName(QStringLiteral("serial_number"));
  form->addWidget(serial_number_, 1, 1);
  form->addWidget(new QLabel(QStringLiteral("ファイルを分割する位置　："), this), 2, 0);
  split_position_ = new QComboBox(this);
  split_position_->setObjectName(QStringLiteral("split_position"));
  split_position_->addItems({QStringLiteral("全セクション"), QStringLiteral("早送りセクション"),
                             QStringLiteral("Ｚ方向の早送りセクション")});
  form->addWidget(split_position_, 2, 1);
  form->addWidget(new QLabel(QStringLiteral("早送りの送り速度　："), this), 3, 0);
  rapid_feed_ = new QLineEdit(this);
  rapid_feed_->setObjectName(QStringLiteral("rapid_feed"));
  rapid_feed_->setMaximumWidth(120);
  form->addWidget(rapid_feed_, 3, 1);
  layout->addLayout(form);
  layout->addStretch();
  connect(name_source_, &QComboBox::currentIndexChanged, this, [this] { UpdateEnabled(); });
}

void SplitPage::Load(const SplitEdits& edits) {
  for (int i = 0; i < 5; ++i) methods_[i]->setChecked((edits.methods & kMethodBits[i]) != 0);
  machining_length_->setText(Q(edits.machining_length));
  tape_length_->setText(Q(edits.tape_length));
  machining_time_->setText(Q(edits.machining_time));
  name_source_->setCurrentIndex(edits.name_source);
  split_position_->setCurrentIndex(edits.split_position);
  rapid_feed_->setText(Q(edits.rapid_feed));
  serial_number_->setChecked(edits.serial_number);
  UpdateEnabled();
}

SplitEdits SplitPage::Read() const {
  SplitEdits edits;
  for (int i = 0; i < 5; ++i)
    if (methods_[i]->isChecked()) edits.methods |= kMethodBits[i];
  edits.machining_length = S(machining_length_->text());
  edits.tape_length = S(tape_length_->text());
  edits.machining_time = S(machining_time_->text());
  edits.name_source = name_source_->currentIndex();
  edits.split_position = split_position_->currentIndex();
  edits.rapid_feed = S(rapid_feed_->text());
  edits.serial_number = serial_number_->isChecked();
  return edits;
}

void SplitPage::FocusControl(const std::string& control) {
  for (QLineEdit* edit : {machining_length_, tape_length_, machining_time_, rapid_feed_}) {
    if (S(edit->objectName()) == control) {
      edit->setEnabled(true);
      edit->setFocus();
      edit->selectAll();
    }
  }
}

void SplitPage::UpdateEnabled() {
  machining_length_->setEnabled(methods_[1]->isChecked());
  tape_length_->setEnabled(methods_[2]->isChecked());
  machining_time_->setEnabled(methods_[3]->isChecked());
  serial_number_->setEnabled(SerialNumberEnabled(name_source_->currentIndex()));
}

}  // namespace tlv
