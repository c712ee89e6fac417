#include "format/number_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace tlv {

namespace {

constexpr double kPowersOfTen[] = {1.0,   1e1,  1e2,  1e3,  1e4,
                                   1e5,   1e6,  1e7,  1e8,  1e9};
constexpr int kMaxDecimalDigits = 9;
constexpr int kMaxIntegerDigits = 18;
// 2^64: below it the digit string fits an unsigned 64-bit integer.
constexpr double kTwoPow64 = 18446744073709551616.0;
constexpr double kTwoPow63 = 9223372036854775808.0;

int ClampDecimals(int digits) { return std::clamp(digits, 0, kMaxDecimalDigits); }

// The scaled magnitude split the way the format rounds it: the integer part,
// plus one when the fraction is 0.5 or more (halves away from zero on the
// magnitude; C++'s own conversion would truncate).
struct Scaled {
  std::uint64_t digits = 0;
  bool huge = false;  // beyond 64 bits: `magnitude` holds the whole value
  double magnitude = 0;
};

Scaled Scale(double x, int decimals) {
  Scaled s;
  if (!std::isfinite(x)) return s;
  const double y = std::fabs(x) * kPowersOfTen[decimals];
  if (y < kTwoPow63) {
    // The common case without a libm call: truncation is floor here, and
    // below 2^63 the signed conversion gives the same integer.
    std::uint64_t whole = static_cast<std::uint64_t>(static_cast<std::int64_t>(y));
    if (y - static_cast<double>(whole) >= 0.5) ++whole;
    s.digits = whole;
    s.magnitude = static_cast<double>(whole);
    return s;
  }
  double whole = std::floor(y);
  if (y - whole >= 0.5) whole += 1.0;
  if (whole >= kTwoPow64) {
    s.huge = true;
    s.magnitude = whole;
    return s;
  }
  s.digits = static_cast<std::uint64_t>(whole);
  s.magnitude = whole;
  return s;
}

// Writes `v` in decimal so that it ends just before `end`; returns where it
// starts (at most 20 bytes before `end`).
char* WriteUnsignedBackwards(std::uint64_t v, char* end) {
  // Two digits a step: half the dependent divisions.
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  char* p = end;
  while (v >= 100) {
    const std::uint64_t pair = v % 100;
    v /= 100;
    p -= 2;
    std::memcpy(p, kPairs + 2 * pair, 2);
  }
  if (v >= 10) {
    p -= 2;
    std::memcpy(p, kPairs + 2 * v, 2);
  } else {
    *--p = static_cast<char>('0' + v);
  }
  return p;
}

// Appends to a bounded output; bytes beyond the capacity are dropped.
struct Writer {
  char* buf;
  std::size_t cap;
  std::size_t len = 0;
  void Put(char c) {
    if (len < cap) buf[len++] = c;
  }
  void Put(const char* s, std::size_t n) {
    n = std::min(n, cap - len);
    std::memcpy(buf + len, s, n);
    len += n;
  }
  void PutZeros(int n) {
    const std::size_t count = std::min(static_cast<std::size_t>(std::max(n, 0)), cap - len);
    std::memset(buf + len, '0', count);
    len += count;
  }
};

}  // namespace

OutputFormat OutputFormat::RealPreset() { return OutputFormat{}; }

OutputFormat OutputFormat::IntegerPreset() {
  OutputFormat f;
  f.decimal_digits = 0;
  f.decimal_point = false;
  return f;
}

double QuantiseAnyValue(double x, int decimal_digits) {
  Scaled s = Scale(x, ClampDecimals(decimal_digits));
  double q = s.huge ? s.magnitude : static_cast<double>(s.digits);
  return x < 0 ? -q : q;
}

void FormatDigits(double x, const OutputFormat& format, PrintedNumber* out) {
  const int decimals = ClampDecimals(format.decimal_digits);
  const bool negative = x < 0;
  Scaled s = Scale(x, decimals);

  // The digit string D of the rounded, scaled magnitude.
  char buffer[352];
  const char* digits = buffer;
  int count;
  if (s.huge) {
    count = std::snprintf(buffer, sizeof buffer, "%.0f", s.magnitude);
    if (count < 0 || count >= static_cast<int>(sizeof buffer)) count = 0;
  } else {
    char* const end = buffer + sizeof buffer;
    digits = WriteUnsignedBackwards(s.digits, end);
    count = static_cast<int>(end - digits);
  }
  out->quantum = s.huge ? s.magnitude : static_cast<double>(s.digits);
  if (negative) out->quantum = -out->quantum;

  // Integer part I and fraction F: with fewer digits than decimals the
  // integer part is "0" and F gets zeros in front.
  const int int_count = count - decimals;
  const char* int_part = "0";
  int int_len = 1;
  int frac_zeros = 0;
  const char* frac = digits;
  int frac_len = count;
  if (int_count >= 1) {
    int_part = digits;
    int_len = int_count;
    frac = digits + int_count;
    frac_len = decimals;
  } else {
    frac_zeros = -int_count;
  }

  Writer w{out->text, kMaxNumberText};
  if (negative) {
    w.Put('-');
  } else if (format.plus_sign) {
    w.Put('+');
  }
  if (format.leading_zeros) {
    w.PutZeros(std::clamp(format.integer_digits, 0, kMaxIntegerDigits) - int_len);
  }
  w.Put(int_part, static_cast<std::size_t>(int_len));
  if (decimals > 0) {
    w.Put('.');
    // The fraction is frac_zeros zeros followed by frac; trailing zeros go
    // unless kept, but the point stays even when nothing follows it.
    int total = frac_zeros + frac_len;
    if (!format.trailing_zeros) {
      while (total > 0) {
        int i = total - 1;
        char c = i < frac_zeros ? '0' : frac[i - frac_zeros];
        if (c != '0') break;
        --total;
      }
    }
    w.PutZeros(std::min(total, frac_zeros));
    if (total > frac_zeros) w.Put(frac, static_cast<std::size_t>(total - frac_zeros));
  }
  out->length = static_cast<std::uint8_t>(w.len);
  out->text[w.len] = '\0';
}

void FormatTime(double x, PrintedNumber* out) {
  // Seconds are x + 0.5 truncated toward zero (so negative values round
  // toward zero too, as the C conversion does).  Clamped to 64 bits.
  double v = std::isfinite(x) ? x + 0.5 : 0.0;
  v = std::clamp(v, -9.0e18, 9.0e18);
  long long s = static_cast<long long>(v);
  long long hours = s / 3600;
  long long minutes = (s - hours * 3600) / 60;
  long long seconds = s - hours * 3600 - minutes * 60;
  int n = std::snprintf(out->text, sizeof out->text, "%lld:%2lld:%2lld", hours, minutes,
                        seconds);
  if (n < 0) n = 0;
  out->length = static_cast<std::uint8_t>(std::min<std::size_t>(n, kMaxNumberText));
  out->text[out->length] = '\0';
  out->quantum = static_cast<double>(s);
}

}  // namespace tlv
