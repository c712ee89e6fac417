#include "format/number_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

namespace tlv {
namespace {

// Equal, or both NaN; -0 and +0 differ.
bool SameValue(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) ||
         (std::isnan(a) && std::isnan(b));
}

std::string Digits(double x, const OutputFormat& f) {
  PrintedNumber p;
  FormatDigits(x, f, &p);
  return std::string(p.text, p.length);
}

std::string Time(double x) {
  PrintedNumber p;
  FormatTime(x, &p);
  return std::string(p.text, p.length);
}

OutputFormat Real3() { return OutputFormat::RealPreset(); }

TEST(NumberFormat, RoundingEdgesThreeDecimals) {
  OutputFormat f = Real3();
  EXPECT_EQ(Digits(12.3456, f), "12.346");
  EXPECT_EQ(Digits(12.3454, f), "12.345");
  EXPECT_EQ(Digits(0.00049, f), "0.");
  EXPECT_EQ(Digits(0.0005, f), "0.001");
  EXPECT_EQ(Digits(0.9999, f), "1.");
  EXPECT_EQ(Digits(0.9994, f), "0.999");
  EXPECT_EQ(Digits(-0.05, f), "-0.05");
  EXPECT_EQ(Digits(-12.3456, f), "-12.346");
  EXPECT_EQ(Digits(2, f), "2.");
  EXPECT_EQ(Digits(0, f), "0.");
  EXPECT_EQ(Digits(100.5, f), "100.5");
}

TEST(NumberFormat, Switches) {
  OutputFormat f = Real3();
  f.trailing_zeros = true;
  EXPECT_EQ(Digits(2, f), "2.000");
  EXPECT_EQ(Digits(-0.05, f), "-0.050");

  OutputFormat g = OutputFormat::IntegerPreset();
  g.leading_zeros = true;
  g.integer_digits = 4;
  EXPECT_EQ(Digits(7, g), "0007");
  EXPECT_EQ(Digits(12345, g), "12345");  // wider than the width: unpadded
  EXPECT_EQ(Digits(-7, g), "-0007");
  EXPECT_EQ(Digits(6.5, g), "0007");     // halves round up on the magnitude
  EXPECT_EQ(Digits(6.49, g), "0006");

  OutputFormat p = Real3();
  p.plus_sign = true;
  EXPECT_EQ(Digits(1.5, p), "+1.5");
  EXPECT_EQ(Digits(0, p), "+0.");
  EXPECT_EQ(Digits(-1.5, p), "-1.5");

  OutputFormat z = Real3();
  z.leading_zeros = true;
  z.integer_digits = 3;
  EXPECT_EQ(Digits(0.25, z), "000.25");
}

TEST(NumberFormat, NoDecimalsPrintsNoPointWhateverTheFlag) {
  OutputFormat f = OutputFormat::IntegerPreset();
  f.decimal_point = true;
  EXPECT_EQ(Digits(7, f), "7");
  EXPECT_EQ(Digits(-0.4, f), "-0");
}

TEST(NumberFormat, WiderThan32BitsUses64BitDigits) {
  OutputFormat f = Real3();
  // 2147483.648 scales past 2^31.
  EXPECT_EQ(Digits(2147483.648, f), "2147483.648");
  EXPECT_EQ(Digits(9876543210.5, f), "9876543210.5");
  OutputFormat i = OutputFormat::IntegerPreset();
  EXPECT_EQ(Digits(-123456789012.0, i), "-123456789012");
}

TEST(NumberFormat, NonFiniteAndHugeValuesStayBounded) {
  OutputFormat f = Real3();
  EXPECT_EQ(Digits(std::numeric_limits<double>::quiet_NaN(), f), "0.");
  EXPECT_EQ(Digits(std::numeric_limits<double>::infinity(), f), "0.");
  std::string huge = Digits(1e300, f);
  EXPECT_LE(huge.size(), kMaxNumberText);
  EXPECT_EQ(huge.substr(0, 3), "100");
}

TEST(NumberFormat, QuantumIsSignedDigitString) {
  EXPECT_EQ(Quantise(12.3456, 3), 12346);
  EXPECT_EQ(Quantise(-0.05, 3), -50);
  EXPECT_EQ(Quantise(0.0004, 3), 0);
  EXPECT_EQ(Quantise(7.5, 0), 8);
  PrintedNumber p;
  FormatDigits(-2.0005, Real3(), &p);
  EXPECT_EQ(p.quantum, -2001);
}

// The inline quantum must agree with the general one for every value: the
// change detection and the printed digits would drift apart otherwise.
TEST(NumberFormat, InlineQuantumAgreesWithTheGeneralOne) {
  const double kEdges[] = {0.0, -0.0, 0.5, -0.5, 0.0005, -0.0005, 0.00049999999999999, 1e-300,
                           9.2233720368547748e18, 9.2233720368547758e18, -9.2233720368547758e18,
                           9.2233720368547758e9, 1.8446744073709552e19, 1e300, -1e300,
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::denorm_min()};
  for (int digits = -2; digits <= 12; ++digits) {
    for (double x : kEdges) {
      EXPECT_TRUE(SameValue(Quantise(x, digits), QuantiseAnyValue(x, digits)))
          << x << " with " << digits;
    }
  }
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> coordinate(-2000.0, 2000.0);
  std::uniform_int_distribution<std::uint64_t> bits;
  for (int i = 0; i < 200000; ++i) {
    const int digits = i % 10;
    // Half-way values at the output resolution are the ones that round.
    const double half = (std::floor(coordinate(random) * 1000.0) + 0.5) / 1000.0;
    for (double x : {coordinate(random), half, std::bit_cast<double>(bits(random))}) {
      ASSERT_TRUE(SameValue(Quantise(x, digits), QuantiseAnyValue(x, digits)))
          << x << " with " << digits;
    }
  }
}

// The digit rules written out plainly with strings, to hold the printer
// against: scale, round halves up on the magnitude, split, pad, sign,
// point, trim, cut.
std::string PlainDigits(double x, const OutputFormat& f) {
  constexpr double kScale[] = {1.0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  const int decimals = std::clamp(f.decimal_digits, 0, 9);
  double y = std::isfinite(x) ? std::fabs(x) * kScale[decimals] : 0.0;
  double whole = std::floor(y);
  if (y - whole >= 0.5) whole += 1.0;
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.0f", whole);
  std::string d = buf;
  std::string int_part = "0", frac;
  if (static_cast<int>(d.size()) > decimals) {
    int_part = d.substr(0, d.size() - decimals);
    frac = d.substr(d.size() - decimals);
  } else {
    frac = std::string(decimals - d.size(), '0') + d;
  }
  std::string text = x < 0 ? "-" : f.plus_sign ? "+" : "";
  const int width = std::clamp(f.integer_digits, 0, 18);
  if (f.leading_zeros && static_cast<int>(int_part.size()) < width) {
    text += std::string(width - int_part.size(), '0');
  }
  text += int_part;
  if (decimals > 0) {
    if (!f.trailing_zeros) {
      while (!frac.empty() && frac.back() == '0') frac.pop_back();
    }
    text += "." + frac;
  }
  return text.substr(0, kMaxNumberText);
}

TEST(NumberFormat, DigitsFollowThePlainRules) {
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> coordinate(-5000.0, 5000.0);
  std::uniform_int_distribution<int> small(-2, 12);
  std::uniform_int_distribution<std::uint64_t> bits;
  for (int i = 0; i < 100000; ++i) {
    OutputFormat f;
    f.decimal_digits = small(random);
    f.integer_digits = small(random) * 2;
    f.leading_zeros = (i & 1) != 0;
    f.trailing_zeros = (i & 2) != 0;
    f.plus_sign = (i & 4) != 0;
    const double exact_half = (std::floor(coordinate(random) * 100.0) + 0.5) / 100.0;
    const double wide = std::ldexp(coordinate(random), small(random) * 6);
    for (double x : {coordinate(random), exact_half, wide, std::bit_cast<double>(bits(random))}) {
      ASSERT_EQ(Digits(x, f), PlainDigits(x, f))
          << x << " decimals " << f.decimal_digits << " width " << f.integer_digits << " switches "
          << (i & 7);
    }
  }
}

TEST(NumberFormat, TimeFormat) {
  EXPECT_EQ(Time(3725.4), "1: 2: 5");
  EXPECT_EQ(Time(3725.5), "1: 2: 6");
  EXPECT_EQ(Time(59.4), "0: 0:59");
  EXPECT_EQ(Time(59.5), "0: 1: 0");
  EXPECT_EQ(Time(36000), "10: 0: 0");
  EXPECT_EQ(Time(0), "0: 0: 0");
}

}  // namespace
}  // namespace tlv
