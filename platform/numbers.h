#ifndef TLV_PLATFORM_NUMBERS_H_
#define TLV_PLATFORM_NUMBERS_H_

#include <string_view>

namespace tlv {

/// Reads a number the way the whole system reads numbers in text (settings
/// texts, typed answers, tool-path fields): leading blanks (space, tab, CR,
/// LF, VT, FF) are skipped, an optional sign, then the longest decimal prefix;
/// the rest is ignored and text without a number gives 0.
/// A value beyond the range of int is clamped to INT_MIN / INT_MAX.
int ParseLeadingInt(std::string_view text);

/// As ParseLeadingInt for a real number, the way the C library's atof reads
/// one in the "C" locale: the longest prefix that is a decimal number ("12",
/// "-.5", "1.5e3", "3."; a malformed exponent is ignored, "1e" gives 1), a
/// hexadecimal number ("0x1.8p3"), "inf"/"infinity" or "nan".  The result is
/// correctly rounded, the same as std::strtod gives; overflow gives
/// +/-HUGE_VAL.  The plain decimals of tool paths never allocate.
double ParseLeadingDouble(std::string_view text);

}  // namespace tlv

#endif  // TLV_PLATFORM_NUMBERS_H_
