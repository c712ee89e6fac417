#include "platform/settings_store.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/file_contents.h"
#include "platform/temp_dir_for_test.h"

namespace tlv {
namespace {

constexpr std::string_view kMain = "HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV";

std::string ReadAll(const std::string& path) {
  std::string content, err;
  EXPECT_TRUE(ReadFileBytes(path, &content, &err)) << err;
  return content;
}

void WriteAll(const std::string& path, std::string_view content) {
  std::string err;
  ASSERT_TRUE(WriteFileAtomically(path, content, &err)) << err;
}

std::vector<std::string> FolderEntries(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A file as the export tool writes it: CRLF, hex values over continuation
// lines, a second hive.
constexpr std::string_view kExport =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\r\n"
    "\"SavePath\"=\"D:\\\\NC\"\r\n"
    "\"DontShowExecDlg\"=dword:00000001\r\n"
    "\"FileNumDigit\"=\"3\"\r\n"
    "\"PrmDeleteNullLine\"=\"0\"\r\n"
    "\"Quoted\"=\"say \\\"hi\\\" \\\\ \\n\"\r\n"
    "\"Blob\"=hex:01,02,03,\\\r\n"
    "  04,05\r\n"
    "@=\"default\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet1]\r\n"
    "\"Name\"=\"ＮＣ１作成\"\r\n"
    "\"Validate\"=dword:ffffffff\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\SheetPump]\r\n"
    "\"Layout\"=\"a.dat\"\r\n"
    "\r\n";

TEST(SettingsStore, ReadsAnExportFile) {
  SettingsStore store;
  std::vector<std::string> warnings;
  store.LoadFromText(kExport, "reg", &warnings);
  EXPECT_TRUE(warnings.empty()) << warnings.front();

  EXPECT_EQ("D:\\NC", store.ReadText(kMain, "SavePath"));
  // Key paths and value names without regard to case; a trailing '\' is
  // the same key.
  EXPECT_EQ("D:\\NC", store.ReadText("hkey_local_machine\\software\\kestra\\tlv\\", "savepath"));
  EXPECT_EQ("say \"hi\" \\ \\n", store.ReadText(kMain, "Quoted"));
  EXPECT_EQ("default", store.ReadText(kMain, "@"));
  EXPECT_EQ("default", store.ReadText(kMain, ""));
  EXPECT_EQ("ＮＣ１作成", store.ReadText(std::string(kMain) + "\\PSET1", "NAME"));
  EXPECT_EQ("a.dat", store.ReadText("HKEY_CURRENT_USER\\Software\\SheetPump", "Layout"));
  // The same path under the other hive is another key.
  EXPECT_FALSE(store.KeyExists("HKEY_CURRENT_USER\\SOFTWARE\\KESTRA\\TLV"));

  // Lenient kinds: a dword read as a number or flag, a text number by atoi.
  EXPECT_EQ(1, store.ReadNumber(kMain, "DontShowExecDlg"));
  EXPECT_EQ(true, store.ReadFlag(kMain, "DontShowExecDlg"));
  EXPECT_EQ(3, store.ReadNumber(kMain, "FileNumDigit"));
  EXPECT_EQ(false, store.ReadFlag(kMain, "PrmDeleteNullLine"));
  EXPECT_EQ(-1, store.ReadNumber(std::string(kMain) + "\\PSet1", "Validate"));
  // A dword is no text, a hex value neither; absent values are nullopt.
  EXPECT_EQ(std::nullopt, store.ReadText(kMain, "DontShowExecDlg"));
  EXPECT_EQ(std::nullopt, store.ReadText(kMain, "Blob"));
  EXPECT_EQ(std::nullopt, store.ReadNumber(kMain, "Blob"));
  EXPECT_EQ(std::nullopt, store.ReadFlag(kMain, "Missing"));
  EXPECT_EQ(std::nullopt, store.ReadText("HKEY_LOCAL_MACHINE\\NOPE", "SavePath"));

  // Keys exist when their line or a line below them is there.
  EXPECT_TRUE(store.KeyExists(kMain));
  EXPECT_TRUE(store.KeyExists("HKEY_LOCAL_MACHINE\\SOFTWARE"));
  EXPECT_TRUE(store.KeyExists("hkey_local_machine\\software\\kestra\\tlv\\pset1"));
  EXPECT_FALSE(store.KeyExists(std::string(kMain) + "\\PSet2"));
  EXPECT_FALSE(store.KeyExists("HKEY_LOCAL_MACHINE\\SOFT"));
  EXPECT_FALSE(store.KeyExists(""));

  // Unchanged, the file serializes to its own bytes.
  EXPECT_EQ(kExport, store.Serialize());
}

TEST(SettingsStore, ReadsWithAByteLimit) {
  SettingsStore store;
  store.LoadFromText("[K]\n\"Name\"=\"ab作成\"\n", "reg");
  EXPECT_EQ("ab作成", store.ReadText("K", "Name", 8));
  EXPECT_EQ("ab作", store.ReadText("K", "Name", 7));
  EXPECT_EQ("ab", store.ReadText("K", "Name", 4));
  EXPECT_EQ("", store.ReadText("K", "Name", 0));
}

TEST(SettingsStore, HandEditedMistakesAreSkippedWithTheirLine) {
  SettingsStore store;
  std::vector<std::string> warnings;
  store.LoadFromText(
      "\"Early\"=\"x\"\n"           // 1: before any key
      "[K]\n"                        // 2
      "\"A\"=\"1\"\n"                // 3
      "\"B\"=\"unterminated\n"       // 4
      "\"C\"=dword:xyz\n"            // 5
      "\"D\"=dword:123456789\n"      // 6: nine digits
      "\"E\"=qword:1\n"              // 7
      "garbage\n"                    // 8
      "[Broken\n"                    // 9
      "\"H\"=\"lost\"\n"             // 10: belongs to no key
      "[-HKEY_LOCAL_MACHINE\\X]\n"   // 11
      "\"I\"=\"lost\"\n"             // 12
      "[k]\n"                        // 13: K again
      "\"F\" \"2\"\n"                // 14
      "; a comment\n"                // 15
      "\"G\"=\"3\"\n"                // 16
      "\"A\"=\"4\"\n",               // 17: the last definition wins
      "my.reg", &warnings);
  ASSERT_EQ(11u, warnings.size());
  EXPECT_EQ("my.reg:1: value outside a key", warnings[0]);
  EXPECT_EQ("my.reg:4: text value without closing quote", warnings[1]);
  EXPECT_EQ("my.reg:5: bad dword value", warnings[2]);
  EXPECT_EQ("my.reg:6: bad dword value", warnings[3]);
  EXPECT_EQ("my.reg:7: unknown value type", warnings[4]);
  EXPECT_EQ("my.reg:8: not a key or value line", warnings[5]);
  EXPECT_EQ("my.reg:9: key line without ']'", warnings[6]);
  EXPECT_EQ("my.reg:10: value outside a key", warnings[7]);
  EXPECT_EQ("my.reg:11: key deletion ignored", warnings[8]);
  EXPECT_EQ("my.reg:12: value outside a key", warnings[9]);
  EXPECT_EQ("my.reg:14: '=' expected after the value name", warnings[10]);
  EXPECT_EQ("4", store.ReadText("K", "A"));
  EXPECT_EQ("3", store.ReadText("K", "G"));
  EXPECT_EQ(std::nullopt, store.ReadText("K", "B"));
  EXPECT_EQ(std::nullopt, store.ReadNumber("K", "C"));
  EXPECT_EQ(std::nullopt, store.ReadText("K", "H"));
  EXPECT_FALSE(store.KeyExists("HKEY_LOCAL_MACHINE\\X"));
}

TEST(SettingsStore, ReadsUtf16WithByteOrderMark) {
  std::string utf8 = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\r\n"
                     "\"TLVPath\"=\"C:\\\\データ\"\r\n\"FeedAtRapid\"=dword:00002710\r\n";
  // Hand-made UTF-16LE: ASCII and the BMP characters above are single units.
  std::string utf16 = "\xFF\xFE";
  std::u32string wide;
  for (std::size_t i = 0; i < utf8.size();) {
    unsigned char c = utf8[i];
    char32_t cp;
    int len = c < 0x80 ? 1 : c < 0xE0 ? 2 : 3;
    cp = len == 1 ? c : len == 2 ? (c & 0x1F) : (c & 0x0F);
    for (int k = 1; k < len; ++k) cp = (cp << 6) | (utf8[i + k] & 0x3F);
    i += len;
    utf16.push_back(static_cast<char>(cp & 0xFF));
    utf16.push_back(static_cast<char>(cp >> 8));
  }
  TempDirForTest dir;
  std::string path = dir.File("registry.reg");
  WriteAll(path, utf16);
  SettingsStore store;
  std::string err;
  ASSERT_TRUE(store.Load(path, &err)) << err;
  EXPECT_EQ("C:\\データ", store.ReadText(kMain, "TLVPath"));
  EXPECT_EQ(10000, store.ReadNumber(kMain, "FeedAtRapid"));

  // A write turns the file into UTF-8 and keeps every value.
  ASSERT_TRUE(store.WriteText(kMain, "SavePath", "/nc/", &err)) << err;
  std::string written = ReadAll(path);
  EXPECT_EQ(std::string(utf8) + "\"SavePath\"=\"/nc/\"\r\n", written);
}

TEST(SettingsStore, DoubledByteOrderMarkInUtf16KeepsItsMeaningAcrossARewrite) {
  // "\uFEFF[K]\n\"A\"=\"1\"\n" in UTF-16LE after its own mark.
  std::string utf16 = "\xFF\xFE\xFF\xFE";
  for (char c : std::string("[K]\n\"A\"=\"1\"\n")) {
    utf16.push_back(c);
    utf16.push_back('\0');
  }
  SettingsStore store;
  store.LoadFromText(utf16, "wide.reg");
  EXPECT_TRUE(store.KeyExists("K"));
  EXPECT_EQ("1", store.ReadText("K", "A"));

  SettingsStore again;
  again.LoadFromText(store.Serialize(), "again.reg");
  EXPECT_EQ(store.Serialize(), again.Serialize());
  EXPECT_EQ("1", again.ReadText("K", "A"));
}

TEST(SettingsStore, MissingFileIsEmptyAndWriteCreatesIt) {
  TempDirForTest dir;
  std::string path = dir.File("deep/er/registry.reg");
  SettingsStore store;
  std::string err;
  ASSERT_TRUE(store.Load(path, &err)) << err;
  EXPECT_FALSE(store.KeyExists(kMain));

  ASSERT_TRUE(store.CreateKey(std::string(kMain) + "\\PSet2", &err)) << err;
  EXPECT_TRUE(store.KeyExists(std::string(kMain) + "\\PSet2"));
  ASSERT_TRUE(store.Write(std::string(kMain) + "\\PSet1",
                          {SettingsChange::Text("Name", "ＮＣ１作成"),
                           SettingsChange::Dword("Validate", 1),
                           SettingsChange::Text("TLVDataFile", "C:\\a \"b\".tlv")},
                          &err))
      << err;
  EXPECT_EQ(
      "Windows Registry Editor Version 5.00\n"
      "\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet2]\n"
      "\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet1]\n"
      "\"Name\"=\"ＮＣ１作成\"\n"
      "\"Validate\"=dword:00000001\n"
      "\"TLVDataFile\"=\"C:\\\\a \\\"b\\\".tlv\"\n",
      ReadAll(path));
  // What we wrote reads back the same, also from a fresh load.
  SettingsStore again;
  ASSERT_TRUE(again.Load(path, &err));
  EXPECT_EQ("C:\\a \"b\".tlv", again.ReadText(std::string(kMain) + "\\PSet1", "TLVDataFile"));
  EXPECT_EQ(true, again.ReadFlag(std::string(kMain) + "\\PSet1", "Validate"));
  // No temporary file is left beside it.
  EXPECT_EQ(std::vector<std::string>{"registry.reg"}, FolderEntries(dir.File("deep/er")));
}

TEST(SettingsStore, WriteChangesOnlyItsLines) {
  TempDirForTest dir;
  std::string path = dir.File("registry.reg");
  WriteAll(path, kExport);
  chmod(path.c_str(), 0640);
  SettingsStore store;
  std::string err;
  ASSERT_TRUE(store.Load(path, &err));
  // Replacing keeps the file's spelling of the name; a dword may become text.
  ASSERT_TRUE(store.Write(kMain,
                          {SettingsChange::Text("savepath", "E:\\OUT\\"),
                           SettingsChange::Text("DontShowExecDlg", "0"),
                           SettingsChange::Text("NCDefaultExt", "nc")},
                          &err))
      << err;
  std::string expected(kExport);
  auto replace = [&](std::string_view from, std::string_view to) {
    std::size_t at = expected.find(from);
    ASSERT_NE(std::string::npos, at) << from;
    expected.replace(at, from.size(), to);
  };
  replace("\"SavePath\"=\"D:\\\\NC\"", "\"SavePath\"=\"E:\\\\OUT\\\\\"");
  replace("\"DontShowExecDlg\"=dword:00000001", "\"DontShowExecDlg\"=\"0\"");
  replace("@=\"default\"\r\n", "@=\"default\"\r\n\"NCDefaultExt\"=\"nc\"\r\n");
  EXPECT_EQ(expected, ReadAll(path));
  EXPECT_EQ(false, store.ReadFlag(kMain, "DontShowExecDlg"));
  struct stat st;
  ASSERT_EQ(0, stat(path.c_str(), &st));
  EXPECT_EQ(0640u, st.st_mode & 0777);
}

TEST(SettingsStore, LinesWithAForeignLineEndKeepTheirBytesAtEveryWrite) {
  // An LF file with CRLF lines (one with a stray CR more), and a CRLF file
  // with the same: every write used to drop one CR of such a line.
  for (std::string_view text :
       {std::string_view("[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\n\"A\"=\"1\"\r\n"
                         "; note\r\r\n\"B\"=dword:00000002\n0\r"),
        std::string_view("[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\r\n\"A\"=\"1\"\r\r\n"
                         "; note\r\n\"B\"=dword:00000002\r\n")}) {
    TempDirForTest dir;
    std::string path = dir.File("registry.reg");
    WriteAll(path, text);
    SettingsStore store;
    std::string err;
    ASSERT_TRUE(store.Load(path, &err)) << err;
    EXPECT_EQ("1", store.ReadText(kMain, "A"));
    EXPECT_EQ(2, store.ReadNumber(kMain, "B"));
    EXPECT_EQ(text, store.Serialize());
    for (int round = 0; round < 3; ++round) {
      ASSERT_TRUE(store.WriteDword(kMain, "B", 2, &err)) << err;
    }
    EXPECT_EQ(text, ReadAll(path));
  }
}

TEST(SettingsStore, NewValueAfterATypedValueCutShortAtTheEnd) {
  // The file ends inside a hex value (a trailing '\' with no line after it):
  // a value added behind it must not become its continuation.
  for (std::string_view tail : {"", "\r", " \t"}) {
    TempDirForTest dir;
    std::string path = dir.File("registry.reg");
    WriteAll(path, "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\n\"A\"=\"1\"\n"
                   "\"Blob\"=hex:01,02,\\" + std::string(tail));
    SettingsStore store;
    std::string err;
    ASSERT_TRUE(store.Load(path, &err)) << err;
    ASSERT_TRUE(store.WriteText(kMain, "SavePath", "/nc/", &err)) << err;
    ASSERT_TRUE(store.WriteDword(kMain, "Count", 3, &err)) << err;
    SettingsStore again;
    ASSERT_TRUE(again.Load(path, &err)) << err;
    EXPECT_EQ("/nc/", again.ReadText(kMain, "SavePath"));
    EXPECT_EQ(3, again.ReadNumber(kMain, "Count"));
    EXPECT_EQ("1", again.ReadText(kMain, "A"));
  }
}

TEST(SettingsStore, WriteKeepsWhatAnotherProgramAddedMeanwhile) {
  TempDirForTest dir;
  std::string path = dir.File("registry.reg");
  std::string err;
  SettingsStore ours;
  ASSERT_TRUE(ours.Load(path, &err));
  SettingsStore theirs;
  ASSERT_TRUE(theirs.Load(path, &err));
  ASSERT_TRUE(theirs.WriteText(kMain, "TLVLog", "/tmp/x.log", &err)) << err;
  ASSERT_TRUE(ours.WriteText(kMain, "SavePath", "/nc/", &err)) << err;
  EXPECT_EQ("/tmp/x.log", ours.ReadText(kMain, "TLVLog"));
  SettingsStore check;
  ASSERT_TRUE(check.Load(path, &err));
  EXPECT_EQ("/tmp/x.log", check.ReadText(kMain, "TLVLog"));
  EXPECT_EQ("/nc/", check.ReadText(kMain, "SavePath"));
}

TEST(SettingsStore, RefusedWritesLeaveTheFileAlone) {
  TempDirForTest dir;
  std::string path = dir.File("registry.reg");
  WriteAll(path, kExport);
  SettingsStore store;
  std::string err;
  ASSERT_TRUE(store.Load(path, &err));
  EXPECT_FALSE(store.WriteText(kMain, "SavePath", "a\nb", &err));
  EXPECT_NE(std::string::npos, err.find("line break")) << err;
  EXPECT_FALSE(store.WriteText("", "X", "1", &err));
  EXPECT_FALSE(store.WriteText("HKEY_LOCAL_MACHINE\\A]B", "X", "1", &err));
  EXPECT_EQ(kExport, ReadAll(path));

  SettingsStore unbound;
  EXPECT_FALSE(unbound.WriteText(kMain, "X", "1", &err));

  // A folder where the file should be: the load fails and says where.
  SettingsStore on_dir;
  EXPECT_FALSE(on_dir.Load(dir.path(), &err));
  EXPECT_NE(std::string::npos, err.find(dir.path())) << err;
}

TEST(SettingsStore, DefaultPath) {
  const char* saved_reg = std::getenv("TLV_REGISTRY");
  const char* saved_xdg = std::getenv("XDG_CONFIG_HOME");
  std::string reg = saved_reg ? saved_reg : "";
  std::string xdg = saved_xdg ? saved_xdg : "";
  std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("TLV_REGISTRY", "/x/my.reg", 1);
  EXPECT_EQ("/x/my.reg", DefaultSettingsPath());
  unsetenv("TLV_REGISTRY");
  setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ("/cfg/kestra/registry.reg", DefaultSettingsPath());
  setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored
  setenv("HOME", "/home/u", 1);
  EXPECT_EQ("/home/u/.config/kestra/registry.reg", DefaultSettingsPath());
  if (saved_reg) setenv("TLV_REGISTRY", reg.c_str(), 1);
  if (saved_xdg) setenv("XDG_CONFIG_HOME", xdg.c_str(), 1); else unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", home.c_str(), 1);
}

}  // namespace
}  // namespace tlv
