// A user file written through AtomicFileWriter survives a full disk and a
// writer killed halfway: the old bytes stay, a failed write says so and
// cleans up, and a killed writer's leftover does not stop the next write.
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/file_contents.h"
#include "platform/file_size_limit_for_test.h"
#include "platform/settings_store.h"
#include "platform/temp_dir_for_test.h"

namespace tlv {
namespace {

constexpr std::int64_t kLimit = 64 * 1024;

std::string Read(const std::string& path) {
  std::string content, err;
  EXPECT_TRUE(ReadFileBytes(path, &content, &err)) << err;
  return content;
}

// Bytes that show a torn copy anywhere: every 16-byte block is different.
std::string Pattern(std::size_t size, char seed) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>(seed + static_cast<char>((i / 16) % 50));
  }
  return bytes;
}

TEST(AtomicFileWriterFaults, FullDiskFailsTheWriteAndKeepsTheOldFile) {
  TempDirForTest dir;
  const std::string path = dir.File("d.tlv");
  const std::string old_bytes = Pattern(1000, 'A');
  std::string err;
  ASSERT_TRUE(WriteFileAtomically(path, old_bytes, &err)) << err;

  // One large write, and many small ones that cross the limit in between.
  for (int pieces : {1, 4096}) {
    SCOPED_TRACE(pieces);
    const std::string fresh = Pattern(4 * kLimit, 'a');
    const ChildEnd end = RunWithFileSizeLimit(kLimit, AtFileSizeLimit::kFailWrite, [&] {
      AtomicFileWriter out;
      std::string why;
      if (!out.Open(path, &why)) return 10;
      const std::size_t step = fresh.size() / static_cast<std::size_t>(pieces);
      bool wrote = true;
      for (std::size_t at = 0; at < fresh.size(); at += step) {
        wrote = out.Write(std::string_view(fresh).substr(at, step)) && wrote;
      }
      if (out.Commit(&why)) return 11;  // reported as success
      // The reason names the file and says why.
      if (why.find(path) == std::string::npos) return 12;
      if (why.find("File too large") == std::string::npos) return 13;
      return wrote ? 14 : 0;
    });
    ASSERT_TRUE(end.exited) << end.signal;
    EXPECT_EQ(0, end.status);
    EXPECT_EQ(old_bytes, Read(path));
    EXPECT_EQ(std::vector<std::string>{"d.tlv"}, NamesInFolder(dir.path()));
  }

  // The same file, written while no fault stands in the way, is complete.
  const std::string fresh = Pattern(4 * kLimit, 'a');
  ASSERT_TRUE(WriteFileAtomically(path, fresh, &err)) << err;
  EXPECT_EQ(fresh, Read(path));
}

TEST(AtomicFileWriterFaults, KilledWriterLeavesTheOldFileAndTheNextWriteWorks) {
  TempDirForTest dir;
  const std::string path = dir.File("SheetPump.DAT");
  const std::string old_bytes = Pattern(3000, 'A');
  std::string err;
  ASSERT_TRUE(WriteFileAtomically(path, old_bytes, &err)) << err;
  // A file of the user's beside it, named the way a temporary could be.
  ASSERT_TRUE(WriteFileAtomically(path + ".backup", "mine", &err)) << err;

  for (int round = 0; round < 2; ++round) {
    const ChildEnd end = RunWithFileSizeLimit(kLimit, AtFileSizeLimit::kKillWriter, [&] {
      std::string why;
      return WriteFileAtomically(path, Pattern(4 * kLimit, 'a'), &why) ? 0 : 1;
    });
    EXPECT_TRUE(end.Killed());
    EXPECT_EQ(SIGXFSZ, end.signal);
    EXPECT_EQ(old_bytes, Read(path));
  }
  // Each killed writer left its own half-written temporary, under a name
  // of its own: neither clobbered the other nor the user's file.
  std::vector<std::string> names =
      NamesInFolder(dir.path(), {"SheetPump.DAT", "SheetPump.DAT.backup"});
  ASSERT_EQ(2u, names.size());
  EXPECT_EQ("mine", Read(path + ".backup"));
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(0u, names[i].find("SheetPump.DAT.")) << names[i];
    EXPECT_EQ(static_cast<std::size_t>(kLimit), Read(dir.File(names[i])).size());
  }

  const std::string fresh = Pattern(4 * kLimit, 'a');
  ASSERT_TRUE(WriteFileAtomically(path, fresh, &err)) << err;
  EXPECT_EQ(fresh, Read(path));
  EXPECT_EQ(names, NamesInFolder(dir.path(), {"SheetPump.DAT", "SheetPump.DAT.backup"}));
}

// A file name as long as the file system allows can still be replaced: the
// temporary name beside it must not grow past that length.
TEST(AtomicFileWriterFaults, LongestFileNameCanBeWritten) {
  TempDirForTest dir;
  const long name_max = ::pathconf(dir.path().c_str(), _PC_NAME_MAX);
  ASSERT_GT(name_max, 20);
  const std::string path = dir.File(std::string(static_cast<std::size_t>(name_max) - 4, 'n') + ".tlv");
  std::string err;
  ASSERT_TRUE(WriteFileAtomically(path, "old", &err)) << err;
  ASSERT_TRUE(WriteFileAtomically(path, "new", &err)) << err;
  EXPECT_EQ("new", Read(path));
  EXPECT_EQ(1u, NamesInFolder(dir.path()).size());
}

TEST(SettingsStoreFaults, FailedWriteIsReportedAndChangesNothing) {
  TempDirForTest dir;
  const std::string path = dir.File("registry.reg");
  // A store big enough that rewriting it crosses the limit.
  std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\r\n";
  for (int i = 0; i < 2000; ++i) text += "\"Value" + std::to_string(i) + "\"=\"" + std::string(40, 'v') + "\"\r\n";
  std::string err;
  ASSERT_TRUE(WriteFileAtomically(path, text, &err)) << err;
  ASSERT_GT(text.size(), static_cast<std::size_t>(kLimit));

  const ChildEnd end = RunWithFileSizeLimit(kLimit, AtFileSizeLimit::kFailWrite, [&] {
    SettingsStore store;
    std::string why;
    if (!store.Load(path, &why)) return 10;
    if (store.WriteText("HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV", "SavePath", "/nc/", &why)) {
      return 11;
    }
    // The reason reaches the caller, who reports it.
    if (why != path + ": File too large") return 12;
    // The store in memory still matches the file.
    return store.ReadText("HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV", "SavePath") ? 13 : 0;
  });
  ASSERT_TRUE(end.exited);
  EXPECT_EQ(0, end.status);
  EXPECT_EQ(text, Read(path));
  EXPECT_EQ(std::vector<std::string>{"registry.reg"}, NamesInFolder(dir.path()));

  const ChildEnd killed = RunWithFileSizeLimit(kLimit, AtFileSizeLimit::kKillWriter, [&] {
    SettingsStore store;
    std::string why;
    store.Load(path, &why);
    return store.WriteText("HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV", "SavePath", "/nc/", &why);
  });
  EXPECT_EQ(SIGXFSZ, killed.signal);
  EXPECT_EQ(text, Read(path));

  SettingsStore store;
  ASSERT_TRUE(store.Load(path, &err)) << err;
  ASSERT_TRUE(store.WriteText("HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV", "SavePath", "/nc/", &err))
      << err;
  SettingsStore again;
  ASSERT_TRUE(again.Load(path, &err)) << err;
  EXPECT_EQ("/nc/", again.ReadText("HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV", "SavePath"));
  EXPECT_EQ("v", again.ReadText("HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV", "Value1999", 1));
}

}  // namespace
}  // namespace tlv
