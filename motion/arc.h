// The arc handler: one circular move prepared for the arc feed section,
// with the G02/G03 and plane codes, the length, time and travel ranges, and
// centre offsets I, J, K that stay consistent after the machine's rounding.
#ifndef TLV_MOTION_ARC_H_
#define TLV_MOTION_ARC_H_

#include <cstdint>
#include <functional>
#include <string_view>

#include "motion/run_context.h"

namespace tlv {

struct ToolPathRecord;

/// Variables the arc handler writes (besides those of motion_core.h).
inline constexpr std::int32_t kVarArcCode = 20;
inline constexpr std::int32_t kVarCentreI = 30;
inline constexpr std::int32_t kVarCentreJ = 31;
inline constexpr std::int32_t kVarPlaneCode = 46;
inline constexpr std::int32_t kVarCentreK = 50;
inline constexpr std::int32_t kVarArcSweep = 301;
inline constexpr std::int32_t kVarArcPlane = 313;

/// Item codes of an arc record.
inline constexpr std::int32_t kItemArcWord = 20;
inline constexpr std::int32_t kItemSweep = 301;
inline constexpr std::int32_t kItemRadius = 305;
inline constexpr std::int32_t kItemStartAngle = 306;
inline constexpr std::int32_t kItemCentreX = 307;  // 307, 308, 309
inline constexpr std::int32_t kItemArcEndX = 310;  // 310, 311, 312
inline constexpr std::int32_t kItemPlane = 313;

/// Plane numbers of variable 313.
inline constexpr int kPlaneXY = 1;
inline constexpr int kPlaneZX = 2;
inline constexpr int kPlaneYZ = 3;

/// A sweep below this many degrees is a tiny arc.
inline constexpr double kTinyArcDegrees = 0.001;
/// One least increment: the step of the centre correction.
inline constexpr double kCentreStep = 0.001;

/// The warning of a centre that no candidate makes consistent.
inline constexpr std::string_view kArcCentreWarning =
    "円弧の中心点が指定誤差内に入りません。\n"
    "機械でエラーが発生する可能性があります。\n";

/// Writes the arc section for the first half of an arc that is split in
/// two; the handler calls it between the halves.
using ArcSectionWriter = std::function<void()>;

struct ArcResult {
  /// False for a tiny arc that is dropped: the driver writes no section.
  bool write_section = true;
  /// The arc was written as two halves (the first already expanded).
  bool split = false;
};

/// Reads an arc record (kind 300) into the machine state and prepares the
/// output values of section 9.  An arc over 180 degrees (when the
/// definition splits them) is written as two halves: `write_first_half`
/// expands the section for the first one; the driver writes the last one.
///
/// A record lacking centre items takes the start point's coordinate there;
/// one lacking end items keeps the last end point (variables 51 to 53).
ArcResult HandleArc(RunContext& ctx, const ToolPathRecord& record,
                    const ArcSectionWriter& write_first_half);

/// The X/Y extent of an arc about (cx, cy) with radius `r` from `start`
/// degrees over `sweep` degrees (signed): its end points widened to each
/// axis direction it passes.
struct ArcExtent {
  double min_x, max_x, min_y, max_y;
};
ArcExtent ArcXYExtent(double cx, double cy, double r, double start, double sweep);

}  // namespace tlv

#endif  // TLV_MOTION_ARC_H_
