#include "editor/output_format_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "definition/post_definition.h"
#include "definition/variable_dictionary.h"
#include "editor/editor_context.h"
#include "editor/settings_dialogs.h"
#include "editor/settings_sheet_widgets.h"
#include "platform/text_encoding.h"

namespace tlv {

namespace {

struct FlagLabel {
  FormatFlag flag;
  const char* label;
  const char* name;
};

// In the order the page shows them.
constexpr FlagLabel kFlagLabels[kFlagCount] = {
    {FormatFlag::kTimeFormat, "時間書式 （時:分:秒）", "time_format"},
    {FormatFlag::kTrailingZeros, "0を末尾に付ける", "trailing_zeros"},
    {FormatFlag::kLeadingZeros, "0を先頭に付ける", "leading_zeros"},
    {FormatFlag::kPlusSign, "正時＋を付ける", "plus_sign"},
    {FormatFlag::kDecimalPoint, "小数点を付ける", "decimal_point"},
    {FormatFlag::kSuppressZero, "０ の時は出力しない｡", "suppress_zero"},
    {FormatFlag::kModal, "ﾓｰﾀﾞﾙﾊﾟﾗﾒｰﾀ", "modal"},
    {FormatFlag::kResetAtFileHead, "ﾌｧｲﾙの先頭でﾓｰﾀﾞﾙ状態をｸﾘｱ(強制出力)", "reset_at_file_head"},
};

}  // namespace

FormatControls::FormatControls(QWidget* parent, bool three_state) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  for (const FlagLabel& f : kFlagLabels) {
    auto* box = new TriCheckBox(QString::fromUtf8(f.label), this);
    box->setObjectName(QString::fromLatin1(f.name));
    box->setTristate(three_state);
    checks_[static_cast<int>(f.flag)] = box;
    layout->addWidget(box);
  }
  auto* digits = new QGridLayout;
  digits->addWidget(new QLabel(QStringLiteral("整数部桁数"), this), 0, 0);
  integer_digits_ = new QLineEdit(this);
  integer_digits_->setObjectName(QStringLiteral("integer_digits"));
  integer_digits_->setMaximumWidth(60);
  digits->addWidget(integer_digits_, 0, 1);
  digits->addWidget(new QLabel(QStringLiteral("小数点桁数"), this), 1, 0);
  decimal_digits_ = new QLineEdit(this);
  decimal_digits_->setObjectName(QStringLiteral("decimal_digits"));
  decimal_digits_->setMaximumWidth(60);
  digits->addWidget(decimal_digits_, 1, 1);
  digits->setColumnStretch(2, 1);
  layout->addLayout(digits);
  formula_check_ = new TriCheckBox(QStringLiteral("以下の計算をおこなう"), this);
  formula_check_->setObjectName(QStringLiteral("formula_check"));
  formula_check_->setTristate(three_state);
  layout->addWidget(formula_check_);
  formula_ = new QLineEdit(this);
  formula_->setObjectName(QStringLiteral("formula"));
  layout->addWidget(formula_);
  connect(decimal_digits_, &QLineEdit::textChanged, this, [this] { UpdateEnabled(); });
  connect(formula_check_, &QCheckBox::stateChanged, this, [this] { UpdateEnabled(); });
}

void FormatControls::Show(const SelectionView& view, bool any) {
  any_ = any;
  formula_allowed_ = view.formula_allowed;
  for (int f = 0; f < kFlagCount; ++f) checks_[f]->SetState(view.flags[f]);
  integer_digits_->setText(Q(view.integer_digits));
  decimal_digits_->setText(Q(view.decimal_digits));
  formula_check_->SetState(view.formula);
  formula_->setText(Q(view.formula_text));
  UpdateEnabled();
}

FormatEdits FormatControls::Read() const {
  FormatEdits edits;
  for (int f = 0; f < kFlagCount; ++f) edits.flags[f] = checks_[f]->State();
  edits.apply_digits = integer_digits_->isEnabled();
  edits.integer_digits = S(integer_digits_->text());
  edits.decimal_digits = S(decimal_digits_->text());
  edits.apply_formula = formula_check_->isEnabled();
  edits.formula = formula_check_->State();
  edits.formula_text = S(formula_->text());
  return edits;
}

void FormatControls::ShowEdits(const FormatEdits& edits) {
  for (int f = 0; f < kFlagCount; ++f) checks_[f]->SetState(edits.flags[f]);
  integer_digits_->setText(Q(edits.integer_digits));
  decimal_digits_->setText(Q(edits.decimal_digits));
  formula_check_->SetState(edits.formula);
  UpdateEnabled();
}

void FormatControls::FocusControl(const std::string& control) {
  QLineEdit* edit = control == "integer_digits"   ? integer_digits_
                    : control == "decimal_digits" ? decimal_digits_
                    : control == "formula"        ? formula_
                                                  : nullptr;
  if (edit != nullptr) {
    edit->setFocus();
    edit->selectAll();
  }
}

void FormatControls::UpdateEnabled() {
  for (TriCheckBox* box : checks_) box->setEnabled(any_);
  integer_digits_->setEnabled(any_);
  decimal_digits_->setEnabled(any_);
  check(FormatFlag::kDecimalPoint)->setEnabled(any_ && DecimalPointEnabled(S(decimal_digits_->text())));
  formula_check_->setEnabled(any_ && formula_allowed_);
  formula_->setEnabled(any_ && formula_allowed_ && formula_check_->State() == TriState::kOn);
}

OutputFormatDialog::OutputFormatDialog(QWidget* parent, EditorPrompter& prompter,
                                       const VariableDictionary& dict, VariableSetting* setting)
    : QDialog(parent), prompter_(prompter), setting_(setting) {
  setObjectName(QStringLiteral("output_format"));
  setWindowTitle(QStringLiteral("ﾌｫｰﾏｯﾄ"));
  auto* layout = new QVBoxLayout(this);
  if (const DictionaryEntry* e = dict.FindById(setting->id))
    layout->addWidget(new QLabel(Q(Cp932ToUtf8(e->name)), this));
  controls_ = new FormatControls(this, false);
  VariableSettingTable one;
  one.Put(*setting);
  controls_->Show(MergeSelection(one, dict, {setting->id}), true);
  layout->addWidget(controls_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

void OutputFormatDialog::accept() {
  VariableSettingTable one;
  one.Put(*setting_);
  if (auto refusal = ApplyFormatEdits(controls_->Read(), {setting_->id}, &one)) {
    ShowRefusal(prompter_, this, *refusal);
    controls_->FocusControl(refusal->control);
    return;
  }
  const VariableSetting& result = *one.Find(setting_->id);
  changed_ = !(result == *setting_);
  *setting_ = result;
  QDialog::accept();
}

bool CanEditOutputFormat(const VariableSetting* setting) {
  return setting != nullptr && setting->text_only != 1;
}

bool ShowOutputFormatDialog(QWidget* parent, EditorContext& context, std::int32_t variable_id) {
  VariableSetting* setting = context.definition.variables.Find(variable_id);
  if (!CanEditOutputFormat(setting)) return false;
  OutputFormatDialog dialog(parent, context.prompter, context.dictionary, setting);
  if (dialog.exec() != QDialog::Accepted || !dialog.changed()) return false;
  context.MarkModified();
  return true;
}

}  // namespace tlv
