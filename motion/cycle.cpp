#include "motion/cycle.h"

#include <cmath>

#include "format/variable_store.h"
#include "motion/motion_core.h"
#include "motion/straight_move.h"
#include "platform/numbers.h"
#include "toolpath/tool_path_record.h"

namespace tlv {
namespace {

/// Pecks of less than this are no pecks: the hole is drilled in one go.
constexpr double kMinPeck = 0.1;
/// Pecks counted one by one at most; a deeper hole is finished as one cut.
/// Keeps an absurd depth from stalling the run.
constexpr int kMaxPecks = 1000000;

struct WordEntry {
  std::string_view word;
  CycleWord cycle;
};

constexpr WordEntry kCycleWords[] = {
    {"G81", {kCycleDrill, "CYC_DRILL"}},        {"G73", {kCyclePeckFast, "CYC_FDRILL"}},
    {"G74", {kCycleReverseTap, "CYC_RTAP"}},    {"G76", {kCycleFineBore, "CYC_FBORE"}},
    {"G82", {kCycleCounterBore, "CYC_CBORE"}},  {"G83", {kCyclePeckDeep, "CYC_SDRILL"}},
    {"G84", {kCycleTap, "CYC_TAP"}},            {"G85", {kCycleBore, "CYC_BORING"}},
    {"G86", {kCycleBoreStop, "CYC_BORESTOP"}},  {"G87", {kCycleBackBore, "CYC_BACKBORE"}},
    {"G88", {kCycleBoreManual, "CYC_BOREMANU"}}, {"G89", {kCycleBoreFeed, "CYC_BOREFEED"}},
};

double ValueOf(const RecordField& item) {
  return item.kind == FieldKind::kText ? ParseLeadingDouble(item.text) : item.number;
}

// The R level (variable 25) and bottom level (variable 24) as the current
// coordinate output writes them, and the bottom in absolute terms for the
// Z ranges.
struct Levels {
  double r_level;
  double bottom;
  double range_bottom;
};

Levels LevelsOf(RunContext& ctx) {
  const double z = NumberOf(ctx, kVarEnd + 2);
  const double r = ctx.cycle.r;
  const double d = ctx.cycle.depth;
  CoordinateState& coord = ctx.variables->coordinates();
  switch (coord.mode) {
    case kCoordIncremental: {
      // R is written from the initial level, the bottom from the R level.
      const double initial = NumberOf(ctx, kVarCycleInitial);
      return {z + r - initial, -d - r, z - d - r};
    }
    case kCoordOffset: {
      const double oz = coord.g92_offset[2];
      return {z + r + oz, z - d + oz, z - d + oz};
    }
    default:
      return {z + r, z - d, z - d};
  }
}

void UpdateBothRanges(RunContext& ctx, int axis, double value) {
  UpdateRange(ctx, axis, value);
  UpdateFeedRange(ctx, axis, value);
}

void ReadCycleWord(RunContext& ctx, std::string_view word) {
  const CycleWord cycle = LookUpCycleWord(word);
  const bool rigid = cycle.kind == kCycleTap && ctx.rigid_tap;
  SetChanged(ctx, kVarRigidTapFlag, rigid);
  SetChanged(ctx, kVarInitialReturnFlag, !rigid);
  ctx.cycle_r_return = rigid;
  StoreCode(ctx, kVarCycleCode, cycle.code_key);
  SetChanged(ctx, kVarMotionCode, true);
  ctx.cycle.kind = cycle.kind;
}

void ReadItem(RunContext& ctx, const RecordField& item) {
  CycleState& st = ctx.cycle;
  switch (item.id) {
    case kVarFeed:
    case kItemDwell:
    case kItemPeck:
    case kItemPeckClearance:
    case kItemRepeat:
    case kItemCycleParam1:
    case kItemCycleParam2: {
      StoreGenericItem(ctx, item);
      SetChanged(ctx, item.id, true);
      const double value = ValueOf(item);
      if (item.id == kVarFeed) st.feed = value;
      if (item.id == kItemDwell) st.dwell = value;
      if (item.id == kItemPeck) st.peck = value;
      if (item.id == kItemPeckClearance) st.clearance = value;
      if (item.id == kItemRepeat) st.repeat = value;
      break;
    }
    case kItemCycleWord:
      ReadCycleWord(ctx, item.text);
      break;
    case kItemReturnWord:
      st.return_to_initial = item.text == "G98";
      StoreCode(ctx, kVarCycleReturn, st.return_to_initial ? "CYC_IRET" : "CYC_RRET");
      break;
    case kItemCycleR:
      st.r = item.number;
      StoreNumber(ctx, kVarCycleR, LevelsOf(ctx).r_level);
      UpdateFeedRange(ctx, 2, st.r);
      break;
    case kItemCycleDepth:
      st.depth = item.number;
      StoreNumber(ctx, kVarCycleBottom, LevelsOf(ctx).bottom);
      UpdateBothRanges(ctx, 2, -st.depth);
      break;
    case kItemEndX:
    case kItemEndX + 1: {
      const int axis = item.id - kItemEndX;
      UpdateBothRanges(ctx, axis, item.number);
      StoreNumber(ctx, kVarEnd + axis, item.number);
      break;
    }
    case kItemEndX + 2: {
      UpdateBothRanges(ctx, 2, item.number);
      StoreNumber(ctx, kVarEnd + 2, item.number);
      const Levels levels = LevelsOf(ctx);
      StoreNumber(ctx, kVarCycleR, levels.r_level);
      StoreNumber(ctx, kVarCycleBottom, levels.bottom);
      st.position_z = item.number;
      UpdateBothRanges(ctx, 2, levels.range_bottom);
      break;
    }
    default:
      break;
  }
}

// Cutting and rapid length of one peck-drilling call.  `full_retract`: the
// tool goes back to R after every peck (G83); otherwise it backs off by the
// clearance only (G73).
void PeckLengths(const CycleState& st, double depth, bool full_retract, double* cut,
                 double* rapid) {
  const double r = st.r;
  const double q = st.peck;
  const double d = st.clearance;
  double s = r;
  double level = r - q;
  *rapid = full_retract ? std::fabs(st.position_z - r) : st.position_z - r;
  for (int pecks = 0; q > kMinPeck && level > depth && pecks < kMaxPecks; ++pecks) {
    *cut += std::fabs(s - level);
    *rapid += full_retract ? std::fabs(r - s) + std::fabs(r - level) : std::fabs(d);
    s = level + d;
    level -= q;
  }
  if (full_retract) *rapid += std::fabs(r - s);
  *cut += std::fabs(s - depth);
  *rapid += st.return_to_initial ? std::fabs(st.position_z - depth) : std::fabs(r - depth);
}

}  // namespace

CycleWord LookUpCycleWord(std::string_view word) {
  for (const WordEntry& e : kCycleWords) {
    if (word == e.word) return e.cycle;
  }
  return {kCycleOther, "CYC_ETC"};
}

void HandleCycle(RunContext& ctx, const ToolPathRecord& record, CycleMode mode) {
  SetChanged(ctx, kVarRigidTapFlag, false);
  SetChanged(ctx, kVarInitialReturnFlag, false);

  if (mode == CycleMode::kEnd) {
    SetChanged(ctx, ctx.cycle_r_return ? kVarRigidTapFlag : kVarInitialReturnFlag, true);
    ctx.cycle_r_return = false;
    return;
  }

  // The next G00/G01 is written again after the cycle.
  SetChanged(ctx, kVarMotionCode, true);
  if (mode == CycleMode::kStart) {
    StoreNumber(ctx, kVarCycleInitial, NumberOf(ctx, kVarPrevious + 2));
    // The first hole writes return code, levels, cycle code and feed in
    // full; the parameters only when the record gives them.
    for (std::int32_t n : {kVarCycleReturn, kVarCycleBottom, kVarCycleR, kVarCycleCode, kVarFeed}) {
      SetChanged(ctx, n, true);
    }
    for (std::int32_t n : {kItemDwell, kItemPeck, kItemPeckClearance, kItemRepeat,
                           kItemCycleParam1, kItemCycleParam2}) {
      SetChanged(ctx, n, false);
    }
  }
  for (int i = 1; i < record.count; ++i) ReadItem(ctx, record.slots[i]);
}

CycleEstimate EstimateCycle(const CycleState& st) {
  const double z0 = st.position_z;
  const double r = st.r;
  const double depth = st.depth > 0 ? -st.depth : st.depth;
  double cut = 0;
  double rapid = 0;
  switch (st.kind) {
    case kCyclePeckFast:
      PeckLengths(st, depth, /*full_retract=*/false, &cut, &rapid);
      break;
    case kCyclePeckDeep:
      PeckLengths(st, depth, /*full_retract=*/true, &cut, &rapid);
      break;
    case kCycleReverseTap:
    case kCycleTap:
      // In and out at the feed; the spindle reverses at the bottom.
      rapid = std::fabs(z0 - r) * (st.return_to_initial ? 2 : 1);
      cut = 2 * std::fabs(r - depth);
      break;
    default:
      cut = std::fabs(r - depth);
      rapid = std::fabs(z0 - r) + std::fabs(r - depth);
      if (st.return_to_initial) rapid += std::fabs(z0 - r);
      break;
  }

  CycleEstimate est;
  const double k = st.repeat;
  // A feed or rapid rate that is not set gives no time rather than a
  // division by zero.
  if (st.feed > 0.9) est.cutting_time = (cut / (st.feed / 60.0) + st.dwell * 0.001) * k;
  if (st.rapid_rate > 0.9) est.rapid_time = rapid / (st.rapid_rate / 60.0) * k;
  est.cutting_length = cut * k;
  est.rapid_length = rapid * k;
  return est;
}

CycleEstimate FinishCycleSection(RunContext& ctx, bool r_point_return) {
  if (r_point_return) {
    // The tool waits at the R level: the hole's Z plus R, in the frame the
    // tracked position uses.  (R alone is a height above the hole, not a
    // position; taking it as one would put every following Z word off by
    // the hole's Z.)
    CoordinateState& coord = ctx.variables->coordinates();
    const double offset = coord.mode == kCoordOffset ? coord.g92_offset[2] : 0.0;
    StoreNumber(ctx, kVarPrevious + 2, NumberOf(ctx, kVarEnd + 2) + ctx.cycle.r + offset);
  }
  ctx.cycle.rapid_rate = ctx.rapid_feed;
  const CycleEstimate est = EstimateCycle(ctx.cycle);

  AddNumber(ctx, kVarRapidTime, est.rapid_time);
  AddNumber(ctx, kVarTotalTime, est.rapid_time);
  ctx.totals.rapid_time += est.rapid_time;
  AddNumber(ctx, kVarRapidLength, est.rapid_length);
  AddNumber(ctx, kVarTotalLength, est.rapid_length);
  ctx.totals.rapid_length += est.rapid_length;
  AddNumber(ctx, kVarCutTime, est.cutting_time);
  AddNumber(ctx, kVarTotalTime, est.cutting_time);
  ctx.totals.cutting_time += est.cutting_time;
  AddNumber(ctx, kVarCutLength, est.cutting_length);
  AddNumber(ctx, kVarTotalLength, est.cutting_length);
  ctx.totals.cutting_length += est.cutting_length;
  // Cycles count towards a split by machining time, not by length.
  if (ctx.split_by_time()) ctx.split_time += est.cutting_time;
  return est;
}

void ResetCycle(RunContext& ctx) { ctx.cycle = CycleState{}; }

}  // namespace tlv
