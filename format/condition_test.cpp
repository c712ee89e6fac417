#include "format/condition.h"

#include <gtest/gtest.h>

#include <string>

#include "format/engine_test_support.h"

namespace tlv {
namespace {

class ConditionTest : public EngineTest {
 protected:
  // Conditions are written with "@n@" standing for a modal reference to
  // variable n, so tests read like the display text.
  double Eval(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '@') {
        std::size_t close = text.find('@', i + 1);
        bytes += RefBytes(std::stoi(text.substr(i + 1, close - i - 1)));
        i = close;
      } else {
        bytes += text[i];
      }
    }
    return expander_.EvaluateCondition(bytes);
  }
};

TEST_F(ConditionTest, ArithmeticOrderAndUnaryMinus) {
  EXPECT_DOUBLE_EQ(Eval("1 + 2 * 3"), 7);
  EXPECT_DOUBLE_EQ(Eval("2 ^ 3 * 2"), 16);
  EXPECT_DOUBLE_EQ(Eval("(1 + 2) * 3"), 9);
  EXPECT_DOUBLE_EQ(Eval("-2 * -3"), 6);
  EXPECT_DOUBLE_EQ(Eval("10 - 4 - 3"), 3);
  EXPECT_DOUBLE_EQ(Eval("8 / 4 / 2"), 1);
  EXPECT_DOUBLE_EQ(Eval("1.5.7 + 1"), 2.5);  // the run "1.5.7" reads as 1.5
  EXPECT_EQ(Eval("1 / 0 > 5"), 1);           // division by zero is an infinity
  Var(14).SetNumber(3);
  EXPECT_EQ(Eval("@14@ < -5"), 0);
  Var(14).SetNumber(-6);
  EXPECT_EQ(Eval("@14@ < - 5"), 1);  // the minus folds into the 5
}

TEST_F(ConditionTest, ComparisonsWithTolerance) {
  EXPECT_EQ(Eval("1.000001 == 1"), 1);
  EXPECT_EQ(Eval("1.00002 == 1"), 0);
  EXPECT_EQ(Eval("1.000001 > 1"), 0);
  EXPECT_EQ(Eval("1.000001 >= 1"), 1);
  EXPECT_EQ(Eval("1 <= 1.000001"), 1);
  EXPECT_EQ(Eval("2 <> 2"), 0);
  EXPECT_EQ(Eval("3 > 2 == 1"), 1);
  EXPECT_EQ(Eval("1 = 1"), 0);  // a single "=" is skipped: two numbers left
}

TEST_F(ConditionTest, TextsCompareAndContain) {
  Var(19).SetText("G81");
  EXPECT_EQ(Eval("@19@ > \"8\""), 1);
  EXPECT_EQ(Eval("@19@ < \"8\""), 0);
  EXPECT_EQ(Eval("\"8\" < @19@"), 1);
  EXPECT_EQ(Eval("@19@ == \"G81\""), 1);
  EXPECT_EQ(Eval("@19@ <> \"G81\""), 0);
  EXPECT_EQ(Eval("@19@ >= \"G\""), 0);  // refused for texts
  EXPECT_EQ(Eval("\"G\" + \"81\" == @19@"), 1);
  EXPECT_EQ(Eval("\"open"), 0);  // a text alone counts as 0
  EXPECT_EQ(out_.log, "");
  EXPECT_EQ(Eval("\"a\" * \"b\""), 0);
  EXPECT_EQ(out_.log, "不正な演算子が使われています。\n");
}

TEST_F(ConditionTest, FunctionsInDegrees) {
  EXPECT_NEAR(Eval("SIN 30"), 0.5, 1e-12);
  EXPECT_NEAR(Eval("SIN(30) + COS(60)"), 1.0, 1e-12);
  EXPECT_NEAR(Eval("TAN 45"), 1.0, 1e-12);
  EXPECT_EQ(Eval("TAN 90 + 1"), 0);  // refused: the condition is false
  EXPECT_EQ(Eval("SQRT -4 < 1"), 0);
  EXPECT_EQ(Eval("ASIN 2"), 0);
  EXPECT_NEAR(Eval("ACOS 0"), 90, 1e-12);
  EXPECT_NEAR(Eval("ABS -3 + SQRT 16"), 7, 1e-12);
  EXPECT_NEAR(Eval("ATAN2(1, -1)"), 135, 1e-12);
  EXPECT_NEAR(Eval("atan2((1), (1 + 0)) * 2"), 90, 1e-12);
  EXPECT_NEAR(Eval("PI * 2"), 6.283185307179586, 1e-12);
  EXPECT_NEAR(Eval("XSIN30"), 0.5, 1e-12);  // no word boundaries
}

TEST_F(ConditionTest, ValStrAndMode) {
  Var(62).SetText("12.5mm");
  EXPECT_DOUBLE_EQ(Eval("VAL(@62@) * 2"), 25);
  EXPECT_DOUBLE_EQ(Eval("VAL(3 + 4)"), 7);
  EXPECT_EQ(Eval("STR(1.5) == \"1.500000\""), 1);

  Var(60).SetInteger(5);          // modal, changed
  Var(61).SetInteger(5);          // not modal
  EXPECT_EQ(Eval("MODE(@60@)"), 1);
  std::string sink;
  Var(60).FormatIfDueOwn(&sink, 32);
  EXPECT_EQ(Eval("MODE( @60@ ) + 0"), 0);
  EXPECT_EQ(Eval("MODE(@61@)"), 1);
}

TEST_F(ConditionTest, LogicalOperators) {
  EXPECT_EQ(Eval("1 AND 0"), 0);
  EXPECT_EQ(Eval("1 OR 0"), 1);
  EXPECT_EQ(Eval("1 XOR 1"), 0);
  EXPECT_EQ(Eval("NOT 0"), 1);
  EXPECT_EQ(Eval("NOT NOT 1"), 1);
  EXPECT_EQ(Eval("2 > 1 AND NOT 3 < 2"), 1);
  EXPECT_EQ(Eval("0.4 OR 0.5"), 0);  // true means above 0.5
}

TEST_F(ConditionTest, LimitsAndBrokenText) {
  EXPECT_EQ(Eval(""), 0);
  EXPECT_EQ(Eval("   "), 0);
  // Terms past the 100th are dropped: 50 ones and their pluses are 99
  // terms; with a 51st one its "+" is kept and the 1 lost, which leaves a
  // list that does not reduce to one term.
  std::string sum = "1";
  for (int i = 1; i < 50; ++i) sum += "+1";
  EXPECT_DOUBLE_EQ(Eval(sum), 50);
  EXPECT_DOUBLE_EQ(Eval(sum + "+1"), 0);
  // Nesting deeper than the limit is false, not a stack overflow.
  EXPECT_EQ(Eval(std::string(100000, '(') + "1"), 0);
  EXPECT_DOUBLE_EQ(Eval(std::string(10, '(') + "1"), 1);
  EXPECT_DOUBLE_EQ(Eval("(2"), 2);
  EXPECT_DOUBLE_EQ(Eval("2) + 5"), 2);
  EXPECT_EQ(Eval("ATAN2"), 0);
  EXPECT_EQ(Eval("\xFF\x01"), 0);  // a cut variable marker
}

}  // namespace
}  // namespace tlv
