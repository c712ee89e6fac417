#include "platform/numbers.h"

#include <locale.h>

#include <charconv>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <string>

namespace tlv {

namespace {

// White space as isspace() sees it in the "C" locale.
inline bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

inline bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// strtod in the "C" locale whatever the program's locale: only used for the
// rare numbers std::from_chars reports as out of range.
double StrtodC(std::string_view text) {
  static locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  std::string copy(text);
  return strtod_l(copy.c_str(), nullptr, c_locale);
}

}  // namespace

int ParseLeadingInt(std::string_view text) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int64_t value = 0;
  // Accumulate as a negative number so INT32_MIN is reachable; stop growing
  // once beyond the range (the remaining digits are still part of the number).
  for (; i < n && IsDigit(text[i]); ++i) {
    if (value > -(int64_t{1} << 40)) value = value * 10 - (text[i] - '0');
  }
  if (!negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

double ParseLeadingDouble(std::string_view text) {
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end && IsSpace(*p)) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  // from_chars takes its own '-' sign, atof does not take a second one.
  // Without a number atof gives +0 whatever sign came before.
  if (p == end || *p == '-' || *p == '+') return 0.0;

  // Fast path for the plain decimals that make up tool paths ("-123.4567"):
  // with at most 18 digits, a mantissa below 2^53 and at most 22 fraction
  // digits, m / 10^k is exact in both operands and the one division is
  // correctly rounded, so the result equals strtod's. Anything else
  // (exponents, hex, inf/nan, long mantissas) goes the general way.
  {
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    // Digits are counted by where the loops stop, not one by one.
    const char* q = p;
    uint64_t mantissa = 0;
    for (unsigned d; q < end && (d = static_cast<unsigned char>(*q) - unsigned{'0'}) < 10; ++q) {
      mantissa = mantissa * 10 + d;
    }
    std::ptrdiff_t digits = q - p;
    std::ptrdiff_t fraction = 0;
    if (q < end && *q == '.') {
      const char* first = ++q;
      for (unsigned d; q < end && (d = static_cast<unsigned char>(*q) - unsigned{'0'}) < 10; ++q) {
        mantissa = mantissa * 10 + d;
      }
      fraction = q - first;
      digits += fraction;
    }
    bool plain = digits > 0 && digits <= 18 && fraction <= 22 && mantissa <= (uint64_t{1} << 53) &&
                 !(q < end && (*q == 'e' || *q == 'E' || *q == 'x' || *q == 'X'));
    if (plain) {
      double value = static_cast<double>(mantissa) / kPow10[fraction];
      return negative ? -value : value;
    }
  }

  double value = 0;
  const char* start = p;
  std::chars_format format = std::chars_format::general;
  if (end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    const char* q = p + 2;
    // "0x" counts as hexadecimal only when a hex digit follows (possibly
    // after the point); otherwise atof reads the "0" alone.
    if (q < end && (IsHexDigit(*q) || (*q == '.' && q + 1 < end && IsHexDigit(q[1])))) {
      format = std::chars_format::hex;
      start = q;
    }
  }
  std::from_chars_result r = std::from_chars(start, end, value, format);
  if (r.ec == std::errc::result_out_of_range) {
    // Overflow or underflow: strtod gives +-HUGE_VAL, 0 or a subnormal.
    value = StrtodC(std::string_view(p, static_cast<size_t>(r.ptr - p)));
    return negative ? -value : value;
  }
  if (r.ec != std::errc()) return 0.0;
  return negative ? -value : value;
}

}  // namespace tlv
