#ifndef TLV_PLATFORM_TEXT_ENCODING_H_
#define TLV_PLATFORM_TEXT_ENCODING_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace tlv {

// Data files hold code page 932 (Shift-JIS) text; everything shown to a person
// (standard output, the run log, prompts) and every file name is UTF-8.  All
// conversions between the two go through these helpers.

/// Converts CP932 bytes to UTF-8.  Bytes that are not valid CP932 become
/// U+FFFD; the conversion never fails and never stops early.
std::string Cp932ToUtf8(std::string_view cp932);

/// Converts UTF-8 to CP932.  Characters that CP932 lacks, and bytes that are
/// not valid UTF-8, become '?'.
std::string Utf8ToCp932(std::string_view utf8);

/// Converts UTF-16 little-endian code units (no byte-order mark) to UTF-8.
/// Unpaired surrogates become U+FFFD; an odd trailing byte is dropped.
std::string Utf16LeToUtf8(std::string_view utf16le);

/// True when `text` is entirely valid UTF-8.
bool IsValidUtf8(std::string_view text);

/// The longest prefix of the CP932 text that has at most `max_bytes` bytes and
/// does not end in the middle of a double-byte character (lead bytes 0x81 to
/// 0x9F and 0xE0 to 0xFC take the next byte with them).
std::string_view CutCp932(std::string_view text, std::size_t max_bytes);

/// The same for UTF-8: never ends inside a multi-byte sequence.
std::string_view CutUtf8(std::string_view text, std::size_t max_bytes);

/// True for a CP932 byte that starts a double-byte character.
inline bool IsCp932LeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

}  // namespace tlv

#endif  // TLV_PLATFORM_TEXT_ENCODING_H_
