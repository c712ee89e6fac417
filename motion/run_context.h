// The per-job state that every motion handler works on: the variable store
// and code table of the job, the header values of the definition, the run
// totals and accumulators, and the look-ahead into the tool path.
#ifndef TLV_MOTION_RUN_CONTEXT_H_
#define TLV_MOTION_RUN_CONTEXT_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "definition/post_definition.h"

namespace tlv {

class EngineOutput;
class ToolPathReader;
class VariableStore;

/// Where the program's start point comes from (byte 1 of the coordinate
/// block).
inline constexpr int kStartAtHome = 1;
inline constexpr int kStartAtProcessStart = 2;
inline constexpr int kStartAtMachiningStart = 3;

/// Process-sheet output (byte 0 of the process-sheet block).
inline constexpr int kSheetNone = 0;
inline constexpr int kSheetToFile = 1;
inline constexpr int kSheetToDatabase = 2;

/// The procedure parameters of the run as the process start reads them.
/// The post-processor adapts its procedure parameter store to this.
class ProcedureParameterSource {
 public:
  virtual ~ProcedureParameterSource() = default;
  /// True once a parameter file was read in this run.
  virtual bool loaded() const = 0;
  /// Selects the procedure the next process start reads (0 the first).
  virtual void SelectProcedure(int index) = 0;
  virtual void NextProcedure() = 0;
  /// The parameter of the selected procedure with that id, or with exactly
  /// that name (CP932 bytes); nothing when the procedure or the parameter
  /// does not exist.
  virtual std::optional<double> ValueById(std::int32_t id) const = 0;
  virtual std::optional<double> ValueByName(std::string_view name) const = 0;
};

/// Lengths and times of the whole job, and the last feed read.
struct RunTotals {
  double cutting_length = 0;
  double cutting_time = 0;  // seconds
  double rapid_length = 0;
  double rapid_time = 0;    // seconds
  double last_feed = 0;
};

/// The canned cycle in progress.  A process start sets `r` and `depth` to
/// 0; the cycle-off record resets the whole state.
struct CycleState {
  int kind = 0;             ///< 0 other, 1 drilling ... 12 (see motion/cycle.h)
  double position_z = 0;    ///< last Z item of the cycle
  double r = 0;             ///< R value as given (item 501)
  double depth = 0;         ///< depth value as given (item 503)
  double peck = 0;          ///< peck depth Q
  double dwell = 0;         ///< milliseconds
  double clearance = 0;     ///< peck clearance
  double repeat = 1;        ///< repeat count K
  double feed = 0;
  bool return_to_initial = true;
  double rapid_rate = 0;    ///< the run's rapid rate, set before an estimate
};

/// What the NURBS blocks remember from one block to the next.
struct NurbsState {
  double control[3] = {0, 0, 0};   ///< last control point per axis
  double previous[3] = {0, 0, 0};  ///< previous output point read with it
  /// Set by the first block; cleared at a process start when the sheet is
  /// grouped per process.
  bool point_seen = false;
};

/// The run context of one job.
struct RunContext {
  // What the handlers write to.  `variables` and `codes` are required;
  // `messages` takes the warnings (may be null); `reader` answers the
  // look-aheads (null: nothing follows); `procedures` may be null.
  VariableStore* variables = nullptr;
  const CodeTable* codes = nullptr;
  EngineOutput* messages = nullptr;
  ToolPathReader* reader = nullptr;
  ProcedureParameterSource* procedures = nullptr;

  // Header values of the definition.
  CoordinateModeBlock coordinate;
  SplitModeBlock split;
  ProcessSheetBlock sheet;
  int sheet_unit = 0;
  int sheet_name_source = 0;
  int tape_length = 0;
  int machining_time = 0;
  int machining_length = 0;
  int split_position = 0;
  int tiny_arc_as_circle = 1;
  int rigid_tap = 0;
  int min_unit_digits = 3;
  int split_large_arcs = 1;
  int serial_number = 0;

  // Copies of run settings.
  bool set_initial_position = false;  // PrmSetInitPostoCord
  bool no_r_return = true;
  /// The rapid traverse rate, whole length units per minute; 0.9 or less
  /// counts as not set.
  int rapid_feed = 10000;

  // Loop state.
  RunTotals totals;
  /// Machining length and time since the last split, fed only when the
  /// definition splits by that measure.
  double split_length = 0;
  double split_time = 0;
  bool first_tool_change = true;
  bool tool_seen = false;
  /// Procedure read by the next process start when no parameter source is
  /// attached (the source keeps its own otherwise).
  int procedure_index = 0;
  CycleState cycle;
  /// Rigid tapping: the cycle in progress returns to the R point.
  bool cycle_r_return = false;
  NurbsState nurbs;
  double tolerance = 0.001;

  // Tape, in metres (410 characters make one metre).
  double tape_position = 0;
  double tape_at_process_end = 0;
  double closed_split_tape = 0;

  /// Reused text buffer of the handlers.
  std::string scratch;

  /// The texts of `codes` by CodeKey, cut to the length a code variable
  /// holds, taken once per job by ResolveCodes(); valid while
  /// `resolved_codes` equals `codes` (the table must not change meanwhile).
  std::array<std::string, kDefaultCodes.size()> code_texts;
  const CodeTable* resolved_codes = nullptr;

  bool rapid_set() const { return rapid_feed > 0.9; }
  bool split_by_length() const { return (split.methods & kSplitByMachiningLength) != 0; }
  bool split_by_time() const { return (split.methods & kSplitByMachiningTime) != 0; }
  int start_point() const { return coordinate.start_point; }
  bool sheet_to_file() const { return sheet.output == kSheetToFile; }

  /// Takes the header values of `def` (and resolves its code table).
  void TakeHeader(const PostDefinition& def);
  /// Fills code_texts from `codes`.
  void ResolveCodes();
};

}  // namespace tlv

#endif  // TLV_MOTION_RUN_CONTEXT_H_
