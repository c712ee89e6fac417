#include "editor/code_list_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "definition/variable_dictionary.h"
#include "editor/settings_dialogs.h"
#include "editor/settings_sheet_widgets.h"
#include "platform/text_encoding.h"

namespace tlv {

std::vector<CodeListEntry> CodeListEntries(const VariableDictionary& dict) {
  std::vector<const DictionaryEntry*> chosen;
  for (const auto& [id, entry] : dict.entries())
    if ((entry.flags & kDictInEveryDefinition) != 0) chosen.push_back(&entry);
  std::stable_sort(chosen.begin(), chosen.end(),
                   [](const DictionaryEntry* a, const DictionaryEntry* b) {
                     return a->name < b->name;
                   });
  std::vector<CodeListEntry> entries;
  entries.reserve(chosen.size());
  for (const DictionaryEntry* e : chosen) {
    CodeListEntry item;
    item.shown = Cp932ToUtf8(CutCp932(e->name, kCodeListNameWidth));
    item.tag = "<" + Cp932ToUtf8(e->name) + ">";
    item.text = Cp932ToUtf8(CutCp932(e->text, kDictFieldSize));
    entries.push_back(std::move(item));
  }
  return entries;
}

CodeListDialog::CodeListDialog(QWidget* parent, const EditorContext& context)
    : QDialog(parent), context_(context), entries_(CodeListEntries(context.dictionary)) {
  setObjectName(QStringLiteral("cCodeDlg"));
  setWindowTitle(QStringLiteral("コード表"));
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("names"));
  for (const CodeListEntry& entry : entries_) list_->addItem(Q(entry.shown));
  layout->addWidget(list_);
  text_ = new QLabel(this);
  text_->setObjectName(QStringLiteral("text"));
  text_->setWordWrap(true);
  text_->setMinimumHeight(40);
  layout->addWidget(text_);
  auto* buttons = new QHBoxLayout;
  paste_ = new QPushButton(QStringLiteral("張り付け"), this);
  paste_->setObjectName(QStringLiteral("paste"));
  auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
  cancel->setObjectName(QStringLiteral("cancel"));
  buttons->addWidget(paste_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(list_, &QListWidget::currentRowChanged, this, [this] { ShowText(); });
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] { Paste(); });
  connect(paste_, &QPushButton::clicked, this, [this] { Paste(); });
  connect(cancel, &QPushButton::clicked, this, &QWidget::hide);
}

void CodeListDialog::ShowText() {
  const int row = list_->currentRow();
  text_->setText(row >= 0 && row < static_cast<int>(entries_.size()) ? Q(entries_[row].text)
                                                                      : QString());
}

void CodeListDialog::Paste() {
  const int row = list_->currentRow();
  if (row < 0 || row >= static_cast<int>(entries_.size())) return;
  context_.PasteAtCaret(Q(entries_[row].tag));
}

QDialog* ShowCodeListDialog(QWidget* parent, EditorContext& context) {
  CodeListDialog* dialog = nullptr;
  if (parent != nullptr)
    dialog = parent->findChild<CodeListDialog*>(QStringLiteral("cCodeDlg"),
                                                Qt::FindDirectChildrenOnly);
  if (dialog == nullptr) dialog = new CodeListDialog(parent, context);
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
  return dialog;
}

}  // namespace tlv
