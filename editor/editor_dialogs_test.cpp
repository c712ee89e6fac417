// The registry, machine and colour dialogs, driven as a user would, and the
// settings the editor reads for itself.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include "editor/colour_dialog.h"
#include "editor/editor_document.h"
#include "editor/editor_test_support.h"
#include "editor/machine_dialog.h"
#include "editor/registry_dialog.h"
#include "editor/tolvek_app.h"
#include "platform/settings_store.h"
#include "platform/temp_dir_for_test.h"

namespace tlv {
namespace {

std::string ReadAll(const std::string& path) {
  std::string bytes, err;
  ReadFileBytes(path, &bytes, &err);
  return bytes;
}

class RegistryDialogTest : public ::testing::Test {
 protected:
  RegistryDialogTest() {
    TestApp();
    store_.Load(dir_.File("registry.reg"), nullptr);
  }
  TempDirForTest dir_;
  SettingsStore store_;
  ScriptedPrompter prompter_;
};

TEST_F(RegistryDialogTest, WithoutAKeyShowsTheDefaults) {
  RegistryDialog dialog(store_, prompter_);
  EXPECT_EQ(dialog.nc_ext_edit()->text(), QStringLiteral("NCD"));
  EXPECT_EQ(dialog.feed_edit()->text(), QStringLiteral("10000"));
  EXPECT_EQ(dialog.digit_list()->currentIndex(), 2);
  EXPECT_EQ(dialog.increment_edit()->text(), QStringLiteral("1"));
  EXPECT_TRUE(dialog.set_init_pos_check()->isChecked());
  EXPECT_TRUE(dialog.no_r_return_check()->isChecked());
  EXPECT_TRUE(dialog.complete_msg_check()->isChecked());
  EXPECT_EQ(dialog.save_path_edit()->text(), QString());
}

TEST_F(RegistryDialogTest, StoredValuesAreShown) {
  store_.LoadFromText(
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\n"
      "\"SavePath\"=\"/home/cam/nc\"\n"
      "\"PrmShowCompleteMsg\"=dword:00000100\n"  // only the lowest byte counts
      "\"FileNumDigit\"=\"4\"\n"
      "\"NCDefaultExt\"=\"nc\"\n",
      "test");
  RegistryDialog dialog(store_, prompter_);
  EXPECT_EQ(dialog.save_path_edit()->text(), QStringLiteral("/home/cam/nc/"));
  EXPECT_FALSE(dialog.complete_msg_check()->isChecked());
  EXPECT_EQ(dialog.digit_list()->currentIndex(), 4);
  EXPECT_EQ(dialog.nc_ext_edit()->text(), QStringLiteral("nc"));
}

TEST_F(RegistryDialogTest, RegisterWritesEveryValueInOrder) {
  RegistryDialog dialog(store_, prompter_);
  dialog.save_path_edit()->setText(QStringLiteral("/srv/nc/"));
  dialog.feed_edit()->setText(QStringLiteral("8000"));
  dialog.digit_list()->setCurrentIndex(3);
  dialog.complete_msg_check()->setChecked(false);

  // An increment of 0 cannot be registered.
  dialog.increment_edit()->setText(QStringLiteral("0"));
  EXPECT_FALSE(dialog.Register());
  EXPECT_EQ(prompter_.last(), EditorMessage(kEdMsgZeroIncrement));
  EXPECT_EQ(ReadAll(dir_.File("registry.reg")), "");

  // "No" to the confirmation writes nothing either.
  dialog.increment_edit()->setText(QStringLiteral("5"));
  prompter_.confirm_answers = {false, true};
  EXPECT_FALSE(dialog.Register());
  EXPECT_EQ(prompter_.last(), EditorMessage(kEdMsgChangeRegistry));
  EXPECT_EQ(ReadAll(dir_.File("registry.reg")), "");

  ASSERT_TRUE(dialog.Register());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(ReadAll(dir_.File("registry.reg")),
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\n"
            "\"SavePath\"=\"/srv/nc/\"\n"
            "\"TLVPath\"=\"\"\n"
            "\"SaveOwnFile\"=dword:00000000\n"
            "\"SaveDvFileExt\"=\"\"\n"
            "\"DontShowExecDlg\"=dword:00000000\n"
            "\"PrmInputBeforeRun\"=dword:00000000\n"
            "\"PrmSetInitPostoCord\"=dword:00000001\n"
            "\"PrmNoAdmitRretCycle\"=dword:00000001\n"
            "\"PrmShowCompleteMsg\"=dword:00000000\n"
            "\"PrmDeleteNullLine\"=dword:00000000\n"
            "\"FeedAtRapid\"=\"8000.000000\"\n"
            "\"InitFileNum\"=\"0\"\n"
            "\"FileNumSource\"=\"0\"\n"
            "\"OwnFileExtType\"=\"0\"\n"
            "\"FileNumDigit\"=\"3\"\n"
            "\"FileNumIncriment\"=\"5\"\n"
            "\"NCDefaultExt\"=\"NCD\"\n");

  // And a new dialog shows what was registered.
  SettingsStore reread;
  ASSERT_TRUE(reread.Load(dir_.File("registry.reg"), nullptr));
  const RegistryValues values = ReadRegistryValues(reread);
  EXPECT_EQ(values.file_num_digit, 3);
  EXPECT_EQ(values.feed_at_rapid, QStringLiteral("8000.000000"));
  EXPECT_FALSE(values.show_complete_msg);
}

// The post-processor reads 100-byte buffers: a longer folder would come back
// cut and name another folder.
TEST_F(RegistryDialogTest, TooLongPathIsRefused) {
  RegistryDialog dialog(store_, prompter_);
  dialog.save_path_edit()->setText(QString(100, QChar('d')));
  EXPECT_FALSE(dialog.Register());
  EXPECT_TRUE(prompter_.last().contains(QStringLiteral("出力先")));
  EXPECT_EQ(ReadAll(dir_.File("registry.reg")), "");
}

TEST_F(RegistryDialogTest, AFailedWriteIsReportedAndTheDialogStays) {
  // The store's folder is a file, so the settings file cannot be made.
  ASSERT_TRUE(WriteFileAtomically(dir_.File("blocker"), "x", nullptr));
  SettingsStore blocked;
  ASSERT_TRUE(blocked.Load(dir_.File("blocker/registry.reg"), nullptr));
  RegistryDialog dialog(blocked, prompter_);
  EXPECT_FALSE(dialog.Register());
  EXPECT_NE(prompter_.last(), EditorMessage(kEdMsgChangeRegistry));
  EXPECT_NE(dialog.result(), QDialog::Accepted);
}

class MachineDialogTest : public ::testing::Test {
 protected:
  MachineDialogTest() { TestApp(); }
  TempDirForTest dir_;
  ScriptedPrompter prompter_;
};

TEST_F(MachineDialogTest, CaptionsAndButtonsFollowTheMachineType) {
  MachineDialog dialog(MachineData{}, prompter_);
  EXPECT_EQ(dialog.first_caption()->text(), QString());
  EXPECT_FALSE(dialog.first_table_button()->isEnabled());
  EXPECT_FALSE(dialog.second_table_button()->isEnabled());

  dialog.type_list()->setCurrentIndex(3);  // table - table
  EXPECT_EQ(dialog.first_caption()->text(), QStringLiteral("基礎軸"));
  EXPECT_EQ(dialog.second_caption()->text(), QStringLiteral("従属軸"));
  EXPECT_TRUE(dialog.first_table_button()->isEnabled());
  EXPECT_TRUE(dialog.second_table_button()->isEnabled());

  dialog.type_list()->setCurrentIndex(5);
  EXPECT_EQ(dialog.first_caption()->text(), QStringLiteral("テーブル"));
  EXPECT_EQ(dialog.second_caption()->text(), QStringLiteral("ヘッド"));
  EXPECT_TRUE(dialog.first_table_button()->isEnabled());
  EXPECT_FALSE(dialog.second_table_button()->isEnabled());

  dialog.limit_check(0)->setChecked(false);
  EXPECT_FALSE(dialog.max_edit(0)->isEnabled());
  EXPECT_TRUE(dialog.max_edit(1)->isEnabled());
}

TEST_F(MachineDialogTest, SaveAndLoadThroughTheButtons) {
  const std::string path = dir_.File("five.mch");
  {
    MachineDialog dialog(MachineData{}, prompter_);
    prompter_.path_answers = {QString::fromStdString(path)};
    dialog.save_button()->click();
  }
  const std::string saved = ReadAll(path);
  EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 17);
  EXPECT_EQ(saved, WriteMachineData(MachineData{}));

  MachineData changed;
  changed.machine_type = 3;
  changed.second_axis = 1;
  changed.first_max = 95.5;
  changed.table2_y = -12.25;
  ASSERT_TRUE(SaveMachineDataFile(path, changed, nullptr));
  MachineDialog dialog(MachineData{}, prompter_);
  prompter_.path_answers = {QString::fromStdString(path)};
  dialog.load_button()->click();
  EXPECT_EQ(dialog.Data(), changed);
  EXPECT_EQ(dialog.max_edit(0)->text(), QStringLiteral("95.5"));

  // A file that cannot be opened leaves the values alone.
  prompter_.path_answers = {QString::fromStdString(dir_.File("missing.mch"))};
  dialog.load_button()->click();
  EXPECT_EQ(dialog.Data(), changed);
}

TEST(ColourDialogTest, TwentySevenColoursAndAFollowingSample) {
  TestApp();
  const auto colours = PaletteColours();
  EXPECT_EQ(colours[0], QColor(0, 0, 0));
  EXPECT_EQ(colours[1], QColor(0, 0, 128));
  EXPECT_EQ(colours[3], QColor(0, 128, 0));
  EXPECT_EQ(colours[9], QColor(128, 0, 0));
  EXPECT_EQ(colours[26], QColor(255, 255, 255));

  ColourDialog dialog(QColor(0, 0, 0), QColor(255, 255, 255), QColor(255, 0, 255));
  EXPECT_EQ(dialog.text_list()->count(), 27);
  EXPECT_EQ(dialog.code_list()->currentIndex(), 20);  // 255, 0, 255
  dialog.code_list()->setCurrentIndex(2);
  EXPECT_EQ(dialog.code(), QColor(0, 0, 255));
  EXPECT_TRUE(dialog.sample()->text().contains(QStringLiteral("#0000ff\">&lt;X_CORD&gt;")));

  // A stored colour outside the list survives OK unchanged.
  ColourDialog odd(QColor(1, 2, 3), QColor(255, 255, 255), QColor(255, 0, 255));
  EXPECT_EQ(odd.text_list()->count(), 28);
  EXPECT_EQ(odd.text(), QColor(1, 2, 3));
}

TEST(EditorSettingsTest, DictionaryPathAndImportRapidFeed) {
  SettingsStore store;
  EXPECT_EQ(DictionaryPath(store), "TOLvek.ini");
  EXPECT_EQ(ImportRapidFeed(store), 10000.0);  // no key
  store.LoadFromText(
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\n"
      "\"TLVIni\"=\"/opt/tlv/TOLvek.ini\"\n",
      "test");
  EXPECT_EQ(DictionaryPath(store), "/opt/tlv/TOLvek.ini");
  EXPECT_EQ(ImportRapidFeed(store), 2000.0);  // key without the value
  store.LoadFromText(
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\n"
      "\"FeedAtRapid\"=\"8000.000000\"\n",
      "test");
  EXPECT_EQ(ImportRapidFeed(store), 8000.0);
}

}  // namespace
}  // namespace tlv
