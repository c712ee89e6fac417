// The NC format sections of a definition: one compiled template per event.
#ifndef TLV_DEFINITION_SECTION_TABLE_H_
#define TLV_DEFINITION_SECTION_TABLE_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tlv {

/// Section slots.  Slot 0 is unused but always present.
enum class SectionId : int {
  kUnused = 0,
  kProgramStart = 1,
  kProgramEnd = 2,
  kProcessStart = 3,
  kProcessEnd = 4,
  kToolChange = 5,
  kRapidXY = 6,
  kRapidZ = 7,
  kLinearFeed = 8,
  kArcFeed = 9,
  kCycle = 10,
  kCycleOff = 11,
  kApproach = 12,
  kRetract = 13,
  kMessage = 14,
  kSplitFileHead = 15,
  kSplitFileEnd = 16,
  kSheetHead = 17,
  kSheetItem = 18,
  kSheetTail = 19,
  kNurbs = 20,
  kNurbsEnd = 21,
};

/// Number of section slots.
inline constexpr int kSectionSlots = 22;
/// Slots of the oldest files (no NURBS sections).
inline constexpr int kOldSectionSlots = 20;

/// The code name of a section ("ProgramStart"); "" for slot 0 or an id
/// outside 0..21.
std::string_view SectionCodeName(int id);
/// The section name the editor shows, UTF-8 ("プログラム開始"); "" for slot 0
/// or an id outside 0..21.
std::string_view SectionDisplayName(int id);

/// Marker bytes of compiled section text.  A text byte in 0xF0..0xFF is
/// written with a prefix: kPrefixSingle before a single byte, kPrefixDouble
/// before the lead byte of a double-byte character.
inline constexpr std::uint8_t kPrefixSingle = 0xF1;
inline constexpr std::uint8_t kPrefixDouble = 0xF2;
inline constexpr std::uint8_t kMarkBlock = 0xF7;   // then k: 1 IF .. 5 ENDIF
inline constexpr std::uint8_t kMarkComma = 0xF8;   // rest of line after "..,"
inline constexpr std::uint8_t kMarkDots = 0xF9;    // rest of line after "..."
inline constexpr std::uint8_t kMarkForced = 0xFA;  // then int id: "!<NAME>"
inline constexpr std::uint8_t kMarkOptEnd = 0xFB;  // "]"
inline constexpr std::uint8_t kMarkOptBegin = 0xFC;  // "["
inline constexpr std::uint8_t kMarkGroupEnd = 0xFD;  // "}"
inline constexpr std::uint8_t kMarkGroupBegin = 0xFE;  // "{"
inline constexpr std::uint8_t kMarkVariable = 0xFF;  // then int id: "<NAME>"

/// Values of the byte after kMarkBlock.
inline constexpr std::uint8_t kBlockIf = 1;
inline constexpr std::uint8_t kBlockThen = 2;
inline constexpr std::uint8_t kBlockElseIf = 3;
inline constexpr std::uint8_t kBlockElse = 4;
inline constexpr std::uint8_t kBlockEndIf = 5;

/// One section: its id and its compiled text (CP932 bytes with markers, LF
/// line ends).  The file stores text.size() as the section's length.
struct FormatSection {
  std::int32_t id = 0;
  std::string text;

  friend bool operator==(const FormatSection&, const FormatSection&) = default;
};

/// A fixed array of 22 slots and the number in use.  Slots 0..count-1 are
/// in use and are written in slot order; a section is found by slot index,
/// never by its id.
struct SectionTable {
  std::array<FormatSection, kSectionSlots> slots;
  /// Slots in use as a sequence from 0; 0..kSectionSlots.
  int count = 0;

  /// 22 empty sections, slot i with id i (the table of a new definition).
  static SectionTable Empty();
  /// `n` (at most kSectionSlots) empty sections, slot i with id i.
  static SectionTable EmptySlots(int n);

  /// The section in slot `slot`, or nullptr when the slot is outside
  /// 0..count-1.
  const FormatSection* Find(int slot) const;
  FormatSection* Find(int slot);
  const FormatSection* Find(SectionId id) const { return Find(static_cast<int>(id)); }
  FormatSection* Find(SectionId id) { return Find(static_cast<int>(id)); }
  /// The compiled text of slot `slot`, or "" when not in use.
  std::string_view Text(int slot) const;

  friend bool operator==(const SectionTable&, const SectionTable&) = default;
};

}  // namespace tlv

#endif  // TLV_DEFINITION_SECTION_TABLE_H_
