#include "post/run_settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/record_file.h"
#include "platform/settings_store.h"
#include "post/testing/temp_folder.h"

namespace tlv {
namespace {

using testing::ReadTestFile;
using testing::TempFolder;
using testing::WriteTestFile;

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";

// A settings store loaded from a file written by hand in `dir`.
SettingsStore LoadStore(const TempFolder& dir, std::string_view body) {
  std::string path = dir / "registry.reg";
  WriteTestFile(path, std::string(kHeader) + std::string(body));
  SettingsStore store;
  std::string err;
  EXPECT_TRUE(store.Load(path, &err)) << err;
  return store;
}

// A definition file with the given version tag and process-sheet block.
void WriteDefinition(const std::string& path, std::string_view tag,
                     int32_t process_sheet) {
  std::string bytes;
  RecordFile file;
  file.OpenMemoryWriter(&bytes, RecordFile::Encoding::kBinary);
  file.WriteString(tag);
  file.WriteInt(0x00030100);
  file.WriteInt(0x000A0000);
  file.WriteInt(process_sheet);
  file.WriteInt(0);
  file.Close();
  WriteTestFile(path, bytes);
}

TEST(RunSettings, StartValuesWhenMainKeyIsMissing) {
  TempFolder dir;
  SettingsStore store = LoadStore(dir, "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OTHER]\r\n");
  RunSettings s;
  SettingsReadResult r = ReadRunSettings(store, "/start", &s);
  EXPECT_FALSE(r.main_key_found);
  EXPECT_EQ("/start/", s.start_directory);
  EXPECT_EQ("", s.save_directory);
  EXPECT_EQ(1, s.initial_file_number);
  EXPECT_EQ(1, s.file_number_source);
  EXPECT_EQ(1, s.file_number_digits);
  EXPECT_TRUE(s.delete_empty_lines);
  EXPECT_FALSE(s.show_completion_message);
  EXPECT_FALSE(s.set_initial_position_to_coordinates);
  EXPECT_TRUE(s.no_r_point_return_in_cycles);
  EXPECT_EQ("ncd", s.nc_default_ext);
  EXPECT_EQ("/start/TOLvek.log", s.log_path);
  EXPECT_EQ("/start/TOLvek.ini", s.dictionary_path);
  EXPECT_EQ("ＮＣ１作成", s.slots[0].name);
  EXPECT_EQ("ＮＣ３作成", s.slots[2].name);
  EXPECT_TRUE(s.slots[0].enabled);
  EXPECT_FALSE(s.slots[1].enabled || s.slots[2].enabled);
  EXPECT_EQ(-1, s.slots[0].database_target);

  // Nothing is written back for a missing key.
  std::string err;
  EXPECT_TRUE(WriteSavePath(&store, s, &err));
  EXPECT_FALSE(store.KeyExists(kMainKey));
}

TEST(RunSettings, AbsentValuesWhenKeyIsEmpty) {
  TempFolder dir;
  SettingsStore store = LoadStore(dir, "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\r\n");
  RunSettings s;
  EXPECT_TRUE(ReadRunSettings(store, "/start/", &s).main_key_found);
  EXPECT_EQ("/start/", s.save_directory);
  EXPECT_EQ(-1, s.initial_file_number);
  EXPECT_EQ(0, s.file_number_source);
  EXPECT_EQ(2, s.file_number_digits);
  EXPECT_EQ(1, s.file_number_increment);
  EXPECT_EQ(10000, s.rapid_feed_rate);
  EXPECT_FALSE(s.delete_empty_lines);
  EXPECT_TRUE(s.show_completion_message);
  EXPECT_TRUE(s.set_initial_position_to_coordinates);
  EXPECT_TRUE(s.no_r_point_return_in_cycles);
  EXPECT_FALSE(s.skip_run_dialog);
  EXPECT_EQ("", s.divided_file_ext);
  // No subkeys: the slots keep their defaults, outputs stay empty.
  EXPECT_EQ("", s.slots[0].output_path);
}

TEST(RunSettings, StoredValuesAndSlots) {
  TempFolder dir;
  std::string def = dir / "db.tlv";
  WriteDefinition(def, "TOLvek4.20", 0x00020002);
  SettingsStore store = LoadStore(dir,
      "[hkey_local_machine\\software\\kestra\\tlv]\r\n"
      "\"savepath\"=\"/nc\"\r\n"
      "\"SaveOwnFile\"=dword:00000001\r\n"
      "\"OwnFileExtType\"=\"1\"\r\n"
      "\"NCDefaultExt\"=\"nc\"\r\n"
      "\"SaveDvFileExt\"=\"dv\"\r\n"
      "\"DontShowExecDlg\"=dword:00000002\r\n"
      "\"PrmDeleteNullLine\"=\"1\"\r\n"
      "\"PrmShowCompleteMsg\"=dword:00000000\r\n"
      "\"FeedAtRapid\"=\" 12000mm\"\r\n"
      "\"InitFileNum\"=\"5\"\r\n"
      "\"FileNumDigit\"=\"x\"\r\n"
      "\"Item2DBComment3\"=\"7\"\r\n"
      "\"TLVLog\"=\"/logs/run.log\"\r\n"
      "\"TLVIni\"=\"/main/TOLvek.ini\"\r\n"
      "\"TLVPath\"=\"/defs\"\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kestra\\Tolvek\\4.24]\r\n"
      "\"TLVIni\"=\"/install/TOLvek.ini\"\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet1]\r\n"
      "\"Name\"=\"Mill\"\r\n"
      "\"Validate\"=dword:00000000\r\n"
      "\"TLVDataFile\"=\"" + def + "\"\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet2]\r\n"
      "\"Validate\"=dword:00000001\r\n"
      "\"OutDataFile\"=\"/out/two.nc\"\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet3]\r\n");
  RunSettings s;
  SettingsReadResult r = ReadRunSettings(store, "/start/", &s);
  EXPECT_TRUE(r.warnings.empty());
  EXPECT_EQ("/nc/", s.save_directory);
  EXPECT_TRUE(s.own_file);
  EXPECT_EQ(1, s.own_file_ext_type);
  EXPECT_EQ("nc", s.nc_default_ext);
  EXPECT_EQ("dv", s.divided_file_ext);
  EXPECT_TRUE(s.skip_run_dialog);
  EXPECT_TRUE(s.delete_empty_lines);
  EXPECT_FALSE(s.show_completion_message);
  EXPECT_EQ(12000, s.rapid_feed_rate);
  EXPECT_EQ(5, s.initial_file_number);
  EXPECT_EQ(0, s.file_number_digits);
  EXPECT_EQ(7, s.database_comment_items[2]);
  EXPECT_EQ(0, s.database_comment_items[0]);
  EXPECT_EQ("/logs/run.log", s.log_path);
  EXPECT_EQ("/install/TOLvek.ini", s.dictionary_path);
  EXPECT_EQ("/defs", s.definition_folder);

  EXPECT_EQ("Mill", s.slots[0].name);
  EXPECT_FALSE(s.slots[0].enabled);
  EXPECT_EQ(def, s.slots[0].definition_path);
  EXPECT_TRUE(s.slots[0].database_mode);
  EXPECT_EQ("/nc/tolvek.ncd", s.slots[0].output_path);
  EXPECT_EQ("ＮＣ２作成", s.slots[1].name);
  EXPECT_TRUE(s.slots[1].enabled);
  EXPECT_EQ("/out/two.nc", s.slots[1].output_path);
  EXPECT_FALSE(s.slots[1].database_mode);
  // Validate absent: slot 3 stays off.
  EXPECT_FALSE(s.slots[2].enabled);
  EXPECT_EQ("/nc/tolvek.ncd", s.slots[2].output_path);
}

TEST(RunSettings, OverlongValuesAreNotUsed) {
  TempFolder dir;
  SettingsStore store = LoadStore(dir,
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\r\n"
      "\"SavePath\"=\"/" + std::string(99, 's') + "\"\r\n"
      "\"NCDefaultExt\"=\"nccc\"\r\n"
      "\"TLVLog\"=\"/" + std::string(98, 'l') + "\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet1]\r\n"
      "\"Name\"=\"" + std::string(30, 'n') + "\"\r\n");
  RunSettings s;
  SettingsReadResult r = ReadRunSettings(store, "/start", &s);
  EXPECT_EQ("/start/", s.save_directory);
  EXPECT_EQ("ncd", s.nc_default_ext);
  EXPECT_EQ("ＮＣ１作成", s.slots[0].name);
  // 99 bytes is the most a stored value holds: the log path fits.
  EXPECT_EQ("/" + std::string(98, 'l'), s.log_path);
  ASSERT_EQ(3u, r.warnings.size());
  EXPECT_EQ("Warning: 設定 HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\SavePath "
            "の値が長すぎるため使いません(99 文字まで)。\n",
            r.warnings[0]);
}

TEST(RunSettings, DatabaseModeFromDefinition) {
  TempFolder dir;
  WriteDefinition(dir / "db.tlv", "TOLvek3.70", 0x00070002);
  WriteDefinition(dir / "file.tlv", "TOLvek4.20", 0x00020001);
  WriteDefinition(dir / "old.tlv", "TOLvek2.0", 0x00000002);
  WriteTestFile(dir / "short.tlv", std::string("\x0a\0\0\0TOLvek4.20", 14));
  EXPECT_TRUE(DefinitionUsesDatabase(dir / "db.tlv"));
  EXPECT_FALSE(DefinitionUsesDatabase(dir / "file.tlv"));
  EXPECT_FALSE(DefinitionUsesDatabase(dir / "old.tlv"));
  EXPECT_FALSE(DefinitionUsesDatabase(dir / "short.tlv"));
  EXPECT_FALSE(DefinitionUsesDatabase(dir / "missing.tlv"));
  EXPECT_FALSE(DefinitionUsesDatabase(dir.path()));

  JobSlot slot;
  SetDefinitionPath(&slot, dir / "db.tlv");
  EXPECT_TRUE(slot.database_mode);
  SetDefinitionPath(&slot, dir / "file.tlv");
  EXPECT_FALSE(slot.database_mode);
}

TEST(RunSettings, RegisteredDatabaseTargetComesBackAtTheNextStart) {
  TempFolder dir;
  std::string def = dir / "db.tlv";
  WriteDefinition(def, "TOLvek4.20", 0x00020002);
  SettingsStore store = LoadStore(dir, "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\r\n");
  RunSettings s;
  ReadRunSettings(store, "/start/", &s);
  SetDefinitionPath(&s.slots[0], def);
  s.slots[0].output_path = "/nc/a.nc";
  s.slots[0].database_target = 7;
  s.slots[0].database_row = 12;
  s.slots[0].database_insert_mode = 2;
  s.slots[1].database_target = 3;  // append (mode 0) from row 1
  std::string err;
  ASSERT_TRUE(WriteJobSlots(&store, s, &err)) << err;

  // The next run reads the file afresh.
  SettingsStore again;
  ASSERT_TRUE(again.Load(dir / "registry.reg", &err)) << err;
  RunSettings next;
  EXPECT_TRUE(ReadRunSettings(again, "/start/", &next).warnings.empty());
  const JobSlot& one = next.slots[0];
  EXPECT_TRUE(one.database_mode);
  EXPECT_EQ(7, one.database_target);
  EXPECT_EQ(12, one.database_row);
  EXPECT_EQ(2, one.database_insert_mode);
  EXPECT_EQ("/nc/a.nc", one.output_path);
  EXPECT_EQ(3, next.slots[1].database_target);
  EXPECT_EQ(1, next.slots[1].database_row);
  EXPECT_EQ(0, next.slots[1].database_insert_mode);
  EXPECT_EQ(-1, next.slots[2].database_target);

  // Clearing the target ("X") and registering again takes it away.
  next.slots[0].database_target = -1;
  ASSERT_TRUE(WriteJobSlots(&again, next, &err)) << err;
  SettingsStore third;
  ASSERT_TRUE(third.Load(dir / "registry.reg", &err)) << err;
  RunSettings last;
  ReadRunSettings(third, "/start/", &last);
  EXPECT_EQ(-1, last.slots[0].database_target);
  EXPECT_EQ(3, last.slots[1].database_target);

  // The values sit beside the slot's others, as decimal text.
  const std::string written = ReadTestFile(dir / "registry.reg");
  EXPECT_NE(std::string::npos,
            written.find("\"OutDataFile\"=\"/nc/a.nc\"\r\n\"DBTarget\"=\"-1\"\r\n"
                         "\"DBRow\"=\"12\"\r\n\"DBInsertMode\"=\"2\"\r\n"))
      << written;
}

TEST(RunSettings, SlotWithoutStoredSavePointHasNoTarget) {
  TempFolder dir;
  std::string def = dir / "db.tlv";
  WriteDefinition(def, "TOLvek4.20", 0x00020002);
  // Settings written before the save point was kept, and stored values
  // that make no sense: neither may invent a target or a row below 1.
  SettingsStore store = LoadStore(dir,
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet1]\r\n"
      "\"Validate\"=dword:00000001\r\n"
      "\"TLVDataFile\"=\"" + def + "\"\r\n"
      "\"OutDataFile\"=\"/nc/a.nc\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet2]\r\n"
      "\"DBTarget\"=\"-5\"\r\n"
      "\"DBRow\"=\"-3\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet3]\r\n"
      "\"DBTarget\"=dword:00000004\r\n"
      "\"DBRow\"=\" 9rows\"\r\n");
  RunSettings s;
  EXPECT_TRUE(ReadRunSettings(store, "/start/", &s).warnings.empty());
  EXPECT_TRUE(s.slots[0].database_mode);
  EXPECT_EQ(-1, s.slots[0].database_target);
  EXPECT_EQ(1, s.slots[0].database_row);
  EXPECT_EQ(0, s.slots[0].database_insert_mode);
  EXPECT_EQ("/nc/a.nc", s.slots[0].output_path);
  EXPECT_EQ(-1, s.slots[1].database_target);
  EXPECT_EQ(1, s.slots[1].database_row);
  // Numbers are read leniently, as every number of the store is.
  EXPECT_EQ(4, s.slots[2].database_target);
  EXPECT_EQ(9, s.slots[2].database_row);
}

TEST(RunSettings, RowCounterMovesOnOnlyForTheRegisteredTarget) {
  TempFolder dir;
  SettingsStore store = LoadStore(dir,
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet1]\r\n"
      "\"DBTarget\"=\"4\"\r\n"
      "\"DBRow\"=\"2\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet2]\r\n"
      "\"Name\"=\"two\"\r\n");
  const std::string slot1 = std::string(kMainKey) + "\\PSet1";
  const std::string slot2 = std::string(kMainKey) + "\\PSet2";
  JobSlot slot;
  slot.database_target = 4;
  slot.database_row = 10;
  std::string err;
  ASSERT_TRUE(AdvanceRegisteredRow(&store, 0, slot, &err)) << err;
  // Another slot, or a target chosen in the dialog but not registered,
  // leaves the stored counters alone.
  ASSERT_TRUE(AdvanceRegisteredRow(&store, 1, slot, &err)) << err;
  slot.database_target = 5;
  slot.database_row = 20;
  ASSERT_TRUE(AdvanceRegisteredRow(&store, 0, slot, &err)) << err;
  slot.database_target = -1;
  ASSERT_TRUE(AdvanceRegisteredRow(&store, 0, slot, &err)) << err;
  ASSERT_TRUE(AdvanceRegisteredRow(&store, 3, slot, &err)) << err;

  SettingsStore again;
  ASSERT_TRUE(again.Load(dir / "registry.reg", &err)) << err;
  EXPECT_EQ("10", again.ReadText(slot1, "DBRow"));
  EXPECT_EQ("4", again.ReadText(slot1, "DBTarget"));
  EXPECT_FALSE(again.ReadText(slot2, "DBRow").has_value());
  EXPECT_EQ("two", again.ReadText(slot2, "Name"));

  // A settings file that cannot be written is reported.
  std::filesystem::remove(dir / "registry.reg");
  std::filesystem::create_directory(dir / "registry.reg");
  slot.database_target = 4;
  slot.database_row = 11;
  EXPECT_FALSE(AdvanceRegisteredRow(&again, 0, slot, &err));
  EXPECT_FALSE(err.empty());
}

}  // namespace
}  // namespace tlv
