// End-to-end runs of TLVP that split the NC program while the process sheet
// goes to the process database: every file of the program reaches the
// target's folder.
#include <gtest/gtest.h>

#include "platform/paths.h"
#include "platform/run_log.h"
#include "post/job_outputs.h"
#include "post/run_messages.h"
#include "post/testing/database_run.h"

namespace tlv {
namespace {

using testing::DatabaseRunOutcome;
using testing::ReadTestFile;

class SheetDatabaseSplitRun : public testing::DatabaseRunTest {};

TEST_F(SheetDatabaseSplitRun, EveryFileIsCopied) {
  def_.split_mode.methods = kSplitPerToolPath;
  def_.split_mode.name_source = 1;  // the output name and a number
  const int line = AddTarget("line one", "target");
  DatabaseRunOutcome r =
      Run("",
          "\"DontShowExecDlg\"=dword:00000001\n"
              "\"FileNumSource\"=dword:00000001\n\"InitFileNum\"=dword:00000001\n"
              "\"FileNumDigit\"=dword:00000002\n",
          "\"DBTarget\"=\"" + std::to_string(line) + "\"\n");
  ASSERT_EQ(0, r.status) << r.out << r.shown;

  std::vector<std::string> programs;
  for (const std::string& name : FilesIn("")) {
    if (name.size() > 3 && name.ends_with(".nc")) programs.push_back(name);
  }
  ASSERT_GE(programs.size(), 3u) << ::testing::PrintToString(programs);
  EXPECT_EQ(programs, FilesIn("target"));
  for (const std::string& name : programs) {
    EXPECT_EQ(ReadTestFile(dir_ / name), ReadTestFile(dir_ / ("target/" + name))) << name;
  }
  EXPECT_EQ(8u, Rows(line).size());
}

TEST(JobOutputsPlaced, ListsTheProgramFilesPutInPlace) {
  testing::TempFolder dir;
  RunLog log;
  RunMessages messages(&log, nullptr);
  JobOutputs outputs(messages);
  std::string err;
  ASSERT_TRUE(outputs.OpenSheet(dir / "a.csv", &err)) << err;
  ASSERT_TRUE(outputs.OpenNc(dir / "a.nc", &err)) << err;
  ASSERT_TRUE(outputs.OpenSplit(dir / "a01.nc", &err)) << err;
  ASSERT_TRUE(outputs.CloseCurrent());
  ASSERT_TRUE(outputs.OpenSplit(dir / "a02.nc", &err)) << err;
  EXPECT_TRUE(outputs.placed_programs().empty());  // nothing in place yet
  ASSERT_TRUE(outputs.CommitNc(&err)) << err;
  EXPECT_EQ((std::vector<std::string>{dir / "a01.nc", dir / "a02.nc", dir / "a.nc"}),
            outputs.placed_programs());
  for (const std::string& path : outputs.placed_programs()) EXPECT_TRUE(PathExists(path));
}

}  // namespace
}  // namespace tlv
