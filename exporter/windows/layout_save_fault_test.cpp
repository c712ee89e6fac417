// The close button of the exporter's main window on a disk that fills up:
// the failed save of "SheetPump.DAT" is shown to the user, and the old
// layout file stays as it was.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include "exporter/layout_file.h"
#include "exporter/sheet_pump.h"
#include "exporter/windows/form1.h"
#include "platform/file_contents.h"
#include "platform/file_size_limit_for_test.h"
#include "platform/settings_store.h"
#include "platform/temp_dir_for_test.h"

namespace tlv {
namespace {

TEST(LayoutSaveFaults, CloseOnAFullDiskShowsTheFailureAndKeepsTheOldFile) {
  TempDirForTest dir;
  const std::string layout_path = dir.File("SheetPump.DAT");
  const std::string old_bytes = FormatLayoutFile(PageLayout{});
  std::string err;
  ASSERT_TRUE(WriteFileAtomically(layout_path, old_bytes, &err)) << err;
  SettingsStore store;
  ASSERT_TRUE(store.Load(dir.File("registry.reg"), &err)) << err;
  ASSERT_TRUE(store.WriteText(kSheetPumpSettingsKey, kComboFileValue, dir.path(), &err)) << err;
  ASSERT_TRUE(store.WriteText(kSheetPumpSettingsKey, kCsvFileValue, "/data/a.csv", &err)) << err;
  ASSERT_TRUE(store.WriteText(kSheetPumpSettingsKey, kExcelFileValue, "/data/t.xlsx", &err)) << err;
  const std::string store_bytes = [&] {
    std::string bytes;
    ReadFileBytes(dir.File("registry.reg"), &bytes, &err);
    return bytes;
  }();

  // The window lives in a child that cannot write past 64 bytes: less
  // than any layout file.
  const ChildEnd end = RunWithFileSizeLimit(64, AtFileSizeLimit::kFailWrite, [&] {
    static int argc = 1;
    static char name[] = "layout_save_fault";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
      new QApplication(argc, argv);
    }
    SettingsStore child_store;
    std::string why;
    if (!child_store.Load(dir.File("registry.reg"), &why)) return 10;
    Form1 form(&child_store);
    std::vector<std::string> messages;
    Form1Prompts prompts;
    prompts.message = [&](const QString& text) { messages.push_back(text.toStdString()); };
    prompts.choose_folder = [](const QString&) { return QString(); };
    prompts.choose_open_file = [](const QString&, const QString&) { return QString(); };
    prompts.choose_save_file = [](const QString&) { return QString(); };
    prompts.edit_layout = [](PageLayout*) { return false; };
    form.set_prompts(prompts);
    form.Load();
    if (!messages.empty()) return 11;
    form.show();
    QTest::mouseClick(form.Command2, Qt::LeftButton);
    if (messages != std::vector<std::string>{std::string(kLayoutFileMissingMessage)}) return 12;
    return 0;
  });
  ASSERT_TRUE(end.exited) << end.signal;
  EXPECT_EQ(0, end.status);
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(layout_path, &bytes, &err)) << err;
  EXPECT_EQ(old_bytes, bytes);
  // Nothing else was written: the workbook path is stored only after a
  // saved layout.
  ASSERT_TRUE(ReadFileBytes(dir.File("registry.reg"), &bytes, &err)) << err;
  EXPECT_EQ(store_bytes, bytes);
  EXPECT_EQ((std::vector<std::string>{"SheetPump.DAT", "registry.reg"}), NamesInFolder(dir.path()));
}

}  // namespace
}  // namespace tlv
