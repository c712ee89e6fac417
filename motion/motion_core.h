// What all motion handlers share: code selection, the stores into the
// machine-state variables, travel ranges, and the length and time
// accounting with the rapid-feed rule.
#ifndef TLV_MOTION_MOTION_CORE_H_
#define TLV_MOTION_MOTION_CORE_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "format/variable_store.h"
#include "motion/run_context.h"

namespace tlv {

struct RecordField;
class Variable;

/// Machine-state variables the handlers write.
inline constexpr std::int32_t kVarRadius = 13;
inline constexpr std::int32_t kVarFeed = 14;
inline constexpr std::int32_t kVarSpindle = 16;
inline constexpr std::int32_t kVarCoolant = 17;
inline constexpr std::int32_t kVarMotionCode = 18;
inline constexpr std::int32_t kVarLineCode = 19;
inline constexpr std::int32_t kVarCompensation = 23;
inline constexpr std::int32_t kVarPrevious = 32;  // 32, 33, 34
inline constexpr std::int32_t kVarCutLength = 35;
inline constexpr std::int32_t kVarCutTime = 36;
inline constexpr std::int32_t kVarRapidTime = 44;
inline constexpr std::int32_t kVarTapeLength = 45;
inline constexpr std::int32_t kVarRapidLength = 47;
inline constexpr std::int32_t kVarTotalLength = 48;
inline constexpr std::int32_t kVarTotalTime = 49;
inline constexpr std::int32_t kVarEnd = 51;       // 51, 52, 53
inline constexpr std::int32_t kVarHome = 123;     // 123, 124, 125
inline constexpr std::int32_t kVarStart = 126;    // 126, 127, 128
inline constexpr std::int32_t kVarProcessStart = 227;  // 227, 228, 229

/// Longest code text stored in a variable, in bytes.
inline constexpr std::size_t kMaxCodeText = 30;

// The small stores every record makes are inline: a straight move makes
// dozens of them.

/// The variable `number`, or nullptr when the definition has none.
inline Variable* Var(RunContext& ctx, std::int32_t number) {
  return ctx.variables->Lookup(number);
}

/// Stores the code table's text of `key` (cut to kMaxCodeText bytes; empty
/// when the table lacks the key) into variable `number` as text.
void StoreCode(RunContext& ctx, std::int32_t number, std::string_view key);
/// The same for a key known at compile time, without a table look-up once
/// the job's codes are resolved.
void StoreCode(RunContext& ctx, std::int32_t number, CodeKey key);
inline void StoreNumber(RunContext& ctx, std::int32_t number, double value) {
  if (Variable* v = Var(ctx, number)) v->SetNumber(value);
}
void StoreText(RunContext& ctx, std::int32_t number, std::string_view text);
inline void AddNumber(RunContext& ctx, std::int32_t number, double delta) {
  if (Variable* v = Var(ctx, number)) v->AddNumber(delta);
}
/// Raises (true) or clears the changed flag of `number`.
inline void SetChanged(RunContext& ctx, std::int32_t number, bool changed) {
  if (Variable* v = Var(ctx, number)) v->SetChanged(changed);
}
/// Stores and then clears the changed flag, so the value is not written by
/// itself.
void StoreQuiet(RunContext& ctx, std::int32_t number, double value);
/// The number of variable `number`, 0 when it does not exist.
inline double NumberOf(RunContext& ctx, std::int32_t number) {
  Variable* v = Var(ctx, number);
  return v ? v->GetNumber() : 0.0;
}
/// Copies a field whose code has no special meaning into the variable of
/// the same number: text fields as text, others as numbers.
void StoreGenericItem(RunContext& ctx, const RecordField& field);

/// Range variables: minimum at base + 2 * axis, maximum just after it.
inline constexpr std::int32_t kAllRangeBase = 37;
inline constexpr std::int32_t kFeedRangeBase = 57;

/// Widens the range of `axis` (0 X, 1 Y, 2 Z) whose variables start at
/// `base` by `value`.
inline void WidenRange(RunContext& ctx, std::int32_t base, int axis, double value) {
  if (axis < 0 || axis > 2) return;
  if (Variable* lo = Var(ctx, base + 2 * axis); lo && value < lo->GetNumber()) {
    lo->SetNumber(value);
  }
  if (Variable* hi = Var(ctx, base + 2 * axis + 1); hi && value > hi->GetNumber()) {
    hi->SetNumber(value);
  }
}
/// Widens the all-points range of `axis` by `value`.
inline void UpdateRange(RunContext& ctx, int axis, double value) {
  WidenRange(ctx, kAllRangeBase, axis, value);
}
/// Widens the feed-moves range of `axis` by `value`.
inline void UpdateFeedRange(RunContext& ctx, int axis, double value) {
  WidenRange(ctx, kFeedRangeBase, axis, value);
}
/// Sets both ends of the all-points range of `axis` to `value`.
void SetRange(RunContext& ctx, int axis, double value);
/// Minimum 1000, maximum -1000 on every axis of both ranges.
void ResetRanges(RunContext& ctx);
/// Sets the unit's lengths, times and tape length to 0 and resets the
/// ranges: the start of a new process-sheet unit.
void ClearUnit(RunContext& ctx);

/// A feed item: stores F and the run's last feed, and warns when the feed
/// is at least the rapid rate.
void ReadFeed(RunContext& ctx, double feed);
/// The warning of a feed at or above the rapid rate.
inline constexpr std::string_view kFeedAboveRapidWarning =
    "送り速度が｢早送りの送り速度｣より早くなっています。\n"
    "直線補間は早送りと見なされます。\n";

/// Adds a feed move's length to the unit and the run (and to the split
/// accumulator when splitting by machining length).
void AddCuttingLength(RunContext& ctx, double length);
/// Times a feed move of `length` at F = variable 14: as rapid when
/// `rapid_rule` and F is at least the rapid rate, else at F when F > 0.9.
void TimeFeedMove(RunContext& ctx, double length, bool rapid_rule);
/// Adds a rapid move's length and, when the rapid rate is set, its time.
void AccountRapidMove(RunContext& ctx, double length);

}  // namespace tlv

#endif  // TLV_MOTION_MOTION_CORE_H_
