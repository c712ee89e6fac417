#include "platform/text_encoding.h"

#include <cerrno>
#include <iconv.h>

namespace tlv {

namespace {

// One conversion through iconv.  Input that cannot be converted is replaced
// by `replacement` (one unit per bad byte or unmappable character) and the
// conversion goes on, so data is never silently cut short.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i);

// `utf8_units`: the input is valid UTF-8 and a character the target lacks is
// skipped whole; otherwise one byte is skipped.
std::string Convert(const char* to, const char* from, std::string_view input,
                    std::string_view replacement, bool utf8_units) {
  std::string out;
  if (input.empty()) return out;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    // No converter on this system: pass the bytes through unchanged rather
    // than lose them.
    return std::string(input);
  }
  out.reserve(input.size() * 3 / 2 + 16);
  char* in_ptr = const_cast<char*>(input.data());
  std::size_t in_left = input.size();
  char buffer[4096];
  while (in_left > 0) {
    char* out_ptr = buffer;
    std::size_t out_left = sizeof(buffer);
    std::size_t rc = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    out.append(buffer, out_ptr - buffer);
    if (rc != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ (invalid or unmappable) or EINVAL (incomplete at the end): skip
    // one unit and put the replacement in its place.
    out.append(replacement);
    std::size_t skip = 1;
    if (utf8_units) {
      std::string_view rest(in_ptr, in_left);
      std::size_t len = Utf8SequenceLength(rest, 0);
      if (len > 1) skip = len;
    }
    in_ptr += skip;
    in_left -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  // Flush any shift state (none for these encodings, but cheap).
  char* out_ptr = buffer;
  std::size_t out_left = sizeof(buffer);
  iconv(cd, nullptr, nullptr, &out_ptr, &out_left);
  out.append(buffer, out_ptr - buffer);
  iconv_close(cd);
  return out;
}

// Length of the UTF-8 sequence that starts at text[i], or 0 when the bytes
// there are not a valid sequence.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
  unsigned char c = static_cast<unsigned char>(text[i]);
  std::size_t len;
  unsigned min;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2;
    min = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3;
    min = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4;
    min = 0x10000;
  } else {
    return 0;
  }
  if (i + len > text.size()) return 0;
  unsigned cp = c & (0xFF >> (len + 1));
  for (std::size_t k = 1; k < len; ++k) {
    unsigned char cc = static_cast<unsigned char>(text[i + k]);
    if ((cc & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (cc & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

void AppendUtf8(unsigned cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  // Plain ASCII needs no converter (most tool-path and log text).
  bool ascii = true;
  for (char c : cp932) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  }
  if (ascii) return std::string(cp932);
  return Convert("UTF-8", "CP932", cp932, "\xEF\xBF\xBD", false);
}

std::string Utf8ToCp932(std::string_view utf8) {
  bool ascii = true;
  for (char c : utf8) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  }
  if (ascii) return std::string(utf8);
  // Replace one whole character at a time, so that a character CP932 lacks
  // gives one '?' and not one per byte.
  std::string out;
  std::size_t i = 0;
  while (i < utf8.size()) {
    std::size_t start = i;
    while (i < utf8.size() && Utf8SequenceLength(utf8, i) != 0) {
      i += Utf8SequenceLength(utf8, i);
    }
    if (i > start) {
      out += Convert("CP932", "UTF-8", utf8.substr(start, i - start), "?", true);
    }
    if (i < utf8.size()) {  // an invalid byte
      out.push_back('?');
      ++i;
    }
  }
  return out;
}

std::string Utf16LeToUtf8(std::string_view utf16le) {
  std::string out;
  out.reserve(utf16le.size());
  std::size_t n = utf16le.size() / 2;
  auto unit = [&](std::size_t k) {
    return static_cast<unsigned>(static_cast<unsigned char>(utf16le[2 * k])) |
           (static_cast<unsigned>(static_cast<unsigned char>(utf16le[2 * k + 1])) << 8);
  };
  for (std::size_t k = 0; k < n; ++k) {
    unsigned u = unit(k);
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < n) {
      unsigned low = unit(k + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00), &out);
        ++k;
        continue;
      }
    }
    if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;
    AppendUtf8(u, &out);
  }
  return out;
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    std::size_t len = Utf8SequenceLength(text, i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::string_view CutCp932(std::string_view text, std::size_t max_bytes) {
  if (text.size() <= max_bytes) return text;
  std::size_t i = 0;
  while (i < max_bytes) {
    std::size_t len = IsCp932LeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    if (i + len > max_bytes) break;
    i += len;
  }
  return text.substr(0, i);
}

std::string_view CutUtf8(std::string_view text, std::size_t max_bytes) {
  if (text.size() <= max_bytes) return text;
  std::size_t i = max_bytes;
  // Step back over continuation bytes to the start of the character that
  // would be split.
  while (i > 0 && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) --i;
  return text.substr(0, i);
}

}  // namespace tlv
