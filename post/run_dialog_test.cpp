#include "post/run_dialog.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/prompts.h"
#include "platform/scripted_prompts_for_test.h"
#include "platform/settings_store.h"
#include "post/run_messages.h"
#include "post/run_settings.h"
#include "post/testing/temp_folder.h"

namespace tlv {
namespace {

using testing::ReadTestFile;
using testing::TempFolder;
using testing::WriteTestFile;

// Three slots, the first enabled with a definition and an output that does
// not exist yet.
RunSettings Slots(const TempFolder& dir) {
  RunSettings s;
  for (int i = 0; i < kJobSlotCount; ++i) {
    s.slots[i].name = "job" + std::to_string(i + 1);
    s.slots[i].definition_path = dir / ("def" + std::to_string(i + 1) + ".tlv");
    s.slots[i].output_path = dir / ("out" + std::to_string(i + 1) + ".nc");
  }
  s.slots[0].enabled = true;
  return s;
}

TEST(ValidateSlots, ChecksInOrderAndStopsAtFirstFailure) {
  TempFolder dir;
  RunSettings s = Slots(dir);
  {
    ScriptedPrompts p("");
    SlotValidation v = ValidateSlots(s, p.prompts(), true);
    EXPECT_TRUE(v.valid);
    EXPECT_EQ("", p.shown());
  }
  s.slots[1].enabled = true;
  s.slots[1].definition_path.clear();
  s.slots[2].enabled = true;
  s.slots[2].output_path = dir.path() + "/";
  {
    ScriptedPrompts p("");
    SlotValidation v = ValidateSlots(s, p.prompts(), false);
    EXPECT_FALSE(v.valid);
    EXPECT_EQ(1, v.bad_slot);
    EXPECT_EQ("TLVファイルが定義されていません。", v.message);
    EXPECT_EQ("", p.shown());  // no window: nothing shown
  }
  s.slots[1].enabled = false;
  {
    ScriptedPrompts p("");
    SlotValidation v = ValidateSlots(s, p.prompts(), true);
    EXPECT_EQ(2, v.bad_slot);
    EXPECT_EQ("出力ファイルが定義されていません。", v.message);
    EXPECT_NE(std::string::npos, p.shown().find("[error]\n出力ファイルが定義されていません。"));
  }
}

TEST(ValidateSlots, ExistingOutputAsksBeforeOverwriting) {
  TempFolder dir;
  RunSettings s = Slots(dir);
  WriteTestFile(s.slots[0].output_path, "old");
  {
    // Asked even without a window; No refuses the slot.
    ScriptedPrompts p("n\n");
    SlotValidation v = ValidateSlots(s, p.prompts(), false);
    EXPECT_FALSE(v.valid);
    EXPECT_EQ(0, v.bad_slot);
    EXPECT_EQ("重複するファイルが存在します。", v.message);
    EXPECT_NE(std::string::npos,
              p.shown().find("[確認]\n出力ファイルを上書きしてもいいですか?"));
  }
  {
    ScriptedPrompts p("y\n");
    EXPECT_TRUE(ValidateSlots(s, p.prompts(), false).valid);
  }
  {
    ScriptedPrompts p("");  // end of input answers Yes
    EXPECT_TRUE(ValidateSlots(s, p.prompts(), false).valid);
  }
}

class RunDialogStepTest : public ::testing::Test {
 protected:
  RunDialogStepTest() : messages_(&log_, nullptr) {
    log_.Open(dir_ / "run.log");
    std::string err;
    store_.Load(dir_ / "registry.reg", &err);
  }
  TempFolder dir_;
  RunLog log_;
  RunMessages messages_;
  SettingsStore store_;
};

TEST_F(RunDialogStepTest, SkipsDialogOnlyWhenSlotsAreValid) {
  RunSettings s = Slots(dir_);
  s.skip_run_dialog = true;
  {
    ScriptedPrompts p("");
    EXPECT_TRUE(RunDialogStep(&s, &store_, p.prompts(), messages_));
    EXPECT_EQ("", p.shown());
    EXPECT_TRUE(s.skip_run_dialog);
  }
  // Slot 2 enabled without a definition: no box, the dialog opens.
  s.slots[1].enabled = true;
  s.slots[1].definition_path.clear();
  {
    ScriptedPrompts p("3\n");
    EXPECT_FALSE(RunDialogStep(&s, &store_, p.prompts(), messages_));
    std::string shown = p.shown();
    EXPECT_TRUE(shown.starts_with("\n[ﾊﾟﾗﾒｰﾀ入力 (Rev4.24)]\n1: job1  [x]")) << shown;
    EXPECT_EQ(std::string::npos, shown.find("[error]"));
    EXPECT_FALSE(s.skip_run_dialog);
  }
}

TEST_F(RunDialogStepTest, InvalidSlotsKeepDialogOpenUntilInputEnds) {
  RunSettings s = Slots(dir_);
  s.slots[0].definition_path.clear();
  // Run (the error box takes the empty line): refused, the dialog asks
  // again; the input ends, its default (run) is refused too, and the dialog
  // cancels instead of asking for ever.
  ScriptedPrompts p("1\n\n");
  EXPECT_FALSE(RunDialogStep(&s, &store_, p.prompts(), messages_));
  std::string shown = p.shown();
  std::size_t boxes = 0;
  for (std::size_t at = 0; (at = shown.find("[error]", at)) != std::string::npos; ++at) {
    ++boxes;
  }
  EXPECT_EQ(2u, boxes);
  EXPECT_NE(std::string::npos, shown.find("ﾊﾟﾗﾒｰﾀ入力", shown.find("[error]")));
}

TEST_F(RunDialogStepTest, EditingASlotFixesIt) {
  RunSettings s = Slots(dir_);
  s.start_directory = dir_.path() + "/";
  s.save_directory = dir_.path() + "/nc/";
  s.slots[0].definition_path.clear();
  // Run: refused (the box takes the empty line).  Change slot 1: keep it
  // enabled, a definition name, an output name; run again.  Change slot 3:
  // enable it, ESC keeps its definition, an over-long output is refused
  // (its box takes the empty line).
  ScriptedPrompts p("1\n\n4\n\nmill.tlv\nfirst.nc\n6\n1\n\x1b\n/" +
                    std::string(150, 'o') + "\n\n1\n");
  EXPECT_TRUE(RunDialogStep(&s, &store_, p.prompts(), messages_));
  EXPECT_TRUE(s.slots[0].enabled);
  EXPECT_EQ(dir_ / "mill.tlv", s.slots[0].definition_path);
  EXPECT_EQ(dir_ / "nc/first.nc", s.slots[0].output_path);
  EXPECT_TRUE(s.slots[2].enabled);
  EXPECT_EQ(dir_ / "def3.tlv", s.slots[2].definition_path);
  EXPECT_EQ(dir_ / "out3.nc", s.slots[2].output_path);
  EXPECT_NE(std::string::npos, p.shown().find("パスが長すぎます(150 文字まで)。"));
}

TEST_F(RunDialogStepTest, RegisterWritesSlotsBack) {
  RunSettings s = Slots(dir_);
  {
    ScriptedPrompts p("1\n");
    EXPECT_TRUE(RunDialogStep(&s, &store_, p.prompts(), messages_));
    EXPECT_FALSE(s.save_job_settings);
    EXPECT_EQ("<missing>", ReadTestFile(dir_ / "registry.reg"));
  }
  {
    ScriptedPrompts p("2\n");
    EXPECT_TRUE(RunDialogStep(&s, &store_, p.prompts(), messages_));
    EXPECT_TRUE(s.save_job_settings);
  }
  SettingsStore again;
  std::string err;
  ASSERT_TRUE(again.Load(dir_ / "registry.reg", &err));
  EXPECT_EQ("job2", again.ReadText(std::string(kMainKey) + "\\PSet2", "Name"));
  EXPECT_EQ(true, again.ReadFlag(std::string(kMainKey) + "\\PSet1", "Validate"));
  EXPECT_EQ(s.slots[2].output_path,
            again.ReadText(std::string(kMainKey) + "\\PSet3", "OutDataFile"));
}

}  // namespace
}  // namespace tlv
