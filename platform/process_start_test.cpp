#include "platform/process_start.h"

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "platform/file_contents.h"
#include "platform/paths.h"
#include "platform/temp_dir_for_test.h"
#include "platform/user_name.h"

namespace tlv {
namespace {

bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 500; ++i) {
    if (FileExists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(StartDetached, RunsTheProgramWithItsArguments) {
  TempDirForTest dir;
  std::string out = dir.File("out.txt");
  std::string done = dir.File("done");
  // The program runs on after we returned; it writes its argument, then a
  // second file once the first is complete.
  StartResult result = StartDetached(
      "/bin/sh", {"-c", "echo \"$1\" > \"$2\" && : > \"$3\"", "sh", "1", out, done});
  ASSERT_TRUE(result.started) << result.error;
  ASSERT_TRUE(WaitForFile(done));
  std::string content, err;
  ASSERT_TRUE(ReadFileBytes(out, &content, &err));
  EXPECT_EQ("1\n", content);

  // A name without '/' is looked up on PATH.
  result = StartDetached("sh", {"-c", ": > \"$0\"", dir.File("via_path")});
  ASSERT_TRUE(result.started) << result.error;
  EXPECT_TRUE(WaitForFile(dir.File("via_path")));
}

TEST(StartDetached, FailuresAreReported) {
  TempDirForTest dir;
  StartResult result = StartDetached(dir.File("SheetPump"), {"1"});
  EXPECT_FALSE(result.started);
  EXPECT_NE(std::string::npos, result.error.find("SheetPump")) << result.error;

  result = StartDetached("no-such-program-anywhere", {});
  EXPECT_FALSE(result.started);
  EXPECT_NE(std::string::npos, result.error.find("not found")) << result.error;

  // There but not executable: exec fails in the child and we hear of it.
  std::string err;
  ASSERT_TRUE(WriteFileAtomically(dir.File("plain"), "#!/bin/sh\n", &err));
  result = StartDetached(dir.File("plain"), {});
  EXPECT_FALSE(result.started);
  EXPECT_FALSE(result.error.empty());

  EXPECT_FALSE(StartDetached("", {}).started);
}

TEST(FindProgram, BesideUsThenPath) {
  EXPECT_EQ("", FindProgram("no-such-program-anywhere"));
  EXPECT_EQ("", FindProgram(""));
  std::string sh = FindProgram("sh");
  EXPECT_FALSE(sh.empty());
  EXPECT_TRUE(FileExists(sh));
  // The test program itself lies beside the running executable.
  std::string self = FindProgram("platform_tests");
  EXPECT_EQ(ExecutableDirectory() + "/platform_tests", self);
}

TEST(CurrentUserName, IsKnown) {
  EXPECT_FALSE(CurrentUserName().empty());
}

}  // namespace
}  // namespace tlv
