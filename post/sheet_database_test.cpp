#include "post/sheet_database.h"

#include <gtest/gtest.h>

#include "format/variable_store.h"
#include "platform/paths.h"
#include "platform/run_log.h"
#include "platform/settings_store.h"
#include "post/run_messages.h"
#include "post/run_settings.h"
#include "post/testing/temp_folder.h"

namespace tlv {
namespace {

using testing::ReadTestFile;
using testing::TempFolder;
using testing::WriteTestFile;

class SheetDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log_.Open(dir_ / "run.log");
    std::string err;
    store_.Load(dir_ / "registry.reg", &err);
    ASSERT_TRUE(store_.WriteText(kMainKey, kProcessDbValue, dir_ / "process.db", &err)) << err;
    MakeDirectories(dir_ / "target");
    ProcessDatabase db(dir_ / "process.db");
    ASSERT_EQ(kDbOk, db.DbOpen());
    ASSERT_TRUE(db.AddMaster({-1, "line", "", dir_ / "target", "", ""}, &target_));
    vars_.Put(Variable(43, true, OutputFormat::RealPreset())).SetText("A.NC");
    vars_.Put(Variable(45, false, OutputFormat::RealPreset())).SetNumber(1.5);
  }

  TempFolder dir_;
  RunLog log_;
  RunMessages messages_{&log_, nullptr};
  SettingsStore store_;
  VariableStore vars_;
  int target_ = -1;
};

TEST_F(SheetDatabaseTest, RowPerItemAndTheProgramCopiedToTheTarget) {
  JobSlot slot;
  slot.database_target = target_;
  slot.database_row = 4;
  SheetDatabase sheet(vars_, messages_, {0, 0, 0, 0});
  ASSERT_TRUE(sheet.Open(store_, slot));
  sheet.Item();
  sheet.Item();
  WriteTestFile(dir_ / "A.NC", "%\nM30\n");
  sheet.CopyProgram(dir_ / "A.NC");
  EXPECT_EQ(6, sheet.Close());  // the next job goes on after the rows written
  EXPECT_EQ("%\nM30\n", ReadTestFile(dir_ / "target/A.NC"));

  ProcessDatabase db(dir_ / "process.db");
  ASSERT_EQ(kDbOk, db.DbOpen());
  std::vector<DbItem> items;
  ASSERT_TRUE(db.ReadRows(target_, &items));
  int rows_with_tape = 0;
  for (const DbItem& item : items) {
    if (item.item == 28) {
      EXPECT_TRUE(item.row == 4 || item.row == 5) << item.row;
      ++rows_with_tape;
    }
  }
  EXPECT_EQ(2, rows_with_tape);
}

TEST_F(SheetDatabaseTest, UnusableDatabaseIsReportedAndTheJobGoesOn) {
  std::string err;
  MakeDirectories(dir_ / "blocked.db");  // a folder where the file should be
  ASSERT_TRUE(store_.WriteText(kMainKey, kProcessDbValue, dir_ / "blocked.db", &err)) << err;
  JobSlot slot;
  slot.database_target = target_;
  SheetDatabase sheet(vars_, messages_, {0, 0, 0, 0});
  EXPECT_FALSE(sheet.Open(store_, slot));
  sheet.Item();  // nothing to write to, no crash
  EXPECT_NE(std::string::npos, ReadTestFile(dir_ / "run.log").find("工程データベースへの出力なしで続けます"));
}

TEST_F(SheetDatabaseTest, EveryProgramFileIsCopiedEvenAfterOneFails) {
  JobSlot slot;
  slot.database_target = target_;
  SheetDatabase sheet(vars_, messages_, {0, 0, 0, 0});
  ASSERT_TRUE(sheet.Open(store_, slot));
  WriteTestFile(dir_ / "A.NC", "%\nM30\n");
  WriteTestFile(dir_ / "A002.NC", "(2)\n");
  sheet.CopyPrograms({dir_ / "A001.NC", dir_ / "A002.NC", dir_ / "A.NC"});
  sheet.Close();
  EXPECT_EQ("<missing>", ReadTestFile(dir_ / "target/A001.NC"));
  EXPECT_EQ("(2)\n", ReadTestFile(dir_ / "target/A002.NC"));
  EXPECT_EQ("%\nM30\n", ReadTestFile(dir_ / "target/A.NC"));
  // The file that could not be copied is named in the log.
  EXPECT_NE(std::string::npos, ReadTestFile(dir_ / "run.log").find(dir_ / "A001.NC"));
}

}  // namespace
}  // namespace tlv
