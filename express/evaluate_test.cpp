#include "express/evaluate.h"

#include <cmath>
#include <map>
#include <string>

#include <gtest/gtest.h>

namespace tlv {
namespace {

// A lookup hook over a fixed table; records every name it is asked.
struct FakeVariables {
  std::map<std::string, LookupAnswer> table;
  std::vector<std::string> asked;

  void Number(const std::string& name, double v) { table[name] = {LookupKind::kNumber, v, {}}; }
  void Text(const std::string& name, std::string_view t) { table[name] = {LookupKind::kText, 0, t}; }
  void Formula(const std::string& name, std::string_view f) {
    table[name] = {LookupKind::kFormula, 0, f};
  }
  LookupHook Hook() {
    return [this](std::string_view name, LookupAnswer* answer) {
      asked.emplace_back(name);
      auto it = table.find(std::string(name));
      if (it == table.end()) return false;
      *answer = it->second;
      return true;
    };
  }
};

struct Outcome {
  EvaluateResult result;
  Value values[4];
  std::vector<std::string> diagnostics;
};

Outcome EvaluateText(std::string_view text, LookupHook hook = {}, EvalMode mode = EvalMode::kEvaluate) {
  Outcome out;
  EvaluateOptions options;
  options.mode = mode;
  options.lookup = std::move(hook);
  options.diagnostic = [&out](std::string_view t) { out.diagnostics.emplace_back(t); };
  out.result = Evaluate(text, out.values, options);
  return out;
}

void ExpectValue(std::string_view text, double expected, LookupHook hook = {}) {
  Outcome out = EvaluateText(text, std::move(hook));
  EXPECT_EQ(out.result.status, kExpressOk) << text;
  ASSERT_EQ(out.result.count, 1) << text;
  ASSERT_TRUE(out.values[0].is_number()) << text;
  EXPECT_DOUBLE_EQ(out.values[0].number, expected) << text;
}

void ExpectText(std::string_view text, std::string_view expected, LookupHook hook = {}) {
  Outcome out = EvaluateText(text, std::move(hook));
  EXPECT_EQ(out.result.status, kExpressOk) << text;
  ASSERT_EQ(out.result.count, 1) << text;
  ASSERT_TRUE(out.values[0].is_text()) << text;
  EXPECT_EQ(out.values[0].text, expected) << text;
}

// Checks an evaluation that produces no value: its status and, when given,
// one of its diagnostic texts.
void ExpectStatus(std::string_view text, int status, std::string_view message = {},
                  LookupHook hook = {}) {
  Outcome out = EvaluateText(text, std::move(hook));
  EXPECT_EQ(out.result.status, status) << text;
  EXPECT_EQ(out.result.count, 0) << text;
  if (!message.empty()) {
    bool found = false;
    for (const std::string& d : out.diagnostics) found = found || d == message;
    EXPECT_TRUE(found) << text << ": no diagnostic \"" << message << "\"";
  }
}

TEST(EvaluateTest, Precedence) {
  ExpectValue("1 + 2 * 3 > 6 AND 1", 1);
  ExpectValue("-2 * -2", 4);
  ExpectValue("2 + 3 * 4", 14);
  ExpectValue("(2 + 3) * 4", 20);
  ExpectValue("8 - 2 - 1", 5);    // left-associative
  ExpectValue("8 / 4 / 2", 1);
  ExpectValue("1 OR 0 AND 0", 1);  // AND binds tighter than OR
  ExpectValue("0 AND 1 OR 1", 1);
  ExpectValue("1 < 2 == 1", 1);   // one level, left to right
  ExpectValue("--3", 3);
  ExpectValue("-+-3", 3);
  ExpectValue("2 * -(3 + 1)", -8);
}

TEST(EvaluateTest, Comparisons) {
  ExpectValue("1 < 2", 1);
  ExpectValue("2 < 2", 0);
  ExpectValue("2 <= 2", 1);
  ExpectValue("3 > 2", 1);
  ExpectValue("2 >= 3", 0);
  ExpectValue("2 == 2.0", 1);
  ExpectValue("2 <> 2", 0);
  ExpectValue("\"AB\" == \"AB\"", 1);
  ExpectValue("\"AB\" == \"ab\"", 0);  // case-sensitive
  ExpectValue("\"AB\" <> \"ab\"", 1);
  ExpectValue("\"\" == \"\"", 1);
  ExpectValue("0.5 AND 2", 1);
  ExpectValue("0 OR 0", 0);
  ExpectValue("-0 OR 0", 0);
}

TEST(EvaluateTest, TextLiterals) {
  ExpectText("\"A\"\"B\"", "A\"B");
  ExpectText("\"abc", "abc");  // closing quote missing
  ExpectText("\"\"", "");
  ExpectText("\"a;b\"", "a;b");
  ExpectText("\"x#y\" # a comment", "x#y");
}

TEST(EvaluateTest, Numbers) {
  ExpectValue("1.5", 1.5);
  ExpectValue(".5", 0.5);
  ExpectValue("3.", 3);
  ExpectValue("1e3", 1000);
  ExpectValue("1.5E-2", 0.015);
  ExpectValue("  # comment\n 7 ", 7);
  Outcome huge = EvaluateText("1e999");
  ASSERT_EQ(huge.result.count, 1);
  EXPECT_TRUE(std::isinf(huge.values[0].number));
  ExpectValue("1e-999", 0);
  // "2e" is the number 2 followed by the name e.
  ExpectStatus("2e", kExpressSyntaxError);
}

TEST(EvaluateTest, DivisionByZeroHasNoValue) {
  ExpectStatus("1 / 0", kExpressDomainError, "Express error: Dividing by zero");
  ExpectStatus("1 / -0.0", kExpressDomainError);
  ExpectStatus("(1 / 0) + 2", kExpressDomainError);
  ExpectStatus("SQRT(1 / 0)", kExpressDomainError);
  ExpectValue("0 / 5", 0);
  // A later expression still produces its value, in the first slot.
  Outcome out = EvaluateText("1 / 0, 7");
  EXPECT_EQ(out.result.status, kExpressDomainError);
  ASSERT_EQ(out.result.count, 1);
  EXPECT_EQ(out.values[0].number, 7);
}

TEST(EvaluateTest, TypeMismatch) {
  ExpectStatus("1 + \"a\"", kExpressTypeMismatch, "Express error: Type mismatch error");
  ExpectStatus("\"a\" * 2", kExpressTypeMismatch);
  ExpectStatus("\"a\" < \"b\"", kExpressTypeMismatch);
  ExpectStatus("\"a\" AND 1", kExpressTypeMismatch);
  ExpectStatus("1 == \"1\"", kExpressTypeMismatch);
  ExpectStatus("-\"a\"", kExpressTypeMismatch, "Express error: Type mismatch error for unary '-'");
  ExpectStatus("+\"a\"", kExpressTypeMismatch, "Express error: Type mismatch error for unary '+'");
  // Known only when running: the variable holds a text.
  FakeVariables vars;
  vars.Text("t", "abc");
  ExpectStatus("t + 1", kExpressTypeMismatch, "Express error: Type mismatch error", vars.Hook());
  ExpectStatus("-t", kExpressTypeMismatch, {}, vars.Hook());
  ExpectStatus("t == 1", kExpressTypeMismatch, {}, vars.Hook());
  ExpectValue("t == \"abc\"", 1, vars.Hook());
  // An error ends the evaluation even after a warning.
  ExpectStatus("1 / 0, \"a\" + 1", kExpressTypeMismatch);
}

TEST(EvaluateTest, Syntax) {
  ExpectStatus("(1 + 2", kExpressSyntaxError, "Express error: Unmatched parenthesis('')");
  ExpectStatus("1 +", kExpressSyntaxError, "Express error: unexpected character ''");
  ExpectStatus("1 2", kExpressSyntaxError, "Express error: unexpected character '2'");
  ExpectStatus("1 $ 2", kExpressSyntaxError, "Express error: unexpected character '$'");
  ExpectStatus("* 2", kExpressSyntaxError);
  ExpectStatus(")", kExpressSyntaxError);
  ExpectStatus("1,,2", kExpressSyntaxError);
  ExpectStatus(".", kExpressSyntaxError);
  ExpectStatus("1 = 2", kExpressSyntaxError);
  ExpectStatus("\x82\xa0", kExpressSyntaxError, "Express error: unexpected character '\x82\xa0'");
  ExpectStatus("1 + \x82", kExpressSyntaxError);  // lead byte at the very end
  // What follows ";" is not read.
  ExpectValue("4; )))", 4);
}

TEST(EvaluateTest, EmptyAndSlots) {
  ExpectStatus("", kExpressEmpty);
  ExpectStatus("  # only a comment", kExpressEmpty);
  ExpectStatus(";", kExpressEmpty);
  Value one;
  EXPECT_EQ(Evaluate("1", std::span<Value>(&one, 0)).status, kExpressInvalidArguments);
  // More values than slots is an error, not an overrun.
  EvaluateResult r = Evaluate("1, 2", std::span<Value>(&one, 1));
  EXPECT_EQ(r.status, kExpressInvalidArguments);
  EXPECT_EQ(r.count, 1);
  Outcome three = EvaluateText("1, \"x\", 3;");
  ASSERT_EQ(three.result.count, 3);
  EXPECT_EQ(three.values[1].text, "x");
  EXPECT_EQ(three.values[2].number, 3);
}

TEST(EvaluateTest, Nesting) {
  std::string deep(150, '(');
  deep += "1";
  deep += std::string(150, ')');
  ExpectValue(deep, 1);
  // Far too deep: an error instead of a stack overflow.
  ExpectStatus(std::string(100000, '('), kExpressOutOfMemory, "Express error: out of memory");
  ExpectStatus(std::string(100000, '-') + "1", kExpressOutOfMemory);
  std::string calls;
  for (int i = 0; i < 5000; ++i) calls += "ABS(";
  ExpectStatus(calls, kExpressOutOfMemory);
}

TEST(EvaluateTest, AndOrAsNames) {
  FakeVariables vars;
  vars.Number("AND", 3);
  vars.Number("or", 4);
  ExpectValue("AND", 3, vars.Hook());
  ExpectValue("AND + 1", 4, vars.Hook());
  ExpectValue("or * 2", 8, vars.Hook());
  ExpectValue("(AND)", 3, vars.Hook());
  ExpectValue("-AND", -3, vars.Hook());
  ExpectValue("ABS(AND)", 3, vars.Hook());
  ExpectValue("ATAN2(1, AND) > 0", 1, vars.Hook());
  ExpectValue("AND AND 1", 1, vars.Hook());  // a name first, then the operator
  // Right after a binary operator AND is the operator again, and out of place.
  ExpectStatus("1 + AND", kExpressSyntaxError, "Express error: unexpected character 'AND'",
               vars.Hook());
  ExpectStatus("AND AND AND", kExpressSyntaxError, {}, vars.Hook());
  // After an operand it is the operator, in any case.
  ExpectValue("1 and 0", 0, vars.Hook());
  ExpectValue("0 Or 1", 1, vars.Hook());
}

TEST(EvaluateTest, Variables) {
  FakeVariables vars;
  vars.Number("x", 2.5);
  vars.Text("t", "hello");
  vars.Formula("f", "x * 2");
  vars.Formula("g", "f + 1");
  vars.Formula("empty", "");
  vars.Formula("self", "self + 1");
  vars.Formula("ping", "pong");
  vars.Formula("pong", "ping * 2");
  vars.Formula("div", "1 / 0");
  vars.Formula("two", "1, 2");
  vars.Formula("bad", "(");
  ExpectValue("x", 2.5, vars.Hook());
  ExpectText("t", "hello", vars.Hook());
  ExpectValue("f", 5, vars.Hook());
  ExpectValue("g + f", 11, vars.Hook());
  ExpectValue("x", 2.5, vars.Hook());
  ExpectStatus("self", kExpressSelfReference, "Express error: self referenced variable",
               vars.Hook());
  ExpectStatus("ping", kExpressSelfReference, {}, vars.Hook());
  ExpectStatus("empty", kExpressUndefinedValue, {}, vars.Hook());
  ExpectStatus("empty + 1", kExpressUndefinedValue, {}, vars.Hook());
  ExpectStatus("div", kExpressDomainError, {}, vars.Hook());
  ExpectStatus("two", kExpressInvalidArguments, {}, vars.Hook());
  ExpectStatus("bad", kExpressSyntaxError, {}, vars.Hook());
  ExpectStatus("nobody", kExpressUnknownVariable, {}, vars.Hook());
  // Names are case-sensitive.
  ExpectStatus("X", kExpressUnknownVariable, {}, vars.Hook());
  // The largest status wins: an unknown name (20) after an empty formula (10).
  ExpectStatus("empty, nobody", kExpressUnknownVariable, {}, vars.Hook());
  ExpectStatus("nobody, empty", kExpressUnknownVariable, {}, vars.Hook());

  // A formula used twice in one expression is not a self-reference.
  ExpectValue("f + f", 10, vars.Hook());
  // A text answer longer than 255 bytes is cut.
  std::string long_text(300, 'q');
  vars.Text("long", long_text);
  Outcome cut = EvaluateText("long", vars.Hook());
  ASSERT_EQ(cut.result.count, 1);
  EXPECT_EQ(cut.values[0].text.size(), kExpressMaxText);
}

TEST(EvaluateTest, FormulaChainTooDeep) {
  FakeVariables vars;
  // v0 reads v1 reads v2 ... each a different name: bounded by depth.
  std::vector<std::string> formulas;
  for (int i = 0; i < 100; ++i) formulas.push_back("v" + std::to_string(i + 1));
  for (int i = 0; i < 100; ++i) vars.Formula("v" + std::to_string(i), formulas[i]);
  vars.Number("v100", 1);
  ExpectStatus("v0", kExpressOutOfMemory, {}, vars.Hook());
  ExpectValue("v90", 1, vars.Hook());
}

TEST(EvaluateTest, Pi) {
  ExpectValue("PI", 3.141592653589793);
  ExpectValue("pi * 2", 2 * 3.141592653589793);
  ExpectStatus("other", kExpressSyntaxError);  // no hook: only PI is known
  FakeVariables vars;
  ExpectValue("Pi", 3.141592653589793, vars.Hook());  // unknown to the hook: still PI
  vars.Number("PI", 3);
  ExpectValue("PI", 3, vars.Hook());  // the hook comes first
}

TEST(EvaluateTest, CheckOnly) {
  std::vector<std::string> names;
  EvaluateOptions options;
  options.mode = EvalMode::kCheckOnly;
  options.names = &names;
  bool asked = false;
  options.lookup = [&asked](std::string_view, LookupAnswer*) { return asked = true; };
  Value slots[2];
  EvaluateResult r = Evaluate("b + a * SIN(c) + b + pi + PI / 0, d", slots, options);
  EXPECT_EQ(r.status, kExpressOk);  // nothing computed: no division
  EXPECT_EQ(r.count, 2);
  EXPECT_FALSE(asked);
  EXPECT_EQ(names, (std::vector<std::string>{"b", "a", "c", "d"}));
  // Types that are known are checked; those of variables are not.
  EXPECT_EQ(Evaluate("a + \"x\"", slots, options).status, kExpressTypeMismatch);
  EXPECT_EQ(Evaluate("a + b", slots, options).status, kExpressOk);
  EXPECT_EQ(Evaluate("-STR(a)", slots, options).status, kExpressTypeMismatch);
  EXPECT_EQ(Evaluate("VAL(a) + 1", slots, options).status, kExpressOk);
  EXPECT_EQ(Evaluate("(a", slots, options).status, kExpressSyntaxError);
  EXPECT_EQ(Evaluate("", slots, options).status, kExpressEmpty);
}

}  // namespace
}  // namespace tlv
