#include "post/job_outputs.h"

#include <gtest/gtest.h>

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
