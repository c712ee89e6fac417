#include "preview/child_process.h"

#include <gtest/gtest.h>

#include <thread>

#include "post/testing/temp_folder.h"

namespace tlv {
namespace {

using namespace std::chrono_literals;
using testing::ReadTestFile;
using testing::TempFolder;

ChildRequest Shell(std::string script) {
  ChildRequest r;
  r.program = "/bin/sh";
  r.args = {"-c", std::move(script)};
  return r;
}

TEST(ChildProcessTest, OutputEnvironmentAndStatus) {
  TempFolder dir;
  ChildRequest r = Shell("cd_ok=$(pwd); echo \"$cd_ok $A ${B-unset}\"; echo err >&2; read x; exit 3");
  r.working_directory = dir.path();
  r.set_env = {{"A", "set"}};
  r.unset_env = {"B"};
  r.stdout_path = dir / "out.txt";
  r.stderr_path = dir / "err.txt";
  ::setenv("B", "inherited", 1);
  const ChildResult c = RunChild(r, nullptr);
  ::unsetenv("B");
  EXPECT_TRUE(c.started);
  EXPECT_TRUE(c.exited);
  EXPECT_EQ(c.exit_status, 3);
  EXPECT_EQ(ReadTestFile(dir / "out.txt"), dir.path() + " set unset\n");
  EXPECT_EQ(ReadTestFile(dir / "err.txt"), "err\n");
}

TEST(ChildProcessTest, CancelStopsALongRunAtOnce) {
  std::atomic<bool> cancel{false};
  std::thread stopper([&cancel] {
    std::this_thread::sleep_for(50ms);
    cancel = true;
  });
  const auto start = std::chrono::steady_clock::now();
  const ChildResult c = RunChild(Shell("sleep 30"), &cancel);
  stopper.join();
  EXPECT_TRUE(c.cancelled);
  EXPECT_FALSE(c.exited);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST(ChildProcessTest, TimeLimit) {
  ChildRequest r = Shell("sleep 30");
  r.timeout = 100ms;
  const ChildResult c = RunChild(r, nullptr);
  EXPECT_TRUE(c.timed_out);
  EXPECT_FALSE(c.cancelled);
}

TEST(ChildProcessTest, MissingProgramOrOutputFolder) {
  ChildRequest r;
  r.program = "/nonexistent/TLVP";
  ChildResult c = RunChild(r, nullptr);
  EXPECT_FALSE(c.started);
  EXPECT_NE(c.error.find("/nonexistent/TLVP"), std::string::npos);

  r = Shell("true");
  r.stdout_path = "/nonexistent/out.txt";
  c = RunChild(r, nullptr);
  EXPECT_FALSE(c.started);
  EXPECT_NE(c.error.find("/nonexistent/out.txt"), std::string::npos);
}

}  // namespace
}  // namespace tlv
