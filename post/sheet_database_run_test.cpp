// End-to-end runs of TLVP whose definition sends the process sheet to the
// process database: the shipped post and plate tool path, a real database
// file, targets made with tlvdb, and the rows and copied programs read back.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <variant>

#include "platform/settings_store.h"
#include "platform/text_encoding.h"
#include "post/run_settings.h"
#include "post/testing/database_run.h"

namespace tlv {
namespace {

using testing::DatabaseRunOutcome;
using testing::DbRows;
using testing::ReadTestFile;
using testing::WriteTestFile;

constexpr const char* kFinished = "Execution Successfully Finished.\n";
constexpr const char* kGoesOnWithoutDatabase = "工程データベースへの出力なしで続けます。";

// One procedure of the reviewed process sheet of the plate sample.
struct SheetLine {
  std::vector<std::string> fields;
};

// The data lines of plate.expected.csv (its first two lines are the head).
std::vector<SheetLine> ExpectedSheet() {
  std::vector<SheetLine> lines;
  std::string text = ReadTestFile(testing::kSampleDir + "/plate.expected.csv");
  std::size_t at = 0;
  for (int n = 0; at < text.size(); ++n) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (n < 2 || line.empty()) continue;
    SheetLine sheet;
    std::size_t from = 0;
    for (;;) {
      std::size_t comma = line.find(',', from);
      std::string field = line.substr(from, comma == std::string::npos ? comma : comma - from);
      if (field.size() >= 2 && field.front() == '"') field = field.substr(1, field.size() - 2);
      sheet.fields.push_back(Cp932ToUtf8(field));
      if (comma == std::string::npos) break;
      from = comma + 1;
    }
    lines.push_back(std::move(sheet));
  }
  return lines;
}

double NumberOf(const DbValue& value) {
  const double* number = std::get_if<double>(&value);
  return number ? *number : std::nan("");
}

std::string TextOf(const DbValue& value) {
  const std::string* text = std::get_if<std::string>(&value);
  return text ? *text : "<number>";
}

// Checks one stored row against a procedure of the reviewed sheet: the
// items the sheet shows must hold the values it shows (to its printed
// digits), the NC name the file name of the program, item 24 the comment
// taken from the tool name (Item2DBComment1 = 1502), items 25 to 27 unset.
void ExpectRowMatches(const std::map<int, DbValue>& row, const SheetLine& line,
                      const std::string& nc_name) {
  std::set<int> items;
  for (const auto& [item, value] : row) items.insert(item);
  std::set<int> expected_items = {24, 28};
  for (int i = 3; i <= 23; ++i) expected_items.insert(i);
  EXPECT_EQ(expected_items, items);

  EXPECT_EQ(nc_name, TextOf(row.at(3)));
  EXPECT_EQ(line.fields[5], TextOf(row.at(5)));
  EXPECT_EQ(line.fields[5], TextOf(row.at(24)));
  EXPECT_TRUE(std::holds_alternative<std::string>(row.at(11)));
  for (int numeric : {4, 6, 7, 8, 9, 10, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 28}) {
    EXPECT_TRUE(std::holds_alternative<double>(row.at(numeric))) << "item " << numeric;
  }
  // Sheet column -> database item.
  constexpr std::pair<int, int> kColumns[] = {{0, 4},   {4, 6},   {6, 13},  {7, 15},
                                              {8, 18},  {9, 19},  {10, 20}, {11, 21},
                                              {12, 22}, {13, 23}, {15, 16}, {17, 17}};
  for (const auto& [column, item] : kColumns) {
    const double shown = ParseLeadingDouble(line.fields[column]);
    EXPECT_NEAR(shown, NumberOf(row.at(item)), 5e-4 + 1e-9)
        << "item " << item << " of procedure " << line.fields[1];
  }
}

class SheetDatabaseRun : public testing::DatabaseRunTest {
 protected:
  std::string ExpectedNc() { return ReadTestFile(testing::kSampleDir + "/plate.expected.nc"); }

  // The settings of slot 1 with a registered save point.
  static std::string SavePoint(int target, int row, int mode) {
    return "\"DBTarget\"=\"" + std::to_string(target) + "\"\n\"DBRow\"=\"" +
           std::to_string(row) + "\"\n\"DBInsertMode\"=\"" + std::to_string(mode) + "\"\n";
  }

  // A value of slot 1 in the settings file as it is now.
  std::string RegisteredValue(std::string_view name) {
    SettingsStore store;
    std::string err;
    EXPECT_TRUE(store.Load(dir_ / "registry.reg", &err)) << err;
    return store.ReadText(std::string(kMainKey) + "\\PSet1", name).value_or("<absent>");
  }

  static constexpr const char* kSkipDialog =
      "\"DontShowExecDlg\"=dword:00000001\n\"Item2DBComment1\"=\"1502\"\n";
};

TEST_F(SheetDatabaseRun, TargetChosenInTheRunDialogGetsARowPerProcedure) {
  std::string err;
  ASSERT_TRUE(MakeDirectories(dir_ / "other", &err)) << err;
  const int other = AddTarget("other line", "other");
  const int line = AddTarget("line one", "target");
  ASSERT_GT(line, other);

  // ＤＢ設定 of slot 1: the second target, append; then run and register.
  DatabaseRunOutcome r = Run("1 のＤＢ設定\n2\n追加\n実行 (デフォルトとして登録)\n",
                             "\"Item2DBComment1\"=\"1502\"\n");
  ASSERT_EQ(0, r.status) << r.out << r.shown;
  EXPECT_NE(std::string::npos, r.out.find(kFinished)) << r.out;
  EXPECT_NE(std::string::npos, r.shown.find("工程ＤＢ -> line one (1) へ追加")) << r.shown;

  // The program is the one the file-sheet post writes, and its copy in the
  // target's folder is the same to the byte.
  EXPECT_EQ(ExpectedNc(), r.nc);
  EXPECT_EQ(r.nc, ReadTestFile(dir_ / "target/plate.nc"));
  EXPECT_TRUE(FilesIn("other").empty());
  // No process-sheet file in database mode.
  EXPECT_FALSE(PathExists(dir_ / "plate.csv"));

  const std::vector<SheetLine> sheet = ExpectedSheet();
  ASSERT_EQ(8u, sheet.size());
  DbRows rows = Rows(line);
  ASSERT_EQ(sheet.size(), rows.size());
  int expected_row = 1;
  for (const auto& [row, items] : rows) {
    EXPECT_EQ(expected_row, row);
    SCOPED_TRACE("row " + std::to_string(row));
    ExpectRowMatches(items, sheet[expected_row - 1], "plate.nc");
    ++expected_row;
  }
  EXPECT_TRUE(Rows(other).empty());

  // Registered: the next start finds the target in slot 1.
  SettingsStore store;
  ASSERT_TRUE(store.Load(dir_ / "registry.reg", &err)) << err;
  RunSettings next;
  ReadRunSettings(store, dir_.path(), &next);
  EXPECT_TRUE(next.slots[0].database_mode);
  EXPECT_EQ(line, next.slots[0].database_target);
  EXPECT_EQ(kDbAppend, next.slots[0].database_insert_mode);
  // Its row counter went on past the eight rows written.
  EXPECT_EQ(9, next.slots[0].database_row);
}

TEST_F(SheetDatabaseRun, RegisteredTargetIsUsedWithTheDialogSkipped) {
  const int line = AddTarget("line one", "target");
  {
    // Rows 1 and 2 from an earlier program; the new rows go in before them.
    ProcessDatabase db(db_path_);
    ASSERT_EQ(kDbOk, db.DbOpen()) << db.error();
    for (const char* name : {"OLD1.NC", "OLD2.NC"}) {
      ASSERT_EQ(kDbOk, db.DbSetSavePoint(line, 1, kDbAppend));
      ASSERT_EQ(kDbOk, db.DbSetValue(3, name));
      ASSERT_EQ(kDbOk, db.DbCommit());
    }
  }
  DatabaseRunOutcome r = Run("", kSkipDialog, SavePoint(line, 1, kDbInsert));
  ASSERT_EQ(0, r.status) << r.out << r.shown;
  EXPECT_EQ(std::string::npos, r.shown.find("ﾊﾟﾗﾒｰﾀ入力")) << r.shown;
  EXPECT_EQ(ExpectedNc(), r.nc);
  EXPECT_EQ(r.nc, ReadTestFile(dir_ / "target/plate.nc"));

  // Each row takes the next number: the procedures stay in their order
  // ahead of the rows that were there.
  const std::vector<SheetLine> sheet = ExpectedSheet();
  DbRows rows = Rows(line);
  ASSERT_EQ(sheet.size() + 2, rows.size());
  for (std::size_t i = 0; i < sheet.size(); ++i) {
    SCOPED_TRACE("row " + std::to_string(i + 1));
    ExpectRowMatches(rows[static_cast<int>(i) + 1], sheet[i], "plate.nc");
  }
  EXPECT_EQ("OLD1.NC", TextOf(rows[9][3]));
  EXPECT_EQ("OLD2.NC", TextOf(rows[10][3]));
  // The registered row counter goes on after this run's rows, so that the
  // next run does not insert its rows before them.
  EXPECT_EQ("9", RegisteredValue("DBRow"));
  EXPECT_EQ("2", RegisteredValue("DBInsertMode"));

  // Run again: the program is already in the target's folder.  Skipping is
  // refused without a box; the dialog opens and shows the refusal in its
  // box; the input has ended, so the run is cancelled and nothing is added.
  DatabaseRunOutcome again = Run("", kSkipDialog, SavePoint(line, 1, kDbInsert));
  EXPECT_EQ(1, again.status);
  const std::size_t dialog = again.shown.find("ﾊﾟﾗﾒｰﾀ入力");
  ASSERT_NE(std::string::npos, dialog) << again.shown;
  const std::size_t box =
      again.shown.find("[error]\n工程表の管理するディレクトリに同一ファイルが存在します。");
  EXPECT_GT(box, dialog);  // shown by the dialog, not when skipping
  EXPECT_NE(std::string::npos,
            again.shown.find("[error]\n工程表の管理するディレクトリに同一ファイルが存在します。"))
      << again.shown;
  EXPECT_NE(std::string::npos, again.log.find("処理がキャンセルされました。"));
  EXPECT_EQ(sheet.size() + 2, Rows(line).size());
}

TEST_F(SheetDatabaseRun, SlotWithoutRegisteredTargetWritesNoRows) {
  // Settings from before the save point was kept: the dialog is skipped
  // and the job runs without database output, as it always did.
  const int line = AddTarget("line one", "target");
  DatabaseRunOutcome r = Run("", kSkipDialog);
  ASSERT_EQ(0, r.status) << r.out;
  EXPECT_EQ(ExpectedNc(), r.nc);
  EXPECT_TRUE(Rows(line).empty());
  EXPECT_TRUE(FilesIn("target").empty());
}

TEST_F(SheetDatabaseRun, UnusableDatabaseStillWritesTheProgram) {
  const int line = AddTarget("line one", "target");
  std::string err;
  ASSERT_TRUE(MakeDirectories(dir_ / "folder.db", &err)) << err;
  WriteTestFile(dir_ / "junk.db", std::string(4096, 'x'));
  for (const std::string& bad : {dir_ / "folder.db", dir_ / "junk.db"}) {
    SCOPED_TRACE(bad);
    std::filesystem::remove(dir_ / "plate.nc");
    DatabaseRunOutcome r = Run("", kSkipDialog, SavePoint(line, 1, kDbAppend), bad);
    EXPECT_EQ(0, r.status) << r.out;
    EXPECT_NE(std::string::npos, r.out.find(kFinished)) << r.out;
    EXPECT_EQ(ExpectedNc(), r.nc);
    // The line names the database file and what failed, on standard output
    // and in the log.
    const std::size_t said = r.out.find("Error: 工程データベース " + bad + " ");
    ASSERT_NE(std::string::npos, said) << r.out;
    const std::string line_text = r.out.substr(said, r.out.find('\n', said) - said);
    EXPECT_NE(std::string::npos, line_text.find(kGoesOnWithoutDatabase)) << line_text;
    EXPECT_NE(std::string::npos, r.log.find(line_text)) << r.log;
  }
  EXPECT_TRUE(Rows(line).empty());
  EXPECT_TRUE(FilesIn("target").empty());
}

TEST_F(SheetDatabaseRun, RemovedTargetLosesNoProgram) {
  // The registered target was removed from the database since: each row
  // and the copy say so, and the program is still written.
  const int line = AddTarget("line one", "target");
  const int gone = line + 1;
  DatabaseRunOutcome r = Run("", kSkipDialog, SavePoint(gone, 1, kDbAppend));
  EXPECT_EQ(0, r.status) << r.out;
  EXPECT_EQ(ExpectedNc(), r.nc);
  EXPECT_NE(std::string::npos,
            r.out.find("工程表マスター " + std::to_string(gone) + " がありません"))
      << r.out;
  EXPECT_TRUE(Rows(line).empty());
  EXPECT_TRUE(Rows(gone).empty());
  EXPECT_TRUE(FilesIn("target").empty());
  EXPECT_EQ("1", RegisteredValue("DBRow"));  // no row was written
}

}  // namespace
}  // namespace tlv
