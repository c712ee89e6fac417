#include "express/express.h"

#include <cstdlib>
#include <new>
#include <string>

#include <gtest/gtest.h>

// Counts heap allocations, to hold the hot use of a compiled program to none.
static long g_allocations = 0;

void* operator new(std::size_t size) {
  ++g_allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
// GCC sees free() of memory from operator new; here that pairing is ours.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace tlv {
namespace {

double Number(const ExpressProgram& p, std::string_view name) {
  double v = -12345;
  EXPECT_EQ(p.GetNumber(name, &v), 0) << name;
  return v;
}

TEST(ExpressProgramTest, FormatFormula) {
  ExpressProgram p;
  ASSERT_EQ(p.Compile("a = a*2;", true), 0);
  EXPECT_EQ(p.statement_count(), 1);
  ASSERT_EQ(p.SetNumber("a", 1.5), 0);
  ASSERT_EQ(p.Run(), 0);
  EXPECT_EQ(Number(p, "a"), 3);
  // Compiled once, run again: the symbol keeps its value between runs.
  ASSERT_EQ(p.Run(), 0);
  EXPECT_EQ(Number(p, "a"), 6);
  SymbolHandle a = p.Find("a");
  ASSERT_TRUE(a.valid());
  EXPECT_EQ(p.SetNumber(a, 10), 0);
  ASSERT_EQ(p.Run(), 0);
  double v = 0;
  EXPECT_EQ(p.GetNumber(a, &v), 0);
  EXPECT_EQ(v, 20);
}

TEST(ExpressProgramTest, HotUseDoesNotAllocate) {
  ExpressProgram p;
  ASSERT_EQ(p.Compile("a = a*2; t = STR(a) == \"x\" OR 1; u = STR(a * 1e20); b = a / z;", true), 0);
  const SymbolHandle a = p.Find("a");
  p.SetNumber("z", 0);
  // A first run, with the longest texts, warms the stacks up.
  p.SetNumber(a, 999);
  EXPECT_EQ(p.Run(), -1);  // b = a / 0 fails, after the others ran
  const long before = g_allocations;
  double x = 0;
  for (int i = 0; i < 1000; ++i) {
    p.SetNumber(a, i);
    p.Run();
    p.GetNumber(a, &x);
    p.GetNumber("a", &x);
  }
  EXPECT_EQ(g_allocations, before);
  EXPECT_EQ(x, 999 * 2);
}

TEST(ExpressProgramTest, DivisionByZeroLeavesTarget) {
  ExpressProgram p;
  ASSERT_EQ(p.Compile("b = 1; a = a / 0; c = 2;", true), 0);
  ASSERT_EQ(p.SetNumber("a", 7), 0);
  EXPECT_EQ(p.Run(), -1);
  EXPECT_EQ(p.status(), kExpressDomainError);
  EXPECT_EQ(Number(p, "a"), 7);   // unchanged
  EXPECT_EQ(Number(p, "b"), 1);   // earlier statement kept
  double c = 0;
  EXPECT_EQ(p.GetNumber("c", &c), -1);  // later statement not run
}

TEST(ExpressProgramTest, UndeclaredValueStopsRun) {
  ExpressProgram p;
  ASSERT_EQ(p.Compile("x = 1; y = z + 1; w = 3", true), 0);
  EXPECT_EQ(p.Run(), -1);
  EXPECT_EQ(p.status(), kExpressUndefinedValue);
  EXPECT_EQ(Number(p, "x"), 1);
  double y = 0;
  EXPECT_EQ(p.GetNumber("y", &y), -1);
  p.SetNumber("z", 4);
  EXPECT_EQ(p.Run(), 0);
  EXPECT_EQ(Number(p, "y"), 5);
  EXPECT_EQ(Number(p, "w"), 3);
}

TEST(ExpressProgramTest, DeclaresNamesInOrder) {
  ExpressProgram p;
  ASSERT_EQ(p.Compile("_2101 = _10 * 2 + PI + pi; # comment\n loc = _2101 + _11;", true), 0);
  std::vector<std::string> names;
  EXPECT_EQ(p.ListNames(&names), 4);
  EXPECT_EQ(names, (std::vector<std::string>{"_10", "_2101", "_11", "loc"}));
  // Without reset the table grows; with reset it starts again.
  ASSERT_EQ(p.Compile("q = 1;", false), 0);
  EXPECT_EQ(p.ListNames(&names), 5);
  EXPECT_EQ(p.statement_count(), 3);
  ASSERT_EQ(p.Compile("q = 1;", true), 0);
  EXPECT_EQ(p.ListNames(&names), 1);
  EXPECT_EQ(p.statement_count(), 1);
}

TEST(ExpressProgramTest, CompileFailures) {
  ExpressProgram p;
  EXPECT_EQ(p.Compile("= 1;", true), -1);
  EXPECT_EQ(p.Compile("a 1;", true), -1);
  EXPECT_EQ(p.Compile("a = ;", true), -1);
  EXPECT_EQ(p.status(), kExpressEmpty);
  EXPECT_EQ(p.Compile("a = ", true), -1);
  EXPECT_EQ(p.Compile("a = (1;", true), -1);
  EXPECT_EQ(p.status(), kExpressSyntaxError);
  EXPECT_EQ(p.Compile("a = 1 + \"x\";", true), -1);
  EXPECT_EQ(p.status(), kExpressTypeMismatch);
  EXPECT_EQ(p.Compile("a = 1, 2;", true), -1);
  EXPECT_EQ(p.Compile("a = FOO(1);", true), -1);
  EXPECT_EQ(p.Compile("1 = a;", true), -1);
  EXPECT_EQ(p.Compile("a = 1; b = 2 +;", true), -1);
  // A failed compile keeps none of its statements, and Run refuses.
  EXPECT_EQ(p.statement_count(), 0);
  EXPECT_EQ(p.Run(), -1);
  // Texts with no statement compile to an empty program.
  EXPECT_EQ(p.Compile("", true), 0);
  EXPECT_EQ(p.Compile("  # nothing\n", true), 0);
  EXPECT_EQ(p.Run(), 0);
  // Editor-style check of a format tail.
  EXPECT_EQ(p.Compile("a = a/25.4;", true), 0);
  EXPECT_EQ(p.Compile("a = a*;", true), -1);
  EXPECT_EQ(p.Compile("a = a)(;", true), -1);
  // A ";" inside a text literal does not end the statement.
  ASSERT_EQ(p.Compile("t = \"a;b\"; u = t == \"a;b\";", true), 0);
  ASSERT_EQ(p.Run(), 0);
  EXPECT_EQ(Number(p, "u"), 1);
}

TEST(ExpressProgramTest, Texts) {
  ExpressProgram p;
  ASSERT_EQ(p.Compile("t = s == \"AB\"; u = \"A\"\"B\"; v = STR(n);", true), 0);
  ASSERT_EQ(p.SetText("s", "ab"), 0);
  ASSERT_EQ(p.SetNumber("n", 2), 0);
  ASSERT_EQ(p.Run(), 0);
  EXPECT_EQ(Number(p, "t"), 0);  // case-sensitive
  std::string text;
  ASSERT_EQ(p.GetText("u", &text), 0);
  EXPECT_EQ(text, "A\"B");
  ASSERT_EQ(p.GetText("v", &text), 0);
  EXPECT_EQ(text, "2.000000");
  double v = 0;
  EXPECT_EQ(p.GetNumber("u", &v), -1);  // holds a text
  // SetText keeps 255 bytes and never half a double-byte character.
  std::string long_text(254, 'x');
  long_text += "\x82\xa0\x82\xa0";
  ASSERT_EQ(p.SetText("s", long_text), 0);
  ASSERT_EQ(p.GetText("s", &text), 0);
  EXPECT_EQ(text, std::string(254, 'x'));
}

TEST(ExpressProgramTest, DeclareAndKinds) {
  ExpressProgram p;
  EXPECT_EQ(p.Declare("n", SymbolKind::kNumber), 0);
  EXPECT_EQ(p.Declare("t", SymbolKind::kText), 0);
  EXPECT_EQ(p.Declare("n", SymbolKind::kText), -1);
  EXPECT_EQ(p.Declare("t", SymbolKind::kNumber), -1);
  EXPECT_EQ(p.Declare("n", SymbolKind::kAny), 0);
  EXPECT_EQ(p.Declare("n", SymbolKind::kNumber), 0);
  EXPECT_EQ(p.Declare("", SymbolKind::kAny), -1);
  EXPECT_EQ(p.SetText("n", "x"), -1);
  EXPECT_EQ(p.SetNumber("t", 1), -1);
  EXPECT_EQ(p.SetNumber("missing", 1), -1);
  EXPECT_EQ(p.SetNumber(SymbolHandle{}, 1), -1);
  EXPECT_EQ(p.SetNumber(SymbolHandle{99}, 1), -1);
  EXPECT_FALSE(p.Find("missing").valid());
  // A kAny symbol holding text cannot become a number symbol.
  EXPECT_EQ(p.Declare("any", SymbolKind::kAny), 0);
  EXPECT_EQ(p.SetText("any", "x"), 0);
  EXPECT_EQ(p.Declare("any", SymbolKind::kNumber), -1);
  EXPECT_EQ(p.Declare("any", SymbolKind::kText), 0);

  // Compile without reset keeps the declared kinds; an assignment of the
  // wrong type fails the run and leaves the target alone.
  ASSERT_EQ(p.Compile("n = \"text\";", false), 0);
  p.SetNumber("n", 5);
  EXPECT_EQ(p.Run(), -1);
  EXPECT_EQ(p.status(), kExpressTypeMismatch);
  EXPECT_EQ(Number(p, "n"), 5);
}

TEST(ExpressProgramTest, PiSymbol) {
  ExpressProgram p;
  ASSERT_EQ(p.Compile("a = PI;", true), 0);
  ASSERT_EQ(p.Run(), 0);
  EXPECT_EQ(Number(p, "a"), 3.141592653589793);
  // A program that declares PI reads its own symbol from then on.
  ASSERT_EQ(p.Declare("PI", SymbolKind::kNumber), 0);
  p.SetNumber("PI", 3);
  ASSERT_EQ(p.Run(), 0);
  EXPECT_EQ(Number(p, "a"), 3);
}

TEST(ExpressProgramTest, LongNamesAreCut) {
  const std::string long_name(300, 'n');
  const std::string cut(255, 'n');
  ExpressProgram p;
  std::vector<std::string> warnings;
  p.set_diagnostic_hook([&warnings](std::string_view t) { warnings.emplace_back(t); });
  ASSERT_EQ(p.Compile(long_name + " = 4; b = " + long_name + " * 2;", true), 0);
  ASSERT_EQ(p.Run(), 0);
  EXPECT_EQ(Number(p, "b"), 8);
  EXPECT_EQ(Number(p, cut), 4);
  EXPECT_EQ(Number(p, long_name), 4);  // the host's name is cut the same way
  std::vector<std::string> names;
  p.ListNames(&names);
  EXPECT_EQ(names[0], cut);
  ASSERT_FALSE(warnings.empty());
  EXPECT_EQ(warnings[0], "Express warning: long name is truncated[" + cut + "]");

  // A double-byte character across the 255th byte is dropped whole.
  std::string kanji_name = "k" + std::string(253, 'x') + "\x8a\xbf" + "yy";
  ASSERT_EQ(p.Compile(kanji_name + " = 1;", true), 0);
  p.ListNames(&names);
  EXPECT_EQ(names[0], "k" + std::string(253, 'x'));
}

TEST(ExpressProgramTest, DoubleByteNames) {
  ExpressProgram p;
  // "_長さ" and a name whose trail byte is a letter ('\x83' '\x41': ア).
  const std::string length = "_\x92\xb7\x82\xb3";
  const std::string a = "x\x83\x41";
  ASSERT_EQ(p.Compile(length + " = " + a + " * 2;", true), 0);
  ASSERT_EQ(p.SetNumber(a, 2), 0);
  ASSERT_EQ(p.Run(), 0);
  EXPECT_EQ(Number(p, length), 4);
}

TEST(ExpressProgramTest, ReadsOwnTarget) {
  ExpressProgram p;
  // A statement that reads a target set by an earlier statement of the run.
  ASSERT_EQ(p.Compile("a = 2; b = a * a; a = b + 1;", true), 0);
  ASSERT_EQ(p.Run(), 0);
  EXPECT_EQ(Number(p, "a"), 5);
  EXPECT_EQ(Number(p, "b"), 4);
  EXPECT_EQ(p.Debug(), "a = 2\nb = a * a\na = b + 1\n");
}

TEST(ExpressProgramTest, MovedProgramStillRuns) {
  ExpressProgram p;
  ASSERT_EQ(p.Compile("a = a + 1;", true), 0);
  p.SetNumber("a", 1);
  ExpressProgram q = std::move(p);
  ASSERT_EQ(q.Run(), 0);
  EXPECT_EQ(Number(q, "a"), 2);
}

}  // namespace
}  // namespace tlv
