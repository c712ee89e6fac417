// A stretch of compiled section text (the text between conditional
// keywords) worked out once into the steps its expansion takes: runs of
// literal text to copy, line ends, variable references with their
// coordinate words, optional groups with their keys, and the few literal
// bytes the literal watchers act on.  Posting the same section for the
// next record then runs the steps instead of walking the bytes again.
#ifndef TLV_FORMAT_STRETCH_PROGRAM_H_
#define TLV_FORMAT_STRETCH_PROGRAM_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "format/variable_store.h"

namespace tlv {

enum class StretchStepKind : std::uint8_t {
  kText,         ///< bytes [pos, pos + length) appended as they stand
  kLineFeed,     ///< a line feed (blank-line rule, ends a G92 line)
  kReturn,       ///< a carriage return (blank-line rule)
  kWatched,      ///< one literal at pos that a literal watcher acts on
  kReference,    ///< a variable reference
  kForceOrHold,  ///< "&" / "$" at pos before a reference
  kGroup,        ///< an optional group: its key, then `length` body steps
};

struct StretchStep {
  StretchStepKind kind = StretchStepKind::kText;
  /// kReference: a forced reference ("!").
  bool forced = false;
  /// kReference: inside an optional group.
  bool in_group = false;
  /// kReference: the coordinate word of a group's key, whose recalculation
  /// the key test has just made with nothing in between that could change
  /// it.
  bool key_recalculated = false;
  /// kGroup: the group has a key (its first modal reference).
  bool has_key = false;
  /// Position of the step's first byte in the section text.
  std::uint32_t pos = 0;
  /// kText: bytes; kGroup: body steps that follow.
  std::uint32_t length = 0;
  /// kWatched: end of the region the watcher and the literal see.
  std::uint32_t end = 0;
  /// kWatched: elements of its region before it.
  std::int32_t visited = 0;
  /// kReference, kForceOrHold, kGroup with a key: the variable number.
  std::int32_t id = 0;
  /// kReference, kGroup: the coordinate word `id` is, if any.
  CoordinateWord word;
};

/// The literal codes whose appearance in the text the expansion watches
/// (canned-cycle return to the initial point and to the R point).
struct WatchedCodes {
  std::string_view initial_return;
  std::string_view r_return;
};

struct StretchProgram {
  std::vector<StretchStep> steps;
  /// Variable texts of the stretch are cut to this many bytes.
  std::size_t limit = 0;
};

/// The steps of text[begin, end) (begin <= end <= text.size()), with the
/// same result as walking the bytes: every literal run, reference, group,
/// comment and stray marker is read exactly as the byte walk reads it.
StretchProgram CompileStretch(std::string_view text, std::size_t begin, std::size_t end,
                              const WatchedCodes& codes);

}  // namespace tlv

#endif  // TLV_FORMAT_STRETCH_PROGRAM_H_
