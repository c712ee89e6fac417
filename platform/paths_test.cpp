#include "platform/paths.h"

#include <cstdlib>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/file_contents.h"
#include "platform/temp_dir_for_test.h"

namespace tlv {
namespace {

TEST(Paths, SplitAtEitherSeparator) {
  EXPECT_EQ("C:\\NC", DirectoryPart("C:\\NC\\A.NC"));
  EXPECT_EQ("A.NC", FileNamePart("C:\\NC\\A.NC"));
  EXPECT_EQ("/nc/x\\y", DirectoryPart("/nc/x\\y/z.nc"));
  EXPECT_EQ("b.nc", FileNamePart("a/b.nc"));
  EXPECT_EQ("", DirectoryPart("b.nc"));
  EXPECT_EQ("b.nc", FileNamePart("b.nc"));
  EXPECT_EQ("", DirectoryPart("/b.nc"));
  EXPECT_EQ("", FileNamePart("D:\\NC\\"));
  EXPECT_TRUE(HasSeparator("a\\b"));
  EXPECT_TRUE(HasSeparator("a/b"));
  EXPECT_FALSE(HasSeparator("result.nc"));

  EXPECT_EQ("nc", ExtensionPart("x/a.b.nc"));
  EXPECT_EQ("x/a.b", WithoutExtension("x/a.b.nc"));
  EXPECT_EQ("", ExtensionPart("x.d/name"));
  EXPECT_EQ("x.d/name", WithoutExtension("x.d/name"));
  EXPECT_EQ("", ExtensionPart("/home/.profile"));
  EXPECT_EQ("/home/.profile", WithoutExtension("/home/.profile"));
}

TEST(Paths, JoinWithSlash) {
  EXPECT_EQ("/nc/result.nc", JoinPath("/nc", "result.nc"));
  EXPECT_EQ("/nc/result.nc", JoinPath("/nc/", "result.nc"));
  EXPECT_EQ("D:\\NC\\result.nc", JoinPath("D:\\NC\\", "result.nc"));
  EXPECT_EQ("/nc/sub/a", JoinPath("/nc", "sub/a"));
  EXPECT_EQ("/nc/a", JoinPath("/nc", "\\a"));
  EXPECT_EQ("/abs/a", JoinPath("/nc", "/abs/a"));
  EXPECT_EQ("a", JoinPath("", "a"));

  std::string path = "D:\\NC";
  EnsureTrailingSeparator(&path);
  EXPECT_EQ("D:\\NC/", path);
  EnsureTrailingSeparator(&path);
  EXPECT_EQ("D:\\NC/", path);
  path = "D:\\NC\\";
  EnsureTrailingSeparator(&path);
  EXPECT_EQ("D:\\NC\\", path);
  path.clear();
  EnsureTrailingSeparator(&path);
  EXPECT_EQ("", path);
}

TEST(Paths, FindMarkerWithoutRegardToCase) {
  EXPECT_EQ(8u, FindIgnoreCase("/Jobs/Ab.TolVek.ncl", ".tolvek"));
  EXPECT_EQ(std::string_view::npos, FindIgnoreCase("/jobs/ab.tolve", ".tolvek"));
  EXPECT_EQ(0u, FindIgnoreCase("abc", ""));
  EXPECT_EQ(std::string_view::npos, FindIgnoreCase("", "x"));
  // Only ASCII folds: the bytes of other characters compare exactly.
  EXPECT_EQ(std::string_view::npos, FindIgnoreCase("ＮＣ", "ｎｃ"));
  EXPECT_TRUE(EqualsIgnoreCase("SavePath", "SAVEPATH"));
  EXPECT_FALSE(EqualsIgnoreCase("SavePath", "SavePat"));
}

TEST(Paths, FileSystem) {
  TempDirForTest dir;
  std::string a = dir.File("a.ncl");
  std::string err;
  EXPECT_FALSE(PathExists(a));
  EXPECT_FALSE(RemoveFile(a, &err));
  EXPECT_NE(std::string::npos, err.find(a)) << err;
  ASSERT_TRUE(WriteFileAtomically(a, "G01 X1\n", &err)) << err;
  EXPECT_TRUE(FileExists(a));
  EXPECT_FALSE(IsDirectory(a));
  EXPECT_TRUE(IsDirectory(dir.path()));
  EXPECT_FALSE(FileExists(dir.path()));
  EXPECT_TRUE(PathExists(dir.path()));

  std::string temp = a + ".temp";
  ASSERT_TRUE(RenameFile(a, temp, &err)) << err;
  EXPECT_FALSE(FileExists(a));
  EXPECT_FALSE(RenameFile(a, temp, &err));
  EXPECT_NE(std::string::npos, err.find(a)) << err;

  std::string copy = dir.File("sub/dir/copy.ncl");
  EXPECT_FALSE(CopyFile(temp, copy, &err));  // no folder
  ASSERT_TRUE(MakeDirectories(dir.File("sub/dir"), &err)) << err;
  ASSERT_TRUE(MakeDirectories(dir.File("sub/dir/"), &err)) << err;
  ASSERT_TRUE(CopyFile(temp, copy, &err)) << err;
  std::string content;
  ASSERT_TRUE(ReadFileBytes(copy, &content, &err));
  EXPECT_EQ("G01 X1\n", content);
  EXPECT_TRUE(RemoveFile(temp, &err));
  EXPECT_FALSE(MakeDirectories(copy + "/x", &err));  // a file on the way

  EXPECT_FALSE(ReadFileBytes(dir.path(), &content, &err));
  EXPECT_FALSE(CurrentDirectory().empty());
  EXPECT_TRUE(IsDirectory(ExecutableDirectory()));
}

TEST(Paths, DataFolderFollowsXdg) {
  const char* saved = std::getenv("XDG_DATA_HOME");
  std::string keep = saved ? saved : "";
  std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("XDG_DATA_HOME", "/data", 1);
  EXPECT_EQ("/data/kestra/TLVData", DefaultDataFolder());
  unsetenv("XDG_DATA_HOME");
  setenv("HOME", "/home/u", 1);
  EXPECT_EQ("/home/u/.local/share/kestra/TLVData", DefaultDataFolder());
  setenv("HOME", home.c_str(), 1);
  if (saved) setenv("XDG_DATA_HOME", keep.c_str(), 1);
}

}  // namespace
}  // namespace tlv
