#include "platform/file_contents.h"

#include <filesystem>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/temp_dir_for_test.h"

namespace tlv {
namespace {

std::size_t CountEntries(const std::string& dir) {
  std::size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    (void)entry;
    ++count;
  }
  return count;
}

std::string Read(const std::string& path) {
  std::string content, err;
  EXPECT_TRUE(ReadFileBytes(path, &content, &err)) << err;
  return content;
}

TEST(AtomicFileWriter, ReplacesWholeAndLeavesNoTemporary) {
  TempDirForTest dir;
  std::string path = dir.File("out.nc");
  std::string err;
  ASSERT_TRUE(WriteFileAtomically(path, std::string(100000, 'x'), &err));
  ASSERT_TRUE(WriteFileAtomically(path, "short", &err));
  EXPECT_EQ("short", Read(path));
  EXPECT_TRUE(WriteFileAtomically(dir.File("a/b/c.txt"), "x", &err, true)) << err;
  EXPECT_FALSE(WriteFileAtomically(dir.File("missing/c.txt"), "x", &err));
  EXPECT_NE(std::string::npos, err.find("missing/c.txt")) << err;
  EXPECT_EQ(2u, CountEntries(dir.path()));  // out.nc and a/
}

TEST(AtomicFileWriter, WithoutCommitNothingChanges) {
  TempDirForTest dir;
  std::string path = dir.File("registry.reg");
  std::string err;
  ASSERT_TRUE(WriteFileAtomically(path, "old", &err));
  {
    AtomicFileWriter writer;
    ASSERT_TRUE(writer.Open(path, &err));
    ASSERT_TRUE(writer.Write("half of the new"));
    EXPECT_EQ(2u, CountEntries(dir.path()));  // the temporary is beside it
  }
  EXPECT_EQ("old", Read(path));
  EXPECT_EQ(1u, CountEntries(dir.path()));

  AtomicFileWriter unopened;
  EXPECT_FALSE(unopened.Write("x"));
  EXPECT_FALSE(unopened.Commit(&err));
}

TEST(AtomicFileWriter, WritesThroughASymbolicLink) {
  TempDirForTest dir;
  std::string err;
  ASSERT_TRUE(WriteFileAtomically(dir.File("real.reg"), "old", &err));
  ASSERT_EQ(0, symlink("real.reg", dir.File("link.reg").c_str()));
  ASSERT_TRUE(WriteFileAtomically(dir.File("link.reg"), "new", &err)) << err;
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.reg")));
  EXPECT_EQ("new", Read(dir.File("real.reg")));
}

TEST(ReadFileBytes, KeepsEveryByte) {
  TempDirForTest dir;
  std::string err, content;
  std::string bytes("a\r\n\0\x82\xa0\xff", 7);
  ASSERT_TRUE(WriteFileAtomically(dir.File("b"), bytes, &err));
  EXPECT_EQ(bytes, Read(dir.File("b")));
  EXPECT_FALSE(ReadFileBytes(dir.File("none"), &content, &err));
  EXPECT_NE(std::string::npos, err.find(dir.File("none"))) << err;
}

}  // namespace
}  // namespace tlv
