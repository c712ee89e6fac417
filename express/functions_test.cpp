#include "express/functions.h"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "express/evaluate.h"

namespace tlv {
namespace {

struct Result {
  EvaluateResult r;
  Value value;
  std::vector<std::string> diagnostics;
};

Result Eval(std::string_view text) {
  Result out;
  EvaluateOptions options;
  options.diagnostic = [&out](std::string_view t) { out.diagnostics.emplace_back(t); };
  out.r = Evaluate(text, std::span<Value>(&out.value, 1), options);
  return out;
}

void ExpectNear(std::string_view text, double expected, double tolerance = 1e-12) {
  Result out = Eval(text);
  EXPECT_EQ(out.r.status, kExpressOk) << text;
  ASSERT_EQ(out.r.count, 1) << text;
  ASSERT_TRUE(out.value.is_number()) << text;
  EXPECT_NEAR(out.value.number, expected, tolerance) << text;
}

void ExpectText(std::string_view text, std::string_view expected) {
  Result out = Eval(text);
  EXPECT_EQ(out.r.status, kExpressOk) << text;
  ASSERT_EQ(out.r.count, 1) << text;
  EXPECT_EQ(out.value.text, expected) << text;
}

// A function failure: no value, the status, and both diagnostic lines.
void ExpectFailure(std::string_view text, int status, std::string_view message,
                   std::string_view function) {
  Result out = Eval(text);
  EXPECT_EQ(out.r.status, status) << text;
  EXPECT_EQ(out.r.count, 0) << text;
  ASSERT_EQ(out.diagnostics.size(), 2u) << text;
  EXPECT_EQ(out.diagnostics[0], message) << text;
  EXPECT_EQ(out.diagnostics[1], "Express error: function " + std::string(function)) << text;
}

TEST(FunctionsTest, TrigonometryInDegrees) {
  ExpectNear("SIN(30)", 0.5);
  EXPECT_EQ(Eval("SIN(30)").value.number, std::sin(30 * 0.017453292519943295));
  ExpectNear("COS(60)", 0.5);
  ExpectNear("TAN(45)", 1.0);
  ExpectNear("TAN(-45)", -1.0);
  ExpectNear("ASIN(0.5)", 30.0);
  ExpectNear("ACOS(0)", 90.0);
  ExpectNear("ATAN(1)", 45.0);
  ExpectNear("ATAN2(1, -1)", 135.0);
  ExpectNear("ATAN2(-1, -1)", -135.0);
  ExpectNear("ATAN2(0, -1)", 180.0);
  ExpectNear("ATAN2(1, 0)", 90.0);
  ExpectNear("sin(90) + Cos(0)", 2.0);  // names in any case
}

TEST(FunctionsTest, DomainErrors) {
  ExpectFailure("TAN(90)", kExpressDomainError, "Express error: TAN", "TAN");
  ExpectFailure("TAN(-90)", kExpressDomainError, "Express error: TAN", "TAN");
  ExpectFailure("TAN(270)", kExpressDomainError, "Express error: TAN", "TAN");
  ExpectNear("TAN(180)", 0.0);
  ExpectFailure("ASIN(1.0001)", kExpressDomainError, "Express error: ASIN", "ASIN");
  ExpectFailure("ACOS(-2)", kExpressDomainError, "Express error: ACOS", "ACOS");
  ExpectNear("ASIN(-1)", -90.0);
  ExpectFailure("SQRT(-1)", kExpressDomainError, "Express error: SQRT", "SQRT");
  ExpectNear("SQRT(0)", 0.0);
  ExpectFailure("ATAN2(0, 0)", kExpressDomainError, "Express error: ATAN2", "ATAN2");
  ExpectFailure("POW(-8, 1/3)", kExpressDomainError, "Express error: POW", "POW");
  ExpectFailure("POW(0, -1)", kExpressDomainError, "Express error: POW", "POW");
  ExpectNear("POW(-8, 3)", -512.0);
  ExpectNear("POW(0, 0)", 1.0);
  ExpectNear("POW(2, -1)", 0.5);
  ExpectNear("POW(2, 0.5)", std::sqrt(2.0));
  ExpectNear("ABS(-3.5)", 3.5);
}

TEST(FunctionsTest, TextFunctions) {
  ExpectNear("VAL(\"12.5mm\")", 12.5);
  ExpectNear("VAL(\"  -3e2 \")", -300);
  ExpectNear("VAL(\"+.5\")", 0.5);
  ExpectNear("VAL(\"abc\")", 0);
  ExpectNear("VAL(\"\")", 0);
  ExpectNear("VAL(\"0x10\")", 0);  // decimal only
  ExpectText("STR(1.5)", "1.500000");
  ExpectText("STR(-2)", "-2.000000");
  ExpectText("STR(1/3)", "0.333333");
  // The largest double prints 316 characters; the text keeps 255.
  Result huge = Eval("STR(1.7976931348623157e308)");
  ASSERT_EQ(huge.r.count, 1);
  EXPECT_EQ(huge.value.text.size(), kExpressMaxText);
  ExpectNear("VAL(STR(2.25)) * 2", 4.5);
}

TEST(FunctionsTest, TypeMismatch) {
  ExpectFailure("SIN(\"a\")", kExpressTypeMismatch,
                "Express error: Type mismatch error for function SIN", "SIN");
  ExpectFailure("VAL(1)", kExpressTypeMismatch,
                "Express error: Type mismatch error for function VAL", "VAL");
  ExpectFailure("STR(\"a\")", kExpressTypeMismatch,
                "Express error: Type mismatch error for function STR", "STR");
  ExpectFailure("POW(\"a\", 1)", kExpressTypeMismatch,
                "Express error: Type mismatch error for arg 1 of function POW", "POW");
  ExpectFailure("ATAN2(1, \"a\")", kExpressTypeMismatch,
                "Express error: Type mismatch error for arg 2 of function ATAN2", "ATAN2");
  EXPECT_EQ(Eval("STR(1) + 1").r.status, kExpressTypeMismatch);
  EXPECT_EQ(Eval("STR(1) == \"1.000000\"").value.number, 1);
}

TEST(FunctionsTest, CallSyntax) {
  Result out = Eval("POW(2)");
  EXPECT_EQ(out.r.status, kExpressSyntaxError);
  ASSERT_FALSE(out.diagnostics.empty());
  EXPECT_EQ(out.diagnostics[0], "Express error: POW needs 2 arguments");
  out = Eval("SIN(1, 2)");
  EXPECT_EQ(out.r.status, kExpressSyntaxError);
  EXPECT_EQ(out.diagnostics[0], "Express error: Unmatched parenthesis ('SIN')");
  out = Eval("FOO(1)");
  EXPECT_EQ(out.r.status, kExpressSyntaxError);
  EXPECT_EQ(out.diagnostics[0], "Express error: Illegal function FOO");
  EXPECT_EQ(Eval("SIN()").r.status, kExpressSyntaxError);
  EXPECT_EQ(Eval("SIN(").r.status, kExpressSyntaxError);
  EXPECT_EQ(Eval("ABS(ABS(-1) - 3)").value.number, 2);
}

TEST(FunctionsTest, LeadingDecimal) {
  EXPECT_EQ(LeadingDecimal(" \t12abc"), 12);
  EXPECT_EQ(LeadingDecimal("-"), 0);
  EXPECT_EQ(LeadingDecimal("1e"), 1);
  EXPECT_EQ(LeadingDecimal("-1e400"), -HUGE_VAL);
}

}  // namespace
}  // namespace tlv
