#include "platform/numbers.h"

#include <charconv>
#include <climits>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <string>

namespace tlv {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

// Exact powers of ten as doubles (10^22 is the largest exactly representable).
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common shape of tool-path fields ("123.4567", "-0.5", "42"): at most
// 15 significant digits and no exponent.  Then digits / 10^k is one correctly
// rounded IEEE division of two exact values, which gives the same double as
// a full conversion.  Returns false to leave anything else to the full path.
bool ParseSimpleDecimal(const char* p, const char* end, double* value) {
  std::uint64_t digits = 0;
  int count = 0;
  int fraction = 0;
  bool any = false;
  while (p < end && *p >= '0' && *p <= '9') {
    digits = digits * 10 + static_cast<unsigned>(*p - '0');
    if (digits != 0) ++count;
    any = true;
    ++p;
  }
  if (p < end && *p == '.') {
    ++p;
    while (p < end && *p >= '0' && *p <= '9') {
      digits = digits * 10 + static_cast<unsigned>(*p - '0');
      if (digits != 0) ++count;
      ++fraction;
      any = true;
      ++p;
    }
  }
  if (!any || count > 15 || fraction > 22) return false;
  if (p < end && (*p == 'e' || *p == 'E')) return false;
  *value = static_cast<double>(digits) / kPow10[fraction];
  return true;
}

}  // namespace

int ParseLeadingInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Accumulate as a negative number so INT_MIN is reachable; clamp instead of
  // overflowing where the C library's atoi would be undefined.
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 - (text[i] - '0');
    if (value < static_cast<long long>(INT_MIN) - 1) {
      value = static_cast<long long>(INT_MIN) - 1;  // saturated
    }
  }
  if (negative) return value < INT_MIN ? INT_MIN : static_cast<int>(value);
  if (-value > INT_MAX) return INT_MAX;
  return static_cast<int>(-value);
}

double ParseLeadingDouble(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // from_chars takes no sign of its own here: a second sign ("--1") is no
  // number, as with atof.
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) return 0.0;
  const char* first = text.data() + i;
  const char* last = text.data() + text.size();
  double value = 0.0;
  if (ParseSimpleDecimal(first, last, &value)) return negative ? -value : value;
  auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    // Rare: let strtod decide between HUGE_VAL and an underflow to zero.
    std::string copy(first, ptr);
    value = std::strtod(copy.c_str(), nullptr);
  } else if (ec != std::errc()) {
    return 0.0;
  }
  return negative ? -value : value;
}

}  // namespace tlv
