// The canned-cycle handler: cycle and return codes from the tool path's
// cycle words, the R and bottom levels in the form the coordinate output
// needs, the cycle parameters, and the machining estimate of every hole.
#ifndef TLV_MOTION_CYCLE_H_
#define TLV_MOTION_CYCLE_H_

#include <cstdint>
#include <string_view>

#include "motion/run_context.h"

namespace tlv {

struct ToolPathRecord;

/// Variables the cycle handler writes.
inline constexpr std::int32_t kVarCycleCode = 21;
inline constexpr std::int32_t kVarCycleReturn = 22;
inline constexpr std::int32_t kVarCycleBottom = 24;
inline constexpr std::int32_t kVarCycleR = 25;
inline constexpr std::int32_t kVarCycleInitial = 26;
/// Flags whose changed state the sections test: rigid tapping returning to
/// the R point, and return to the initial point.
inline constexpr std::int32_t kVarRigidTapFlag = 3005;
inline constexpr std::int32_t kVarInitialReturnFlag = 3006;

/// Item codes of cycle records.
inline constexpr std::int32_t kItemCycleWord = 21;
inline constexpr std::int32_t kItemReturnWord = 22;
inline constexpr std::int32_t kItemCycleR = 501;
inline constexpr std::int32_t kItemCycleDepth = 503;
inline constexpr std::int32_t kItemDwell = 504;
inline constexpr std::int32_t kItemPeck = 506;
inline constexpr std::int32_t kItemPeckClearance = 507;
inline constexpr std::int32_t kItemRepeat = 509;
inline constexpr std::int32_t kItemCycleParam1 = 510;
inline constexpr std::int32_t kItemCycleParam2 = 511;

/// Cycle kinds (CycleState::kind).
enum CycleKind : int {
  kCycleOther = 0,
  kCycleDrill = 1,        // G81
  kCyclePeckFast = 2,     // G73, chip-breaking peck
  kCycleReverseTap = 3,   // G74
  kCycleFineBore = 4,     // G76
  kCycleCounterBore = 5,  // G82
  kCyclePeckDeep = 6,     // G83, full-retract peck
  kCycleTap = 7,          // G84
  kCycleBore = 8,         // G85
  kCycleBoreStop = 9,     // G86
  kCycleBackBore = 10,    // G87
  kCycleBoreManual = 11,  // G88
  kCycleBoreFeed = 12,    // G89
};

/// Record kinds' modes.
enum class CycleMode { kStart = 1, kPoint = 2, kEnd = 3 };

/// The cycle kind and code key of a tool-path cycle word (exact match).
struct CycleWord {
  int kind;
  std::string_view code_key;
};
CycleWord LookUpCycleWord(std::string_view word);

/// Reads a cycle start (1600), point (500) or end (400) record.  Start and
/// point records set the codes, levels and parameters for section 10; the
/// end record raises flag 3005 (rigid tapping) or 3006 for section 11.
void HandleCycle(RunContext& ctx, const ToolPathRecord& record, CycleMode mode);

/// Lengths and times of one cycle call, repeats included.
struct CycleEstimate {
  double cutting_length = 0;
  double rapid_length = 0;
  double cutting_time = 0;  ///< seconds, dwell included
  double rapid_time = 0;    ///< seconds
};

/// Estimates the machining of the hole the state describes.  A feed of 0.9
/// or less gives no cutting time and a rapid rate of 0.9 or less no rapid
/// time; the lengths are counted either way.
CycleEstimate EstimateCycle(const CycleState& state);

/// After section 10 of a start or point record: with `r_point_return` (the
/// section wrote the R-point return) the tracked Z becomes the R level (the
/// hole's Z plus R, plus the G92 offset under G92 output);
/// then the hole is estimated at the run's rapid rate and booked into the
/// unit and the run.  Returns the estimate.
CycleEstimate FinishCycleSection(RunContext& ctx, bool r_point_return);

/// After section 11: the cycle state back to idle.
void ResetCycle(RunContext& ctx);

}  // namespace tlv

#endif  // TLV_MOTION_CYCLE_H_
