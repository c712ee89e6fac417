#include "platform/numbers.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace tlv {
namespace {

TEST(ParseLeadingInt, ReadsLikeAtoi) {
  EXPECT_EQ(0, ParseLeadingInt(""));
  EXPECT_EQ(0, ParseLeadingInt("abc"));
  EXPECT_EQ(0, ParseLeadingInt("-"));
  EXPECT_EQ(0, ParseLeadingInt("- 5"));
  EXPECT_EQ(-12, ParseLeadingInt("  -12abc"));
  EXPECT_EQ(7, ParseLeadingInt("+7"));
  EXPECT_EQ(3, ParseLeadingInt("\t\n\r 3 4"));
  EXPECT_EQ(12, ParseLeadingInt("12.9"));
  EXPECT_EQ(0, ParseLeadingInt("0x1F"));
  EXPECT_EQ(10, ParseLeadingInt("0010"));
}

TEST(ParseLeadingInt, ClampsInsteadOfOverflowing) {
  EXPECT_EQ(INT_MAX, ParseLeadingInt("2147483647"));
  EXPECT_EQ(INT_MAX, ParseLeadingInt("2147483648"));
  EXPECT_EQ(INT_MIN, ParseLeadingInt("-2147483648"));
  EXPECT_EQ(INT_MIN, ParseLeadingInt("-2147483649"));
  EXPECT_EQ(INT_MAX, ParseLeadingInt("99999999999999999999999999999"));
}

TEST(ParseLeadingDouble, ReadsLikeAtof) {
  EXPECT_EQ(0.0, ParseLeadingDouble(""));
  EXPECT_EQ(0.0, ParseLeadingDouble("x1"));
  EXPECT_EQ(0.0, ParseLeadingDouble("."));
  EXPECT_EQ(0.0, ParseLeadingDouble("--1"));
  EXPECT_EQ(0.0, ParseLeadingDouble("+-1"));
  EXPECT_EQ(1500.0, ParseLeadingDouble("1.5e3x"));
  EXPECT_EQ(-0.5, ParseLeadingDouble(" -.5"));
  EXPECT_EQ(2.25, ParseLeadingDouble("\t+2.25 mm"));
  EXPECT_EQ(1.0, ParseLeadingDouble("1e"));
  EXPECT_EQ(1.0, ParseLeadingDouble("1e+"));
  EXPECT_EQ(3.0, ParseLeadingDouble("3."));
  EXPECT_EQ(-123.456, ParseLeadingDouble("-123.456,7"));
}

TEST(ParseLeadingDouble, OutOfRange) {
  EXPECT_TRUE(std::isinf(ParseLeadingDouble("1e400")));
  EXPECT_LT(ParseLeadingDouble("-1e400"), 0.0);
  EXPECT_EQ(0.0, ParseLeadingDouble("1e-400"));
}

// The short path for plain decimals must give the very double a full
// conversion gives, or NC coordinates would differ in the last digit.
TEST(ParseLeadingDouble, SameBitsAsTheCLibrary) {
  std::mt19937_64 random(42);
  for (int i = 0; i < 200000; ++i) {
    std::string text = (random() & 1) ? "-" : "";
    int int_digits = static_cast<int>(random() % 9);
    int frac_digits = static_cast<int>(random() % 12);
    for (int k = 0; k < int_digits; ++k) text += static_cast<char>('0' + random() % 10);
    if (frac_digits > 0 || int_digits == 0) text += '.';
    for (int k = 0; k < frac_digits; ++k) text += static_cast<char>('0' + random() % 10);
    if (int_digits == 0 && frac_digits == 0) text += '0';
    double expected = std::strtod(text.c_str(), nullptr);
    ASSERT_EQ(expected, ParseLeadingDouble(text)) << text;
    ASSERT_EQ(std::signbit(expected), std::signbit(ParseLeadingDouble(text))) << text;
  }
  for (const char* text : {"0.1", "0.3", "123456789012345", "1234567890123456789",
                           "0.000000000000000000001", "9007199254740993",
                           "2.2250738585072014e-308", "0.0000000000000000000000001"}) {
    EXPECT_EQ(std::strtod(text, nullptr), ParseLeadingDouble(text)) << text;
  }
}

}  // namespace
}  // namespace tlv
