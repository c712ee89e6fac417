// The handler of every straight move: rapid traverse, linear feed,
// approach and retract.
#ifndef TLV_MOTION_STRAIGHT_MOVE_H_
#define TLV_MOTION_STRAIGHT_MOVE_H_

#include <cstdint>

#include "motion/run_context.h"

namespace tlv {

struct ToolPathRecord;

enum class StraightMode { kRapid, kFeed };

/// Item codes of a straight-move record.
inline constexpr std::int32_t kItemFeed = 14;
inline constexpr std::int32_t kItemMotionWord = 19;
inline constexpr std::int32_t kItemCompensationWord = 23;
inline constexpr std::int32_t kItemEndX = 512;  // 512, 513, 514
inline constexpr std::int32_t kItemLength = 801;
inline constexpr std::int32_t kItemMoveValue = 1514;

/// Reads the items of a straight move into the machine state: F, the
/// G00/G01 and compensation codes, the end point with the travel ranges,
/// and the move's length and time.  Never writes NC text; the driver
/// expands the section of the record kind afterwards.
void HandleStraightMove(RunContext& ctx, const ToolPathRecord& record, StraightMode mode);

}  // namespace tlv

#endif  // TLV_MOTION_STRAIGHT_MOVE_H_
