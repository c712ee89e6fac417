#include "motion/frame_records.h"

#include <map>

#include "motion/motion_test_support.h"

namespace tlv {
namespace {

using testing::Item;
using testing::MakeRecord;

class FrameRecordsTest : public testing::MotionTest {};

TEST_F(FrameRecordsTest, SpindleAndCoolantWords) {
  const std::map<std::string, std::string> coolant = {
      {"M08", "M08"}, {"M50", "M50"}, {"M07", "M07"}, {"M51", "M51"},
      {"M09", "M09"}, {"m08", "M09"}, {"M8", "M09"}, {"", "M09"}};
  for (const auto& [word, code] : coolant) {
    HandleProcessStart(ctx_, MakeRecord(200, {{17, 0, word.c_str()}}));
    EXPECT_EQ(code, Text(17)) << word;
  }
  for (const char* word : {"M04", "M3", "M03 "}) {
    HandleProcessStart(ctx_, MakeRecord(200, {{16, 0, "M03"}}));
    HandleProcessStart(ctx_, MakeRecord(200, {{16, 0, word}}));
    EXPECT_EQ("M05", Text(16)) << word;
  }
}

TEST_F(FrameRecordsTest, ProgramStartSetsOffCodesWithoutWritingThem) {
  codes_.Set("M_SPINOFF", "M05 SPINDLE STOP 0123456789012345");
  HandleProgramStart(ctx_, MakeRecord(100, {{103, 1}, {104, 2}, {105, 3}}));
  EXPECT_EQ("M09", Text(17));
  EXPECT_EQ("M05 SPINDLE STOP 0123456789012", Text(16));  // cut to 30 bytes
  EXPECT_FALSE(Changed(16));
  EXPECT_FALSE(Changed(17));
  EXPECT_EQ(3, Number(125));
  EXPECT_EQ(3, Number(53));
  EXPECT_FALSE(Changed(53));
  EXPECT_EQ(3, Number(34));  // start-point mode 1: home is the previous point
}

TEST_F(FrameRecordsTest, ToolNumberClearsSplitAccumulatorsOnlyWhenItChanges) {
  HandleToolChange(ctx_, MakeRecord(1500, {{1504, 5}}));
  ctx_.split_length = 10;
  ctx_.split_time = 20;
  HandleToolChange(ctx_, MakeRecord(1500, {{1504, 5}}));
  EXPECT_EQ(10, ctx_.split_length);
  HandleToolChange(ctx_, MakeRecord(1500, {{1504, 6}}));
  EXPECT_EQ(0, ctx_.split_length);
  EXPECT_EQ(0, ctx_.split_time);
}

TEST_F(FrameRecordsTest, ToolChangeRewritesToolWordsAndSetsToolCentre) {
  ClearChanged({18, 10, 11, 12});
  HandleToolChange(ctx_, MakeRecord(1500, {{1535, 2.5}, {16, 0, "M04"}}));
  for (int n : {18, 10, 11, 12}) EXPECT_TRUE(Changed(n)) << n;
  EXPECT_EQ("M04", Text(16));  // copied as it is
  EXPECT_EQ(0, store_.coordinates().tool_centre_z);
  ctx_.coordinate.tool_position = 1;
  HandleToolChange(ctx_, MakeRecord(1500, {{1535, 2.5}}));
  EXPECT_EQ(2.5, store_.coordinates().tool_centre_z);
  EXPECT_FALSE(ctx_.first_tool_change);
}

TEST_F(FrameRecordsTest, ProcessEndSnapshotsCodesInUse) {
  HandleProcessStart(ctx_, MakeRecord(200, {{16, 0, "M03"}, {17, 0, "M08"}}));
  store_.ArmSnapshotAll();
  HandleProcessEnd(ctx_, MakeRecord(600, {{102, 0, "PATH"}, {250, 1.5}}));
  EXPECT_EQ("M03", store_.Lookup(16)->sheet_slot().text);
  EXPECT_EQ("M08", store_.Lookup(17)->sheet_slot().text);
  EXPECT_EQ("M05", Text(16));
  EXPECT_EQ("M09", Text(17));
  EXPECT_EQ("PATH", Text(102));
  EXPECT_EQ(90, Number(250));
  EXPECT_EQ(1, ctx_.procedure_index);
}

TEST_F(FrameRecordsTest, ProcessStartStartsAUnitPerProcess) {
  store_.Lookup(35)->SetNumber(12);
  store_.Lookup(37)->SetNumber(-5);
  ctx_.sheet_unit = kSheetPerTool;
  HandleProcessStart(ctx_, MakeRecord(200, {}));
  EXPECT_EQ(12, Number(35));
  ctx_.sheet_unit = kSheetPerProcedure;
  HandleProcessStart(ctx_, MakeRecord(200, {{217, 7}}));
  EXPECT_EQ(0, Number(35));
  EXPECT_EQ(7, Number(37));  // reset, then the start point
  EXPECT_EQ(7, Number(227));
  EXPECT_EQ(7, Number(51));
}

}  // namespace
}  // namespace tlv
