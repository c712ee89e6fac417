// The run dialog's database parts against a real process database file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/scripted_prompts_for_test.h"
#include "platform/settings_store.h"
#include "post/run_dialog.h"
#include "post/run_messages.h"
#include "post/run_settings.h"
#include "post/testing/temp_folder.h"
#include "sheet/process_database.h"

namespace tlv {
namespace {

using testing::TempFolder;
using testing::WriteTestFile;

constexpr const char* kSameFileInFolder =
    "工程表の管理するディレクトリに同一ファイルが存在します。";

// Three slots (slot 1 enabled, in database mode without a target) and a
// database with two targets whose folders exist.
class RunDialogDatabaseTest : public ::testing::Test {
 protected:
  RunDialogDatabaseTest()
      : messages_(&log_, nullptr), db_path_(dir_ / "process.db"), targets_(db_path_) {
    log_.Open(dir_ / "run.log");
    std::string err;
    store_.Load(dir_ / "registry.reg", &err);
    MakeDirectories(dir_ / "nc1");
    MakeDirectories(dir_ / "nc2");
    ProcessDatabase db(db_path_);
    EXPECT_EQ(kDbOk, db.DbOpen());
    EXPECT_TRUE(db.AddMaster({-1, "line one", "", dir_ / "nc1", "", ""}, &t1_));
    EXPECT_TRUE(db.AddMaster({-1, "line two", "", dir_ / "nc2", "", ""}, &t2_));
    EXPECT_EQ(kDbOk, db.DbSetSavePoint(t2_, 1, kDbAppend));
    EXPECT_EQ(kDbOk, db.DbSetValue(3, "A.NC"));
    EXPECT_EQ(kDbOk, db.DbCommit());

    for (int i = 0; i < kJobSlotCount; ++i) {
      JobSlot& slot = s_.slots[i];
      slot.name = "job" + std::to_string(i + 1);
      slot.definition_path = dir_ / ("def" + std::to_string(i + 1) + ".tlv");
      slot.output_path = dir_ / ("out" + std::to_string(i + 1) + ".nc");
    }
    s_.slots[0].enabled = true;
    s_.slots[0].database_mode = true;
  }

  TempFolder dir_;
  RunLog log_;
  RunMessages messages_;
  SettingsStore store_;
  std::string db_path_;
  SqliteDatabaseTargets targets_;
  RunSettings s_;
  int t1_ = -1;
  int t2_ = -1;
};

TEST_F(RunDialogDatabaseTest, FolderCheckRefusesAFileOfTheOutputName) {
  WriteTestFile(dir_ / "nc2/out1.nc", "earlier program");
  WriteTestFile(dir_ / "nc2/out2.nc", "earlier program");
  s_.slots[0].database_target = t2_;
  {
    ScriptedPrompts p("");
    SlotValidation v = ValidateSlots(s_, p.prompts(), false, &targets_);
    EXPECT_FALSE(v.valid);
    EXPECT_EQ(0, v.bad_slot);
    EXPECT_EQ(kSameFileInFolder, v.message);
    EXPECT_EQ("", p.shown());  // no window: nothing shown
  }
  {
    ScriptedPrompts p("");
    ValidateSlots(s_, p.prompts(), true, &targets_);
    EXPECT_NE(std::string::npos,
              p.shown().find("[error]\n" + std::string(kSameFileInFolder)));
  }
  // Checked only in database mode with a target, for each enabled slot, and
  // after the output checks.
  s_.slots[0].database_target = t1_;
  s_.slots[1].enabled = true;
  s_.slots[1].database_target = t2_;
  {
    ScriptedPrompts p("");
    EXPECT_TRUE(ValidateSlots(s_, p.prompts(), true, &targets_).valid);  // not in database mode
  }
  s_.slots[1].database_mode = true;
  {
    ScriptedPrompts p("");
    SlotValidation v = ValidateSlots(s_, p.prompts(), false, &targets_);
    EXPECT_EQ(1, v.bad_slot);
    EXPECT_EQ(kSameFileInFolder, v.message);
  }
  s_.slots[1].database_target = -1;
  WriteTestFile(s_.slots[1].output_path, "old");
  {
    ScriptedPrompts p("n\n");
    SlotValidation v = ValidateSlots(s_, p.prompts(), false, &targets_);
    EXPECT_EQ("重複するファイルが存在します。", v.message);
  }
  {
    ScriptedPrompts p("");
    EXPECT_TRUE(ValidateSlots(s_, p.prompts(), false, &targets_).valid);
  }
}

TEST_F(RunDialogDatabaseTest, UnreachableDatabaseLetsTheSlotRun) {
  // The job reports the database itself and runs without database output.
  WriteTestFile(dir_ / "nc2/out1.nc", "earlier program");
  s_.slots[0].database_target = t2_;
  SqliteDatabaseTargets broken(dir_.path());  // a folder, not a database
  ScriptedPrompts p("");
  EXPECT_TRUE(ValidateSlots(s_, p.prompts(), true, &broken).valid);
  // A target that is gone from the database is no reason to refuse either.
  s_.slots[0].database_target = 99;
  EXPECT_TRUE(ValidateSlots(s_, p.prompts(), true, &targets_).valid);
  EXPECT_EQ("", p.shown());
}

TEST_F(RunDialogDatabaseTest, ControlsShowOnlyInDatabaseMode) {
  ScriptedPrompts p("3\n");
  EXPECT_FALSE(RunDialogStep(&s_, &store_, p.prompts(), messages_, &targets_));
  std::string shown = p.shown();
  EXPECT_NE(std::string::npos, shown.find("   出力ﾌｧｲﾙ名:   " + (dir_ / "out1.nc") +
                                          "\n   工程ＤＢ -> DB 出力なし\n2: job2"))
      << shown;
  // One slot in database mode: one set of controls.
  EXPECT_EQ(shown.find("工程ＤＢ"), shown.rfind("工程ＤＢ"));
  EXPECT_NE(std::string::npos, shown.find("  7) 1 のＤＢ設定\n  8) 1 のＤＢ出力を解除 (X)\n"))
      << shown;
  EXPECT_EQ(std::string::npos, shown.find("2 のＤＢ"));
}

TEST_F(RunDialogDatabaseTest, TargetIsChosenShownAndCleared) {
  // ＤＢ設定 of slot 1: target 2, insert before row 1; then run.
  ScriptedPrompts p("7\n2\n2\n1\n1\n");
  ASSERT_TRUE(RunDialogStep(&s_, &store_, p.prompts(), messages_, &targets_));
  EXPECT_EQ(t2_, s_.slots[0].database_target);
  EXPECT_EQ(1, s_.slots[0].database_row);
  EXPECT_EQ(kDbInsert, s_.slots[0].database_insert_mode);
  EXPECT_NE(std::string::npos, p.shown().find("工程ＤＢ -> line two (1) へ挿入\n"));

  // Append goes after the last row; "X" then takes the target away again.
  ScriptedPrompts q("7\n2\n1\n8\n1\n");
  ASSERT_TRUE(RunDialogStep(&s_, &store_, q.prompts(), messages_, &targets_));
  EXPECT_NE(std::string::npos, q.shown().find("工程ＤＢ -> line two (2) へ追加\n"));
  EXPECT_EQ(-1, s_.slots[0].database_target);

  // A cancelled choice keeps what the slot had.
  s_.slots[0].database_target = t1_;
  ScriptedPrompts r("7\n3\n1\n");
  ASSERT_TRUE(RunDialogStep(&s_, &store_, r.prompts(), messages_, &targets_));
  EXPECT_EQ(t1_, s_.slots[0].database_target);
}

TEST_F(RunDialogDatabaseTest, RunWithSameFileInFolderStaysOpen) {
  WriteTestFile(dir_ / "nc1/out1.nc", "earlier program");
  s_.slots[0].database_target = t1_;
  // Run: refused (the box takes the empty line); X clears the target; run.
  ScriptedPrompts p("1\n\n8\n1\n");
  EXPECT_TRUE(RunDialogStep(&s_, &store_, p.prompts(), messages_, &targets_));
  std::string shown = p.shown();
  EXPECT_NE(std::string::npos,
            shown.find("[error]\n" + std::string(kSameFileInFolder)));
  EXPECT_NE(std::string::npos, shown.find("DB 出力なし", shown.find("[error]")));

  // Skipping the dialog is not allowed while the check fails.
  s_.slots[0].database_target = t1_;
  s_.skip_run_dialog = true;
  ScriptedPrompts q("3\n");
  EXPECT_FALSE(RunDialogStep(&s_, &store_, q.prompts(), messages_, &targets_));
  EXPECT_FALSE(s_.skip_run_dialog);
}

// Every refusal of the slot check, with and without a window: the message
// and the bad slot come back either way, the "error" box appears only with
// a window, and the overwrite question is asked in both.
TEST_F(RunDialogDatabaseTest, EveryRefusalWithAndWithoutWindow) {
  struct Case {
    const char* what;
    const char* answers;
    bool valid;
    const char* message;
    bool asks_overwrite;
  };
  const Case cases[] = {
      {"no definition", "", false, "TLVファイルが定義されていません。", false},
      {"no output name", "", false, "出力ファイルが定義されていません。", false},
      {"output exists, No", "n\n", false, "重複するファイルが存在します。", true},
      {"output exists, Yes", "y\n", true, "", true},
      {"same file in target folder", "", false, kSameFileInFolder, false},
  };
  const std::string kOverwrite = "[確認]\n出力ファイルを上書きしてもいいですか?";
  for (const Case& c : cases) {
    for (bool window : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (window ? ", window" : ", no window"));
      // Slot 1 passes every check (database mode, a target whose folder is
      // empty); slot 2 is the one at fault.
      RunSettings s = s_;
      s.slots[0].database_target = t1_;
      JobSlot& bad = s.slots[1];
      bad.enabled = true;
      std::filesystem::remove(bad.output_path);
      std::filesystem::remove(dir_ / "nc2/out2.nc");
      const std::string what = c.what;
      if (what == "no definition") bad.definition_path.clear();
      if (what == "no output name") bad.output_path = dir_.path() + "/";
      if (what.starts_with("output exists")) WriteTestFile(bad.output_path, "old");
      if (what == "same file in target folder") {
        bad.database_mode = true;
        bad.database_target = t2_;
        WriteTestFile(dir_ / "nc2/out2.nc", "earlier program");
      }

      ScriptedPrompts p(c.answers);
      SlotValidation v = ValidateSlots(s, p.prompts(), window, &targets_);
      const std::string shown = p.shown();
      EXPECT_EQ(c.valid, v.valid);
      EXPECT_EQ(c.valid ? -1 : 1, v.bad_slot);
      EXPECT_EQ(c.message, v.message);
      const std::size_t asked = shown.find(kOverwrite);
      EXPECT_EQ(c.asks_overwrite, asked != std::string::npos) << shown;
      const std::size_t box = shown.find("[error]\n");
      if (window && !c.valid) {
        ASSERT_NE(std::string::npos, box) << shown;
        EXPECT_EQ(std::string("[error]\n") + c.message,
                  shown.substr(box, 8 + std::string(c.message).size()));
        EXPECT_EQ(box, shown.rfind("[error]\n"));  // one box
        if (c.asks_overwrite) {
          EXPECT_LT(asked, box);
        }
      } else {
        EXPECT_EQ(std::string::npos, box) << shown;
      }
    }
  }
}

}  // namespace
}  // namespace tlv
