// End-to-end runs of TLVP on arcs, canned cycles and NURBS blocks: tool
// paths and definitions written here, the NC program compared byte for
// byte; and every arc the shipped post writes checked geometrically.
#include <gtest/gtest.h>

#include <cmath>
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
      // After a return to R the tracked Z is the R value, so the rapid back
      // to 50 writes its Z again.
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

}  // namespace
}  // namespace tlv
