#include "plot/nc_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "platform/file_contents.h"

namespace tlv {
namespace {

// Every program starts from a known position so the moves under test are drawn.
NcPath Read(const std::string& body, NcReadOptions options = {}) {
  return ReadNcProgram("G90 G17 G00 X0 Y0 Z0\n" + body, "t.nc", options);
}

double Dist(const Point3& a, const Point3& b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

void ExpectPoint(const Point3& p, double x, double y, double z) {
  EXPECT_NEAR(p.x, x, 1e-9);
  EXPECT_NEAR(p.y, y, 1e-9);
  EXPECT_NEAR(p.z, z, 1e-9);
}

// Every piece of an arc block ends on the circle around its kept centre, the
// chords stay within tolerance and the last piece ends on the programmed end.
void ExpectArc(const NcPath& path, double radius, const Point3& end, double tolerance = 0.01) {
  ASSERT_FALSE(path.segments.empty());
  for (const Segment& s : path.segments) {
    ASSERT_TRUE(s.on_arc);
    EXPECT_NEAR(Dist(s.end, s.centre), radius, 1e-6);
    Point3 mid{(s.start.x + s.end.x) / 2, (s.start.y + s.end.y) / 2, (s.start.z + s.end.z) / 2};
    EXPECT_LE(radius - Dist(mid, s.centre), tolerance + 1e-9);
  }
  ExpectPoint(path.segments.back().end, end.x, end.y, end.z);
}

TEST(NcReaderTest, ModalMotionAndIncrementalWords) {
  NcPath p = Read("G01 X10. F100.\nY5.\nG91 X-2. Z-1.\nG00 G90 X0. Y0.\n");
  ASSERT_EQ(p.segments.size(), 4u);
  EXPECT_EQ(p.segments[0].kind, SegmentKind::kFeed);
  EXPECT_EQ(p.segments[1].kind, SegmentKind::kFeed);  // G01 stays in force
  ExpectPoint(p.segments[1].end, 10, 5, 0);
  ExpectPoint(p.segments[2].end, 8, 5, -1);
  EXPECT_EQ(p.segments[3].kind, SegmentKind::kRapid);
  ExpectPoint(p.segments[3].end, 0, 0, -1);
  EXPECT_EQ(p.segments[0].line, 2);
  EXPECT_EQ(p.segments[3].line, 5);
  EXPECT_TRUE(p.warnings.empty());
}

TEST(NcReaderTest, PositionPresetKeepsThePathJoined) {
  // After G92 X0 at X10, "X5" is 5 further on the drawing.
  NcPath p = Read("G01 X10.\nG92 X0.\nX5.\n");
  ASSERT_EQ(p.segments.size(), 2u);
  ExpectPoint(p.segments[1].start, 10, 0, 0);
  ExpectPoint(p.segments[1].end, 15, 0, 0);
}

TEST(NcReaderTest, NothingIsDrawnBeforeThePositionIsKnown) {
  NcPath p = ReadNcProgram("%\nO0001\nG91 G28 Z0.\nG00 G90 X-40. Y20.\nG43 Z50. H01\nG01 Z5.\n%\n",
                           "t.nc");
  ASSERT_EQ(p.segments.size(), 1u);
  ExpectPoint(p.segments[0].start, -40, 20, 50);
  ExpectPoint(p.segments[0].end, -40, 20, 5);
  EXPECT_TRUE(p.warnings.empty());
}

TEST(NcReaderTest, ToolChangeColoursFollowingMoves) {
  NcPath p = Read("T3\nG01 X1.\nM06\nX2.\nT7 M06\nX3.\n");
  ASSERT_EQ(p.segments.size(), 3u);
  EXPECT_EQ(p.segments[0].tool, 0);  // T alone only preselects
  EXPECT_EQ(p.segments[1].tool, 3);
  EXPECT_EQ(p.segments[2].tool, 7);
}

TEST(NcReaderTest, ArcsInTheThreePlanes) {
  // XY, counterclockwise quarter by I/J.
  NcPath xy = Read("G00 X10.\nG03 X0. Y10. I-10. J0.\n");
  xy.segments.erase(xy.segments.begin());
  ExpectArc(xy, 10, {0, 10, 0});
  EXPECT_GT(xy.segments[xy.segments.size() / 2].end.x, 0);  // short way round
  EXPECT_GT(xy.segments[xy.segments.size() / 2].end.y, 0);

  // XY clockwise the same ends goes the long way round.
  NcPath cw = Read("G00 X10.\nG02 X0. Y10. I-10. J0.\n");
  cw.segments.erase(cw.segments.begin());
  ExpectArc(cw, 10, {0, 10, 0});
  EXPECT_LT(cw.segments[cw.segments.size() / 2].end.x, 0);

  // ZX plane: clockwise from X10 Z0 to X0 Z10 about the origin by I/K.
  NcPath zx = Read("G00 X10.\nG18 G02 X0. Z10. I-10. K0.\n");
  zx.segments.erase(zx.segments.begin());
  ExpectArc(zx, 10, {0, 0, 10});
  const Point3 mid = zx.segments[zx.segments.size() / 2].end;
  EXPECT_GT(mid.x, 5);
  EXPECT_GT(mid.z, 5);
  EXPECT_DOUBLE_EQ(mid.y, 0);

  // YZ plane by R: R>0 takes the short arc, R<0 the long one.
  NcPath short_arc = Read("G19 G03 Y10. Z10. R10.\n");
  ExpectArc(short_arc, 10, {0, 10, 10});
  ExpectPoint(short_arc.segments[0].centre, 0, 0, 10);
  NcPath long_arc = Read("G19 G03 Y10. Z10. R-10.\n");
  ExpectArc(long_arc, 10, {0, 10, 10});
  EXPECT_NEAR(long_arc.segments[0].centre.y, 10, 1e-9);
  EXPECT_NEAR(long_arc.segments[0].centre.z, 0, 1e-9);
  EXPECT_GT(long_arc.segments.size(), short_arc.segments.size() * 2);
}

TEST(NcReaderTest, FullCirclesAndHelices) {
  NcPath full = Read("G00 X10.\nG02 I-10.\n");  // centre only: a whole circle
  full.segments.erase(full.segments.begin());
  ExpectArc(full, 10, {10, 0, 0});
  double min_x = 1e9;
  for (const Segment& s : full.segments) min_x = std::min(min_x, s.end.x);
  EXPECT_NEAR(min_x, -10, 0.01);

  NcPath helix = Read("G00 X10.\nG03 X10. Z-4. I-10.\n");
  helix.segments.erase(helix.segments.begin());
  ASSERT_GT(helix.segments.size(), 4u);
  const Segment& half = helix.segments[helix.segments.size() / 2];
  EXPECT_NEAR(half.end.z, -2, 0.05);
  EXPECT_NEAR(helix.segments.back().end.z, -4, 1e-9);
}

TEST(NcReaderTest, ArcFaultsWarnAndDrawStraight) {
  NcPath no_centre = Read("G02 X5.\n");
  ASSERT_EQ(no_centre.segments.size(), 1u);
  EXPECT_FALSE(no_centre.segments[0].on_arc);
  ASSERT_EQ(no_centre.warnings.size(), 1u);
  EXPECT_EQ(no_centre.warnings[0].line, 2);
  EXPECT_NE(no_centre.warnings[0].message.find("t.nc:2: arc without centre"), std::string::npos);

  NcPath off = Read("G00 X10.\nG03 X0. Y12. I-10.\n");
  EXPECT_EQ(off.warnings.size(), 1u);  // end point off the circle
  ExpectPoint(off.segments.back().end, 0, 12, 0);

  NcPath small_r = Read("G02 X10. R2.\n");
  EXPECT_EQ(small_r.warnings.size(), 1u);
  ExpectPoint(small_r.segments.back().end, 10, 0, 0);
}

TEST(NcReaderTest, CannedCyclesWithBothReturnModes) {
  NcPath p = ReadNcProgram(
      "G90 G00 X0 Y0 Z50.\nG99 G81 X20. Y20. Z-12.5 R2.5 F150.\nX80.\nG80\n"
      "G00 Z50.\nG98 G84 X20. Y60. Z-15.5 R4.5\nG80\n",
      "t.nc");
  // Per hole: rapid over, rapid to R, feed down, out, (G98) rapid up.
  ASSERT_GE(p.segments.size(), 9u);
  ExpectPoint(p.segments[0].end, 20, 20, 50);
  ExpectPoint(p.segments[1].end, 20, 20, 2.5);
  EXPECT_EQ(p.segments[2].kind, SegmentKind::kFeed);
  ExpectPoint(p.segments[2].end, 20, 20, -12.5);
  EXPECT_EQ(p.segments[3].kind, SegmentKind::kRapid);
  ExpectPoint(p.segments[3].end, 20, 20, 2.5);  // G99 stays at R
  ExpectPoint(p.segments[4].end, 80, 20, 2.5);  // next hole at R level
  ExpectPoint(p.segments[5].end, 80, 20, -12.5);
  // Tapping comes out under feed and G98 returns to the level of the start.
  const Segment& last = p.segments.back();
  ExpectPoint(last.end, 20, 60, 50);  // initial level of the second cycle
  EXPECT_EQ(last.kind, SegmentKind::kRapid);
  const Segment& out = p.segments[p.segments.size() - 2];
  EXPECT_EQ(out.kind, SegmentKind::kFeed);
  ExpectPoint(out.end, 20, 60, 4.5);
  EXPECT_TRUE(p.warnings.empty());
}

TEST(NcReaderTest, IncrementalCycleRepeats) {
  NcPath p = ReadNcProgram("G90 G00 X0 Y0 Z50.\nG91 G98 G81 X10. R-48. Z-10. K3\nG80\n", "t.nc");
  std::set<double> holes;
  for (const Segment& s : p.segments) {
    if (s.kind == SegmentKind::kFeed) {
      EXPECT_NEAR(s.end.z, -8, 1e-9);
      holes.insert(s.end.x);
    }
  }
  EXPECT_EQ(holes, (std::set<double>{10, 20, 30}));
  ExpectPoint(p.segments.back().end, 30, 0, 50);
}

TEST(NcReaderTest, WordsThatAreNotUnderstoodWarnWithTheirLine) {
  NcPath p = Read("G01 X1. E5.\nG53 X2.\nX\n(\x83\x65\x83\x58\x83\x67) ; \x93\xfa\x96\x7b\nX3. \x83\x41\n");
  ASSERT_EQ(p.warnings.size(), 4u);
  EXPECT_EQ(p.warnings[0].message, "t.nc:2: unknown word E, skipped");
  EXPECT_EQ(p.warnings[1].message, "t.nc:3: unknown code G53, skipped");
  EXPECT_EQ(p.warnings[2].message, "t.nc:4: word X without a number, skipped");
  EXPECT_EQ(p.warnings[3].line, 6);  // CP932 outside a comment; line 5 is fine
  ExpectPoint(p.segments.back().end, 3, 0, 0);
}

TEST(NcReaderTest, LimitsBoundHostilePrograms) {
  NcReadOptions tight;
  tight.chord_tolerance = 1e-12;
  tight.max_arc_pieces = 100;
  NcPath arc = Read("G00 X1000.\nG02 I-1000.\n", tight);
  EXPECT_EQ(arc.segments.size(), 101u);

  NcPath many = Read("G91 G81 X1. R-1. Z-1. K99999999\n");
  EXPECT_EQ(many.warnings.size(), 1u);
  EXPECT_LE(many.segments.size(), 5 * NcReadOptions{}.max_cycle_repeats);

  NcReadOptions few;
  few.max_segments = 3;
  NcPath cut = Read("G01 X1.\nX2.\nX3.\nX4.\nX5.\n", few);
  EXPECT_EQ(cut.segments.size(), 3u);
  EXPECT_TRUE(cut.truncated);
  EXPECT_FALSE(cut.warnings.empty());

  NcPath huge = Read("G01 X1e308 Y99999999999.\n");
  EXPECT_FALSE(huge.warnings.empty());
  for (const Segment& s : huge.segments) EXPECT_TRUE(std::isfinite(s.end.x + s.end.y));
}

TEST(NcReaderTest, ShippedSampleExtents) {
  std::string text, err;
  ASSERT_TRUE(ReadFileBytes(std::string(TLV_SOURCE_DIR) + "/data/samples/plate.expected.nc",
                            &text, &err))
      << err;
  const NcPath p = ReadNcProgram(text, "plate.expected.nc");
  EXPECT_TRUE(p.warnings.empty()) << p.warnings[0].message;
  // Face mill from X-40 to X140, contour at Y-5.2 / 85.2, deepest hole
  // Z-20.5, clearance Z50.
  const Extents all = PathExtents(p);
  EXPECT_NEAR(all.min.x, -40, 1e-9);
  EXPECT_NEAR(all.max.x, 140, 1e-9);
  EXPECT_NEAR(all.min.y, -5.2, 1e-9);
  EXPECT_NEAR(all.max.y, 85.2, 1e-9);
  EXPECT_NEAR(all.min.z, -20.5, 1e-9);
  EXPECT_NEAR(all.max.z, 50, 1e-9);
  const Extents cut = FeedExtents(p);
  EXPECT_NEAR(cut.max.z, 5, 1e-9);
  // The circle pocket: radius 5 and 10 about X50 Y40 / X55 Y40.
  std::set<int> radii, tools;
  for (const Segment& s : p.segments) {
    tools.insert(s.tool);
    if (s.on_arc) radii.insert(static_cast<int>(std::lround(Dist(s.end, s.centre))));
  }
  EXPECT_EQ(radii, (std::set<int>{5, 10}));
  EXPECT_EQ(tools, (std::set<int>{1, 2, 3, 4, 5}));
}

}  // namespace
}  // namespace tlv
