#include "motion/nurbs.h"

#include "motion/handler_test_support.h"

namespace tlv {
namespace {

class NurbsTest : public HandlerTest {
 protected:
  void Block(std::initializer_list<TestItem> items) {
    HandleNurbs(ctx_, MakeRecord(kNurbsSpan, items), NurbsMode::kBlock);
  }
  void End(std::initializer_list<TestItem> items = {}) {
    HandleNurbs(ctx_, MakeRecord(kNurbsEnd, items), NurbsMode::kEnd);
  }
};

TEST_F(NurbsTest, FirstBlockByItsLengthLaterOnesByTheControlPoint) {
  SetPrevious(0, 0, 0);
  Block({{1705, 0, ""}, {14, 600}, {801, 10}, {1712, 4}, {1720, 3}, {1721, 4}, {1722, 0},
         {1730, 1}, {1740, 0}});
  EXPECT_DOUBLE_EQ(10, Num(35));
  EXPECT_DOUBLE_EQ(1, Num(36));
  EXPECT_DOUBLE_EQ(10, ctx_.totals.cutting_length);
  EXPECT_EQ(3, Num(1723));
  EXPECT_EQ(4, Num(1724));
  EXPECT_EQ(4, Num(1712));
  EXPECT_EQ(0, Num(51));  // the end point is not touched
  EXPECT_DOUBLE_EQ(600, ctx_.totals.last_feed);

  // The section wrote the point; the next block is measured from it.
  SetPrevious(3, 4, 0);
  Block({{1720, 6}, {1721, 8}});
  EXPECT_DOUBLE_EQ(15, Num(35));
  EXPECT_DOUBLE_EQ(1.5, Num(36));
  EXPECT_DOUBLE_EQ(10, ctx_.totals.cutting_length);  // the distance is the unit's only
  EXPECT_DOUBLE_EQ(1.5, ctx_.totals.cutting_time);

  // Ranges as for a feed move, start point included.
  EXPECT_EQ(3, Num(37));
  EXPECT_EQ(6, Num(38));
  EXPECT_EQ(0, Num(57));
  EXPECT_EQ(8, Num(60));

  // The end record does not measure the last block again.
  SetPrevious(6, 8, 0);
  End({{1740, 1}});
  EXPECT_DOUBLE_EQ(15, Num(35));
  EXPECT_EQ(1, Num(1740));

  // A process start of a per-process sheet clears the memory: the next
  // block is measured by its length item again.
  ctx_.nurbs.point_seen = false;
  Block({{801, 2}, {1720, 100}});
  EXPECT_DOUBLE_EQ(17, Num(35));
}

TEST_F(NurbsTest, FeedZeroCountsLengthWithoutTimeAndNeverAsRapid) {
  ctx_.rapid_feed = 500;
  Block({{14, 0}, {801, 4}});
  EXPECT_DOUBLE_EQ(4, Num(35));
  EXPECT_EQ(0, Num(36));
  EXPECT_EQ(0, Num(44));
  Block({{14, 1000}, {1720, 10}});
  EXPECT_DOUBLE_EQ(0.6, Num(36));  // at F, although above the rapid rate
  EXPECT_EQ(0, Num(44));
  EXPECT_NE(std::string::npos, out_.log.find(kFeedAboveRapidWarning));
}

TEST_F(NurbsTest, G06CodeOncePerRun) {
  V(18).SetText("G01");
  V(13).SetChanged(false);
  Block({{1705, 0, "G06.2"}, {23, 0, "G41"}});
  EXPECT_EQ("G06.2", Text(1705));
  EXPECT_EQ("G41", Text(23));
  EXPECT_TRUE(V(13).changed);
  // The interpolation code follows at the next block.
  Block({{23, 0, "G40"}});
  EXPECT_EQ("G06.2", Text(18));
  EXPECT_EQ("G40", Text(23));

  std::string text;
  ASSERT_TRUE(V(1705).FormatIfDueOwn(&text, 30));
  EXPECT_EQ("G06.2", text);
  Block({{1705, 0, ""}});
  EXPECT_FALSE(V(1705).changed);  // the same code within the run

  End();
  EXPECT_EQ("", Text(1705));
  Block({{1705, 0, ""}});
  EXPECT_TRUE(V(1705).changed);  // the next run writes it again
}

}  // namespace
}  // namespace tlv
