// One record of the tool-path data file, as the record driver and the motion
// handlers receive it.
#ifndef TLV_TOOLPATH_TOOL_PATH_RECORD_H_
#define TLV_TOOLPATH_TOOL_PATH_RECORD_H_

#include <array>
#include <cstdint>
#include <string>

namespace tlv {

/// What a field line carried: its type digit decides.
enum class FieldKind : int {
  kNoValue = 0,  // a type digit other than 0, 1 or 2
  kText = 1,     // type 0: the value text, blanks kept
  kNumber = 2,   // type 1 (read like atof) or 2 (read like atoi)
};

/// One numbered field (item) of a record.
struct RecordField {
  int32_t id = 0;
  FieldKind kind = FieldKind::kNoValue;
  /// The value of a text field; empty for the other kinds. Its capacity is
  /// kept from record to record, so reading does not allocate once it has
  /// grown to the longest value.
  std::string text;
  /// The value of a number field; 0 for the other kinds.
  double number = 0;
};

/// Record kinds the system handles; any other kind is read and ignored.
enum RecordKind : int32_t {
  kProgramStart = 100,
  kProcessStart = 200,
  kArcFeed = 300,
  kCycleOff = 400,
  kCycle = 500,
  kProcessEnd = 600,
  kMessage = 700,
  kRapidMove = 800,
  kApproachMove = 900,
  kRetractMove = 1000,
  kLinearFeed = 1100,
  kToolPathStart = 1200,
  kToolChange = 1500,
  kCycleSecondForm = 1600,
  kNurbsSpan = 1700,
  kNurbsEnd = 1702,
  kToolPathEnd = 1800,
};

/// One record: slot 0 holds the record kind in its id, slots 1 to count-1 the
/// fields in file order. A record keeps at most kCapacity - 1 fields. Made
/// once per job and reused for every record.
struct ToolPathRecord {
  static constexpr int kCapacity = 50;

  std::array<RecordField, kCapacity> slots;
  /// Number of slots filled (fields + 1); 0 when nothing was read.
  int count = 0;

  int32_t kind() const { return slots[0].id; }
  /// The first field with the given id, or nullptr.
  const RecordField* Find(int32_t id) const {
    for (int i = 1; i < count; ++i) {
      if (slots[i].id == id) return &slots[i];
    }
    return nullptr;
  }
};

}  // namespace tlv

#endif  // TLV_TOOLPATH_TOOL_PATH_RECORD_H_
