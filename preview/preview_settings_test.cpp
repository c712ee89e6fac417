#include "preview/preview_settings.h"

#include <gtest/gtest.h>

#include "platform/settings_store.h"
#include "post/run_settings.h"
#include "post/testing/temp_folder.h"

namespace tlv {
namespace {

using testing::ReadTestFile;
using testing::TempFolder;
using testing::WriteTestFile;

class PreviewSettingsTest : public ::testing::Test {
 protected:
  PreviewSettingsPlan Plan() {
    PreviewSettingsPlan plan;
    plan.user_settings_path = dir_ / "user.reg";
    plan.settings_path = dir_ / "s/registry.reg";
    plan.dictionary_path = dir_ / "s/TOLvek.ini";
    plan.definition_path = dir_ / "s/preview.tlv";
    plan.output_path = dir_ / "s/out/plate.nc";
    plan.log_path = dir_ / "s/TOLvek.log";
    plan.database_path = dir_ / "s/process.db";
    return plan;
  }

  // The settings the run reads from the scratch store.
  RunSettings Read(const PreviewSettingsPlan& plan) {
    SettingsStore store;
    std::string err;
    EXPECT_TRUE(store.Load(plan.settings_path, &err)) << err;
    RunSettings settings;
    ReadRunSettings(store, dir_ / "s", &settings);
    return settings;
  }

  TempFolder dir_;
};

TEST_F(PreviewSettingsTest, KeepsTheUsersFormattingAndTakesTheRunsPaths) {
  const std::string user =
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\n"
      "\"PrmDeleteNullLine\"=dword:00000001\n"
      "\"FeedAtRapid\"=dword:00001388\n"
      "\"SaveOwnFile\"=dword:00000001\n"
      "\"DontShowExecDlg\"=dword:00000000\n"
      "\"TLVLog\"=\"/home/u/TOLvek.log\"\n"
      "\"ProcessDbPath\"=\"/home/u/process.db\"\n\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kestra\\Tolvek\\4.24]\n"
      "\"TLVIni\"=\"/home/u/TOLvek.ini\"\n\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet2]\n"
      "\"Validate\"=dword:00000001\n"
      "\"TLVDataFile\"=\"/home/u/other.tlv\"\n";
  WriteTestFile(dir_ / "user.reg", user);
  const PreviewSettingsPlan plan = Plan();
  std::string err;
  ASSERT_TRUE(WritePreviewSettings(plan, &err)) << err;
  EXPECT_EQ(ReadTestFile(dir_ / "user.reg"), user);

  const RunSettings s = Read(plan);
  EXPECT_TRUE(s.delete_empty_lines);
  EXPECT_EQ(s.rapid_feed_rate, 5000);
  EXPECT_FALSE(s.own_file);
  EXPECT_TRUE(s.skip_run_dialog);
  EXPECT_FALSE(s.show_completion_message);
  EXPECT_EQ(s.dictionary_path, plan.dictionary_path);
  EXPECT_EQ(s.save_directory, dir_ / "s/out/");
  EXPECT_TRUE(s.slots[0].enabled);
  EXPECT_EQ(s.slots[0].definition_path, plan.definition_path);
  EXPECT_EQ(s.slots[0].output_path, plan.output_path);
  // The user's other jobs must not run on the sample.
  EXPECT_FALSE(s.slots[1].enabled);
  EXPECT_FALSE(s.slots[2].enabled);

  SettingsStore store;
  ASSERT_TRUE(store.Load(plan.settings_path, &err));
  EXPECT_EQ(RunLogPath(store, dir_ / "s"), plan.log_path);
  EXPECT_EQ(store.ReadText(kMainKey, "ProcessDbPath"), plan.database_path);
}

TEST_F(PreviewSettingsTest, NoUserFileIsAnEmptyStore) {
  const PreviewSettingsPlan plan = Plan();
  std::string err;
  ASSERT_TRUE(WritePreviewSettings(plan, &err)) << err;
  const RunSettings s = Read(plan);
  EXPECT_TRUE(s.skip_run_dialog);
  EXPECT_EQ(s.dictionary_path, plan.dictionary_path);
  EXPECT_TRUE(s.slots[0].enabled);
  EXPECT_FALSE(ReadTestFile(plan.settings_path).empty());
}

}  // namespace
}  // namespace tlv
