#include "express/parser.h"

#include <string>

#include <gtest/gtest.h>

namespace tlv {
namespace {

// The postfix form of a text that parses.
std::string Postfix(std::string_view text) {
  Code code;
  Diagnostics diagnostics;
  EXPECT_TRUE(ParseExpressions(text, &code, &diagnostics)) << text;
  return code.Debug();
}

TEST(ParserTest, PrecedenceAndAssociativity) {
  EXPECT_EQ(Postfix("1 + 2 * 3 > 6 AND 1"), "1 2 3 * + 6 > 1 AND ;");
  EXPECT_EQ(Postfix("-2 * -2"), "2 neg 2 neg * ;");
  EXPECT_EQ(Postfix("a OR b AND c"), "a b c AND OR ;");
  EXPECT_EQ(Postfix("a - b - c"), "a b - c - ;");
  EXPECT_EQ(Postfix("a / b * c"), "a b / c * ;");
  EXPECT_EQ(Postfix("a < b == c"), "a b < c == ;");
  EXPECT_EQ(Postfix("(a + b) * +c"), "a b + c pos * ;");
  EXPECT_EQ(Postfix("POW(a, 2) + ATAN2(1, -1)"), "a 2 POW() 1 1 neg ATAN2() + ;");
  EXPECT_EQ(Postfix("\"t\", pi; ignored"), "\"t\" ; pi ;");
}

TEST(ParserTest, NamesAndStackDepth) {
  Code code;
  Diagnostics diagnostics;
  ASSERT_TRUE(ParseExpressions("b + a * (c - b * (d + e))", &code, &diagnostics));
  EXPECT_EQ(code.names, (std::vector<std::string>{"b", "a", "c", "d", "e"}));
  EXPECT_EQ(code.max_stack, 6);
  EXPECT_EQ(code.expressions, 1);
  // A long chain at one level needs no more than two slots.
  std::string chain = "1";
  for (int i = 0; i < 10000; ++i) chain += " + 1";
  ASSERT_TRUE(ParseExpressions(chain, &code, &diagnostics));
  EXPECT_EQ(code.max_stack, 2);
}

TEST(ParserTest, ErrorsStopAtOnce) {
  Code code;
  std::vector<std::string> messages;
  DiagnosticHook hook = [&messages](std::string_view t) { messages.emplace_back(t); };
  Diagnostics diagnostics(&hook);
  EXPECT_FALSE(ParseExpressions("(1 + \"a\") + (", &code, &diagnostics));
  EXPECT_EQ(diagnostics.status(), kExpressTypeMismatch);
  EXPECT_EQ(messages, (std::vector<std::string>{"Express error: Type mismatch error"}));
}

}  // namespace
}  // namespace tlv
