#include "editor/settings_sheet.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "definition/post_definition.h"
#include "definition/variable_dictionary.h"
#include "editor/coordinate_dialog.h"
#include "editor/output_format_dialog.h"
#include "editor/settings_dialogs.h"
#include "editor/settings_sheet_widgets.h"
#include "editor/split_dialog.h"
#include "platform/text_encoding.h"

namespace tlv {

namespace {

const std::vector<CodePage::Group>& CodeGroups() {
  static const std::vector<CodePage::Group> groups = {
      {"移動指令",
       {{"G00_CODE", "早送り"}, {"G01_CODE", "直線移動"}, {"G02_CODE", "円弧移動"},
        {"G03_CODE", "円弧移動"}, {"G06_CODE", "NURBS"}}},
      {"Ｍコード",
       {{"M_SPINON", "Spindle回転"}, {"M_SPINOFF", "Spindle停止"}, {"M_AIR", "エアー"},
        {"M_FLOOD", "フラッド"}, {"M_MIST", "ミスト"}, {"M_INTRNL", "インターナル"},
        {"M_COOLOFF", "クーラント停止"}, {"CMP_LEFT", "径補正左"},
        {"CMP_RIGHT", "径補正右"}, {"CMP_OFF", "径補正なし"}}},
      {"平面指定", {{"G17_CODE", "ＸＹ平面"}, {"G18_CODE", "ＺＸ平面"}, {"G19_CODE", "ＹＺ平面"}}},
  };
  return groups;
}

const std::vector<CodePage::Group>& CycleGroups() {
  static const std::vector<CodePage::Group> groups = {
      {"固定サイクル",
       {{"CYC_DRILL", "穴あけ"}, {"CYC_FDRILL", "高速穴あけ"}, {"CYC_RTAP", "逆タップ"},
        {"CYC_FBORE", "ファインボーリング"}, {"CYC_CBORE", "カウンタボーリング"},
        {"CYC_SDRILL", "深穴あけ"}, {"CYC_TAP", "タッピング"}, {"CYC_ETC", "その他"},
        {"CYC_BORING", "ボーリング"}, {"CYC_BORESTOP", "ボーリング+回転停止"},
        {"CYC_BACKBORE", "バックボーリング"}, {"CYC_BOREMANU", "ボーリング+マニュアル"},
        {"CYC_BOREFEED", "ボーリング+送り"}}},
      {"リトラクト", {{"CYC_IRET", "ｲﾆｼｬﾙ"}, {"CYC_RRET", "Ｒ点"}}},
  };
  return groups;
}

QPushButton* Button(QWidget* parent, const QString& text, const char* name) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

std::vector<std::int32_t> SortedUnique(std::vector<std::int32_t> ids) {
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return ids;
}

// The list of dictionary variables the user-defined page's "参照" shows,
// with the text and the internal code of the selected one.
class ReferenceDialog : public QDialog {
 public:
  ReferenceDialog(QWidget* parent, const VariableDictionary& dict) : QDialog(parent) {
    setWindowTitle(QStringLiteral("内部コード参照"));
    auto* layout = new QVBoxLayout(this);
    auto* list = new QListWidget(this);
    std::vector<const DictionaryEntry*> entries;
    for (const auto& [id, e] : dict.entries()) entries.push_back(&e);
    std::stable_sort(entries.begin(), entries.end(),
                     [](const DictionaryEntry* a, const DictionaryEntry* b) { return a->name < b->name; });
    for (const DictionaryEntry* e : entries) list->addItem(Q(Cp932ToUtf8(e->name)));
    layout->addWidget(list);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("コード情報"), this), 0, 0);
    auto* text = new QLabel(this);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(text, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("内部コード"), this), 1, 0);
    auto* code = new QLabel(this);
    code->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(code, 1, 1);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(close);
    connect(list, &QListWidget::currentRowChanged, this, [entries, text, code](int row) {
      if (row < 0 || row >= static_cast<int>(entries.size())) return;
      text->setText(Q(Cp932ToUtf8(entries[row]->text)));
      code->setText(Q(InternalCode(entries[row]->id)));
    });
    if (!entries.empty()) list->setCurrentRow(0);
  }
};

}  // namespace

// ---------------------------------------------------------------- codes

CodePage::CodePage(QWidget* parent, const std::vector<Group>& groups, bool with_rigid_tap)
    : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  auto* column = new QVBoxLayout;
  for (const Group& group : groups) {
    auto* box = new QGroupBox(QString::fromUtf8(group.title), this);
    auto* grid = new QGridLayout(box);
    int row = 0;
    for (const auto& [key, label] : group.keys) {
      grid->addWidget(new QLabel(QString::fromUtf8(label), box), row, 0);
      auto* edit = new QLineEdit(box);
      edit->setObjectName(QString::fromLatin1(key));
      edit->setMaximumWidth(120);
      grid->addWidget(edit, row, 1);
      edits_[key] = edit;
      ++row;
    }
    column->addWidget(box);
    if (column->count() == 2) {  // two boxes a column keeps the page short
      column->addStretch();
      layout->addLayout(column);
      column = new QVBoxLayout;
    }
  }
  if (with_rigid_tap) {
    auto* box = new QGroupBox(QStringLiteral("オプション"), this);
    auto* box_layout = new QVBoxLayout(box);
    rigid_tap_ = new QCheckBox(QStringLiteral("リジットタップ"), box);
    rigid_tap_->setObjectName(QStringLiteral("rigid_tap"));
    box_layout->addWidget(rigid_tap_);
    column->addWidget(box);
  }
  column->addStretch();
  layout->addLayout(column);
}

void CodePage::Load(const PostDefinition& def) {
  for (auto& [key, edit] : edits_) edit->setText(Q(Cp932ToUtf8(def.codes.Text(key))));
  if (rigid_tap_ != nullptr) rigid_tap_->setChecked(def.rigid_tap != 0);
}

std::vector<CodeEdit> CodePage::Read() const {
  std::vector<CodeEdit> edits;
  for (const auto& [key, edit] : edits_) edits.push_back({key, S(edit->text())});
  return edits;
}

void CodePage::ReadRigidTap(PostDefinition* def) const {
  if (rigid_tap_ != nullptr) def->rigid_tap = rigid_tap_->isChecked() ? 1 : 0;
}

void CodePage::FocusControl(const std::string& key) {
  if (QLineEdit* e = edit(key)) {
    e->setFocus();
    e->selectAll();
  }
}

QLineEdit* CodePage::edit(const std::string& key) const {
  auto it = edits_.find(key);
  return it == edits_.end() ? nullptr : it->second;
}

// ---------------------------------------------------------------- variable lists

VariableListPage::VariableListPage(QWidget* parent, Kind kind, PostDefinition& scratch,
                                   const EditorContext& context)
    : QWidget(parent), kind_(kind), scratch_(scratch), context_(context) {
  used_ids_ = UsedVariableIds(scratch_.sections);
  auto* layout = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("variables"));
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  left->addWidget(list_);
  used_only_ = new QCheckBox(QStringLiteral("利用変数のみ"), this);
  used_only_->setObjectName(QStringLiteral("used_only"));
  used_only_->setEnabled(SectionsUseNumericVariable(scratch_.variables, context_.dictionary, used_ids_));
  left->addWidget(used_only_);
  layout->addLayout(left, 1);

  auto* right = new QVBoxLayout;
  if (kind_ == Kind::kFlags) {
    modal_ = new TriCheckBox(QStringLiteral("ﾓｰﾀﾞﾙﾊﾟﾗﾒｰﾀ"), this);
    modal_->setObjectName(QStringLiteral("modal"));
    reset_ = new TriCheckBox(
        QStringLiteral("ﾌｧｲﾙの先頭でﾓｰﾀﾞﾙ状態をｸﾘｱ\n ( 強制出力 )"), this);
    reset_->setObjectName(QStringLiteral("reset_at_file_head"));
    right->addWidget(modal_);
    right->addWidget(reset_);
  } else {
    format_ = new FormatControls(this, true);
    right->addWidget(format_);
  }
  auto* buttons = new QHBoxLayout;
  apply_ = Button(this, QStringLiteral("適用"), "apply");
  auto* standard = Button(this, QStringLiteral("標準"), "standard");
  auto* info = Button(this, QStringLiteral("コード情報"), "info");
  buttons->addWidget(apply_);
  buttons->addWidget(standard);
  buttons->addWidget(info);
  right->addLayout(buttons);
  right->addStretch();
  layout->addLayout(right, 1);

  connect(list_, &QListWidget::itemSelectionChanged, this, [this] { ShowSelection(); });
  connect(used_only_, &QCheckBox::toggled, this, [this] { Reload(); });
  connect(apply_, &QPushButton::clicked, this, [this] { Apply(); });
  connect(standard, &QPushButton::clicked, this, [this] { Standard(); });
  connect(info, &QPushButton::clicked, this, [this] {
    QListWidgetItem* item = list_->currentItem();
    if (item == nullptr || !item->isSelected()) {
      const auto selected = list_->selectedItems();
      item = selected.isEmpty() ? nullptr : selected.front();
    }
    if (item == nullptr) return;
    const std::int32_t id = item->data(Qt::UserRole).toInt();
    context_.prompter.Inform(this, Q(VariableInfoText(id, scratch_.variables, context_.dictionary)),
                             EditorPrompter::Icon::kInformation);
  });
  Reload();
}

void VariableListPage::Reload() {
  const QSignalBlocker block(list_);
  list_->clear();
  const auto items = ListVariables(scratch_.variables, context_.dictionary,
                                   kind_ == Kind::kFormat, used_only_->isChecked(), used_ids_);
  for (const VariableListItem& item : items) {
    auto* row = new QListWidgetItem(Q(item.label), list_);
    row->setData(Qt::UserRole, item.id);
  }
  if (list_->count() > 0) {
    list_->setCurrentRow(0);
    list_->item(0)->setSelected(true);
  }
  ShowSelection();
}

std::vector<std::int32_t> VariableListPage::SelectedIds() const {
  std::vector<std::int32_t> ids;
  for (QListWidgetItem* item : list_->selectedItems()) ids.push_back(item->data(Qt::UserRole).toInt());
  return SortedUnique(std::move(ids));
}

void VariableListPage::Select(const std::vector<std::int32_t>& ids) {
  {
    const QSignalBlocker block(list_);
    list_->clearSelection();
    for (int i = 0; i < list_->count(); ++i) {
      QListWidgetItem* item = list_->item(i);
      if (std::find(ids.begin(), ids.end(), item->data(Qt::UserRole).toInt()) != ids.end())
        item->setSelected(true);
    }
  }
  ShowSelection();
}

void VariableListPage::ShowSelection() {
  const std::vector<std::int32_t> ids = SelectedIds();
  const SelectionView view = MergeSelection(scratch_.variables, context_.dictionary, ids);
  if (kind_ == Kind::kFlags) {
    modal_->SetState(At(view.flags, FormatFlag::kModal));
    reset_->SetState(At(view.flags, FormatFlag::kResetAtFileHead));
    modal_->setEnabled(!ids.empty());
    reset_->setEnabled(!ids.empty());
  } else {
    format_->Show(view, !ids.empty());
  }
  apply_->setEnabled(!ids.empty());
}

bool VariableListPage::Apply() {
  const std::vector<std::int32_t> ids = SelectedIds();
  if (ids.empty()) return false;
  FormatEdits edits;
  if (kind_ == Kind::kFlags) {
    edits.flags.fill(TriState::kMixed);
    At(edits.flags, FormatFlag::kModal) = modal_->State();
    At(edits.flags, FormatFlag::kResetAtFileHead) = reset_->State();
  } else {
    edits = format_->Read();
  }
  if (auto refusal = ApplyFormatEdits(edits, ids, &scratch_.variables)) {
    ShowRefusal(context_.prompter, this, *refusal);
    if (format_ != nullptr) format_->FocusControl(refusal->control);
    return false;
  }
  ShowSelection();
  return true;
}

void VariableListPage::Standard() {
  if (kind_ == Kind::kFlags) {
    modal_->SetState(TriState::kOn);
    reset_->SetState(TriState::kOff);
    return;
  }
  FormatEdits edits = format_->Read();
  ResetFormatEditsToStandard(&edits);
  format_->ShowEdits(edits);
}

// ---------------------------------------------------------------- user-defined

UserPage::UserPage(QWidget* parent, PostDefinition& scratch, const EditorContext& context)
    : QWidget(parent), scratch_(scratch), context_(context) {
  auto* layout = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  left->addWidget(new QLabel(QStringLiteral("形式名称"), this));
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("user_variables"));
  left->addWidget(list_);
  layout->addLayout(left, 1);

  auto* right = new QVBoxLayout;
  internal_code_ = new QLabel(this);
  internal_code_->setObjectName(QStringLiteral("internal_code"));
  internal_code_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  right->addWidget(internal_code_);
  first_label_ = new QLabel(this);
  first_label_->setObjectName(QStringLiteral("first_label"));
  first_text_ = new QLineEdit(this);
  first_text_->setObjectName(QStringLiteral("first_text"));
  right->addWidget(first_label_);
  right->addWidget(first_text_);
  every_time_ = new QCheckBox(this);
  every_time_->setObjectName(QStringLiteral("every_time"));
  use_value_ = new QCheckBox(this);
  use_value_->setObjectName(QStringLiteral("use_value"));
  right->addWidget(every_time_);
  right->addWidget(use_value_);
  second_label_ = new QLabel(this);
  second_label_->setObjectName(QStringLiteral("second_label"));
  second_text_ = new QLineEdit(this);
  second_text_->setObjectName(QStringLiteral("second_text"));
  right->addWidget(second_label_);
  right->addWidget(second_text_);
  auto* buttons = new QHBoxLayout;
  apply_ = Button(this, QStringLiteral("適用"), "apply");
  format_button_ = Button(this, QStringLiteral("出力ﾌｫｰﾏｯﾄ"), "output_format");
  auto* reference = Button(this, QStringLiteral("参照"), "reference");
  buttons->addWidget(apply_);
  buttons->addWidget(format_button_);
  buttons->addWidget(reference);
  right->addLayout(buttons);
  right->addStretch();
  layout->addLayout(right, 2);

  connect(list_, &QListWidget::currentRowChanged, this, [this] { ShowSelected(); });
  connect(use_value_, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
  connect(apply_, &QPushButton::clicked, this, [this] { Apply(); });
  connect(format_button_, &QPushButton::clicked, this, [this] { OpenFormat(); });
  connect(reference, &QPushButton::clicked, this, [this] { OpenReference(); });
  Reload();
}

void UserPage::Reload() {
  const QSignalBlocker block(list_);
  list_->clear();
  items_ = ListUserVariables(scratch_.variables, context_.dictionary);
  for (const VariableListItem& item : items_) list_->addItem(Q(item.label));
  if (!items_.empty()) list_->setCurrentRow(0);
  ShowSelected();
}

bool UserPage::Select(std::int32_t id) {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].id == id) {
      list_->setCurrentRow(static_cast<int>(i));
      return true;
    }
  }
  return false;
}

std::int32_t UserPage::SelectedId() const {
  const int row = list_->currentRow();
  return row >= 0 && row < static_cast<int>(items_.size()) ? items_[row].id : 0;
}

void UserPage::ShowSelected() {
  const std::int32_t id = SelectedId();
  const VariableSetting* setting = scratch_.variables.Find(id);
  const bool computed = IsUserComputed(id);
  first_label_->setText(computed ? QStringLiteral("計算式") : QStringLiteral("表示メッセージ"));
  every_time_->setText(computed ? QStringLiteral("都度計算を実行") : QStringLiteral("都度入力が必要"));
  use_value_->setText(computed ? QStringLiteral("初期値を入力") : QStringLiteral("固定値を設定"));
  second_label_->setText(computed ? QStringLiteral("ﾒｯｾｰｼﾞ") : QStringLiteral("固定値"));
  format_button_->setVisible(computed);
  internal_code_->setText(setting != nullptr ? Q(InternalCode(id)) : QString());
  const UserEdits edits = setting != nullptr ? UserEditsFrom(*setting) : UserEdits{};
  first_text_->setText(Q(edits.first_text));
  every_time_->setChecked(edits.every_time);
  use_value_->setChecked(edits.use_value);
  second_text_->setText(Q(edits.second_text));
  UpdateEnabled();
}

void UserPage::UpdateEnabled() {
  const bool any = scratch_.variables.Find(SelectedId()) != nullptr;
  for (QWidget* w : std::initializer_list<QWidget*>{first_label_, first_text_, every_time_,
                                                    use_value_, apply_, format_button_})
    w->setEnabled(any);
  second_label_->setEnabled(any && use_value_->isChecked());
  second_text_->setEnabled(any && use_value_->isChecked());
}

bool UserPage::Apply() {
  VariableSetting* setting = scratch_.variables.Find(SelectedId());
  if (setting == nullptr) return false;
  UserEdits edits;
  edits.first_text = S(first_text_->text());
  edits.every_time = every_time_->isChecked();
  edits.use_value = use_value_->isChecked();
  edits.second_text = S(second_text_->text());
  if (auto refusal = ApplyUserEdits(edits, setting)) {
    ShowRefusal(context_.prompter, this, *refusal);
    QLineEdit* edit = refusal->control == "second_text" ? second_text_ : first_text_;
    edit->setFocus();
    edit->selectAll();
    return false;
  }
  return true;
}

void UserPage::OpenFormat() {
  VariableSetting* setting = scratch_.variables.Find(SelectedId());
  if (!IsUserComputed(SelectedId()) || !CanEditOutputFormat(setting)) return;
  OutputFormatDialog dialog(this, context_.prompter, context_.dictionary, setting);
  dialog.exec();
}

void UserPage::OpenReference() {
  ReferenceDialog dialog(this, context_.dictionary);
  dialog.exec();
}

// ---------------------------------------------------------------- the sheet

NcFormatSheet::NcFormatSheet(QWidget* parent, EditorContext& context)
    : QDialog(parent), context_(context), scratch_(std::make_unique<PostDefinition>(context.definition)) {
  setObjectName(QStringLiteral("nc_format_sheet"));
  setWindowTitle(QStringLiteral("ＮＣ書式編集"));
  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  codes_ = new CodePage(tabs_, CodeGroups(), false);
  cycles_ = new CodePage(tabs_, CycleGroups(), true);
  variables_ = new VariableListPage(tabs_, VariableListPage::Kind::kFlags, *scratch_, context_);
  format_ = new VariableListPage(tabs_, VariableListPage::Kind::kFormat, *scratch_, context_);
  user_ = new UserPage(tabs_, *scratch_, context_);
  coordinate_ = new CoordinatePage(tabs_);
  split_ = new SplitPage(tabs_);
  tabs_->addTab(codes_, QStringLiteral("Ｇ・Ｍｺｰﾄﾞ"));
  tabs_->addTab(cycles_, QStringLiteral("固定ｻｲｸﾙ"));
  tabs_->addTab(variables_, QStringLiteral("変数設定"));
  tabs_->addTab(format_, QStringLiteral("ﾌｫｰﾏｯﾄ"));
  tabs_->addTab(user_, QStringLiteral("ﾕｰｻﾞ定義"));
  tabs_->addTab(coordinate_, QStringLiteral("座標値切替"));
  tabs_->addTab(split_, QStringLiteral("ﾌｧｲﾙ分割"));
  layout->addWidget(tabs_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  codes_->Load(*scratch_);
  cycles_->Load(*scratch_);
  coordinate_->Load(CoordinateEditsFrom(*scratch_));
  split_->Load(SplitEditsFrom(*scratch_));
  // The list pages share the scratch table: show what another page applied.
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    if (tabs_->widget(index) == variables_) variables_->ShowSelection();
    if (tabs_->widget(index) == format_) format_->ShowSelection();
  });
  resize(640, 520);
}

NcFormatSheet::~NcFormatSheet() {
  // The pages refer to the scratch copy: let them go while it still lives.
  delete tabs_;
}

void NcFormatSheet::accept() {
  PostDefinition result = *scratch_;
  auto refuse = [this](QWidget* page, const Refusal& refusal) {
    tabs_->setCurrentWidget(page);
    ShowRefusal(context_.prompter, this, refusal);
  };
  for (CodePage* page : {codes_, cycles_}) {
    if (auto refusal = ApplyCodeEdits(page->Read(), &result)) {
      refuse(page, *refusal);
      page->FocusControl(refusal->control);
      return;
    }
    page->ReadRigidTap(&result);
  }
  if (auto refusal = ApplyCoordinateEdits(coordinate_->Read(), &result)) {
    refuse(coordinate_, *refusal);
    coordinate_->FocusControl(refusal->control);
    return;
  }
  if (auto refusal = ApplySplitEdits(split_->Read(), &result)) {
    refuse(split_, *refusal);
    split_->FocusControl(refusal->control);
    return;
  }
  CopySheetFields(result, &context_.definition);
  context_.MarkModified();
  QDialog::accept();
}

QDialog* CreateNcFormatSheet(QWidget* parent, EditorContext& context) {
  return new NcFormatSheet(parent, context);
}

bool ShowNcFormatSheet(QWidget* parent, EditorContext& context) {
  NcFormatSheet sheet(parent, context);
  return sheet.exec() == QDialog::Accepted;
}

bool ShowCoordinateDialog(QWidget* parent, EditorContext& context) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QStringLiteral("座標値切替"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* page = new CoordinatePage(&dialog);
  page->Load(CoordinateEditsFrom(context.definition));
  layout->addWidget(page);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  layout->addWidget(buttons);
  PostDefinition result = context.definition;
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    result = context.definition;
    if (auto refusal = ApplyCoordinateEdits(page->Read(), &result)) {
      ShowRefusal(context.prompter, &dialog, *refusal);
      page->FocusControl(refusal->control);
      return;
    }
    dialog.accept();
  });
  if (dialog.exec() != QDialog::Accepted || result == context.definition) return false;
  CopySheetFields(result, &context.definition);
  context.MarkModified();
  return true;
}

bool ShowSplitDialog(QWidget* parent, EditorContext& context) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QStringLiteral("ﾌｧｲﾙ分割"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* page = new SplitPage(&dialog);
  page->Load(SplitEditsFrom(context.definition));
  layout->addWidget(page);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  layout->addWidget(buttons);
  PostDefinition result = context.definition;
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    result = context.definition;
    if (auto refusal = ApplySplitEdits(page->Read(), &result)) {
      ShowRefusal(context.prompter, &dialog, *refusal);
      page->FocusControl(refusal->control);
      return;
    }
    dialog.accept();
  });
  if (dialog.exec() != QDialog::Accepted || result == context.definition) return false;
  CopySheetFields(result, &context.definition);
  context.MarkModified();
  return true;
}

}  // namespace tlv
