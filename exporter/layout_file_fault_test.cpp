// "SheetPump.DAT" on a disk that fills up and under a writer killed
// halfway: the old layout stays byte for byte, and a failed write is
// reported to the caller rather than taken for a saved layout.
#include <gtest/gtest.h>

#include "exporter/layout_file.h"
#include "platform/file_contents.h"
#include "platform/file_size_limit_for_test.h"
#include "platform/temp_dir_for_test.h"

namespace tlv {
namespace {

std::string Read(const std::string& path) {
  std::string bytes, err;
  if (!ReadFileBytes(path, &bytes, &err)) return "<missing>";
  return bytes;
}

// A layout whose file is well past `limit` bytes.
PageLayout LargeLayout() {
  PageLayout layout;
  for (std::size_t i = 0; i < layout.items.size(); ++i) {
    layout.items[i] = {std::string(100, 'v'), "caption", "B" + std::to_string(i + 1), true, 0};
  }
  return layout;
}

constexpr std::int64_t kLimit = 256;

TEST(LayoutFileFaults, FullDiskKeepsTheOldLayoutAndSaysSo) {
  TempDirForTest dir;
  const std::string path = dir.File("SheetPump.DAT");
  const std::string old_bytes = FormatLayoutFile(PageLayout{});
  ASSERT_LT(old_bytes.size(), static_cast<std::size_t>(4 * kLimit));
  std::string err;
  ASSERT_TRUE(WriteFileAtomically(path, old_bytes, &err)) << err;
  ASSERT_GT(FormatLayoutFile(LargeLayout()).size(), static_cast<std::size_t>(kLimit));

  const ChildEnd end = RunWithFileSizeLimit(kLimit, AtFileSizeLimit::kFailWrite, [&] {
    std::string why;
    if (SetComboData(dir.path(), LargeLayout(), &why)) return 10;  // taken for saved
    return why == path + ": File too large" ? 0 : 11;
  });
  ASSERT_TRUE(end.exited) << end.signal;
  EXPECT_EQ(0, end.status);
  EXPECT_EQ(old_bytes, Read(path));
  EXPECT_EQ(std::vector<std::string>{"SheetPump.DAT"}, NamesInFolder(dir.path()));

  // The old layout still reads.
  PageLayout read;
  ASSERT_TRUE(GetComboData(dir.path(), &read, &err)) << err;
  EXPECT_EQ(old_bytes, FormatLayoutFile(read));
}

TEST(LayoutFileFaults, KilledWriterKeepsTheOldLayoutAndTheNextSaveWorks) {
  TempDirForTest dir;
  const std::string path = dir.File("SheetPump.DAT");
  const std::string old_bytes = FormatLayoutFile(PageLayout{});
  std::string err;
  ASSERT_TRUE(WriteFileAtomically(path, old_bytes, &err)) << err;

  const ChildEnd end = RunWithFileSizeLimit(kLimit, AtFileSizeLimit::kKillWriter, [&] {
    std::string why;
    return SetComboData(dir.path(), LargeLayout(), &why) ? 0 : 1;
  });
  EXPECT_EQ(SIGXFSZ, end.signal);
  EXPECT_EQ(old_bytes, Read(path));
  PageLayout read;
  ASSERT_TRUE(GetComboData(dir.path(), &read, &err)) << err;

  ASSERT_TRUE(SetComboData(dir.path(), LargeLayout(), &err)) << err;
  EXPECT_EQ(FormatLayoutFile(LargeLayout()), Read(path));
  ASSERT_TRUE(GetComboData(dir.path(), &read, &err)) << err;
  EXPECT_EQ(std::string(100, 'v'), read.items[11].value);
}

}  // namespace
}  // namespace tlv
