#include "motion/cycle.h"

#include "motion/handler_test_support.h"

namespace tlv {
namespace {

class CycleTest : public HandlerTest {
 protected:
  void Cycle(CycleMode mode, std::initializer_list<TestItem> items) {
    HandleCycle(ctx_, MakeRecord(mode == CycleMode::kStart ? kCycleSecondForm
                                 : mode == CycleMode::kPoint ? kCycle
                                                             : kCycleOff,
                                 items),
                mode);
  }
  bool Changed(std::int32_t n) { return V(n).changed; }
};

// A drilling state: Z0 50, R 3, depth 10, F 100, rapid 10000, R return.
CycleState Drill() {
  CycleState st;
  st.kind = kCycleDrill;
  st.position_z = 50;
  st.r = 3;
  st.depth = 10;
  st.feed = 100;
  st.rapid_rate = 10000;
  st.return_to_initial = false;
  return st;
}

TEST(CycleWordTest, ExactWordsOnly) {
  EXPECT_EQ(kCycleTap, LookUpCycleWord("G84").kind);
  EXPECT_EQ("CYC_TAP", LookUpCycleWord("G84").code_key);
  EXPECT_EQ(kCyclePeckDeep, LookUpCycleWord("G83").kind);
  EXPECT_EQ("CYC_BOREFEED", LookUpCycleWord("G89").code_key);
  for (const char* word : {"G80", "G81 ", "g81", "G8", ""}) {
    EXPECT_EQ(kCycleOther, LookUpCycleWord(word).kind) << word;
    EXPECT_EQ("CYC_ETC", LookUpCycleWord(word).code_key) << word;
  }
}

TEST_F(CycleTest, RigidTappingFlags) {
  ctx_.rigid_tap = 1;
  Cycle(CycleMode::kStart, {{21, 0, "G84"}, {22, 0, "G99"}});
  EXPECT_EQ(kCycleTap, ctx_.cycle.kind);
  EXPECT_EQ("G84", Text(21));
  EXPECT_TRUE(Changed(3005));
  EXPECT_FALSE(Changed(3006));
  Cycle(CycleMode::kPoint, {{512, 10}});
  EXPECT_FALSE(Changed(3005));  // every call clears both first
  Cycle(CycleMode::kEnd, {});
  EXPECT_TRUE(Changed(3005));
  EXPECT_FALSE(Changed(3006));
  EXPECT_FALSE(ctx_.cycle_r_return);

  // Any other word, or G84 without the option: the cycle returns to the
  // initial point as far as the cycle-off section can tell.
  for (int rigid : {1, 0}) {
    ctx_.rigid_tap = rigid;
    Cycle(CycleMode::kStart, {{21, 0, rigid ? "G81" : "G84"}});
    EXPECT_FALSE(Changed(3005));
    EXPECT_TRUE(Changed(3006));
    Cycle(CycleMode::kEnd, {});
    EXPECT_FALSE(Changed(3005)) << rigid;
    EXPECT_TRUE(Changed(3006)) << rigid;
  }
}

TEST_F(CycleTest, StartWritesTheCycleInFull) {
  SetPrevious(1, 2, 50);
  V(506).SetNumber(2);
  Cycle(CycleMode::kStart, {{21, 0, "G81"}, {22, 0, "G98"}, {514, 0}, {501, 3}, {503, 10},
                            {14, 120}, {504, 0, "250"}});
  EXPECT_EQ(50, Num(26));
  EXPECT_EQ("G98", Text(22));
  EXPECT_TRUE(ctx_.cycle.return_to_initial);
  for (std::int32_t n : {21, 22, 24, 25, 14, 18, 504}) EXPECT_TRUE(Changed(n)) << n;
  EXPECT_FALSE(Changed(506));  // a parameter not in this record
  EXPECT_EQ(250, ctx_.cycle.dwell);  // a text item counts by its number
  EXPECT_EQ(120, ctx_.cycle.feed);
  EXPECT_EQ(0, ctx_.totals.last_feed);

  Cycle(CycleMode::kPoint, {{22, 0, "G99"}});
  EXPECT_EQ("G99", Text(22));
  EXPECT_FALSE(ctx_.cycle.return_to_initial);
}

TEST_F(CycleTest, LevelsPerCoordinateOutputMode) {
  SetPrevious(0, 0, 50);
  Cycle(CycleMode::kStart, {{21, 0, "G81"}, {501, 3}, {503, 10}, {514, 0}});
  EXPECT_EQ(3, Num(25));
  EXPECT_EQ(-10, Num(24));
  EXPECT_EQ(-10, Num(41));  // bottom widens the Z ranges
  EXPECT_EQ(-10, Num(61));
  EXPECT_EQ(3, Num(62));    // R as given, feed range only

  store_.coordinates().mode = kCoordIncremental;
  Cycle(CycleMode::kStart, {{21, 0, "G81"}, {501, 3}, {503, 10}, {514, 0}});
  EXPECT_EQ(-47, Num(25));
  EXPECT_EQ(-13, Num(24));
  EXPECT_EQ(-13, Num(41));

  store_.coordinates().mode = kCoordOffset;
  store_.coordinates().g92_offset[2] = 5;
  Cycle(CycleMode::kPoint, {{514, 1}});
  EXPECT_EQ(9, Num(25));
  EXPECT_EQ(-4, Num(24));
  EXPECT_EQ(1, ctx_.cycle.position_z);
}

TEST_F(CycleTest, EstimatesPerKind) {
  // Drilling with a return to the initial level; a negative depth as it is.
  CycleState st = Drill();
  st.return_to_initial = true;
  EXPECT_DOUBLE_EQ(107, EstimateCycle(st).rapid_length);
  st.depth = -10;
  EXPECT_DOUBLE_EQ(13, EstimateCycle(st).cutting_length);

  // Peck drilling with full retract: pecks to -2 and -7, clearance 1.
  st = Drill();
  CycleEstimate e;
  st.kind = kCyclePeckDeep;
  st.peck = 5;
  st.clearance = 1;
  e = EstimateCycle(st);
  EXPECT_DOUBLE_EQ(5 + 6 + 4, e.cutting_length);
  EXPECT_DOUBLE_EQ(47 + 5 + 14 + 9 + 13, e.rapid_length);
  // Chip breaking: the tool backs off by the clearance only.
  st.kind = kCyclePeckFast;
  e = EstimateCycle(st);
  EXPECT_DOUBLE_EQ(15, e.cutting_length);
  EXPECT_DOUBLE_EQ(47 + 1 + 1 + 13, e.rapid_length);
  // A peck of 0.1 or less makes no pecks.
  st.kind = kCyclePeckDeep;
  st.peck = 0.1;
  e = EstimateCycle(st);
  EXPECT_DOUBLE_EQ(13, e.cutting_length);
  EXPECT_DOUBLE_EQ(60, e.rapid_length);

  // Tapping feeds in and out.
  st = Drill();
  st.kind = kCycleTap;
  e = EstimateCycle(st);
  EXPECT_DOUBLE_EQ(26, e.cutting_length);
  EXPECT_DOUBLE_EQ(47, e.rapid_length);
  st.return_to_initial = true;
  EXPECT_DOUBLE_EQ(94, EstimateCycle(st).rapid_length);
}

TEST_F(CycleTest, UnsetRatesAndAbsurdDepths) {
  CycleState st = Drill();
  st.repeat = 3;
  // No feed or no rapid rate: lengths, but no time instead of a division
  // by zero.
  st.feed = 0.9;
  st.rapid_rate = 0;
  const CycleEstimate e = EstimateCycle(st);
  EXPECT_EQ(0, e.cutting_time);
  EXPECT_EQ(0, e.rapid_time);
  EXPECT_DOUBLE_EQ(39, e.cutting_length);

  // An absurd depth with small pecks ends.
  st = Drill();
  st.kind = kCyclePeckDeep;
  st.peck = 0.2;
  st.depth = 1e12;
  EXPECT_GT(EstimateCycle(st).cutting_length, 1e12);
}

TEST_F(CycleTest, SectionFinishBooksTheHoleAndTracksTheRPoint) {
  ctx_.rapid_feed = 10000;
  ctx_.split.methods = kSplitByMachiningTime | kSplitByMachiningLength;
  SetPrevious(0, 0, 50);
  Cycle(CycleMode::kStart, {{21, 0, "G81"}, {22, 0, "G99"}, {514, 50}, {501, 3}, {503, 10},
                            {14, 100}});
  FinishCycleSection(ctx_, /*r_point_return=*/true);
  EXPECT_EQ(53, Num(34));  // the R level, not the R value
  EXPECT_DOUBLE_EQ(13, Num(35));
  EXPECT_DOUBLE_EQ(7.8, Num(36));
  EXPECT_DOUBLE_EQ(60, Num(47));
  EXPECT_DOUBLE_EQ(0.36, Num(44));
  EXPECT_DOUBLE_EQ(73, Num(48));
  EXPECT_DOUBLE_EQ(8.16, Num(49));
  EXPECT_DOUBLE_EQ(13, ctx_.totals.cutting_length);
  EXPECT_DOUBLE_EQ(0.36, ctx_.totals.rapid_time);
  EXPECT_DOUBLE_EQ(7.8, ctx_.split_time);
  EXPECT_EQ(0, ctx_.split_length);

  // Return to the initial point leaves the tracked Z alone; the cycle-off
  // resets the state.
  FinishCycleSection(ctx_, false);
  EXPECT_EQ(53, Num(34));
  store_.coordinates().mode = kCoordOffset;
  store_.coordinates().g92_offset[2] = -2;
  FinishCycleSection(ctx_, true);
  EXPECT_EQ(51, Num(34));
  ResetCycle(ctx_);
  EXPECT_EQ(0, ctx_.cycle.kind);
  EXPECT_EQ(1, ctx_.cycle.repeat);
  EXPECT_TRUE(ctx_.cycle.return_to_initial);
}

}  // namespace
}  // namespace tlv
