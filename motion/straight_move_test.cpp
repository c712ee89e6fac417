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

// Codes picked by key index once the job's table is resolved give the same
// texts as the table looked up by key: changed texts, missing keys and
// texts longer than a code variable holds included.
TEST_F(StraightMoveTest, ResolvedCodesMatchTheTable) {
  codes_.Set("G01_CODE", "G01.5");
  codes_.Set("CMP_LEFT", std::string(40, 'L'));
  codes_.entries.erase("CMP_RIGHT");
  struct Seen {
    std::string line, compensation;
  };
  auto move = [&](const char* word, const char* compensation) {
    HandleStraightMove(ctx_, MakeRecord(1100, {{19, 0, word}, {23, 0, compensation}}),
                       StraightMode::kFeed);
    return Seen{Text(19), Text(23)};
  };
  const Seen by_key[] = {move("G00", "G41"), move("G01", "G42"), move("G01", "G40")};
  ctx_.ResolveCodes();
  const Seen by_index[] = {move("G00", "G41"), move("G01", "G42"), move("G01", "G40")};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(by_key[i].line, by_index[i].line) << i;
    EXPECT_EQ(by_key[i].compensation, by_index[i].compensation) << i;
  }
  EXPECT_EQ("G01.5", by_index[1].line);
  EXPECT_EQ(std::string(30, 'L'), by_index[0].compensation);
  EXPECT_EQ("", by_index[1].compensation);
  // Another table attached later is looked up by key again.
  CodeTable other = CodeTable::Defaults();
  other.Set("G00_CODE", "G0");
  ctx_.codes = &other;
  EXPECT_EQ("G0", move("G00", "G40").line);
}

// With several end points in one feed move the start point widens the
// feed range as well as each end point.
TEST_F(StraightMoveTest, FeedRangeOfAMoveWithEveryAxis) {
  for (int axis = 0; axis < 3; ++axis) store_.Lookup(32 + axis)->SetNumber(-5.0 + axis);
  HandleStraightMove(ctx_, MakeRecord(1100, {{512, 7}, {513, -9}, {514, 3}}),
                     StraightMode::kFeed);
  const double expected[] = {-5, 7, -9, -4, -3, 3};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(expected[i], Number(57 + i)) << 57 + i;
  HandleStraightMove(ctx_, MakeRecord(1100, {{514, -6}, {512, 8}}), StraightMode::kFeed);
  const double widened[] = {-5, 8, -9, -4, -6, 3};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(widened[i], Number(57 + i)) << 57 + i;
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
