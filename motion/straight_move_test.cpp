#include "motion/straight_move.h"

#include "motion/motion_test_support.h"

namespace tlv {
namespace {

using testing::Item;
using testing::MakeRecord;

class StraightMoveTest : public testing::MotionTest {};

TEST_F(StraightMoveTest, FeedRangeCoversTheStartRapidOnlyAllPoints) {
  for (int axis = 0; axis < 3; ++axis) store_.Lookup(32 + axis)->SetNumber(2.0 + axis);
  HandleStraightMove(ctx_, MakeRecord(1100, {{512, 50}}), StraightMode::kFeed);
  EXPECT_EQ(50, Number(37));   // all points: the end only
  EXPECT_EQ(50, Number(38));
  EXPECT_EQ(1000, Number(39));  // Y not in the record
  EXPECT_EQ(2, Number(57));    // feed range: from the start point
  EXPECT_EQ(50, Number(58));
  EXPECT_EQ(3, Number(59));    // every axis of the start point counts
  EXPECT_EQ(3, Number(60));
  EXPECT_EQ(50, Number(51));

  HandleStraightMove(ctx_, MakeRecord(800, {{512, -20}, {514, 1500}}), StraightMode::kRapid);
  EXPECT_EQ(-20, Number(37));
  EXPECT_EQ(2, Number(57));  // untouched by a rapid
  // A value beyond the reset bounds moves only the side it passes.
  EXPECT_EQ(1500, Number(42));
  EXPECT_EQ(1000, Number(41));
}

TEST_F(StraightMoveTest, CodesByExactWordText) {
  struct Case {
    const char* word;
    const char* line;
    const char* compensation;
  };
  for (const Case& c : {Case{"G00", "G00", "G41"}, Case{"G0", "G01", "G42"},
                        Case{"g00", "G01", "G40"}, Case{"G00 ", "G01", "G41 "}}) {
    HandleStraightMove(ctx_, MakeRecord(800, {{19, 0, c.word}, {23, 0, c.compensation}}),
                       StraightMode::kRapid);
    EXPECT_EQ(c.line, Text(19)) << c.word;
    EXPECT_EQ(c.line, Text(18)) << c.word;
  }
  EXPECT_EQ("G40", Text(23));  // "G41 " is not G41
  HandleStraightMove(ctx_, MakeRecord(800, {{23, 0, "G42"}}), StraightMode::kRapid);
  EXPECT_EQ("G42", Text(23));
  // Without item 23 the compensation code stays.
  HandleStraightMove(ctx_, MakeRecord(800, {}), StraightMode::kRapid);
  EXPECT_EQ("G42", Text(23));
}

TEST_F(StraightMoveTest, InterpolationCodeReturnsAfterAnArc) {
  HandleStraightMove(ctx_, MakeRecord(1100, {{19, 0, "G01"}}), StraightMode::kFeed);
  store_.Lookup(18)->SetText("G02");  // what an arc leaves
  ClearChanged({18});
  HandleStraightMove(ctx_, MakeRecord(1100, {}), StraightMode::kFeed);
  EXPECT_EQ("G01", Text(18));
  EXPECT_TRUE(Changed(18));
}

TEST_F(StraightMoveTest, LengthsAndTimes) {
  ctx_.rapid_feed = 6000;
  // Rapid: length and time at the rapid rate.
  HandleStraightMove(ctx_, MakeRecord(800, {{801, 100}}), StraightMode::kRapid);
  EXPECT_DOUBLE_EQ(100, Number(47));
  EXPECT_DOUBLE_EQ(1, Number(44));
  // Feed below the rapid rate: cutting time.
  HandleStraightMove(ctx_, MakeRecord(1100, {{14, 300}, {801, 10}}), StraightMode::kFeed);
  EXPECT_DOUBLE_EQ(10, Number(35));
  EXPECT_DOUBLE_EQ(2, Number(36));
  // At the rapid rate: timed as rapid, still cutting length, warned.
  HandleStraightMove(ctx_, MakeRecord(1100, {{14, 6000}, {801, 50}}), StraightMode::kFeed);
  EXPECT_DOUBLE_EQ(60, Number(35));
  EXPECT_DOUBLE_EQ(2, Number(36));
  EXPECT_DOUBLE_EQ(1.5, Number(44));
  EXPECT_EQ(std::string(kFeedAboveRapidWarning), output_.out);
  EXPECT_EQ(std::string(kFeedAboveRapidWarning), output_.log);
  // No length item: nothing added.
  HandleStraightMove(ctx_, MakeRecord(1100, {{14, 100}}), StraightMode::kFeed);
  EXPECT_DOUBLE_EQ(60, Number(35));
  EXPECT_DOUBLE_EQ(160, Number(48));
  EXPECT_DOUBLE_EQ(3.5, Number(49));
  EXPECT_DOUBLE_EQ(60, ctx_.totals.cutting_length);
  EXPECT_DOUBLE_EQ(100, ctx_.totals.rapid_length);
  EXPECT_DOUBLE_EQ(2, ctx_.totals.cutting_time);
  EXPECT_DOUBLE_EQ(1.5, ctx_.totals.rapid_time);
  EXPECT_DOUBLE_EQ(100, ctx_.totals.last_feed);
  // Split accumulators stay untouched unless the definition splits so.
  EXPECT_EQ(0, ctx_.split_length);
  EXPECT_EQ(0, ctx_.split_time);
}

TEST_F(StraightMoveTest, RapidRateNotSet) {
  ctx_.rapid_feed = 0;
  ctx_.split.methods = kSplitByMachiningLength | kSplitByMachiningTime;
  HandleStraightMove(ctx_, MakeRecord(800, {{801, 100}}), StraightMode::kRapid);
  HandleStraightMove(ctx_, MakeRecord(1100, {{14, 20000}, {801, 10}}), StraightMode::kFeed);
  EXPECT_DOUBLE_EQ(100, Number(47));
  EXPECT_DOUBLE_EQ(0, Number(44));
  EXPECT_DOUBLE_EQ(0.03, Number(36));
  EXPECT_EQ("", output_.out);
  EXPECT_DOUBLE_EQ(10, ctx_.split_length);
  EXPECT_DOUBLE_EQ(0.03, ctx_.split_time);
  // A feed of 0.9 or less gives no time.
  HandleStraightMove(ctx_, MakeRecord(1100, {{14, 0.9}, {801, 10}}), StraightMode::kFeed);
  EXPECT_DOUBLE_EQ(0.03, Number(36));
  EXPECT_DOUBLE_EQ(20, Number(35));
}

TEST_F(StraightMoveTest, RadiusIsWrittenAgainAfterAStraightMove) {
  ClearChanged({13});
  HandleStraightMove(ctx_, MakeRecord(800, {}), StraightMode::kRapid);
  EXPECT_TRUE(Changed(13));
}

}  // namespace
}  // namespace tlv
