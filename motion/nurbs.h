// The NURBS handler: the blocks of a free-form path passed to the NURBS
// section as given (the curve is not evaluated), with the G06 code once per
// run of blocks, the travel ranges, and the length and time accounting.
#ifndef TLV_MOTION_NURBS_H_
#define TLV_MOTION_NURBS_H_

#include <cstdint>

#include "motion/run_context.h"

namespace tlv {

struct ToolPathRecord;

/// Variables the NURBS handler writes.
inline constexpr std::int32_t kVarNurbsCode = 1705;
inline constexpr std::int32_t kVarNurbsOrder = 1712;
inline constexpr std::int32_t kVarNurbsPoint = 1723;  // 1723, 1724, 1725
inline constexpr std::int32_t kVarNurbsWeight = 1730;
inline constexpr std::int32_t kVarNurbsKnot = 1740;

/// Item codes of NURBS records.
inline constexpr std::int32_t kItemNurbsCode = 1705;
inline constexpr std::int32_t kItemNurbsOrder = 1712;
inline constexpr std::int32_t kItemControlX = 1720;  // 1720, 1721, 1722
inline constexpr std::int32_t kItemNurbsWeight = 1730;
inline constexpr std::int32_t kItemNurbsKnot = 1740;

enum class NurbsMode { kBlock = 0, kEnd = 1 };

/// Reads a NURBS block (1700) or the end of a run of blocks (1702).  A
/// block's control point goes to variables 1723 to 1725 (not to the end
/// point 51 to 53).  The first block after the memory is cleared is
/// measured by its length item, later ones by the straight distance from
/// the previous output point to the control point.  The end record empties
/// the G06 code so the next run writes it again; it measures a span only
/// when it carries a control point itself.
void HandleNurbs(RunContext& ctx, const ToolPathRecord& record, NurbsMode mode);

}  // namespace tlv

#endif  // TLV_MOTION_NURBS_H_
