// End-to-end runs of TLVP on arcs, canned cycles and NURBS blocks: tool
// paths and definitions written here, the NC program compared byte for
// byte; and every arc the shipped post writes checked geometrically.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "post/testing/tlvp_run.h"

namespace tlv {
namespace {

using testing::ReadTestFile;
using testing::TlvpOutcome;
using testing::TlvpRunTest;
using testing::WriteTestFile;
using Rec = std::string;

Rec R(int kind, std::initializer_list<std::string_view> fields = {}) {
  return testing::ToolPathRecordText(kind, fields);
}

const std::string kCentreWarning =
    "円弧の中心点が指定誤差内に入りません。\n"
    "機械でエラーが発生する可能性があります。\n";

// Home at (0, 0, 100).
const Rec kStart = R(100, {".103=1 0", ".104=1 0", ".105=1 100"});

class ArcCycleNurbsRun : public TlvpRunTest {
 protected:
  void SetUp() override {
    TlvpRunTest::SetUp();
    if (HasFatalFailure()) return;
    Section(1, "%\nG90\n");
    Section(2, "M30\n%\n");
    Section(4, "(CUT <CUT_LENGTH> <CUT_TIME> RAPID <RAPID_LENGTH> <RAPID_TIME>)\n");
    Section(6, "<G_LINE>{X<X_CORD>}{Y<Y_CORD>}{Z<Z_CORD>}\n");
    Section(7, "<G_LINE>{X<X_CORD>}{Y<Y_CORD>}{Z<Z_CORD>}\n");
    Section(8, "<G_MOTION>{X<X_CORD>}{Y<Y_CORD>}{Z<Z_CORD>}{F<F_CORD>}\n");
    Section(9, "<G_PLANE><G_MOTION>{X<X_CORD>}{Y<Y_CORD>}{Z<Z_CORD>}I<I_CORD>J<J_CORD>K<K_CORD>"
               "{F<F_CORD>}\n");
    Section(10, "{<CYC_RETURN>}{<CYC_CODE>}{X<X_CORD>}{Y<Y_CORD>}{Z<CYC_BOTTOM>}{R<CYC_R>}"
                "{Q<CYC_PECK>}{K<CYC_REPEAT>}{F<F_CORD>}\n");
    Section(11, "G80\n<IF>MODE(<CYC_RIGID>)<THEN>\n(RIGID)\n<ENDIF>\n"
                "<IF>MODE(<CYC_IRETURN>)<THEN>\n(INITIAL)\n<ENDIF>\n");
    Section(20, "{<G_NURBS>}{X<X_NURBS>}{Y<Y_NURBS>}{Z<Z_NURBS>}{K<NURBS_KNOT>}\n");
    Section(21, "(NURBS END)\n");
  }

  TlvpOutcome Check(const std::string& tool_path, const std::string& nc) {
    TlvpOutcome r = Run(tool_path);
    EXPECT_EQ(0, r.status) << r.out;
    EXPECT_EQ(nc, r.nc);
    return r;
  }
};

// An arc from the tracked position: word, sweep, radius, start angle,
// centre, end, plane.
Rec Arc(const char* word, double sweep, double radius, double start, double cx, double cy,
        double cz, double ex, double ey, double ez, int plane = 1) {
  auto f = [](int id, double v) {
    std::ostringstream s;
    s.precision(17);
    s << "." << id << "=1 " << v;
    return s.str();
  };
  std::string text = "_300\n.20=0 " + std::string(word) + "\n";
  for (const std::string& line : {f(301, sweep), f(305, radius), f(306, start), f(307, cx),
                                  f(308, cy), f(309, cz), f(310, ex), f(311, ey), f(312, ez),
                                  f(313, plane)}) {
    text += line + "\n";
  }
  return text;
}

TEST_F(ArcCycleNurbsRun, TinyArcsAndTheSplitAtHalfTheSweep) {
  def_.split_large_arcs = 1;
  const Rec path = kStart + R(800, {".19=0 G00", ".512=1 10", ".513=1 0", ".514=1 0"}) +
                   R(1100, {".19=0 G01", ".14=1 100", ".512=1 10"}) +
                   Arc("G03", 0.0005, 10, 0, 0, 0, 0, 10, 0, 0) +
                   Arc("G02", -0.0005, 10, 0, 0, 0, 0, 10, 0, 0) +
                   Arc("G03", 270, 10, 0, 0, 0, 0, 0, -10, 0) + R(2000);
  Check(path,
        "%\nG90\n"
        "G00X10.Z0.\n"
        "G01F100.\n"
        // Full circles, each as two halves.
        "G17G03X-10.I-10.J0.K0.\n"
        "X10.I10.J0.K0.\n"
        "G02X-10.I-10.J0.K0.\n"
        "X10.I10.J0.K0.\n"
        // 270 degrees: the first half ends 135 degrees after the start.
        "G03X-7.071Y7.071I-10.J0.K0.\n"
        "X0.Y-10.I7.071J-7.071K0.\n"
        "M30\n%\n");

  // Not split, and a tiny arc dropped.
  def_.split_large_arcs = 0;
  def_.tiny_arc_as_circle = 0;
  Check(path,
        "%\nG90\n"
        "G00X10.Z0.\n"
        "G01F100.\n"
        "G17G03X0.Y-10.I-10.J0.K0.\n"
        "M30\n%\n");
}

TEST_F(ArcCycleNurbsRun, PlanesCentreRoundingAndTheCentreWarning) {
  const Rec path = kStart + R(800, {".19=0 G00", ".512=1 0", ".513=1 0", ".514=1 0"}) +
                   R(1100, {".19=0 G01", ".14=1 100", ".512=1 0"}) +
                   // The centre 5.0004 rounds to 5.000: both radii agree.
                   Arc("G02", -180, 5, 180, 5.0004, 0, 0, 10, 0, 0) +
                   // ZX back to X0 by Z; YZ from there.
                   Arc("G02", -180, 5, 0, 5, 0, 0, 0, 0, 0, 2) +
                   Arc("G03", 180, 5, 0, 0, 0, 5.0004, 0, 0, 10, 3) +
                   // No neighbour of the centre puts both ends on one circle.
                   Arc("G03", 180, 5, 0, 0, 3, 10, 0, 10, 10) + R(2000);
  TlvpOutcome r = Check(path,
                        "%\nG90\n"
                        "G00Z0.\n"
                        "G01F100.\n"
                        "G17G02X10.I5.J0.K0.\n"
                        "G18X0.I-5.J0.K0.\n"
                        "G19G03Z10.I0.J0.K5.\n"
                        "G17Y10.I0.J3.K0.\n"
                        "M30\n%\n");
  // Once, for the last arc only.
  ASSERT_NE(std::string::npos, r.out.find(kCentreWarning)) << r.out;
  EXPECT_EQ(r.out.find(kCentreWarning), r.out.rfind(kCentreWarning));
  EXPECT_NE(std::string::npos, r.log.find(kCentreWarning));
}

TEST_F(ArcCycleNurbsRun, ArcsUnderIncrementalOutput) {
  // The end point is written as a distance; I, J, K are from the start
  // point as always.
  Section(1, "%\nG91\n");
  Check(kStart + R(800, {".19=0 G00", ".512=1 10", ".513=1 0", ".514=1 0"}) +
            R(1100, {".19=0 G01", ".14=1 100", ".512=1 10"}) +
            Arc("G03", 90, 10, 0, 0, 0, 0, 0, 10, 0) +
            Arc("G03", 90, 10, 90, 0, 0, 0, -10, 0, 0),
        "%\nG91\n"
        "G00X10.Z-100.\n"
        "G01F100.\n"
        "G17G03X-10.Y10.I-10.J0.K0.\n"
        "X-10.Y-10.I0.J-10.K0.\n"
        "M30\n%\n");
}

TEST_F(ArcCycleNurbsRun, CycleLevelsUnderIncrementalOutput) {
  Section(1, "%\nG91\n");
  // Initial level 50; the hole at Z 0 with R 3 and depth 10.
  Check(kStart + R(800, {".19=0 G00", ".514=1 50"}) +
            R(1600, {".21=0 G81", ".22=0 G98", ".512=1 10", ".513=1 5", ".514=1 0",
                     ".501=1 3", ".503=1 10", ".14=1 100"}) +
            R(500, {".512=1 20"}) + R(400),
        "%\nG91\n"
        "G00Z-50.\n"
        "G98G81X10.Y5.Z-13.R-47.F100.\n"
        "X10.\n"
        "G80\n(INITIAL)\n"
        "M30\n%\n");
}

TEST_F(ArcCycleNurbsRun, RPointReturnLeavesTheToolAtTheRLevel) {
  // The hole's top at Z -0.5 with R 3: the tool waits at 2.5 after each
  // hole, so a rapid to 2.5 has no Z to write.
  Check(kStart + R(800, {".19=0 G00", ".514=1 50"}) +
            R(1600, {".21=0 G81", ".22=0 G99", ".512=1 10", ".513=1 10", ".514=1 -0.5",
                     ".501=1 3", ".503=1 10", ".14=1 100"}) +
            R(500, {".512=1 20"}) + R(400) +
            R(800, {".19=0 G00", ".512=1 0", ".513=1 0", ".514=1 2.5"}),
        "%\nG90\n"
        "G00Z50.\n"
        "G99G81X10.Y10.Z-10.5R2.5F100.\n"
        "X20.\n"
        "G80\n(INITIAL)\n"
        "X0.Y0.\n"
        "M30\n%\n");
}

// One process with one drilling cycle of the kind, return word and extra
// items given; the process end prints the unit's lengths and times.
Rec Hole(const char* word, const char* ret, std::initializer_list<std::string_view> more = {}) {
  std::string cycle = "_1600\n.21=0 " + std::string(word) + "\n.22=0 " + ret +
                      "\n.512=1 0\n.513=1 0\n.514=1 50\n.501=1 3\n.503=1 10\n.14=1 100\n";
  for (std::string_view f : more) cycle += std::string(f) + "\n";
  return R(200) + R(800, {".19=0 G00", ".514=1 50"}) + cycle + R(400) + R(600);
}

TEST_F(ArcCycleNurbsRun, CycleEstimatesAndRigidTapping) {
  Section(10, "{<CYC_RETURN>}{<CYC_CODE>}{Q<CYC_PECK>}{K<CYC_REPEAT>}\n");
  Section(11, "G80\n<IF>MODE(<CYC_RIGID>)<THEN>\n(RIGID)\n<ENDIF>\n");
  def_.rigid_tap = 1;
  TlvpOutcome r = Check(
      kStart +
          // Drilling to R 3 and back: cutting 13 in 7.8 s, rapid 47 + 13 in
          // 0.36 s.
          Hole("G81", "G99") +
          // Peck drilling with pecks of 5 and clearance 1; and with none.
          Hole("G83", "G99", {".506=1 5", ".507=1 1"}) +
          Hole("G83", "G99", {".506=1 0.1"}) +
          // Three times with a dwell of half a second.
          Hole("G82", "G99", {".509=2 3", ".504=2 500"}) +
          // Rigid tapping returns to the R point.
          Hole("G84", "G98"),
      // After a return to R the tracked Z is the R level (53), so the rapid
      // back to 50 writes its Z again.
      "%\nG90\n"
      "G00Z50.\nG99G81\nG80\n(CUT 13. 7.8 RAPID 60. 0.36)\n"
      "Z50.\nG99G83Q5.\nG80\n(CUT 15. 9. RAPID 88. 0.528)\n"
      "Z50.\nG99G83Q0.1\nG80\n(CUT 13. 7.8 RAPID 60. 0.36)\n"
      "Z50.\nG99G82K3\nG80\n(CUT 39. 24.9 RAPID 180. 1.08)\n"
      "Z50.\nG98G84\nG80\n(RIGID)\n(CUT 26. 15.6 RAPID 94. 0.564)\n"
      "M30\n%\n");
}

TEST_F(ArcCycleNurbsRun, NurbsCodeOncePerRun) {
  auto block = [](const char* x, const char* knot) {
    return R(1700, {".1705=0 G06.2", ".14=2 600", ".1720=1 0", ".1721=1 0", ".1722=1 0",
                    std::string_view(x), std::string_view(knot)});
  };
  Check(kStart + R(200) + block(".1720=1 1", ".1740=1 0") + block(".1720=1 2", ".1740=1 0.5") +
            R(1702, {".1740=1 1"}) + block(".1720=1 3", ".1740=1 0") + R(1702) +
            R(1100, {".19=0 G01", ".512=1 5", ".514=1 0"}) + R(600),
        "%\nG90\n"
        "G06.2X1.Z0.K0.\n"
        "X2.K0.5\n"
        "(NURBS END)\n"
        "G06.2X3.K0.\n"
        "(NURBS END)\n"
        // The first block has no length item; the next ones count their
        // distance, the end record none.
        "G01X5.F600.\n"
        "(CUT 2. 0.2 RAPID 0. 0.)\n"
        "M30\n%\n");
}

// ---------------------------------------------------------------------------
// Every arc the shipped post writes, read back the way a control reads it.

struct Vec3 {
  double v[3] = {0, 0, 0};
};

// One arc block of an NC program as a control interprets it.
struct NcArc {
  int line = 0;
  bool clockwise = false;
  int plane = 17;
  Vec3 start, end, centre;
};

// Reads the G02/G03 blocks of `nc`: modal motion, plane and G90/G91, with
// positions followed through every block (G28 blocks move to the reference
// point and are not followed).
std::vector<NcArc> ReadNcArcs(const std::string& nc) {
  std::vector<NcArc> arcs;
  Vec3 pos;
  int motion = 0;
  int plane = 17;
  bool incremental = false;
  std::istringstream in(nc);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    bool has[6] = {};
    double word[6] = {};  // X Y Z I J K
    bool reference = false;
    for (std::size_t i = 0; i < line.size();) {
      const char c = line[i];
      if (c == '(') {
        const std::size_t close = line.find(')', i);
        i = close == std::string::npos ? line.size() : close + 1;
        continue;
      }
      if (c < 'A' || c > 'Z') {
        ++i;
        continue;
      }
      const char* begin = line.c_str() + i + 1;
      char* stop = nullptr;
      const double value = std::strtod(begin, &stop);
      i = static_cast<std::size_t>(stop - line.c_str());
      if (stop == begin) ++i;
      if (c == 'G') {
        const int g = static_cast<int>(std::lround(value * 10));
        if (g == 0 || g == 10 || g == 20 || g == 30) motion = g / 10;
        if (g == 62 || (g >= 800 && g <= 890)) motion = -1;  // NURBS, cycles
        if (g >= 170 && g <= 190) plane = g / 10;
        if (g == 900) incremental = false;
        if (g == 910) incremental = true;
        if (g == 280) reference = true;
      }
      const char* letters = "XYZIJK";
      if (const char* at = std::strchr(letters, c)) {
        has[at - letters] = true;
        word[at - letters] = value;
      }
    }
    if (reference) continue;
    Vec3 next = pos;
    for (int a = 0; a < 3; ++a) {
      if (has[a]) next.v[a] = incremental ? pos.v[a] + word[a] : word[a];
    }
    const bool any = has[0] || has[1] || has[2] || has[3] || has[4] || has[5];
    if ((motion == 2 || motion == 3) && any) {
      NcArc arc;
      arc.line = number;
      arc.clockwise = motion == 2;
      arc.plane = plane;
      arc.start = pos;
      arc.end = next;
      for (int a = 0; a < 3; ++a) arc.centre.v[a] = pos.v[a] + word[3 + a];
      arcs.push_back(arc);
    }
    pos = next;
  }
  return arcs;
}

// One arc of the generated tool path.
struct PathArc {
  int plane = 1;  // 1 XY, 2 ZX, 3 YZ
  double sweep = 0;
  Vec3 start, centre, end;
};

// The plane's first and second axis.
void AxesOf(int plane, int* first, int* second) {
  *first = plane == 2 ? 2 : plane == 3 ? 1 : 0;
  *second = plane == 2 ? 0 : plane == 3 ? 2 : 1;
}

std::string Field(int id, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, ".%d=1 %.6f", id, v);
  return buf;
}

// Arcs in all three planes and both directions, at centres and radii that
// do not fall on the least increment, each reached by a linear move.
std::string ArcToolPath(std::vector<PathArc>* arcs) {
  std::mt19937 random(20261207);
  auto uniform = [&](double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(random);
  };
  std::string path = "_100\n.102=0 ARCS\n.103=1 0\n.104=1 0\n.105=1 100\n"
                     "_200\n.213=0 OP10 ARCS\n.15=2 2000\n.16=0 M03\n.17=0 M08\n"
                     "_1500\n.1504=2 1\n.1502=0 BALL D6\n.103=1 0\n.104=1 0\n.105=1 50\n_1200\n";
  constexpr double kPi = 3.14159265358979323846;
  for (int k = 0; k < 90; ++k) {
    PathArc arc;
    arc.plane = k % 3 + 1;
    int a, b;
    AxesOf(arc.plane, &a, &b);
    const int c = 3 - a - b;
    const double radius = k % 10 == 0 ? uniform(0.3, 1.0) : uniform(1.0, 60.0);
    const double start = uniform(0, 360);
    arc.sweep = (k % 2 ? -1 : 1) * (k % 7 == 0 ? uniform(179, 181) : uniform(3, 356));
    arc.centre.v[a] = uniform(-80, 80);
    arc.centre.v[b] = uniform(-80, 80);
    arc.centre.v[c] = uniform(-20, 20);
    arc.start = arc.centre;
    arc.end = arc.centre;
    arc.start.v[a] += radius * std::cos(start * kPi / 180);
    arc.start.v[b] += radius * std::sin(start * kPi / 180);
    arc.end.v[a] += radius * std::cos((start + arc.sweep) * kPi / 180);
    arc.end.v[b] += radius * std::sin((start + arc.sweep) * kPi / 180);
    path += "_1100\n.19=0 G01\n.14=1 500\n" + Field(512, arc.start.v[0]) + "\n" +
            Field(513, arc.start.v[1]) + "\n" + Field(514, arc.start.v[2]) + "\n";
    path += std::string("_300\n.20=0 ") + (arc.sweep < 0 ? "G02" : "G03") + "\n.14=1 400\n";
    for (const std::string& f :
         {Field(301, arc.sweep), Field(305, radius), Field(306, start),
          Field(307, arc.centre.v[0]), Field(308, arc.centre.v[1]), Field(309, arc.centre.v[2]),
          Field(310, arc.end.v[0]), Field(311, arc.end.v[1]), Field(312, arc.end.v[2]),
          Field(313, arc.plane)}) {
      path += f + "\n";
    }
    arcs->push_back(arc);
  }
  path += "_1800\n_600\n";
  return path;
}

double Rounded(double v) { return std::round(v * 1000) / 1000; }

// The checks a control makes, and that the arc is the tool path's arc.
void ExpectSameArc(const PathArc& want, const NcArc& got) {
  constexpr double kIncrement = 0.001;
  constexpr double kNoise = 1e-9;
  SCOPED_TRACE("NC line " + std::to_string(got.line));
  EXPECT_EQ(want.plane == 2 ? 18 : want.plane == 3 ? 19 : 17, got.plane);
  EXPECT_EQ(want.sweep < 0, got.clockwise);
  int a, b;
  AxesOf(want.plane, &a, &b);
  for (int axis = 0; axis < 3; ++axis) {
    EXPECT_NEAR(want.end.v[axis], got.end.v[axis], kIncrement / 2 + kNoise) << axis;
    EXPECT_NEAR(Rounded(want.centre.v[axis]), got.centre.v[axis],
                axis == a || axis == b ? kIncrement + kNoise : kNoise)
        << axis;
  }
  const double r1 = std::hypot(got.start.v[a] - got.centre.v[a], got.start.v[b] - got.centre.v[b]);
  const double r2 = std::hypot(got.end.v[a] - got.centre.v[a], got.end.v[b] - got.centre.v[b]);
  EXPECT_LT(std::fabs(r1 - r2), kIncrement) << r1 << " " << r2;
  // The control's arc sweeps the tool path's angle.
  constexpr double kDegrees = 180 / 3.14159265358979323846;
  double sweep = (std::atan2(got.end.v[b] - got.centre.v[b], got.end.v[a] - got.centre.v[a]) -
                  std::atan2(got.start.v[b] - got.centre.v[b], got.start.v[a] - got.centre.v[a])) *
                 kDegrees;
  if (got.clockwise && sweep > 0) sweep -= 360;
  if (!got.clockwise && sweep < 0) sweep += 360;
  if (std::fabs(sweep) < 1e-9) sweep = got.clockwise ? -360 : 360;  // a full circle
  EXPECT_NEAR(want.sweep, sweep, 0.5);
}

TEST(ShippedPostArcs, EveryArcIsOneAControlAccepts) {
  const std::string post = TLV_BIN_DIR "/samples/mc3axis.tlv";
  ASSERT_NE("<missing>", ReadTestFile(post)) << "build the sample_post target first";
  testing::TempFolder dir;
  std::vector<PathArc> arcs;
  const testing::TlvpOutcome r = testing::RunTlvpProgram(dir, ArcToolPath(&arcs), post);
  ASSERT_EQ(0, r.status) << r.out;
  EXPECT_EQ(std::string::npos, r.out.find(kCentreWarning)) << r.out;
  const std::vector<NcArc> written = ReadNcArcs(r.nc);
  ASSERT_EQ(arcs.size(), written.size()) << r.nc;
  for (std::size_t i = 0; i < arcs.size(); ++i) ExpectSameArc(arcs[i], written[i]);
}

// The arcs of a tool-path file: the arc records' sweep, centre, end and
// plane, with the start taken from nothing (the NC program gives it).
std::vector<PathArc> ReadToolPathArcs(const std::string& text) {
  std::vector<PathArc> arcs;
  std::istringstream in(text);
  std::string line;
  PathArc* arc = nullptr;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] == '_') {
      if (line == "_300") {
        arcs.emplace_back();
        arc = &arcs.back();
      } else {
        arc = nullptr;
      }
      continue;
    }
    if (!arc || line.size() < 2 || line[0] != '.') continue;
    const int id = std::atoi(line.c_str() + 1);
    const std::size_t blank = line.find(' ');
    const double value = blank == std::string::npos ? 0 : std::atof(line.c_str() + blank + 1);
    if (id == 301) arc->sweep = value;
    if (id >= 307 && id <= 309) arc->centre.v[id - 307] = value;
    if (id >= 310 && id <= 312) arc->end.v[id - 310] = value;
    if (id == 313) arc->plane = static_cast<int>(value);
  }
  return arcs;
}

TEST(ShippedPostArcs, TheSampleProgramsArcsAreTheToolPathsArcs) {
  const std::vector<PathArc> arcs =
      ReadToolPathArcs(ReadTestFile(TLV_SOURCE_DIR "/data/samples/plate.tlvstx"));
  const std::vector<NcArc> written =
      ReadNcArcs(ReadTestFile(TLV_SOURCE_DIR "/data/samples/plate.expected.nc"));
  ASSERT_FALSE(arcs.empty());
  ASSERT_EQ(arcs.size(), written.size());
  for (std::size_t i = 0; i < arcs.size(); ++i) ExpectSameArc(arcs[i], written[i]);
}

}  // namespace
}  // namespace tlv
