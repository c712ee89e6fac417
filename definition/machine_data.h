// The editor's description of a 4- or 5-axis machine and its text file
// (.mch).  Not part of the definition file; the post-processor does not use
// it.
#ifndef TLV_DEFINITION_MACHINE_DATA_H_
#define TLV_DEFINITION_MACHINE_DATA_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace tlv {

struct MachineData {
  /// 0 3-axis, 1 table, 2 head, 3 table-table, 4 head-head, 5 table-head.
  int machine_type = 0;
  /// Rotary axes: 0 A, 1 B, 2 C.
  int first_axis = 0;
  int second_axis = 2;
  /// 0 normal, 1 reversed.
  int first_direction = 0;
  int second_direction = 0;
  /// Whether the axis has angle limits.
  int first_limited = 1;
  int second_limited = 1;
  /// Angle limits in degrees.
  double first_max = 180.0;
  double first_min = -180.0;
  double second_max = 180.0;
  double second_min = -180.0;
  /// Position of each rotary table's axis.
  double table1_x = 0.0, table1_y = 0.0, table1_z = 0.0;
  double table2_x = 0.0, table2_y = 0.0, table2_z = 0.0;

  friend bool operator==(const MachineData&, const MachineData&) = default;
};

/// Simultaneous 5-axis motion and NC control settings the document keeps
/// beside MachineData; no file stores them.
struct FiveAxisSettings {
  /// Retract the tool when the rotation angle is large.
  int retract_on_large_rotation = 1;
  int use_clearance = 1;
  double retract_distance = 100.0;
  double clearance = 10.0;
  /// Limit angle in radians (45 degrees).
  double limit_angle = 0.78539816339744830962;
  /// Retract direction: 0 Z direction, 1 tool direction.
  int retract_direction = 0;
  std::string tool_tip_type1_code = "G43.4";
  std::string tool_tip_type2_code = "G43.5";
  std::string working_plane_code = "G68.2";
  int use_tool_tip_control = 0;
  /// 0 type I, 1 type II.
  int tool_tip_type = 0;
  int use_working_plane = 0;

  friend bool operator==(const FiveAxisSettings&, const FiveAxisSettings&) = default;
};

/// The machine data file: 17 lines "label：value" (CP932 labels, "%d" for
/// the first seven values, "%f" for the rest), each ended by LF.
std::string WriteMachineData(const MachineData& data);

/// Reads the lines of `text` into `data` in order.  Reading stops quietly at
/// the first line whose label or value does not match; the fields from that
/// line on keep their values.  A CR before the LF is ignored, and a label in
/// UTF-8 is taken as well as in CP932.  Returns the number of fields read
/// (0..17).
int ReadMachineData(std::string_view text, MachineData* data);

/// Reads the file at `path`.  A file that cannot be opened is ignored: the
/// result is false and `data` keeps its values.
bool LoadMachineDataFile(const std::string& path, MachineData* data);
/// Writes the file through a temporary file and a rename.
bool SaveMachineDataFile(const std::string& path, const MachineData& data,
                         std::string* err);

}  // namespace tlv

#endif  // TLV_DEFINITION_MACHINE_DATA_H_
