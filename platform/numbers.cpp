#include "platform/numbers.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

namespace tlv {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
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
