// The section decoder: compiled section text back to the display text the
// editor shows.  Also the walk over compiled text that finds the variables a
// section refers to.
#ifndef TLV_DEFINITION_SECTION_DECODER_H_
#define TLV_DEFINITION_SECTION_DECODER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tlv {

class VariableDictionary;

/// The decoder's one message (UTF-8).
inline constexpr std::string_view kMsgBadCode = "コードが正しくありません。";

struct DecodeResult {
  bool ok = false;
  /// The display text (CP932).  On failure, the text decoded before the
  /// invalid code, so a caller can show how far the section is sound.
  std::string text;
  /// kMsgBadCode on failure.
  std::string message;
  /// Byte offset of the invalid code in the compiled text.
  std::size_t error_offset = 0;
};

/// Decodes compiled text.  Fails with kMsgBadCode at a block marker whose
/// code is not 1..5 or that ends the text, at a variable reference cut short
/// or naming an id the dictionary lacks, and at a 0xF1/0xF2 prefix without
/// the bytes it announces.  The prefixes themselves are removed, so that
/// compiling the result gives back the same compiled text.
DecodeResult DecodeSection(std::string_view compiled, const VariableDictionary& dict);

/// The variable ids referred to (after 0xFF and 0xFA) in `compiled`, in order
/// of appearance, appended to `ids` unless already there.  Comments, block
/// codes, prefixed bytes and double-byte characters are stepped over; the
/// walk stops at a reference cut short.
void CollectVariableIds(std::string_view compiled, std::vector<std::int32_t>* ids);

}  // namespace tlv

#endif  // TLV_DEFINITION_SECTION_DECODER_H_
