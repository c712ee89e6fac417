// What the run dialog's controls do to the slots, shared by the terminal
// and the window forms.
#include <gtest/gtest.h>

#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/record_file.h"
#include "platform/scripted_prompts_for_test.h"
#include "post/run_dialog.h"
#include "post/run_messages.h"
#include "post/run_settings.h"
#include "post/testing/temp_folder.h"

namespace tlv {
namespace {

using testing::TempFolder;
using testing::WriteTestFile;

// A definition whose header sends the process sheet to the database.
void WriteDatabaseDefinition(const std::string& path) {
  std::string bytes;
  RecordFile file;
  file.OpenMemoryWriter(&bytes, RecordFile::Encoding::kBinary);
  file.WriteString("TOLvek4.20");
  file.WriteInt(0x00030100);
  file.WriteInt(0x000A0000);
  file.WriteInt(2);
  file.WriteInt(0);
  file.Close();
  WriteTestFile(path, bytes);
}

class RunDialogModelTest : public ::testing::Test {
 protected:
  RunDialogModelTest() : messages_(&log_, nullptr) {
    log_.Open(dir_ / "run.log");
    s_.start_directory = dir_.path() + "/";
    s_.save_directory = dir_.path() + "/nc/";
    s_.definition_folder = dir_ / "defs";
    for (int i = 0; i < kJobSlotCount; ++i) {
      s_.slots[i].name = "job" + std::to_string(i + 1);
      s_.slots[i].definition_path = dir_ / ("def" + std::to_string(i + 1) + ".tlv");
      s_.slots[i].output_path = dir_ / ("nc/out" + std::to_string(i + 1) + ".nc");
    }
  }
  TempFolder dir_;
  RunLog log_;
  RunMessages messages_;
  RunSettings s_;
};

TEST_F(RunDialogModelTest, PickerRequestsStartWhereTheSlotIs) {
  ScriptedPrompts p("");
  RunDialogModel model(&s_, p.prompts(), messages_, nullptr);
  model.SelectSlot(1);
  FileDialogRequest def = model.DefinitionPickerRequest();
  EXPECT_EQ("TLV ファイルの指定", def.title);
  ASSERT_EQ(1u, def.filters.size());
  EXPECT_EQ("TLV Files (*.tlv)", def.filters[0].label);
  EXPECT_EQ("*.tlv", def.filters[0].pattern);
  EXPECT_EQ(dir_.path(), def.folder);
  EXPECT_EQ("def2.tlv", def.initial_name);
  // No definition yet: the "TLVPath" folder.
  s_.slots[1].definition_path.clear();
  EXPECT_EQ(dir_ / "defs", model.DefinitionPickerRequest().folder);
  EXPECT_EQ("", model.DefinitionPickerRequest().initial_name);

  FileDialogRequest out = model.OutputPickerRequest(dir_ / "x/prog.nc");
  EXPECT_EQ("保存ファイルの指定", out.title);
  ASSERT_EQ(4u, out.filters.size());
  EXPECT_EQ("ＮＣプログラム(*.ncd)", out.filters[0].label);
  EXPECT_EQ("*.ncd", out.filters[0].pattern);
  EXPECT_EQ("全ファイル(*.*)", out.filters[3].label);
  EXPECT_EQ(dir_ / "x", out.folder);
  EXPECT_EQ("prog.nc", out.initial_name);
  EXPECT_EQ("ncd", out.default_extension);
  EXPECT_TRUE(out.confirm_overwrite);
  // An empty field: the save directory.
  EXPECT_EQ(s_.save_directory, model.OutputPickerRequest("").folder);
}

TEST_F(RunDialogModelTest, PickedDefinitionRereadsDatabaseModeAndOwnNaming) {
  MakeDirectories(dir_ / "defs");
  WriteDatabaseDefinition(dir_ / "defs/db.tlv");
  s_.own_file = true;
  s_.input_path = dir_ / "plate.tolvek.tmp";
  s_.slots[2].enabled = true;
  ScriptedPrompts p(dir_ / "defs/db.tlv\n" + "\x1b\n" + "second\n");
  RunDialogModel model(&s_, p.prompts(), messages_, nullptr);
  model.SelectSlot(2);
  EXPECT_FALSE(model.DatabaseControlsShown());
  EXPECT_TRUE(model.PickDefinition());
  EXPECT_EQ(dir_ / "defs/db.tlv", s_.slots[2].definition_path);
  EXPECT_TRUE(model.DatabaseControlsShown());
  EXPECT_EQ("DB 出力なし", model.TargetText());
  EXPECT_EQ(dir_ / "plate.ncd", s_.slots[2].output_path);
  // Cancelled: nothing changes.
  EXPECT_FALSE(model.PickDefinition());
  EXPECT_EQ(dir_ / "defs/db.tlv", s_.slots[2].definition_path);
  // The output picker: a bare name in the folder of the field, with the
  // NC extension.
  MakeDirectories(dir_ / "nc");
  EXPECT_TRUE(model.PickOutput(dir_ / "nc/"));
  EXPECT_EQ(dir_ / "nc/second.ncd", s_.slots[2].output_path);
}

TEST_F(RunDialogModelTest, EnteredPathsResolveAndKeepTheirLimits) {
  ScriptedPrompts p("");
  RunDialogModel model(&s_, p.prompts(), messages_, nullptr);
  model.SelectSlot(5);  // out of range: ignored
  EXPECT_EQ(0, model.current());
  EXPECT_TRUE(model.EnterOutputPath("a.nc"));
  EXPECT_EQ(dir_ / "nc/a.nc", s_.slots[0].output_path);
  EXPECT_TRUE(model.EnterDefinitionPath("m.tlv"));
  EXPECT_EQ(dir_ / "m.tlv", s_.slots[0].definition_path);
  EXPECT_TRUE(model.EnterOutputPath(""));
  EXPECT_EQ("", s_.slots[0].output_path);

  // 150 characters fit an output path, 151 do not; 149 a definition path.
  const std::string out150 = "/" + std::string(149, 'o');
  EXPECT_TRUE(model.EnterOutputPath(out150));
  EXPECT_FALSE(model.EnterOutputPath(out150 + "o"));
  EXPECT_EQ(out150, s_.slots[0].output_path);
  EXPECT_FALSE(model.EnterDefinitionPath("/" + std::string(149, 'd')));
  EXPECT_EQ(dir_ / "m.tlv", s_.slots[0].definition_path);
  std::string shown = p.shown();
  EXPECT_NE(std::string::npos, shown.find("[error]\nパスが長すぎます(150 文字まで)。"));
  EXPECT_NE(std::string::npos, shown.find("[error]\nパスが長すぎます(149 文字まで)。"));
}

TEST_F(RunDialogModelTest, ValidateShowsTheBadSlot) {
  s_.slots[0].enabled = true;
  s_.slots[2].enabled = true;
  s_.slots[2].output_path = dir_ / "nc/";
  ScriptedPrompts p("");
  RunDialogModel model(&s_, p.prompts(), messages_, nullptr);
  SlotValidation v = model.Validate();
  EXPECT_FALSE(v.valid);
  EXPECT_EQ(2, model.current());
  EXPECT_NE(std::string::npos, p.shown().find("[error]\n出力ファイルが定義されていません。"));
  model.SetRegister(true);
  EXPECT_TRUE(s_.save_job_settings);
  EXPECT_TRUE(model.registering());
}

}  // namespace
}  // namespace tlv
