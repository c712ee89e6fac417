#include "platform/text_encoding.h"

#include <gtest/gtest.h>

namespace tlv {
namespace {

// "ＮＣ１作成" and half-width "ﾊﾟﾗﾒｰﾀ入力" as code page 932 bytes.
constexpr std::string_view kJobNameCp932 = "\x82\x6d\x82\x62\x82\x50\x8d\xec\x90\xac";
constexpr std::string_view kCaptionCp932 = "\xca\xdf\xd7\xd2\xb0\xc0\x93\xfc\x97\xcd";

TEST(TextEncoding, JapaneseRoundTrips) {
  EXPECT_EQ("ＮＣ１作成", Cp932ToUtf8(kJobNameCp932));
  EXPECT_EQ(kJobNameCp932, Utf8ToCp932("ＮＣ１作成"));
  EXPECT_EQ("ﾊﾟﾗﾒｰﾀ入力", Cp932ToUtf8(kCaptionCp932));
  EXPECT_EQ(kCaptionCp932, Utf8ToCp932("ﾊﾟﾗﾒｰﾀ入力"));
  std::string long_text;
  for (int i = 0; i < 3000; ++i) long_text += "処理を完了しました。";
  EXPECT_EQ(long_text, Cp932ToUtf8(Utf8ToCp932(long_text)));
  // 0x5C and 0x7E stay the ASCII characters: paths and codes use them.
  EXPECT_EQ("C:\\NC~1", Cp932ToUtf8("C:\\NC~1"));
  EXPECT_EQ("", Cp932ToUtf8(""));
}

TEST(TextEncoding, BadInputIsReplacedNotLost) {
  // A lone lead byte at the end, then a byte CP932 never uses.
  EXPECT_EQ("a\xEF\xBF\xBD", Cp932ToUtf8("a\x82"));
  EXPECT_EQ("a\xEF\xBF\xBD" "b", Cp932ToUtf8("a\xFF" "b"));
  // A character CP932 lacks gives one '?', invalid UTF-8 one per byte.
  EXPECT_EQ("x?y", Utf8ToCp932("x\xF0\x9F\x98\x80y"));
  EXPECT_EQ("x?(\x82\xa0", Utf8ToCp932("x\xC3\x28" "\xE3\x81\x82"));
  EXPECT_EQ("?(", Utf8ToCp932("\xC3("));
}

TEST(TextEncoding, Utf16Le) {
  // "A", "作", U+1F600 as a surrogate pair, an unpaired low surrogate, odd byte.
  std::string_view units("A\x00\x5c\x4f\x3d\xd8\x00\xde\x00\xdc\x7f", 11);
  EXPECT_EQ("A作\xF0\x9F\x98\x80\xEF\xBF\xBD", Utf16LeToUtf8(units));
}

TEST(TextEncoding, CutsNeverSplitACharacter) {
  EXPECT_EQ("", CutCp932(kJobNameCp932, 1));
  EXPECT_EQ(kJobNameCp932.substr(0, 2), CutCp932(kJobNameCp932, 3));
  EXPECT_EQ(kJobNameCp932, CutCp932(kJobNameCp932, 10));
  EXPECT_EQ(kJobNameCp932, CutCp932(kJobNameCp932, 100));
  // Half-width katakana are single bytes.
  EXPECT_EQ(kCaptionCp932.substr(0, 6), CutCp932(kCaptionCp932, 7));
  // A trail byte that looks like a lead byte (0x8D 0xEC: 0xEC is a lead byte
  // value) is still a trail byte.
  EXPECT_EQ("\x8d\xec" "a", CutCp932("\x8d\xec" "a\x82\x6d", 4));

  EXPECT_EQ("ab", CutUtf8("ab作", 4));
  EXPECT_EQ("ab作", CutUtf8("ab作", 5));
  EXPECT_EQ("", CutUtf8("作", 2));
  EXPECT_EQ("abc", CutUtf8("abc", 3));
  EXPECT_TRUE(IsValidUtf8("ＮＣ１作成"));
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // a surrogate
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));      // overlong
}

}  // namespace
}  // namespace tlv
