#include "definition/section_compiler.h"

#include <gtest/gtest.h>

#include <string>

#include "definition/section_decoder.h"
#include "definition/section_table.h"
#include "definition/variable_dictionary.h"
#include "platform/text_encoding.h"

namespace tlv {
namespace {

VariableDictionary TestDictionary() {
  VariableDictionary dict;
  auto put = [&](const char* name, std::int32_t id, std::int32_t kind, std::int32_t flags) {
    DictionaryEntry e;
    e.name = name;
    e.text = name;
    e.id = id;
    e.kind = kind;
    e.flags = flags;
    dict.Put(e);
  };
  put("X_CORD", 51, kKindNumber, kDictInEveryDefinition);
  put("Y_CORD", 52, kKindNumber, kDictInEveryDefinition);
  put("F_CORD", 14, kKindNumber, kDictInEveryDefinition);
  put("G_MOVE", 19, kKindText, kDictInEveryDefinition);
  put("SPLIT_BEGIN", 5000, kKindText, kDictInEveryDefinition);
  put("BIG_ID", 0x12345678, kKindNumber, kDictInEveryDefinition);
  put("NEG_ID", -2, kKindNumber, kDictInEveryDefinition);
  // Known to the dictionary, but not offered to the sections.
  put("HIDDEN", 77, kKindNumber, 0);
  return dict;
}

std::string Ref(unsigned char mark, std::int32_t id) {
  std::string s(1, static_cast<char>(mark));
  const auto u = static_cast<std::uint32_t>(id);
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
  return s;
}

std::string Block(std::uint8_t k) { return {static_cast<char>(kMarkBlock), static_cast<char>(k)}; }
std::string Mark(unsigned char m) { return std::string(1, static_cast<char>(m)); }

class SectionCompilerTest : public ::testing::Test {
 protected:
  // Compiles UTF-8 test text (converted to CP932 first).
  CompileResult Compile(const std::string& utf8) {
    return CompileSection(Utf8ToCp932(utf8), dict_);
  }
  void ExpectBytes(const std::string& utf8, const std::string& bytes) {
    const CompileResult r = Compile(utf8);
    ASSERT_TRUE(r.ok) << utf8 << " -> " << r.Where();
    EXPECT_EQ(r.bytes, bytes) << utf8;
  }
  void ExpectError(const std::string& utf8, std::string_view message, int line, int column) {
    const CompileResult r = Compile(utf8);
    ASSERT_FALSE(r.ok) << utf8;
    EXPECT_EQ(r.message, message) << utf8;
    EXPECT_EQ(r.line, line) << utf8;
    EXPECT_EQ(r.column, column) << utf8;
  }
  VariableDictionary dict_ = TestDictionary();
};

TEST_F(SectionCompilerTest, Encoding) {
  ExpectBytes("", "");
  ExpectBytes("G01<X_CORD>\n", "G01" + Ref(0xFF, 51) + "\n");
  ExpectBytes("!<f_cord>", Ref(0xFA, 14));
  ExpectBytes("<BIG_ID><NEG_ID>", Ref(0xFF, 0x12345678) + Ref(0xFF, -2));
  ExpectBytes("{X<X_CORD>}[Y<Y_CORD>]", Mark(0xFE) + "X" + Ref(0xFF, 51) + Mark(0xFD) +
                                            Mark(0xFC) + "Y" + Ref(0xFF, 52) + Mark(0xFB));
  ExpectBytes("<IF><X_CORD> > 1<THEN>\nA\n<ELSEIF>1<THEN>B<ELSE>C<ENDIF>\n",
              Block(1) + Ref(0xFF, 51) + " > 1" + Block(2) + "\nA\n" + Block(3) + "1" +
                  Block(2) + "B" + Block(4) + "C" + Block(5) + "\n");
  // Keywords in any case compile to the same bytes.
  EXPECT_EQ(Compile("<if>a<then>b<endif>").bytes, Compile("<IF>a<THEN>b<ENDIF>").bytes);
  // Comparison operators and "<" before a digit are text, also inside a
  // condition; a lone ">" outside a tag is text.
  ExpectBytes("<IF>a <= b<THEN>x<ENDIF>", Block(1) + "a <= b" + Block(2) + "x" + Block(5));
  ExpectBytes("<IF>a<>b<THEN>x<ENDIF>", Block(1) + "a<>b" + Block(2) + "x" + Block(5));
  ExpectBytes("<1> a>=b >", "<1> a>=b >");
  // Comments carry the rest of the line with its LF; "..," and "...".
  ExpectBytes("G00...rapid {x}\nG01..,note\n",
              "G00" + Mark(0xF9) + "rapid {x}\n" + "G01" + Mark(0xF8) + "note\n");
  ExpectBytes("a...end", "a" + Mark(0xF9) + "end");
  ExpectBytes("..", "..");
}

TEST_F(SectionCompilerTest, DoubleByteTextAndPrefixes) {
  // Trail bytes that look like "[", "]", "{", "}", "\" or letters stay with
  // their lead byte: ー is 81 5B, 表 is 95 5C, ソ is 83 5C.
  const std::string kana = Utf8ToCp932("ーソ表示");
  ASSERT_EQ(kana.size(), 8u);
  ExpectBytes("ーソ表示", kana);
  // A lower-case letter as trail byte is not upper-cased inside a name: the
  // name is reported as written (ａ is 82 81, ｚ is 82 9A, ア is 83 41).
  ExpectError("<Xア>", "Xア : 定義されていない変数です", 1, 2);
  // Single bytes 0xF0..0xFF get 0xF1, double-byte characters with a lead
  // byte in 0xF0..0xFC get 0xF2; a lead byte ending the text becomes "?".
  const std::string raw = std::string("A\xFD") + "\xF0\x40" + "\xFF" + "B\x81";
  const CompileResult r = CompileSection(raw, dict_);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.bytes, std::string("A\xF1\xFD\xF2\xF0\x40\xF1\xFF") + "B?");
  // The prefixes come off again in the decoder.
  EXPECT_EQ(DecodeSection(r.bytes, dict_).text, std::string("A\xFD\xF0\x40\xFF") + "B?");
}

TEST_F(SectionCompilerTest, NestingLimit) {
  std::string deep;
  for (int i = 0; i < kMaxIfDepth; ++i) deep += "<IF>1<THEN>\n";
  std::string closing;
  for (int i = 0; i < kMaxIfDepth; ++i) closing += "<ENDIF>\n";
  const CompileResult ok = Compile(deep + closing);
  ASSERT_TRUE(ok.ok) << ok.Where();
  ExpectError(deep + "<IF>1<THEN>x" + closing, kMsgIfTooDeep, kMaxIfDepth + 1, 1);
}

// Every message of the compiler, each at the place it names.
TEST_F(SectionCompilerTest, Messages) {
  ExpectError("{!<X_CORD>}", kMsgBangInside, 1, 2);
  ExpectError("[a!<X_CORD>]", kMsgBangInside, 1, 3);
  ExpectError("!X", kMsgNoTagAfterBang, 1, 2);
  ExpectError("a\n!", kMsgNoTagAfterBang, 2, 2);
  ExpectError("<X_CORD{", kMsgNoCloseTag, 1, 8);
  ExpectError("<X_CORD", kMsgNoCloseTag, 1, 8);
  ExpectError("<X_CORD<Y_CORD>", kMsgNoCloseTag, 1, 8);
  ExpectError("<X_CORD...>\n", kMsgNoCloseTag, 1, 8);
  ExpectError("a\nb <nope>", "NOPE : 定義されていない変数です", 2, 4);
  ExpectError("<hidden>", "HIDDEN : 定義されていない変数です", 1, 2);
  ExpectError("{<IF>", kMsgBracketOpen, 1, 2);
  ExpectError("[<THEN>", kMsgBracketOpen, 1, 2);
  ExpectError("<IF>1<THEN>{<ELSEIF>", kMsgBracketOpen, 1, 13);
  ExpectError("<IF>1<THEN>[<ELSE>", kMsgBracketOpen, 1, 13);
  ExpectError("<IF>1<THEN>{<ENDIF>", kMsgBracketOpen, 1, 13);
  ExpectError("{a", kMsgBracketOpen, 1, 3);
  ExpectError("<IF>a<IF>", kMsgIfPlace, 1, 6);
  ExpectError("<THEN>", kMsgThenNoIf, 1, 1);
  ExpectError("<IF>1<THEN>2<THEN>", kMsgThenNoIfElseIf, 1, 13);
  ExpectError("<ELSEIF>", kMsgElseIfNoIf, 1, 1);
  ExpectError("<IF>1<ELSEIF>", kMsgElseIfPlace, 1, 6);
  ExpectError("<IF>1<THEN>a<ELSE>b<ELSEIF>", kMsgElseIfPlace, 1, 20);
  ExpectError("<ELSE>", kMsgElseNoIf, 1, 1);
  ExpectError("<IF>1<ELSE>", kMsgElsePlace, 1, 6);
  ExpectError("<IF>1<THEN>a<ELSE>b<ELSE>", kMsgElsePlace, 1, 20);
  ExpectError("x\n<ENDIF>", kMsgEndIfNoIf, 2, 1);
  ExpectError("<IF>1<ENDIF>", kMsgEndIfNoThen, 1, 6);
  ExpectError("<IF>1<THEN>a<ELSEIF>2<ENDIF>", kMsgEndIfNoThen, 1, 22);
  ExpectError("a{b{", kMsgBraceInside, 1, 4);
  ExpectError("[{", kMsgBraceInside, 1, 2);
  ExpectError("<IF>{x}<THEN>", kMsgBraceInCondition, 1, 5);
  ExpectError("}", kMsgCloseBracePlace, 1, 1);
  ExpectError("[}", kMsgCloseBracePlace, 1, 2);
  ExpectError("{<IF>", kMsgBracketOpen, 1, 2);
  ExpectError("{a[b]}", kMsgBracketInside, 1, 3);
  ExpectError("[[", kMsgBracketInside, 1, 2);
  ExpectError("<IF>[<THEN>", kMsgBracketInCondition, 1, 5);
  ExpectError("]", kMsgCloseBracketPlace, 1, 1);
  ExpectError("{]", kMsgCloseBracketPlace, 1, 2);
  ExpectError("<IF>1<THEN>x", kMsgIfNoEndIf, 1, 13);
  ExpectError("<IF>1<THEN><IF>2<THEN>x<ENDIF>\n", kMsgIfNoEndIf, 2, 1);
  // An <IF> inside a group is refused before its nesting is looked at.
  ExpectError("[<X_CORD><IF>", kMsgBracketOpen, 1, 10);
}

// A group can neither open inside a condition nor hold an <IF>, so a closer
// met in a condition is always reported as out of place.
TEST_F(SectionCompilerTest, GroupClosersInCondition) {
  ExpectError("{<IF>}", kMsgBracketOpen, 1, 2);
  ExpectError("<IF>}<THEN>", kMsgCloseBracePlace, 1, 5);
  ExpectError("<IF>]<THEN>", kMsgCloseBracketPlace, 1, 5);
}

TEST_F(SectionCompilerTest, RejectedTextKeepsStoredSection) {
  FormatSection section;
  section.id = 8;
  section.text = "G01" + Ref(0xFF, 51);
  const std::string before = section.text;
  EXPECT_FALSE(CompileIntoSection("<IF>", dict_, &section).ok);
  EXPECT_EQ(section.text, before);
  EXPECT_TRUE(CompileIntoSection("", dict_, &section).ok);
  EXPECT_EQ(section.text, "");
}

// Texts of the kind users write, which must come back exactly from the
// compiled form.
TEST_F(SectionCompilerTest, DecodeOfCompileGivesTextBack) {
  const char* const kTexts[] = {
      "%\nO0001\n(プログラム開始)\nG90 G17 G40 G49 G80\n",
      "G01{X<X_CORD>}{Y<Y_CORD>}[F<F_CORD>]\n",
      "!<G_MOVE>{X<X_CORD>}\n",
      "<IF><F_CORD> > 1000<THEN>\nG00\n<ELSEIF><F_CORD> <= 10<THEN>\nG01\n<ELSE>\n"
      "G02\n<ENDIF>\n",
      "...工具交換\nT<F_CORD> M06\n..,ここは出力しない\n<SPLIT_BEGIN>\n",
      "<IF>1<THEN><IF>2<THEN>a<ELSE>b<ENDIF><ENDIF>",
      "a<>b <1> x>=y > ..",
      "ーソ表示～ⅰ",
  };
  for (const char* text : kTexts) {
    const std::string cp932 = Utf8ToCp932(text);
    const CompileResult r = CompileSection(cp932, dict_);
    ASSERT_TRUE(r.ok) << text << ": " << r.Where();
    const DecodeResult d = DecodeSection(r.bytes, dict_);
    ASSERT_TRUE(d.ok) << text;
    EXPECT_EQ(d.text, cp932) << text;
  }
}

}  // namespace
}  // namespace tlv
