#include "exporter/windows/form1.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "exporter/layout_file.h"
#include "exporter/windows/get_directory.h"
#include "exporter/windows/xl_format.h"
#include "platform/paths.h"

namespace tlv {
namespace {

QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const char kCaption[] = "標準　加工指示書書式設定";

}  // namespace

Form1Prompts DesktopPrompts(QWidget* parent) {
  Form1Prompts prompts;
  prompts.message = [parent](const QString& text) {
    QMessageBox::information(parent, QString::fromUtf8(kCaption), text);
  };
  prompts.choose_folder = [parent](const QString& comment) {
    return GetDirectory::Choose(comment, parent);
  };
  prompts.choose_open_file = [parent](const QString& filter, const QString& current) {
    return QFileDialog::getOpenFileName(parent, QString(), current, filter);
  };
  prompts.choose_save_file = [parent](const QString& initial) {
    return QFileDialog::getSaveFileName(parent, QString(), initial,
                                        "Excel Files (*.xlsx);;All Files (*)");
  };
  prompts.edit_layout = [parent](PageLayout* layout) {
    xlFormat dialog(*layout, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    *layout = dialog.layout();
    return true;
  };
  return prompts;
}

Form1::Form1(SettingsStore* store, QWidget* parent)
    : QWidget(parent), store_(store), prompts_(DesktopPrompts(this)) {
  setObjectName("Form1");
  setWindowTitle(QString::fromUtf8(kCaption));

  CsvFileName = new QLineEdit(this);
  CsvFileName->setObjectName("CsvFileName");
  ExcelFileName = new QLineEdit(this);
  ExcelFileName->setObjectName("ExcelFileName");
  CsvBrowse = new QPushButton(QString::fromUtf8("参照..."), this);
  CsvBrowse->setObjectName("CsvBrowse");
  ExcelBrowse = new QPushButton(QString::fromUtf8("参照..."), this);
  ExcelBrowse->setObjectName("ExcelBrowse");
  connect(CsvBrowse, &QPushButton::clicked, this, [this] {
    QString name = prompts_.choose_open_file("CSV Files (*.csv);;All Files (*)", CsvFileName->text());
    if (!name.isEmpty()) CsvFileName->setText(name);
  });
  connect(ExcelBrowse, &QPushButton::clicked, this, [this] {
    QString name = prompts_.choose_open_file(QString::fromUtf8("エクセル Files (*.xlsx);;All Files (*)"),
                                             ExcelFileName->text());
    if (!name.isEmpty()) ExcelFileName->setText(name);
  });

  auto* files = new QGridLayout;
  files->addWidget(new QLabel(QString::fromUtf8("CSV ファイル"), this), 0, 0);
  files->addWidget(CsvFileName, 0, 1);
  files->addWidget(CsvBrowse, 0, 2);
  files->addWidget(new QLabel(QString::fromUtf8("エクセル ファイル"), this), 1, 0);
  files->addWidget(ExcelFileName, 1, 1);
  files->addWidget(ExcelBrowse, 1, 2);

  auto* items = new QGridLayout;
  for (int i = 0; i < kItemCount; ++i) {
    auto* label = new QLabel(this);
    label->setObjectName(QString("ITEMPROMP%1").arg(i));
    auto* value = new QLineEdit(this);
    value->setObjectName(QString("ItemValue%1").arg(i));
    items->addWidget(label, i % 6, (i / 6) * 2);
    items->addWidget(value, i % 6, (i / 6) * 2 + 1);
    ITEMPROMP[static_cast<std::size_t>(i)] = label;
    ItemValue[static_cast<std::size_t>(i)] = value;
  }

  LineSetting = new QPushButton(QString::fromUtf8("書式設定"), this);
  LineSetting->setObjectName("LineSetting");
  Command1 = new QPushButton(QString::fromUtf8("Ｅｘｃｅｌ 呼び出し　－　データ書き込みを実行"), this);
  Command1->setObjectName("Command1");
  Command2 = new QPushButton(QString::fromUtf8("終了"), this);
  Command2->setObjectName("Command2");
  connect(LineSetting, &QPushButton::clicked, this, [this] { OpenLayoutDialog(); });
  connect(Command1, &QPushButton::clicked, this, [this] { Export(); });
  connect(Command2, &QPushButton::clicked, this, [this] { CloseWindow(); });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(LineSetting);
  buttons->addStretch();
  buttons->addWidget(Command1);
  buttons->addWidget(Command2);

  auto* main = new QVBoxLayout(this);
  main->addLayout(files);
  main->addLayout(items);
  main->addLayout(buttons);
  ShowItems();
}

void Form1::Message(std::string_view text) { prompts_.message(Utf8(text)); }

void Form1::Load() {
  const SheetPumpPaths paths = ReadSheetPumpPaths(*store_);
  CsvFileName->setText(QString::fromStdString(paths.csv_file));
  if (paths.csv_file.empty()) Message(kCsvNameMissingMessage);
  ExcelFileName->setText(QString::fromStdString(paths.excel_file));
  if (paths.excel_file.empty()) Message(kExcelNameMissingMessage);
  layout_ = PageLayout();
  combo_folder_ = paths.combo_folder;
  ReadLayoutFile();
  ShowItems();
}

void Form1::ReadLayoutFile() {
  if (combo_folder_.empty()) {
    QString folder = prompts_.choose_folder(Utf8(kChooseLayoutFolderComment));
    if (folder.isEmpty()) return;
    combo_folder_ = folder.toStdString();
    std::string err;
    if (!store_->WriteText(kSheetPumpSettingsKey, kComboFileValue, combo_folder_, &err))
      Message(err);
  }
  std::string err;
  if (!GetComboData(combo_folder_, &layout_, &err)) Message(kLayoutFileMissingMessage);
}

void Form1::ShowItems() {
  for (std::size_t i = 0; i < kItemCount; ++i) {
    const InformationItem& item = layout_.items[i];
    ITEMPROMP[i]->setText(QString::fromStdString(item.caption));
    ItemValue[i]->setText(QString::fromStdString(item.value));
    ITEMPROMP[i]->setVisible(item.active);
    ItemValue[i]->setVisible(item.active);
  }
}

PageLayout Form1::CurrentLayout() const {
  PageLayout layout = layout_;
  for (std::size_t i = 0; i < kItemCount; ++i) {
    layout.items[i].value = ItemValue[i]->text().toStdString();
    layout.items[i].caption = ITEMPROMP[i]->text().toStdString();
  }
  return layout;
}

void Form1::ApplyLayout(const PageLayout& layout) {
  layout_ = layout;
  ShowItems();
}

void Form1::OpenLayoutDialog() {
  PageLayout layout = CurrentLayout();
  if (prompts_.edit_layout(&layout)) ApplyLayout(layout);
}

bool Form1::SaveLayout() {
  const PageLayout layout = CurrentLayout();
  std::string err;
  // Without a folder there is nowhere to keep the file; it is not put into
  // whatever folder the program happens to run in.
  if (combo_folder_.empty() || !SetComboData(combo_folder_, layout, &err)) {
    Message(kLayoutFileMissingMessage);
    return false;
  }
  if (!store_->WriteText(kSheetPumpSettingsKey, kExcelFileValue,
                         ExcelFileName->text().toStdString(), &err)) {
    Message(err);
    return false;
  }
  return true;
}

void Form1::CloseWindow() {
  SaveLayout();
  close();
}

bool Form1::Export() {
  const PageLayout layout = CurrentLayout();
  const std::string template_path = ExcelFileName->text().toStdString();
  LaidOutWorkbook laid = LayOutWorkbook(template_path, CsvFileName->text().toStdString(), layout);
  for (const std::string& notice : laid.layout.messages) Message(notice);
  if (!laid.ok) {
    Message(laid.error);
    close();
    return false;
  }
  // A failed save asks again rather than throwing the laid-out workbook away.
  for (;;) {
    QString name = prompts_.choose_save_file(QString::fromStdString(template_path));
    if (name.isEmpty()) break;
    std::string path = name.toStdString();
    if (ExtensionPart(path).empty()) path += ".xlsx";
    std::string err;
    if (laid.workbook.Save(path, &err)) break;
    Message(err);
  }
  SaveLayout();
  close();
  return true;
}

}  // namespace tlv
