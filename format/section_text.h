// The bytes of compiled section text as the expansion reads them: the
// marker bytes and the marker-aware walk that steps over references,
// comments and double-byte characters.
#ifndef TLV_FORMAT_SECTION_TEXT_H_
#define TLV_FORMAT_SECTION_TEXT_H_

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tlv::section_text {

inline constexpr unsigned char kKeyword = 0xF7;
inline constexpr unsigned char kCommaComment = 0xF8;  // comment and its line feed dropped
inline constexpr unsigned char kDotsComment = 0xF9;   // comment dropped, line feed kept
inline constexpr unsigned char kForcedRef = 0xFA;
inline constexpr unsigned char kOptEnd = 0xFB;
inline constexpr unsigned char kOptBegin = 0xFC;
inline constexpr unsigned char kGroupEnd = 0xFD;
inline constexpr unsigned char kGroupBegin = 0xFE;
inline constexpr unsigned char kModalRef = 0xFF;

/// A reference is its marker and a 4-byte id.
inline constexpr std::size_t kReferenceBytes = 5;

inline unsigned char At(std::string_view text, std::size_t pos) {
  return static_cast<unsigned char>(text[pos]);
}

inline bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xF6); }

inline bool IsRef(unsigned char c) { return c == kModalRef || c == kForcedRef; }

inline bool IsGroupMarker(unsigned char c) {
  return c == kGroupBegin || c == kGroupEnd || c == kOptBegin || c == kOptEnd;
}

/// The 4-byte little-endian id at `pos` (the caller has checked the length).
inline std::int32_t ReadId(std::string_view text, std::size_t pos) {
  std::uint32_t v = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&v, text.data() + pos, sizeof v);
  } else {
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(At(text, pos + i)) << (8 * i);
  }
  return static_cast<std::int32_t>(v);
}

/// The position of the next line feed at or after `pos`, or `end`.
inline std::size_t LineEnd(std::string_view text, std::size_t pos, std::size_t end) {
  if (pos >= end) return end;
  const void* lf = std::memchr(text.data() + pos, '\n', end - pos);
  return lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - text.data()) : end;
}

/// How many bytes the marker-aware walk steps over at `pos` (never past
/// `end`): references are 5 bytes, comments run to their line feed (kept
/// for the next step), a double-byte character is 2.  Markers are tested
/// before lead bytes.
inline std::size_t Step(std::string_view text, std::size_t pos, std::size_t end) {
  const unsigned char c = At(text, pos);
  const std::size_t left = end - pos;
  if (IsRef(c)) return std::min<std::size_t>(left, kReferenceBytes);
  if (c == kCommaComment || c == kDotsComment) return LineEnd(text, pos + 1, end) - pos;
  if (c == kKeyword) return std::min<std::size_t>(left, 2);
  if (IsLead(c)) return std::min<std::size_t>(left, 2);
  return 1;
}

inline bool IsNumberStart(char c) {
  return c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9');
}

}  // namespace tlv::section_text

#endif  // TLV_FORMAT_SECTION_TEXT_H_
