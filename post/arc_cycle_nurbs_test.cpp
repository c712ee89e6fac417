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

}  // namespace
}  // namespace tlv
