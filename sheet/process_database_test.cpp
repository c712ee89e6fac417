#include "sheet/process_database.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "format/variable_store.h"
#include "platform/file_contents.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/scripted_prompts_for_test.h"
#include "platform/settings_store.h"
#include "platform/temp_dir_for_test.h"
#include "platform/text_encoding.h"

namespace tlv {
namespace {

// Every stored item of a target as "row:item=value" lines; numbers with %g.
std::string Dump(const std::string& path, int target) {
  ProcessDatabase db(path);
  std::vector<DbItem> items;
  if (db.DbOpen() != kDbOk || !db.ReadRows(target, &items)) return "<" + db.error() + ">";
  std::string text;
  for (const DbItem& item : items) {
    text += std::to_string(item.row) + ":" + std::to_string(item.item) + "=";
    if (const double* number = std::get_if<double>(&item.value)) {
      char buf[40];
      std::snprintf(buf, sizeof buf, "%g", *number);
      text += buf;
    } else {
      text += "'" + std::get<std::string>(item.value) + "'";
    }
    text += "\n";
  }
  return text;
}

// A database with two targets whose folders exist.
class ProcessDatabaseTest : public ::testing::Test {
 protected:
  ProcessDatabaseTest() : path_(dir_.File("db/process.db")) {
    MakeDirectories(dir_.File("nc1"));
    MakeDirectories(dir_.File("nc2"));
    ProcessDatabase db(path_);
    EXPECT_EQ(kDbOk, db.DbOpen());
    EXPECT_TRUE(db.AddMaster({-1, "line one", "", dir_.File("nc1"), "M1", "A"}, &t1_));
    EXPECT_TRUE(db.AddMaster({-1, "line two", "", dir_.File("nc2"), "", ""}, &t2_));
  }

  // One row of item 3 = `text` and item 4 = `number`.
  void Row(ProcessDatabase& db, int target, int row, int mode, const char* text,
           double number) {
    ASSERT_EQ(kDbOk, db.DbSetSavePoint(target, row, mode)) << db.error();
    ASSERT_EQ(kDbOk, db.DbSetValue(3, text));
    ASSERT_EQ(kDbOk, db.DbSetValue(4, number));
    ASSERT_EQ(kDbOk, db.DbCommit()) << db.error();
  }

  TempDirForTest dir_;
  std::string path_;
  int t1_ = -1;
  int t2_ = -1;
};

TEST_F(ProcessDatabaseTest, OpenCreatesFileAndKeepsMasters) {
  ProcessDatabase db(path_);
  ASSERT_EQ(kDbOk, db.DbOpen());
  DbMaster m;
  ASSERT_EQ(kDbOk, db.DbGetMaster(t1_, &m));
  EXPECT_EQ("line one", m.name);
  EXPECT_EQ(dir_.File("nc1"), m.folder);
  EXPECT_EQ(dir_.File("nc1"), m.Texts()[2]);  // the third element is the folder
  EXPECT_EQ("M1", m.element4);
  EXPECT_EQ("A", m.element5);
  EXPECT_EQ(19u, m.created.size());  // "YYYY-MM-DD HH:MM:SS"
  EXPECT_EQ(1, m.next_row);

  EXPECT_EQ(kDbFailed, db.DbGetMaster(99, &m));
  EXPECT_EQ("工程データベース " + path_ + " に工程表マスター 99 がありません", db.error());
}

TEST_F(ProcessDatabaseTest, CommittedRowsAreStoredAndOthersRolledBack) {
  {
    ProcessDatabase db(path_);
    ASSERT_EQ(kDbOk, db.DbOpen());
    Row(db, t1_, 1, kDbAppend, "A.NC", 12.5);
    EXPECT_EQ(1, db.current_row());
    // A later value of the same item replaces the earlier one.
    ASSERT_EQ(kDbOk, db.DbSetSavePoint(t1_, 2, kDbAppend));
    EXPECT_EQ(kDbOk, db.DbSetValue(5, "x"));
    EXPECT_EQ(kDbOk, db.DbSetValue(5, "日本"));
    EXPECT_EQ(kDbOk, db.DbSetValue(6, -0.001));
    // Not visible to another connection before the commit.
    EXPECT_EQ("1:3='A.NC'\n1:4=12.5\n", Dump(path_, t1_));
    EXPECT_EQ(kDbOk, db.DbCommit());

    // A row that was started again before its commit, and one that the
    // database was closed on, leave nothing behind.
    ASSERT_EQ(kDbOk, db.DbSetSavePoint(t1_, 3, kDbAppend));
    EXPECT_EQ(kDbOk, db.DbSetValue(3, "lost"));
    ASSERT_EQ(kDbOk, db.DbSetSavePoint(t1_, 3, kDbAppend));
    EXPECT_EQ(kDbOk, db.DbSetValue(4, 1.0));
    db.DbClose();
  }
  EXPECT_EQ("1:3='A.NC'\n1:4=12.5\n2:5='日本'\n2:6=-0.001\n", Dump(path_, t1_));
  EXPECT_EQ("", Dump(path_, t2_));

  ProcessDatabase db(path_);
  ASSERT_EQ(kDbOk, db.DbOpen());
  DbMaster m;
  ASSERT_EQ(kDbOk, db.DbGetMaster(t1_, &m));
  EXPECT_EQ(3, m.next_row);
  // Values and commits without a row, and rows of a missing target, fail.
  EXPECT_EQ(kDbFailed, db.DbSetValue(3, "x"));
  EXPECT_NE(std::string::npos, db.error().find("行が始まっていません"));
  EXPECT_EQ(kDbFailed, db.DbCommit());
  EXPECT_EQ(kDbFailed, db.DbSetSavePoint(42, 1, kDbAppend));
  EXPECT_EQ(kDbFailed, db.DbSetValue(3, "x"));
  // The removal of a target takes its rows with it.
  EXPECT_TRUE(db.RemoveMaster(t1_));
  EXPECT_EQ("", Dump(path_, t1_));
}

TEST_F(ProcessDatabaseTest, InsertMovesRowsAndAppendNeverOverwrites) {
  ProcessDatabase db(path_);
  ASSERT_EQ(kDbOk, db.DbOpen());
  Row(db, t1_, 1, kDbAppend, "a", 1);
  Row(db, t1_, 2, kDbAppend, "b", 2);
  Row(db, t1_, 3, kDbAppend, "c", 3);
  Row(db, t1_, 2, kDbInsert, "new", 9);
  EXPECT_EQ(2, db.current_row());
  EXPECT_EQ("1:3='a'\n1:4=1\n2:3='new'\n2:4=9\n3:3='b'\n3:4=2\n4:3='c'\n4:4=3\n",
            Dump(path_, t1_));
  // Appending onto a taken row goes after the last row instead.
  Row(db, t1_, 1, kDbAppend, "end", 5);
  EXPECT_EQ(5, db.current_row());
  // Row numbers below 1 start at 1.
  Row(db, t2_, -4, kDbAppend, "z", 0);
  EXPECT_EQ(1, db.current_row());
  EXPECT_EQ("1:3='z'\n1:4=0\n", Dump(path_, t2_));
}

TEST(ProcessDatabase, UnusableFileSaysWhatFailed) {
  TempDirForTest dir;
  {
    // A folder where the file should be.
    MakeDirectories(dir.File("folder.db"));
    ProcessDatabase db(dir.File("folder.db"));
    EXPECT_EQ(kDbFailed, db.DbOpen());
    EXPECT_FALSE(db.is_open());
    EXPECT_TRUE(db.error().starts_with("工程データベース " + dir.File("folder.db") + " を開けません (")) << db.error();
    EXPECT_EQ("Error: " + db.error() + "。工程データベースへの出力なしで続けます。\n",
              DatabaseUnavailableLine(db));
    // Every later call fails plainly instead of crashing.
    DbMaster m;
    EXPECT_EQ(kDbFailed, db.DbGetMaster(1, &m));
    EXPECT_EQ(kDbFailed, db.DbSetSavePoint(1, 1, kDbAppend));
    EXPECT_EQ(kDbFailed, db.DbSetValue(3, 1.0));
    EXPECT_EQ(kDbFailed, db.DbCommit());
    EXPECT_EQ(kDbOk, db.DbClose());
  }
  {
    ASSERT_TRUE(WriteFileAtomically(dir.File("text.db"), std::string(2048, 'x'), nullptr));
    ProcessDatabase db(dir.File("text.db"));
    EXPECT_EQ(kDbFailed, db.DbOpen());
    EXPECT_NE(std::string::npos, db.error().find("file is not a database")) << db.error();
  }
  {
    // The folder cannot be made: a file stands in the way.
    ProcessDatabase db(dir.File("text.db/sub/process.db"));
    EXPECT_EQ(kDbFailed, db.DbOpen());
    EXPECT_NE(std::string::npos, db.error().find("のフォルダーを作れません")) << db.error();
  }
}

TEST(ProcessDatabase, PathFromSettingsOrPerUserDefault) {
  SettingsStore store;
  store.LoadFromText(
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\n"
      "\"ProcessDbPath\"=\"/srv/cam/process.db\"\n",
      "test");
  EXPECT_EQ("/srv/cam/process.db", ProcessDatabasePath(store));
  SettingsStore empty;
  std::string path = ProcessDatabasePath(empty);
  EXPECT_TRUE(path.ends_with("/kestra/process.db")) << path;
}

TEST_F(ProcessDatabaseTest, SavePointDialogChoosesTargetModeAndRow) {
  ProcessDatabase db(path_);
  ASSERT_EQ(kDbOk, db.DbOpen());
  Row(db, t2_, 1, kDbAppend, "a", 1);
  Row(db, t2_, 2, kDbAppend, "b", 2);
  {
    // Target 2, append: the row after the last.
    ScriptedPrompts p("2\n1\n");
    DbSavePoint point;
    ASSERT_EQ(kDbOk, db.DbSavePointDlg(p.prompts(), &point));
    EXPECT_EQ(t2_, point.target);
    EXPECT_EQ(3, point.row);
    EXPECT_EQ(kDbAppend, point.mode);
    EXPECT_NE(std::string::npos, p.shown().find("line two  " + dir_.File("nc2") + "  (次の行 3)"));
  }
  {
    // Insert: the row is asked and kept within 1 to the next free row.
    ScriptedPrompts p("2\n挿入\n99\n");
    DbSavePoint point;
    ASSERT_EQ(kDbOk, db.DbSavePointDlg(p.prompts(), &point));
    EXPECT_EQ(3, point.row);
    EXPECT_EQ(kDbInsert, point.mode);
  }
  {
    // Cancel, ESC and end of input without a current target change nothing.
    for (const char* answers : {"3\n", "\x1b\n", "", "1\n\x1b\n"}) {
      ScriptedPrompts p(answers);
      DbSavePoint point{-1, 7, kDbAppend};
      EXPECT_EQ(kDbCancelled, db.DbSavePointDlg(p.prompts(), &point)) << answers;
      EXPECT_EQ(-1, point.target);
      EXPECT_EQ(7, point.row);
    }
  }
  {
    // End of input keeps the current target and mode.
    ScriptedPrompts p("");
    DbSavePoint point{t1_, 1, kDbInsert};
    ASSERT_EQ(kDbOk, db.DbSavePointDlg(p.prompts(), &point));
    EXPECT_EQ(t1_, point.target);
    EXPECT_EQ(1, point.row);
    EXPECT_EQ(kDbInsert, point.mode);
  }
  EXPECT_TRUE(db.RemoveMaster(t1_));
  EXPECT_TRUE(db.RemoveMaster(t2_));
  {
    ScriptedPrompts p("");
    DbSavePoint point;
    EXPECT_EQ(kDbCancelled, db.DbSavePointDlg(p.prompts(), &point));
    EXPECT_NE(std::string::npos, p.shown().find("出力先がありません"));
  }
}

// The row writer with every item's variable set to a known value.
TEST_F(ProcessDatabaseTest, SheetRowSendsItems3To28) {
  VariableStore vars;
  auto number = [&](std::int32_t n, double value) {
    vars.Put(Variable(n, false, OutputFormat::RealPreset())).SetNumber(value);
  };
  auto text = [&](std::int32_t n, std::string_view value) {
    vars.Put(Variable(n, true, OutputFormat::RealPreset())).SetText(value);
  };
  text(43, "C:\\NC\\A1.NC");
  number(1504, 10);
  text(1502, Utf8ToCp932("ﾌﾗｲｽ D20"));
  number(1515, 3000);
  number(1535, 1.5);
  number(1513, 20);
  number(1512, 0.4);
  number(1534, 0.2);
  text(1507, std::string(140, 'x') + Utf8ToCp932("工程表"));  // cut at 150 bytes
  for (std::int32_t n : {28, 15, 29, 14, 36, 44, 37, 38, 39, 40, 41, 42}) number(n, n + 0.5);
  number(45, 1.25);
  text(7001, Utf8ToCp932("荒加工"));
  number(7002, 3);
  // Setting 1 names no variable, 2 and 3 name variables, 4 a missing one.
  std::array<int, 4> comments = {0, 7001, 7002, 7999};

  ProcessDatabase db(path_);
  ASSERT_EQ(kDbOk, db.DbOpen());
  DbSavePoint point{t1_, 1, kDbAppend};
  std::string err;
  ASSERT_TRUE(WriteSheetRow(db, vars, comments, &point, &err)) << err;
  EXPECT_EQ(2, point.row);
  EXPECT_EQ("1:3='A1.NC'\n1:4=10\n1:5='ﾌﾗｲｽ D20'\n1:6=3000\n1:7=1.5\n1:8=20\n"
            "1:9=0.4\n1:10=0.2\n1:11='" + std::string(140, 'x') + "工程表'\n"
            "1:12=28.5\n1:13=15.5\n1:14=29.5\n1:15=14.5\n1:16=36.5\n1:17=44.5\n"
            "1:18=37.5\n1:19=38.5\n1:20=39.5\n1:21=40.5\n1:22=41.5\n1:23=42.5\n"
            "1:25='荒加工'\n1:26='3.000000'\n1:28=1.25\n",
            Dump(path_, t1_));
  // The text is cut whole: 140 + three double-byte characters is 146, a
  // fourth would pass 150.
  text(1507, std::string(148, 'y') + Utf8ToCp932("工"));
  ASSERT_TRUE(WriteSheetRow(db, vars, comments, &point, &err)) << err;
  EXPECT_NE(std::string::npos, Dump(path_, t1_).find("2:11='" + std::string(148, 'y') + "工'\n"));
  text(1507, std::string(149, 'y') + Utf8ToCp932("工"));
  ASSERT_TRUE(WriteSheetRow(db, vars, comments, &point, &err)) << err;
  EXPECT_NE(std::string::npos, Dump(path_, t1_).find("3:11='" + std::string(149, 'y') + "'\n"));
  EXPECT_EQ(4, point.row);

  // A target that is gone: the row is refused whole and the counter stays.
  DbSavePoint gone{77, 1, kDbAppend};
  EXPECT_FALSE(WriteSheetRow(db, vars, comments, &gone, &err));
  EXPECT_NE(std::string::npos, err.find("工程表マスター 77 がありません"));
  EXPECT_EQ(1, gone.row);
}

TEST_F(ProcessDatabaseTest, NcFileIsCopiedIntoTheTargetFolder) {
  ProcessDatabase db(path_);
  ASSERT_EQ(kDbOk, db.DbOpen());
  std::string nc = dir_.File("out/P1.NC");
  MakeDirectories(dir_.File("out"));
  ASSERT_TRUE(WriteFileAtomically(dir_.File("nc1/P1.NC"), "old", nullptr));
  ASSERT_TRUE(WriteFileAtomically(nc, "%\nG0X1.\n%\n", nullptr));
  std::string err;
  ASSERT_TRUE(CopyToTargetFolder(db, t1_, nc, &err)) << err;
  std::string copied;
  ASSERT_TRUE(ReadFileBytes(dir_.File("nc1/P1.NC"), &copied, &err));
  EXPECT_EQ("%\nG0X1.\n%\n", copied);

  EXPECT_FALSE(CopyToTargetFolder(db, 55, nc, &err));
  int t3 = -1;
  ASSERT_TRUE(db.AddMaster({-1, "gone", "", dir_.File("missing"), "", ""}, &t3));
  EXPECT_FALSE(CopyToTargetFolder(db, t3, nc, &err));
  EXPECT_EQ("工程表マスター " + std::to_string(t3) + " のフォルダー " + dir_.File("missing") +
                " がありません",
            err);
}

// (The folder check and the target text are tested with the run dialog.)
TEST_F(ProcessDatabaseTest, RunDialogTargetsOfAnUnusableFile) {
  SqliteDatabaseTargets targets(path_);
  EXPECT_EQ("#9 (1) へ追加", targets.Describe({9, 1, 0}));  // no such target

  SqliteDatabaseTargets broken(dir_.path());
  EXPECT_EQ(FolderCheck::kUnavailable, broken.CheckFolder(t1_, "P1.NC"));
  EXPECT_NE(std::string::npos, broken.error().find("を開けません"));
  ScriptedPrompts p("");
  DbSavePoint point;
  EXPECT_FALSE(broken.ChooseTarget(p.prompts(), &point));
  EXPECT_NE(std::string::npos, p.shown().find("[error]\n工程データベース "));
}

// tlvdb, the real program.
struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

ToolRun RunTool(const TempDirForTest& dir, const std::string& args) {
  std::string out = dir.File("tool.out"), err = dir.File("tool.err");
  std::string command = "TLV_REGISTRY='" + dir.File("registry.reg") + "' " TLV_BIN_DIR
                        "/tlvdb " + args + " >'" + out + "' 2>'" + err + "'";
  ToolRun run;
  int raw = std::system(command.c_str());
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::string e;
  ReadFileBytes(out, &run.out, &e);
  ReadFileBytes(err, &run.err, &e);
  return run;
}

TEST(Tlvdb, SetsUpTargetsAndShowsRows) {
  TempDirForTest dir;
  MakeDirectories(dir.File("nc"));
  std::string db_path = dir.File("from-settings/process.db");
  ASSERT_TRUE(WriteFileAtomically(
      dir.File("registry.reg"),
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\n\"ProcessDbPath\"=\"" + db_path + "\"\n",
      nullptr));

  ToolRun run = RunTool(dir, "add 'Line 1' '" + dir.File("nc") + "' M-500 'Customer A'");
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ("1\n", run.out);
  EXPECT_TRUE(FileExists(db_path));  // the path of the settings store
  run = RunTool(dir, "add second '" + dir.File("later") + "'");
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("2\n", run.out);
  EXPECT_NE(std::string::npos, run.err.find("warning: the folder " + dir.File("later") + " does not exist"));

  run = RunTool(dir, "list");
  EXPECT_EQ(0, run.status);
  ASSERT_TRUE(run.out.starts_with("id\tname\tfolder\telement4\telement5\tnext_row\tcreated\n"
                                  "1\tLine 1\t" + dir.File("nc") + "\tM-500\tCustomer A\t1\t"))
      << run.out;

  {
    ProcessDatabase db(db_path);
    ASSERT_EQ(kDbOk, db.DbOpen());
    ASSERT_EQ(kDbOk, db.DbSetSavePoint(1, 1, kDbAppend));
    db.DbSetValue(3, "A.NC");
    db.DbSetValue(4, 0.1);
    db.DbCommit();
  }
  run = RunTool(dir, "rows 1");
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("1\t3\tA.NC\n1\t4\t0.1\n", run.out);

  run = RunTool(dir, "remove 2");
  EXPECT_EQ(0, run.status) << run.err;
  // --db overrides the settings: a fresh file without targets.
  run = RunTool(dir, "--db '" + dir.File("other.db") + "' list");
  EXPECT_EQ("id\tname\tfolder\telement4\telement5\tnext_row\tcreated\n", run.out);

  // Failures: a message on standard error and status 1.
  struct Bad {
    const char* args;
    const char* message;
  };
  for (const Bad& bad : {
           Bad{"remove 2", "工程表マスター 2 がありません"},
           Bad{"remove 2x", "remove needs the ID of a target"},
           Bad{"rows 9", "工程表マスター 9 がありません"},
           Bad{"add onlyname", "add needs NAME FOLDER"},
           Bad{"add '' /tmp", "NAME is empty"},
           Bad{"frobnicate", "unknown command 'frobnicate'"},
           Bad{"--db", "option --db needs a value"},
           Bad{"--db /proc/no/such/dir/x.db list", "のフォルダーを作れません"},
           Bad{"", "usage: tlvdb"},
       }) {
    run = RunTool(dir, bad.args);
    EXPECT_EQ(1, run.status) << bad.args;
    EXPECT_NE(std::string::npos, run.err.find(bad.message)) << bad.args << ": " << run.err;
  }
  run = RunTool(dir, "--help");
  EXPECT_EQ(0, run.status);
  EXPECT_TRUE(run.out.starts_with("usage: tlvdb")) << run.out;
}

}  // namespace
}  // namespace tlv
