// The post definition: everything that describes how one machine's NC
// programs are written.  Edited by the editor, read by the post-processor at
// the start of every job.  The file format lives in definition_file.h.
#ifndef TLV_DEFINITION_POST_DEFINITION_H_
#define TLV_DEFINITION_POST_DEFINITION_H_

#include <array>
#include <cstdint>
#include <string_view>

#include "definition/code_table.h"
#include "definition/section_table.h"
#include "definition/variable_setting.h"

namespace tlv {

class VariableDictionary;

/// Coordinate modes, stored in the file as one int whose first byte (the
/// first byte in the file) is byte 0.
struct CoordinateModeBlock {
  /// Byte 0: 0 G90 (absolute), 1 G91 (incremental), 2 G92 output.
  std::uint8_t output_mode = 0;
  /// Byte 1: tool position at program start: 1 home position
  /// (X,Y,Z_HOME), 2 machining start position (X,Y,Z_START), 3 machine origin
  /// (entered value).
  std::uint8_t start_point = 1;
  /// Byte 2: digits after the decimal point of the minimum setting unit,
  /// 0..6; kept equal to PostDefinition::min_unit_digits.
  std::uint8_t error_digits = 3;
  /// Byte 3: 0 coordinates are the tool tip, non-zero the tool centre.
  std::uint8_t tool_position = 0;

  /// The four bytes as the little-endian int of the file (default 0x00030100).
  std::int32_t Pack() const;
  static CoordinateModeBlock Unpack(std::int32_t packed);
  /// Byte `index` (0..3) of the packed form; 0 for any other index.
  std::uint8_t Byte(int index) const;
  /// Sets byte `index` (0..3); other indexes are ignored.
  void SetByte(int index, std::uint8_t value);

  friend bool operator==(const CoordinateModeBlock&, const CoordinateModeBlock&) = default;
};

/// Bits of SplitModeBlock::methods.  0 means no splitting.
inline constexpr std::uint8_t kSplitByCode = 1;
inline constexpr std::uint8_t kSplitByMachiningLength = 2;
inline constexpr std::uint8_t kSplitByTapeLength = 4;
inline constexpr std::uint8_t kSplitByMachiningTime = 8;
inline constexpr std::uint8_t kSplitPerToolPath = 16;

/// File splitting, stored as one int (default 0x000A0000).
struct SplitModeBlock {
  /// Byte 0: the split methods, a set of the kSplit* bits.
  std::uint8_t methods = 0;
  /// Byte 1: how split-file names are made: 0 asked each time, 1 original
  /// name plus number, 2 procedure name, 3 procedure comment, 4 tool-path
  /// name, 5 tool-path comment.
  std::uint8_t name_source = 0;
  /// Bytes 2-3: 16-bit signed copy of PostDefinition::machining_length,
  /// rewritten by the editor whenever the split settings are applied.
  std::int16_t machining_length = 10;

  std::int32_t Pack() const;
  static SplitModeBlock Unpack(std::int32_t packed);
  std::uint8_t Byte(int index) const;
  void SetByte(int index, std::uint8_t value);

  friend bool operator==(const SplitModeBlock&, const SplitModeBlock&) = default;
};

/// Process-sheet output, stored as one int (default 0x00020000).
struct ProcessSheetBlock {
  /// Byte 0: 0 no sheet, 1 sheet to a file, 2 sheet to the process database.
  std::uint8_t output = 0;
  /// Byte 1: not used by the editor; kept and written as read.
  std::uint8_t reserved = 0;
  /// Bytes 2-3: index into kSheetExtensions.
  std::uint16_t extension_index = 2;

  std::int32_t Pack() const;
  static ProcessSheetBlock Unpack(std::int32_t packed);
  std::uint8_t Byte(int index) const;
  void SetByte(int index, std::uint8_t value);

  friend bool operator==(const ProcessSheetBlock&, const ProcessSheetBlock&) = default;
};

/// Process-sheet file extensions by ProcessSheetBlock::extension_index.
inline constexpr std::array<std::string_view, 8> kSheetExtensions = {
    "csv", "log", "inf", "nci", "kty", "kti", "txt", "dat"};

/// The extension for `index`, or "" when the index is out of range.
std::string_view SheetExtension(int index);

/// Values of PostDefinition::sheet_unit.
inline constexpr int kSheetPerProcedure = 0;
inline constexpr int kSheetPerTool = 1;
inline constexpr int kSheetPerToolPath = 2;
inline constexpr int kSheetPerFile = 3;

/// Values of PostDefinition::split_position.
inline constexpr int kSplitAnywhere = 0;
inline constexpr int kSplitAtRapid = 1;
inline constexpr int kSplitAtRapidZ = 2;

/// One post definition, fields in file order with the defaults of a new
/// definition.  Plain data: copy it to keep a scratch version.
struct PostDefinition {
  CoordinateModeBlock coordinate_mode;
  SplitModeBlock split_mode;
  ProcessSheetBlock process_sheet;
  /// When a process-sheet item is written: kSheetPer*.
  std::int32_t sheet_unit = 0;
  /// Name of the process-sheet file: 0 NC program name, 1 procedure name,
  /// 2 tool-path name.
  std::int32_t sheet_name_source = 0;
  /// Split length when splitting by tape length, metres.
  std::int32_t tape_length = 0;
  /// Split value when splitting by machining time, minutes.
  std::int32_t machining_time = 0;
  /// Where a split may happen: kSplitAnywhere, kSplitAtRapid, kSplitAtRapidZ.
  std::int32_t split_position = 0;
  /// 0/1: treat very small arcs as full circles.
  std::int32_t tiny_arc_as_circle = 1;
  /// 0/1: convert the process-sheet file to a workbook after the run.
  std::int32_t sheet_to_spreadsheet = 0;
  /// 0/1: rigid tapping for the tapping cycle.
  std::int32_t rigid_tap = 0;
  /// Minimum setting unit as digits after the decimal point, 0..6.
  std::int32_t min_unit_digits = 3;
  /// 0/1: split arcs whose central angle exceeds 180 degrees.
  std::int32_t split_large_arcs = 0;
  /// Feed rate assumed for rapid moves when machining time is estimated.
  double rapid_feed = 10000.0;
  /// Split length when splitting by machining length, metres.
  std::int32_t machining_length = 0;
  /// 0/1: append a serial number to split-file names made from procedure or
  /// tool-path names.
  std::int32_t serial_number = 0;

  /// Code texts used by the sections (33 keys by default).
  CodeTable codes = CodeTable::Defaults();
  /// Per-variable formats and user-defined variables.
  VariableSettingTable variables;
  /// The NC format sections (22 empty slots by default).
  SectionTable sections = SectionTable::Empty();

  friend bool operator==(const PostDefinition&, const PostDefinition&) = default;
};

/// A new definition: every default, variable settings built from `dict`.
PostDefinition NewPostDefinition(const VariableDictionary& dict);

/// The editor's New command: resets the coordinate, split and sheet blocks,
/// sheet unit and name source, tape length, machining time, machining length
/// and serial number, rebuilds the three tables, and leaves split position,
/// tiny arcs, sheet-to-workbook, rigid tap, minimum unit digits, large-arc
/// splitting and the rapid feed as they were.
void ResetToNew(const VariableDictionary& dict, PostDefinition* def);

}  // namespace tlv

#endif  // TLV_DEFINITION_POST_DEFINITION_H_
