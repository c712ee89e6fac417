#include "exporter/windows/xl_format.h"

#include <limits>

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "exporter/windows/item_setting.h"

namespace tlv {
namespace {

QSpinBox* NumberBox(QWidget* parent, const char* name, int value) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(name);
  box->setRange(std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max());
  box->setValue(value);
  return box;
}

std::int16_t Value16(const QSpinBox* box) { return static_cast<std::int16_t>(box->value()); }

}  // namespace

xlFormat::xlFormat(const PageLayout& layout, QWidget* parent)
    : QDialog(parent), layout_(layout), items_(layout.items) {
  setObjectName("xlFormat");
  setWindowTitle(QString::fromUtf8("書式設定"));
  message_ = [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); };
  edit_item_ = [](InformationItem* item, int number, QWidget* owner) {
    ITEMSETTING dialog(*item, number, owner);
    if (dialog.exec() != QDialog::Accepted) return false;
    *item = dialog.item();
    return true;
  };

  PageLine1 = NumberBox(this, "PageLine1", layout.PageLine1);
  StrtLine1 = NumberBox(this, "StrtLine1", layout.StrtLine1);
  EndLine1 = NumberBox(this, "EndLine1", layout.EndLine1);
  PageLine2 = NumberBox(this, "PageLine2", layout.PageLine2);
  StrtLine2 = NumberBox(this, "StrtLine2", layout.StrtLine2);
  EndLine2 = NumberBox(this, "EndLine2", layout.EndLine2);
  csvHeader = NumberBox(this, "csvHeader", layout.csvHeader);
  csvMain = NumberBox(this, "csvMain", layout.csvMain);
  SwFirstPage = NumberBox(this, "SwFirstPage", layout.SwFirstPage);
  ColumnNumber = NumberBox(this, "ColumnNumber", layout.ColumnNumber);
  ColSequence = new QLineEdit(QString::fromStdString(layout.ColSequence), this);
  ColSequence->setObjectName("ColSequence");

  auto* first = new QGroupBox(QString::fromUtf8("1ページ目"), this);
  auto* first_form = new QFormLayout(first);
  first_form->addRow(QString::fromUtf8("ページ行数"), PageLine1);
  first_form->addRow(QString::fromUtf8("開始行"), StrtLine1);
  first_form->addRow(QString::fromUtf8("終了行"), EndLine1);
  auto* next = new QGroupBox(QString::fromUtf8("2ページ目以降"), this);
  auto* next_form = new QFormLayout(next);
  next_form->addRow(QString::fromUtf8("ページ行数"), PageLine2);
  next_form->addRow(QString::fromUtf8("開始行"), StrtLine2);
  next_form->addRow(QString::fromUtf8("終了行"), EndLine2);
  auto* other = new QGroupBox(QString::fromUtf8("CSV・連番"), this);
  auto* other_form = new QFormLayout(other);
  other_form->addRow(QString::fromUtf8("CSV 見出し行"), csvHeader);
  other_form->addRow(QString::fromUtf8("CSV データ行"), csvMain);
  other_form->addRow(QString::fromUtf8("連番の列"), ColSequence);
  other_form->addRow(QString::fromUtf8("テンプレートのページ数"), SwFirstPage);
  other_form->addRow(QString::fromUtf8("ページの列数"), ColumnNumber);

  ColumnList = new QListWidget(this);
  ColumnList->setObjectName("ColumnList");
  for (int column : layout.columns) ColumnList->addItem(QString::number(column));
  ColumnValue = NumberBox(this, "ColumnValue", 1);
  ColumnValue->setRange(1, 16384);
  ColumnAdd = new QPushButton(QString::fromUtf8("追加"), this);
  ColumnAdd->setObjectName("ColumnAdd");
  ColumnInsert = new QPushButton(QString::fromUtf8("挿入"), this);
  ColumnInsert->setObjectName("ColumnInsert");
  ColumnDelete = new QPushButton(QString::fromUtf8("削除"), this);
  ColumnDelete->setObjectName("ColumnDelete");
  connect(ColumnAdd, &QPushButton::clicked, this, [this] { AddColumn(false); });
  connect(ColumnInsert, &QPushButton::clicked, this, [this] { AddColumn(true); });
  connect(ColumnDelete, &QPushButton::clicked, this, [this] { DeleteColumn(); });
  auto* columns = new QGroupBox(QString::fromUtf8("列設定"), this);
  auto* column_layout = new QVBoxLayout(columns);
  column_layout->addWidget(ColumnList);
  auto* column_buttons = new QHBoxLayout;
  column_buttons->addWidget(ColumnValue);
  column_buttons->addWidget(ColumnAdd);
  column_buttons->addWidget(ColumnInsert);
  column_buttons->addWidget(ColumnDelete);
  column_layout->addLayout(column_buttons);

  auto* items = new QGroupBox(QString::fromUtf8("情報項目"), this);
  auto* item_grid = new QGridLayout(items);
  for (int i = 0; i < kItemCount; ++i) {
    auto* button = new QPushButton(QString::fromUtf8("項目%1").arg(i + 1), this);
    button->setObjectName(QString("ItemButton%1").arg(i + 1));
    connect(button, &QPushButton::clicked, this, [this, i] { EditItem(i + 1); });
    item_grid->addWidget(button, i / 4, i % 4);
    ItemButtons[static_cast<std::size_t>(i)] = button;
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &xlFormat::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* grid = new QGridLayout;
  grid->addWidget(first, 0, 0);
  grid->addWidget(next, 1, 0);
  grid->addWidget(other, 2, 0);
  grid->addWidget(columns, 0, 1, 3, 1);
  auto* main = new QVBoxLayout(this);
  main->addLayout(grid);
  main->addWidget(items);
  main->addWidget(buttons);
}

PageLayout xlFormat::CurrentLayout() const {
  PageLayout layout = layout_;
  layout.PageLine1 = Value16(PageLine1);
  layout.StrtLine1 = Value16(StrtLine1);
  layout.EndLine1 = Value16(EndLine1);
  layout.PageLine2 = Value16(PageLine2);
  layout.StrtLine2 = Value16(StrtLine2);
  layout.EndLine2 = Value16(EndLine2);
  layout.csvHeader = Value16(csvHeader);
  layout.csvMain = Value16(csvMain);
  layout.ColSequence = ColSequence->text().trimmed().toStdString();
  layout.SwFirstPage = Value16(SwFirstPage);
  layout.ColumnNumber = Value16(ColumnNumber);
  layout.columns.clear();
  for (int i = 0; i < ColumnList->count() && i < kMaxColumnListEntries; ++i)
    layout.columns.push_back(ColumnList->item(i)->text().toInt());
  layout.items = items_;
  return layout;
}

void xlFormat::accept() {
  PageLayout layout = CurrentLayout();
  std::string_view problem = CheckFirstPageLines(layout);
  if (!problem.empty()) {
    message_(QString::fromUtf8(problem.data(), static_cast<qsizetype>(problem.size())));
    return;
  }
  layout_ = std::move(layout);
  QDialog::accept();
}

void xlFormat::EditItem(int number) {
  if (number < 1 || number > kItemCount) return;
  InformationItem item = items_[static_cast<std::size_t>(number - 1)];
  if (edit_item_(&item, number, this)) items_[static_cast<std::size_t>(number - 1)] = item;
}

void xlFormat::AddColumn(bool insert) {
  const QString text = QString::number(ColumnValue->value());
  int row = ColumnList->currentRow();
  if (insert && row >= 0) {
    ColumnList->insertItem(row, text);
    ColumnList->setCurrentRow(row);
  } else {
    ColumnList->addItem(text);
    ColumnList->setCurrentRow(ColumnList->count() - 1);
  }
}

void xlFormat::DeleteColumn() {
  int row = ColumnList->currentRow();
  if (row >= 0) delete ColumnList->takeItem(row);
}

}  // namespace tlv
