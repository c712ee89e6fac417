#include "post_windows/prompt_dialogs.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tlv {

namespace {

QDialogButtonBox* OkCancel(QDialog* dialog) {
  auto* buttons =
      new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

}  // namespace

InputDialog::InputDialog(const QString& title, const QString& message,
                         const QString& default_text, QWidget* parent)
    : QDialog(parent) {
  setObjectName("NcInpDlg");
  setWindowTitle(title);
  setModal(true);
  message_ = new QLabel(message, this);
  message_->setObjectName("message");
  message_->setWordWrap(true);
  // Prompts come from post definitions: show them as plain text.
  message_->setTextFormat(Qt::PlainText);
  field_ = new QLineEdit(default_text, this);
  field_->setObjectName("answer");
  field_->selectAll();
  field_->setMinimumWidth(320);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(message_);
  layout->addWidget(field_);
  layout->addWidget(OkCancel(this));
  field_->setFocus();
}

QString InputDialog::message() const { return message_->text(); }

QString InputDialog::text() const { return field_->text(); }

ChoiceDialog::ChoiceDialog(const QString& title, const QString& text,
                           const QStringList& choices, int default_choice,
                           QWidget* parent)
    : QDialog(parent) {
  setObjectName("ChoiceDialog");
  setWindowTitle(title);
  setModal(true);
  auto* label = new QLabel(text, this);
  label->setObjectName("question");
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  list_ = new QListWidget(this);
  list_->setObjectName("choices");
  list_->addItems(choices);
  if (default_choice >= 0 && default_choice < choices.size()) {
    list_->setCurrentRow(default_choice);
  }
  list_->setMinimumWidth(360);
  connect(list_, &QListWidget::itemActivated, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(list_);
  layout->addWidget(OkCancel(this));
  list_->setFocus();
}

int ChoiceDialog::chosen() const {
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  return selected.isEmpty() ? -1 : list_->row(selected.front());
}

}  // namespace tlv
