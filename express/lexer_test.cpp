#include "express/lexer.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace tlv {
namespace {

// The codes and texts of all tokens of `text`, "code:text" each, the end
// token included.
std::string Tokens(std::string_view text, bool and_or_operators = true) {
  Lexer lexer(text, nullptr);
  std::string out;
  for (;;) {
    const Token& t = lexer.Next(and_or_operators);
    if (!out.empty()) out += ' ';
    out += std::to_string(static_cast<int>(t.code));
    if (!t.text.empty()) out += ":" + std::string(t.text);
    if (t.code == TokenCode::kEnd) return out;
  }
}

TEST(LexerTest, OperatorCodes) {
  EXPECT_EQ(Tokens("* / + - < <= > >= == <> = ( ) , ;"),
            "20:* 21:/ 30:+ 31:- 40:< 41:<= 42:> 43:>= 44:== 45:<> 70:= 100:( 110:) "
            "120:, 130:; 999");
  EXPECT_EQ(Tokens("a<=b<>c==d=e"), "300:a 41:<= 300:b 45:<> 300:c 44:== 300:d 70:= 300:e 999");
  EXPECT_EQ(Tokens("!"), "150:! 999");
  EXPECT_EQ(Tokens(""), "999");
}

TEST(LexerTest, BlanksAndComments) {
  EXPECT_EQ(Tokens(" \t\r\n\v\f1"), "200:1 999");
  EXPECT_EQ(Tokens("1 # two ; \"three\n4"), "200:1 200:4 999");
  // A comment that runs to the end of the text.
  EXPECT_EQ(Tokens("1 #"), "200:1 999");
}

TEST(LexerTest, AndOrDependOnPlace) {
  EXPECT_EQ(Tokens("AND and Or oR ANDY _OR"), "50:AND 50:and 60:Or 60:oR 300:ANDY 300:_OR 999");
  EXPECT_EQ(Tokens("AND or", false), "300:AND 300:or 999");
}

TEST(LexerTest, Numbers) {
  Lexer lexer("12.5e1 .25 7. 1e+ 3e-2x", nullptr);
  EXPECT_EQ(lexer.Next(true).number, 125);
  EXPECT_EQ(lexer.Next(true).number, 0.25);
  EXPECT_EQ(lexer.Next(true).number, 7);
  const Token& one = lexer.Next(true);
  EXPECT_EQ(one.text, "1");  // "e+" without digits is not an exponent
  EXPECT_EQ(lexer.Next(true).text, "e");
  EXPECT_EQ(lexer.Next(true).code, TokenCode::kPlus);
  EXPECT_EQ(lexer.Next(true).number, 0.03);
  EXPECT_EQ(lexer.Next(true).text, "x");
  EXPECT_EQ(Tokens(". 1..2"), "150:. 200:1. 200:.2 999");
}

TEST(LexerTest, TextLiterals) {
  EXPECT_EQ(Tokens("\"a\"\"b\" \"\" \"open"), "210:a\"b 210 210:open 999");
  // Double-byte characters inside are kept as they are.
  EXPECT_EQ(Tokens("\"\x83\x41\x82\xa0\""), "210:\x83\x41\x82\xa0 999");
}

TEST(LexerTest, LongTokensAreCut) {
  std::vector<std::string> warnings;
  DiagnosticHook hook = [&warnings](std::string_view t) { warnings.emplace_back(t); };
  Diagnostics diagnostics(&hook);

  const std::string literal = "\"" + std::string(254, 'a') + "\x82\xa0" + "b\"";
  const std::string source = literal + " " + std::string(300, 'n') + " 1";
  Lexer lexer(source, &diagnostics);
  const Token& text = lexer.Next(true);
  EXPECT_EQ(text.code, TokenCode::kText);
  EXPECT_EQ(text.text, std::string(254, 'a'));  // the character is not split
  const Token& name = lexer.Next(true);
  EXPECT_EQ(name.code, TokenCode::kName);
  EXPECT_EQ(name.text, std::string(255, 'n'));
  EXPECT_EQ(lexer.Next(true).number, 1);  // reading goes on after the cut
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_EQ(warnings[0], "Express warning: long string is truncated[" + std::string(254, 'a') + "]");
  EXPECT_EQ(warnings[1], "Express warning: long name is truncated[" + std::string(255, 'n') + "]");
  EXPECT_EQ(diagnostics.status(), kExpressOk);  // warnings only
}

TEST(LexerTest, DoubleByteCharacters) {
  // In names: the trail byte 0x5F ('_') or a letter belongs to the character.
  EXPECT_EQ(Tokens("a\x83\x5F+\x83\x41"), "300:a\x83\x5F 30:+ 150:\x83\x41 999");
  // A lead byte at the end of the text is one byte on its own.
  EXPECT_EQ(Tokens("a\x83"), "300:a 150:\x83 999");
  // A lead byte before a byte that cannot follow it does not swallow it.
  EXPECT_EQ(Tokens("\x83\n1"), "150:\x83 200:1 999");
  // A single-byte katakana is no letter.
  EXPECT_EQ(Tokens("\xb1"), "150:\xb1 999");
}

TEST(LexerTest, Cp932PrefixLength) {
  EXPECT_EQ(Cp932PrefixLength("abc", 5), 3u);
  EXPECT_EQ(Cp932PrefixLength("ab\x82\xa0", 3), 2u);
  EXPECT_EQ(Cp932PrefixLength("ab\x82\xa0", 4), 4u);
  // The trail byte 0x81 looks like a lead byte; counting from the start
  // keeps the pairs right.
  EXPECT_EQ(Cp932PrefixLength("\x81\x81\x81\x81x", 3), 2u);
  EXPECT_EQ(Cp932PrefixLength("\x81\x81\x81\x81x", 4), 4u);
}

}  // namespace
}  // namespace tlv
