// End-to-end runs of TLVP that split the NC program: by code markers, per
// tool path and by the length, tape and time limits, with every way of
// naming and numbering the split files.
#include <gtest/gtest.h>

#include <filesystem>

#include "post/testing/split_run.h"

namespace tlv {
namespace {

using testing::JobRunOptions;
using testing::Rec;

class SplitRun : public testing::SplitRunTest {
 protected:
  void SetUp() override {
    SplitRunTest::SetUp();
    // Every tool change cuts the program: the running file ends, a new one
    // starts.
    Section(5, "<SPLIT_END><SPLIT_START>T<T_NUM>\n");
    Section(15, "(HEAD <NC_FILE> <SPLIT_FIRST> <SPLIT_NUM>)\n");
    Section(16, "(END <NC_FILE>)\n");
    def_.split_mode.methods = kSplitByCode;
    def_.split_mode.name_source = 1;
  }

  static std::string TwoTools() {
    return Rec(100) + Rec(1500, {".1504=2 1"}) + Rec(1100, {".512=1 10"}) +
           Rec(1500, {".1504=2 2"}) + Rec(1100, {".512=1 20"});
  }
};

TEST_F(SplitRun, MarkersNumberAfterTheFirstDotWithTheChosenDigits) {
  JobRunOptions o;
  o.output = "A.NC";
  o.main_values = "\"InitFileNum\"=dword:00000001\n\"FileNumDigit\"=dword:00000002\n";
  testing::TlvpOutcome r = RunJob(TwoTools(), o);
  EXPECT_EQ(0, r.status) << r.out;
  EXPECT_EQ((std::vector<std::string>{"A.NC", "A001.NC", "A002.NC"}), Files());
  EXPECT_EQ("%\n(END A.NC)\n", r.nc);
  EXPECT_EQ("(HEAD A001.NC 1 1)\nT1\nG01X10.\n(END A001.NC)\n", File("A001.NC"));
  EXPECT_EQ("(HEAD A002.NC 1 2)\nT2\nG01X20.\nM30\n", File("A002.NC"));
}

}  // namespace
}  // namespace tlv
