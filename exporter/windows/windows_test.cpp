#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QCheckBox>
#include <QSpinBox>
#include <QTest>

#include "exporter/layout_file.h"
#include "exporter/windows/form1.h"
#include "exporter/windows/item_setting.h"
#include "exporter/windows/xl_format.h"
#include "platform/file_contents.h"
#include "platform/temp_dir_for_test.h"
#include "platform/text_encoding.h"

// Fontconfig, under Qt's font database, keeps caches it never frees; they
// are not ours to report when the tests run under the leak checker.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace tlv {
namespace {

// One application for all tests, without a display.  It is never
// destroyed: tearing it down among the static destructors crashes on exit.
void EnsureApplication() {
  static int argc = 1;
  static char name[] = "exporter_windows_tests";
  static char* argv[] = {name, nullptr};
  if (QApplication::instance()) return;
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
}

std::string Std(const QString& text) { return text.toStdString(); }

void ClickOk(QDialog* dialog) {
  auto* box = dialog->findChild<QDialogButtonBox*>();
  QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

class Windows : public ::testing::Test {
 protected:
  void SetUp() override { EnsureApplication(); }
};

TEST_F(Windows, LayoutDialogChecksTheFirstPage) {
  xlFormat dialog{PageLayout()};
  std::vector<std::string> messages;
  dialog.set_message_sink([&](const QString& text) { messages.push_back(Std(text)); });
  dialog.show();

  struct Case {
    int page, start, end;
    std::string_view message;
  };
  // Checked in this order: the first violation is the one reported.
  for (const Case& c : {Case{5, 6, 4, kStartBeyondPageMessage},
                        Case{30, 6, 36, kEndBeyondPageMessage},
                        Case{37, 20, 10, kStartBeyondEndMessage}}) {
    messages.clear();
    dialog.PageLine1->setValue(c.page);
    dialog.StrtLine1->setValue(c.start);
    dialog.EndLine1->setValue(c.end);
    ClickOk(&dialog);
    ASSERT_EQ(1u, messages.size()) << c.page;
    EXPECT_EQ(c.message, messages[0]);
    EXPECT_TRUE(dialog.isVisible());  // stays open
  }
  EXPECT_EQ(37, dialog.layout().PageLine1);  // nothing taken yet

  messages.clear();
  dialog.PageLine1->setValue(40);
  dialog.StrtLine1->setValue(8);
  dialog.EndLine1->setValue(40);  // the last row of the page may hold data
  dialog.EndLine2->setValue(30);
  dialog.ColSequence->setText(" B ");
  ClickOk(&dialog);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(QDialog::Accepted, dialog.result());
  EXPECT_EQ(40, dialog.layout().PageLine1);
  EXPECT_EQ(8, dialog.layout().StrtLine1);
  EXPECT_EQ(30, dialog.layout().EndLine2);
  EXPECT_EQ("B", dialog.layout().ColSequence);
}

TEST_F(Windows, ColumnListEditing) {
  PageLayout layout;
  layout.columns = {1, 2, 3};
  xlFormat dialog(layout);
  dialog.show();
  dialog.ColumnValue->setValue(9);
  QTest::mouseClick(dialog.ColumnAdd, Qt::LeftButton);  // 1 2 3 9
  dialog.ColumnList->setCurrentRow(1);
  dialog.ColumnValue->setValue(7);
  QTest::mouseClick(dialog.ColumnInsert, Qt::LeftButton);  // 1 7 2 3 9
  dialog.ColumnList->setCurrentRow(3);
  QTest::mouseClick(dialog.ColumnDelete, Qt::LeftButton);  // 1 7 2 9
  EXPECT_EQ((std::vector<int>{1, 7, 2, 9}), dialog.CurrentLayout().columns);

  // Only the first 40 entries are taken back.
  for (int i = 0; i < 45; ++i) QTest::mouseClick(dialog.ColumnAdd, Qt::LeftButton);
  EXPECT_EQ(49, dialog.ColumnList->count());
  EXPECT_EQ(static_cast<std::size_t>(kMaxColumnListEntries), dialog.CurrentLayout().columns.size());
}

TEST_F(Windows, ItemSettings) {
  InformationItem item{"value", "部品名", "D2", false, 0};
  ITEMSETTING dialog(item, 3);
  EXPECT_EQ("部品名", Std(dialog.ItemName->text()));
  EXPECT_TRUE(dialog.ITEMTYPE_STRING->isChecked());
  dialog.ItemName->setText("厚さ");
  dialog.ItemPosition->setText(" Q3 ");
  dialog.ItemActive->setChecked(true);
  dialog.ITEMTYPE_REAL->setChecked(true);
  InformationItem edited = dialog.item();
  EXPECT_EQ("厚さ", edited.caption);
  EXPECT_EQ("Q3", edited.position);
  EXPECT_TRUE(edited.active);
  EXPECT_EQ(kItemTypeReal, edited.type);
  EXPECT_EQ("value", edited.value);  // typed in the main window, not here

  // The layout dialog keeps what the item dialog gave back, and only then.
  xlFormat format{PageLayout()};
  bool accept = true;
  format.set_item_editor([&](InformationItem* target, int number, QWidget*) {
    EXPECT_EQ(12, number);
    target->caption = "機械";
    target->active = true;
    return accept;
  });
  QTest::mouseClick(format.ItemButtons[11], Qt::LeftButton);
  EXPECT_EQ("機械", format.CurrentLayout().items[11].caption);
  accept = false;
  format.set_item_editor([&](InformationItem* target, int, QWidget*) {
    target->caption = "changed";
    return accept;
  });
  QTest::mouseClick(format.ItemButtons[11], Qt::LeftButton);
  EXPECT_EQ("機械", format.CurrentLayout().items[11].caption);
}

// The main window over a settings file in a temporary folder, with the
// user's answers given in advance.
struct MainWindow {
  TempDirForTest dir;
  SettingsStore store;
  std::vector<std::string> messages;
  std::vector<QString> folder_answers;
  QString save_answer;
  std::unique_ptr<Form1> form;

  MainWindow() {
    std::string err;
    store.Load(dir.File("registry.reg"), &err);
  }
  void Set(std::string_view name, const std::string& value) {
    std::string err;
    ASSERT_TRUE(store.WriteText(kSheetPumpSettingsKey, name, value, &err)) << err;
  }
  void Open() {
    form = std::make_unique<Form1>(&store);
    Form1Prompts prompts;
    prompts.message = [this](const QString& text) { messages.push_back(Std(text)); };
    prompts.choose_folder = [this](const QString& comment) {
      EXPECT_EQ(kChooseLayoutFolderComment, Std(comment));
      QString answer = folder_answers.empty() ? QString() : folder_answers.front();
      if (!folder_answers.empty()) folder_answers.erase(folder_answers.begin());
      return answer;
    };
    prompts.choose_open_file = [](const QString&, const QString&) { return QString(); };
    prompts.choose_save_file = [this](const QString&) { return save_answer; };
    prompts.edit_layout = [](PageLayout*) { return false; };
    form->set_prompts(prompts);
    form->Load();
    form->show();
  }
  std::string Setting(std::string_view name) {
    SettingsStore fresh;
    std::string err;
    fresh.Load(dir.File("registry.reg"), &err);
    return fresh.ReadText(kSheetPumpSettingsKey, name).value_or("<absent>");
  }
};

TEST_F(Windows, StartWithoutSettings) {
  MainWindow window;
  window.folder_answers = {QString::fromStdString(window.dir.path())};
  window.Open();
  ASSERT_EQ(3u, window.messages.size());
  EXPECT_EQ(kCsvNameMissingMessage, window.messages[0]);
  EXPECT_EQ(kExcelNameMissingMessage, window.messages[1]);
  EXPECT_EQ(kLayoutFileMissingMessage, window.messages[2]);
  EXPECT_EQ(window.dir.path(), window.Setting(kComboFileValue));  // asked once, kept
  EXPECT_EQ(37, window.form->CurrentLayout().PageLine1);
  for (std::size_t i = 0; i < kItemCount; ++i) EXPECT_TRUE(window.form->ItemValue[i]->isHidden());

  // A user who picks no folder is not asked to find the file either.
  MainWindow cancelled;
  cancelled.Set(kCsvFileValue, "/x.csv");
  cancelled.Set(kExcelFileValue, "/x.xlsx");
  cancelled.Open();
  EXPECT_TRUE(cancelled.messages.empty());
  EXPECT_EQ("<absent>", cancelled.Setting(kComboFileValue));
  // Closing then has nowhere to put the layout file.
  QTest::mouseClick(cancelled.form->Command2, Qt::LeftButton);
  ASSERT_EQ(1u, cancelled.messages.size());
  EXPECT_EQ(kLayoutFileMissingMessage, cancelled.messages[0]);
}

TEST_F(Windows, CloseWritesTheLayoutFile) {
  MainWindow window;
  PageLayout layout;
  layout.items[1] = {"S50C", "材質", "D3", true, 0};
  layout.items[4] = {"", "hidden", "Q2", false, 0};
  std::string err;
  ASSERT_TRUE(SetComboData(window.dir.path(), layout, &err)) << err;
  window.Set(kComboFileValue, window.dir.path());
  window.Set(kCsvFileValue, "/data/a.csv");
  window.Set(kExcelFileValue, "/data/t.xlsx");
  window.Open();
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ("/data/a.csv", Std(window.form->CsvFileName->text()));
  EXPECT_FALSE(window.form->ItemValue[1]->isHidden());
  EXPECT_FALSE(window.form->ITEMPROMP[1]->isHidden());
  EXPECT_EQ("材質", Std(window.form->ITEMPROMP[1]->text()));
  EXPECT_EQ("S50C", Std(window.form->ItemValue[1]->text()));
  EXPECT_TRUE(window.form->ItemValue[4]->isHidden());

  window.form->ItemValue[1]->setText("SUS304");
  window.form->ExcelFileName->setText("/data/other.xlsx");
  QTest::mouseClick(window.form->Command2, Qt::LeftButton);
  EXPECT_FALSE(window.form->isVisible());
  EXPECT_TRUE(window.messages.empty());
  PageLayout read;
  ASSERT_TRUE(GetComboData(window.dir.path(), &read, &err)) << err;
  EXPECT_EQ("SUS304", read.items[1].value);
  EXPECT_EQ("材質", read.items[1].caption);
  EXPECT_TRUE(read.items[1].active);
  EXPECT_EQ("/data/other.xlsx", window.Setting(kExcelFileValue));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(window.dir.File("SheetPump.DAT"), &bytes, &err));
  EXPECT_NE(std::string::npos, bytes.find(Utf8ToCp932("材質\r\n")));
}

TEST_F(Windows, LayoutButtonShowsTheEditedItems) {
  MainWindow window;
  window.Set(kComboFileValue, window.dir.path());
  window.Open();
  window.form->ItemValue[2]->setText("typed before");
  Form1Prompts prompts;
  prompts.message = [&](const QString& text) { window.messages.push_back(Std(text)); };
  prompts.edit_layout = [](PageLayout* layout) {
    // The dialog sees what the window holds, typed values included.
    EXPECT_EQ("typed before", layout->items[2].value);
    layout->items[2].caption = "担当者";
    layout->items[2].active = true;
    layout->PageLine2 = 40;
    return true;
  };
  window.form->set_prompts(prompts);
  QTest::mouseClick(window.form->LineSetting, Qt::LeftButton);
  EXPECT_FALSE(window.form->ItemValue[2]->isHidden());
  EXPECT_EQ("担当者", Std(window.form->ITEMPROMP[2]->text()));
  EXPECT_EQ("typed before", Std(window.form->ItemValue[2]->text()));
  EXPECT_EQ(40, window.form->CurrentLayout().PageLine2);
}

TEST_F(Windows, ExportLaysOutAndSaves) {
  MainWindow window;
  std::string err;
  std::string csv = "Title\r\nNo,Name\r\n";
  for (int i = 1; i <= 40; ++i) csv += std::to_string(i) + ",OP" + std::to_string(i) + "\r\n";
  ASSERT_TRUE(WriteFileAtomically(window.dir.File("sheet.csv"), csv, &err));
  window.Set(kCsvFileValue, window.dir.File("sheet.csv"));
  window.Set(kExcelFileValue, TLV_SOURCE_DIR "/data/templates/process_sheet.xlsx");
  window.Set(kComboFileValue, window.dir.path());
  window.save_answer = QString::fromStdString(window.dir.File("result"));
  window.Open();
  ASSERT_EQ(1u, window.messages.size());  // no layout file yet
  window.messages.clear();
  PageLayout layout = window.form->CurrentLayout();
  layout.items[0] = {"", "部品名", "D2", true, 0};
  window.form->ApplyLayout(layout);
  window.form->ItemValue[0]->setText("BRACKET");

  QTest::mouseClick(window.form->Command1, Qt::LeftButton);
  EXPECT_TRUE(window.messages.empty()) << window.messages.front();
  EXPECT_FALSE(window.form->isVisible());
  Workbook saved;
  ASSERT_TRUE(saved.OpenXlsx(window.dir.File("result.xlsx"), &err)) << err;
  EXPECT_EQ(CellValue::Text("BRACKET"), saved.sheet(0)->Value(2, 4));
  EXPECT_EQ(CellValue::Text("OP31"), saved.sheet(0)->Value(36, 2));
  EXPECT_EQ(CellValue::Text("OP40"), saved.sheet(0)->Value(37 + 6 + 8, 2));
  PageLayout read;
  ASSERT_TRUE(GetComboData(window.dir.path(), &read, &err)) << err;
  EXPECT_EQ("BRACKET", read.items[0].value);

  // A CSV file that is not there: the message names it and the window closes.
  MainWindow missing;
  missing.Set(kCsvFileValue, missing.dir.File("gone.csv"));
  missing.Set(kExcelFileValue, TLV_SOURCE_DIR "/data/templates/process_sheet.xlsx");
  missing.Set(kComboFileValue, missing.dir.path());
  missing.Open();
  missing.messages.clear();
  QTest::mouseClick(missing.form->Command1, Qt::LeftButton);
  ASSERT_EQ(1u, missing.messages.size());
  EXPECT_NE(std::string::npos, missing.messages[0].find("gone.csv")) << missing.messages[0];
  EXPECT_FALSE(missing.form->isVisible());
}

TEST_F(Windows, ProgramWithoutDisplayStopsWithAMessage) {
  // As TLVP starts it, but with no display to show the window on.
  FILE* pipe = ::popen("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " TLV_BIN_DIR
                       "/SheetPump 1 2>&1", "r");
  ASSERT_NE(nullptr, pipe);
  std::string output;
  char buffer[512];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
  int status = ::pclose(pipe);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(1, WEXITSTATUS(status));
  EXPECT_NE(std::string::npos, output.find("no display")) << output;
}

}  // namespace
}  // namespace tlv
