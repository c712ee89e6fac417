// Number formats: how a variable's value becomes the digits of an NC word.
#ifndef TLV_FORMAT_NUMBER_FORMAT_H_
#define TLV_FORMAT_NUMBER_FORMAT_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace tlv {

struct NumberFormat;

/// The engine's output format of one variable (the ten fields of a format
/// record).  Values out of their documented ranges are clamped when the
/// digits are produced, never trusted as buffer sizes.
struct OutputFormat {
  bool leading_zeros = false;   ///< pad the integer part to integer_digits
  bool trailing_zeros = false;  ///< keep zeros at the end of the fraction
  bool plus_sign = false;       ///< "+" before values that are not negative
  /// 0 none; 1 apply `formula` before formatting; 2 the formula belongs to a
  /// computed user variable and is not applied here.
  int calc_mode = 0;
  int integer_digits = 5;  ///< 1..8, the width for leading_zeros
  int decimal_digits = 3;  ///< 0..5; 0 prints no decimal point at all
  /// Operator tail of the calculation ("*2", "/25.4"); empty when none.
  std::string formula;
  bool time_format = false;   ///< print as hours:minutes:seconds
  bool decimal_point = true;  ///< carried only; formatting does not use it
  bool suppress_zero = false;  ///< a value that prints as zero has no value

  static OutputFormat RealPreset();
  static OutputFormat IntegerPreset();
  /// The engine's record for a definition's stored format.
  static OutputFormat From(const NumberFormat& stored);

  friend bool operator==(const OutputFormat&, const OutputFormat&) = default;
};

/// The longest text FormatDigits and FormatTime ever produce (without NUL).
inline constexpr std::size_t kMaxNumberText = 47;

/// Digits of `x` after the calculation, as the format prints them:
/// `text` ready to print and `quantum`, the value at output resolution
/// (the printed digits as a signed integer, decimal point removed) that the
/// change detection compares.
struct PrintedNumber {
  char text[kMaxNumberText + 1];
  std::uint8_t length = 0;
  double quantum = 0;
};

/// Prints `x` (the calculation already applied) by the digit rules of the
/// format: scale by 10^decimal_digits, round halves up on the magnitude,
/// split into integer and fraction, pad, sign, point, trim.  Digit strings
/// are held in 64 bits, so values up to about 1.8e19 after scaling print
/// exactly.  A value that is not finite prints as zero.
///
/// **Example**: with three decimals and no switches 12.3456 prints "12.346",
/// -0.05 prints "-0.05" and 2 prints "2.".
void FormatDigits(double x, const OutputFormat& format, PrintedNumber* out);

/// The quantum of FormatDigits for any value and digit count (out-of-range
/// digit counts are clamped, values that are not finite give 0).
double QuantiseAnyValue(double x, int decimal_digits);

/// Only the quantum of FormatDigits (no text): what the change detection
/// needs on the store path.  Inline for the common case (a finite value
/// that scales below 2^63 with 0 to 9 decimals), the same arithmetic as
/// FormatDigits; everything else goes to QuantiseAnyValue.
inline double Quantise(double x, int decimal_digits) {
  constexpr double kScale[] = {1.0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  constexpr double kTwoPow63 = 9223372036854775808.0;
  if (decimal_digits >= 0 && decimal_digits <= 9) {
    const double y = (x < 0 ? -x : x) * kScale[decimal_digits];
    // NaN and infinity fail the comparison and take the general way.
    if (y < kTwoPow63) {
      // Truncation is floor here; halves round away from zero.  Below 2^63
      // the signed conversion (one instruction) gives the same integer.
      std::uint64_t whole = static_cast<std::uint64_t>(static_cast<std::int64_t>(y));
      if (y - static_cast<double>(whole) >= 0.5) ++whole;
      const double q = static_cast<double>(whole);
      return x < 0 ? -q : q;
    }
  }
  return QuantiseAnyValue(x, decimal_digits);
}

/// Prints `x` seconds as "%d:%2d:%2d" (hours, minutes, seconds; minutes and
/// seconds padded with blanks).  Seconds are x + 0.5 truncated toward zero.
void FormatTime(double x, PrintedNumber* out);

}  // namespace tlv

#endif  // TLV_FORMAT_NUMBER_FORMAT_H_
