#include "platform/numbers.h"

#include <climits>
#include <cmath>

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

}  // namespace
}  // namespace tlv
