#include "post/job_outputs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/paths.h"
#include "platform/run_log.h"
#include "post/run_messages.h"
#include "post/testing/temp_folder.h"

namespace tlv {
namespace {

using testing::ReadTestFile;
using testing::TempFolder;
using testing::WriteTestFile;

class JobOutputsTest : public ::testing::Test {
 protected:
  RunLog log_;
  RunMessages messages_{&log_, nullptr};
  TempFolder dir_;
};

// The program reaches its name only when the job ends well.
TEST_F(JobOutputsTest, ProgramIsPutInPlaceOnlyOnCommit) {
  const std::string path = dir_ / "out.nc";
  WriteTestFile(path, "old\n");
  {
    JobOutputs outputs(messages_);
    std::string err;
    ASSERT_TRUE(outputs.OpenNc(path, &err)) << err;
    outputs.Write("G00X1.\n", false);
    outputs.Write("M30\n", true);  // no sheet file: the NC file is the first
    EXPECT_EQ(11, outputs.WritePosition());
    EXPECT_EQ("old\n", ReadTestFile(path));
    ASSERT_TRUE(outputs.CommitNc(&err)) << err;
    EXPECT_FALSE(outputs.has_output());
  }
  EXPECT_EQ("G00X1.\nM30\n", ReadTestFile(path));
  EXPECT_FALSE(PathExists(TemporaryOutputPath(path)));
}

TEST_F(JobOutputsTest, TemporaryFileStaysInTheTargetFolder) {
  EXPECT_EQ("/a/b/.out.nc.tlvp-partial", TemporaryOutputPath("/a/b/out.nc"));
  EXPECT_EQ(".out.nc.tlvp-partial", TemporaryOutputPath("out.nc"));
}

TEST_F(JobOutputsTest, AbandonedProgramLeavesTheOldOneAndNoTemporaryFile) {
  const std::string path = dir_ / "out.nc";
  WriteTestFile(path, "old\n");
  {
    JobOutputs outputs(messages_);
    std::string err;
    ASSERT_TRUE(outputs.OpenNc(path, &err));
    outputs.Write("half a program", false);
    // Going out of scope without a commit abandons it, as AbandonNc does.
  }
  EXPECT_EQ("old\n", ReadTestFile(path));
  EXPECT_FALSE(PathExists(TemporaryOutputPath(path)));
}

TEST_F(JobOutputsTest, RefusedTargets) {
  JobOutputs outputs(messages_);
  std::string err;
  EXPECT_FALSE(outputs.OpenNc("", &err));
  EXPECT_FALSE(outputs.OpenNc(dir_.path(), &err));
  EXPECT_FALSE(outputs.OpenNc(dir_ / "missing/out.nc", &err));
  EXPECT_EQ(dir_ / "missing/out.nc: No such file or directory", err);
  EXPECT_FALSE(outputs.CommitNc(&err));
  // Writing with no output open goes nowhere rather than crashing.
  outputs.Write("X", false);
  EXPECT_EQ(0, outputs.WritePosition());
}

}  // namespace
}  // namespace tlv

namespace tlv {
namespace {

using JobOutputListTest = JobOutputsTest;

TEST_F(JobOutputListTest, SheetTakesTheFirstStreamAndSplitFilesFollow) {
  std::string err;
  {
    JobOutputs outputs(messages_);
    ASSERT_TRUE(outputs.OpenSheet(dir_ / "s.csv", &err)) << err;
    ASSERT_TRUE(outputs.OpenNc(dir_ / "a.nc", &err)) << err;
    outputs.Write("N1\n", false);
    outputs.Write("HEAD\n", true);
    ASSERT_TRUE(outputs.OpenSplit(dir_ / "a1.nc", &err)) << err;
    EXPECT_EQ(dir_ / "a1.nc", outputs.CurrentPath());
    outputs.Write("N2\n", false);
    EXPECT_EQ(3, outputs.WritePosition());
    EXPECT_TRUE(outputs.CloseCurrent());
    EXPECT_EQ(dir_ / "a.nc", outputs.CurrentPath());
    EXPECT_TRUE(outputs.CloseCurrent());
    EXPECT_FALSE(outputs.CloseCurrent());  // the sheet stays to the end
    EXPECT_EQ(0, outputs.WritePosition());
    outputs.Write("TAIL\n", true);
    // Nothing is in place before the job ends.
    EXPECT_EQ("<missing>", testing::ReadTestFile(dir_ / "a1.nc"));
    ASSERT_TRUE(outputs.CommitNc(&err)) << err;
  }
  EXPECT_EQ("N1\n", testing::ReadTestFile(dir_ / "a.nc"));
  EXPECT_EQ("N2\n", testing::ReadTestFile(dir_ / "a1.nc"));
  EXPECT_EQ("HEAD\nTAIL\n", testing::ReadTestFile(dir_ / "s.csv"));
}

TEST_F(JobOutputListTest, SameNamesAndAbandonedJobs) {
  std::string err;
  {
    JobOutputs outputs(messages_);
    ASSERT_TRUE(outputs.OpenNc(dir_ / "a.nc", &err));
    EXPECT_FALSE(outputs.OpenSplit(dir_ / "a.nc", &err));  // still open
    ASSERT_TRUE(outputs.OpenSplit(dir_ / "b.nc", &err));
    outputs.Write("first\n", false);
    outputs.CloseCurrent();
    ASSERT_TRUE(outputs.OpenSplit(dir_ / "b.nc", &err));  // replaces the closed one
    outputs.Write("second\n", false);
    ASSERT_TRUE(outputs.CommitNc(&err)) << err;
  }
  EXPECT_EQ("second\n", testing::ReadTestFile(dir_ / "b.nc"));
  {
    JobOutputs outputs(messages_);
    ASSERT_TRUE(outputs.OpenNc(dir_ / "c.nc", &err));
    ASSERT_TRUE(outputs.OpenSplit(dir_ / "d.nc", &err));
    outputs.CloseCurrent();
    outputs.AbandonNc();
  }
  EXPECT_FALSE(std::filesystem::exists(dir_ / "c.nc"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "d.nc"));
  EXPECT_FALSE(std::filesystem::exists(TemporaryOutputPath(dir_ / "d.nc")));
}

}  // namespace
}  // namespace tlv
