#include "motion/arc.h"

#include <cmath>
#include <vector>

#include "motion/handler_test_support.h"

namespace tlv {
namespace {

constexpr double kPi = 3.14159265358979323846;

class ArcTest : public HandlerTest {
 protected:
  // An arc in the plane `plane` from the tracked position, with the
  // first-half values captured when it is split.
  ArcResult Arc(std::initializer_list<TestItem> items) {
    halves_.clear();
    return HandleArc(ctx_, MakeRecord(kArcFeed, items), [this] {
      halves_.push_back({Num(51), Num(52), Num(53), Num(30), Num(31), Num(50)});
    });
  }

  struct Half {
    double x, y, z, i, j, k;
  };
  std::vector<Half> halves_;
};

TEST_F(ArcTest, TinyArcsBecomeFullCirclesOrAreDropped) {
  SetPrevious(5, 0, 0);
  ArcResult r = Arc({{14, 100}, {301, 0.0005}, {305, 5}, {306, 0}, {307, 0}, {308, 0}, {310, 5},
                     {311, 0}});
  EXPECT_TRUE(r.write_section);
  EXPECT_EQ(360, Num(301));
  EXPECT_NEAR(2 * kPi * 5, Num(35), 1e-9);
  EXPECT_NEAR(2 * kPi * 5 / 100 * 60, Num(36), 1e-9);
  // A full circle is written as two halves.
  ASSERT_EQ(1u, halves_.size());
  EXPECT_DOUBLE_EQ(-5, halves_[0].i);
  EXPECT_DOUBLE_EQ(-5, halves_[0].x);
  EXPECT_DOUBLE_EQ(5, Num(30));

  Arc({{301, -0.0005}, {305, 5}});
  EXPECT_EQ(-360, Num(301));

  // Without the full-circle option the record keeps its length but writes
  // nothing and takes no time.
  ctx_.tiny_arc_as_circle = 0;
  V(35).SetNumber(0);
  V(36).SetNumber(0);
  V(30).SetNumber(7);
  r = Arc({{14, 100}, {301, 0.0005}, {305, 5}, {310, 5}});
  EXPECT_FALSE(r.write_section);
  EXPECT_NEAR(0.0005 * kPi * 5 / 180, Num(35), 1e-12);
  EXPECT_EQ(0, Num(36));
  EXPECT_EQ(7, Num(30));
}

TEST_F(ArcTest, FeedZeroCountsLengthWithoutTime) {
  SetPrevious(10, 0, 0);
  Arc({{14, 0}, {301, 90}, {305, 10}, {306, 0}, {307, 0}, {308, 0}, {310, 0}, {311, 10}});
  EXPECT_NEAR(5 * kPi, Num(35), 1e-9);
  EXPECT_NEAR(5 * kPi, ctx_.totals.cutting_length, 1e-9);
  EXPECT_EQ(0, Num(36));
  EXPECT_EQ(0, Num(49));
  EXPECT_EQ(0, ctx_.totals.last_feed);

  // A feed at the rapid rate warns but is timed at F.
  ctx_.totals.last_feed = 250;
  Arc({{14, 10000}, {301, 90}, {305, 10}, {306, 0}, {307, 0}, {308, 0}, {310, 0}, {311, 10}});
  EXPECT_EQ(std::string(kFeedAboveRapidWarning), out_.log);
  EXPECT_NEAR(5 * kPi / 10000 * 60, Num(36), 1e-12);
  EXPECT_EQ(0, Num(44));
  EXPECT_EQ(250, ctx_.totals.last_feed);
}

TEST_F(ArcTest, DirectionWordAndPlanes) {
  SetPrevious(0, 0, 0);
  Arc({{20, 0, "G02"}, {301, 180}, {305, 5}, {307, 5}, {310, 10}});
  EXPECT_EQ("G02", Text(20));
  EXPECT_EQ("G02", Text(18));
  EXPECT_EQ("G17", Text(46));
  for (const char* word : {"G03", "G2", "g02", "G02 "}) {
    Arc({{20, 0, word}, {301, 180}, {305, 5}, {307, 5}, {310, 10}});
    EXPECT_EQ("G03", Text(20)) << word;
  }

  // ZX: the correction works in Z and X; start (0, 0, 0), end Z 10.
  Arc({{313, 2}, {301, 180}, {305, 5}, {307, 0}, {309, 5.0004}, {310, 0}, {312, 10}});
  EXPECT_EQ("G18", Text(46));
  EXPECT_EQ(2, Num(313));
  EXPECT_DOUBLE_EQ(5, Num(50));
  EXPECT_DOUBLE_EQ(0, Num(30));
  EXPECT_TRUE(out_.log.empty()) << out_.log;

  // YZ: Y and Z.
  Arc({{313, 3}, {301, 180}, {305, 5}, {308, 0}, {309, 5.0004}, {311, 0}, {312, 10}});
  EXPECT_EQ("G19", Text(46));
  EXPECT_DOUBLE_EQ(5, Num(50));
  EXPECT_TRUE(out_.log.empty()) << out_.log;

  for (double plane : {1.0, 0.0, 4.0, 2.9}) {
    Arc({{313, plane}, {301, 180}, {305, 5}, {307, 5}, {310, 10}, {311, 0}});
    EXPECT_EQ(plane == 2.9 ? "G18" : "G17", Text(46)) << plane;
  }
}

TEST_F(ArcTest, CentreRoundsAndIsCorrectedWithinOneIncrement) {
  // The worked example: the centre rounds to 5.000 and is taken as it is.
  SetPrevious(0, 0, 0);
  Arc({{301, -180}, {305, 5}, {307, 5.0004}, {308, 0}, {310, 10}, {311, 0}});
  EXPECT_DOUBLE_EQ(5, Num(30));
  EXPECT_DOUBLE_EQ(0, Num(31));
  EXPECT_TRUE(out_.log.empty());

  // The end rounds to 10.002: the centre moves one increment towards it.
  // A difference of exactly one increment does not pass.
  SetPrevious(0.0004, 0, 0);
  Arc({{301, -180}, {305, 5}, {307, 5}, {308, 0}, {310, 10.0016}, {311, 0}});
  EXPECT_NEAR(5.001, Num(30), 1e-9);
  EXPECT_TRUE(out_.log.empty());

  // No neighbour helps: one warning, the rounded centre is kept.
  SetPrevious(0, 0, 0);
  Arc({{301, -180}, {305, 5}, {307, 3}, {308, 0}, {310, 10}, {311, 0}});
  EXPECT_DOUBLE_EQ(3, Num(30));
  EXPECT_EQ(std::string(kArcCentreWarning), out_.log);
  EXPECT_EQ(std::string(kArcCentreWarning), out_.printed);
}

TEST_F(ArcTest, OriginAndToolCentreOffsetsGoOnTheCentreOnce) {
  store_.coordinates().mode = kCoordOffset;
  store_.coordinates().g92_offset[0] = 100;
  store_.coordinates().g92_offset[2] = 1;
  CoordinateSettings cs;
  cs.tool_centre = true;
  store_.SetCoordinateSettings(cs);
  store_.coordinates().tool_centre_z = 2;
  // The tracked start already holds the offsets.
  SetPrevious(110, 0, 3);
  Arc({{301, 270}, {305, 10}, {306, 0}, {307, 0}, {308, 0}, {309, 0}, {310, 0}, {311, -10},
       {312, 0}});
  ASSERT_EQ(1u, halves_.size());
  EXPECT_DOUBLE_EQ(-10, halves_[0].i);
  EXPECT_DOUBLE_EQ(0, halves_[0].k);
  EXPECT_NEAR(-7.0710678, halves_[0].x, 1e-6);  // stored without offsets
  EXPECT_NEAR(7.071, Num(30), 1e-9);
  EXPECT_NEAR(-7.071, Num(31), 1e-9);
  EXPECT_NEAR(0, Num(50), 1e-9);
  EXPECT_TRUE(out_.log.empty()) << out_.log;
}

TEST_F(ArcTest, RangesFollowTheArcInXYWhateverThePlane) {
  // A quarter from 0 to 90 degrees about (5, 0) with radius 2, in YZ: the
  // extent is taken as if the arc lay in XY; Z ranges stay reset.
  SetPrevious(0, 2, 0);
  Arc({{313, 3}, {301, 90}, {305, 2}, {306, 0}, {307, 5}, {308, 0}, {309, 0}, {311, 0},
       {312, 2}});
  EXPECT_DOUBLE_EQ(5, Num(37));
  EXPECT_DOUBLE_EQ(7, Num(38));
  EXPECT_NEAR(0, Num(39), 1e-12);
  EXPECT_DOUBLE_EQ(2, Num(40));
  EXPECT_DOUBLE_EQ(5, Num(57));
  EXPECT_DOUBLE_EQ(2, Num(60));
  EXPECT_EQ(1000, Num(41));
  EXPECT_EQ(-1000, Num(42));
  EXPECT_EQ(1000, Num(61));
}

TEST(ArcExtentTest, AxisDirections) {
  // Passing 90 degrees either way reaches the top.
  EXPECT_DOUBLE_EQ(1, ArcXYExtent(0, 0, 1, 80, 20).max_y);
  EXPECT_DOUBLE_EQ(1, ArcXYExtent(0, 0, 1, 100, -20).max_y);
  // Ending exactly on a direction counts.
  EXPECT_DOUBLE_EQ(-1, ArcXYExtent(0, 0, 1, 90, 90).min_x);
  // A counter-clockwise start a hair past 0 degrees counts as on it; a
  // clockwise one does not.
  EXPECT_EQ(1, ArcXYExtent(0, 0, 1, 0.00005, 10).max_x);
  EXPECT_LT(ArcXYExtent(0, 0, 1, -0.00005, -10).max_x, 1);
  // Start angles beyond one turn and full circles.
  EXPECT_DOUBLE_EQ(-1, ArcXYExtent(0, 0, 1, 720 + 170, 20).min_x);
  ArcExtent full = ArcXYExtent(10, 20, 3, 45, -360);
  EXPECT_DOUBLE_EQ(7, full.min_x);
  EXPECT_DOUBLE_EQ(13, full.max_x);
  EXPECT_DOUBLE_EQ(17, full.min_y);
  EXPECT_DOUBLE_EQ(23, full.max_y);
  // A quarter from 10 to 80 degrees passes no direction.
  ArcExtent small = ArcXYExtent(0, 0, 1, 10, 70);
  EXPECT_LT(small.max_x, 1);
  EXPECT_LT(small.max_y, 1);
}

}  // namespace
}  // namespace tlv
