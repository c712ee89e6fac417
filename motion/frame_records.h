// Handlers of the records that frame the machining: program start, process
// and path start, tool change, process end and messages.  They set the
// spindle and coolant codes, start points, per-unit accumulators, the
// tool-change flags and the procedure parameters for the frame sections.
#ifndef TLV_MOTION_FRAME_RECORDS_H_
#define TLV_MOTION_FRAME_RECORDS_H_

#include <cstdint>
#include <string_view>

#include "motion/run_context.h"

namespace tlv {

struct ToolPathRecord;

/// Flag variables whose changed flag the sections test as yes/no.
inline constexpr std::int32_t kVarFirstTool = 3000;
inline constexpr std::int32_t kVarNextTool = 3001;
inline constexpr std::int32_t kVarLastTool = 3002;
inline constexpr std::int32_t kVarMoreTools = 3003;
inline constexpr std::int32_t kVarNoToolChange = 3004;

inline constexpr std::int32_t kVarMessage = 701;
/// Longest message text stored, in bytes.
inline constexpr std::size_t kMaxMessageText = 30;

/// Procedure parameter names read at process start (CP932, half-width
/// katakana): side step and down step.
inline constexpr std::string_view kSideStepName = "\xBB\xB2\xC4\xDE\xBD\xC3\xAF\xCC\xDF";
inline constexpr std::string_view kDownStepName = "\xC0\xDE\xB3\xDD\xBD\xC3\xAF\xCC\xDF";

/// Program start (kind 100): spindle and coolant off without writing them,
/// home and machining start positions, the start point by the start-point
/// mode, procedure 0 selected.
void HandleProgramStart(RunContext& ctx, const ToolPathRecord& record);

/// Process start (kind 200): a new unit when the sheet is grouped per
/// process, the look-ahead flag 3004, spindle and coolant words, the
/// process start point, the procedure parameters and the start point for
/// incremental output.
void HandleProcessStart(RunContext& ctx, const ToolPathRecord& record);

/// Path start (kind 1200): flag 3004 and the items, as a process start.
void HandlePathStart(RunContext& ctx, const ToolPathRecord& record);

/// Tool change (kind 1500): flags 3000 to 3003, coolant, position, tool
/// values; the tool words and interpolation code are written again after.
void HandleToolChange(RunContext& ctx, const ToolPathRecord& record);

/// Process end (kind 600): the sheet snapshots of coolant and spindle, both
/// back to off, the tool-path texts and times, the start point for
/// incremental output, the next procedure.
void HandleProcessEnd(RunContext& ctx, const ToolPathRecord& record);

/// Message (kind 700): the text of item 701.
void HandleMessage(RunContext& ctx, const ToolPathRecord& record);

}  // namespace tlv

#endif  // TLV_MOTION_FRAME_RECORDS_H_
