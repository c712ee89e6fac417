#include "definition/section_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "definition/section_table.h"
#include "definition/variable_dictionary.h"

namespace tlv {
namespace {

VariableDictionary SmallDictionary() {
  VariableDictionary dict;
  DictionaryEntry x;
  x.name = "X_CORD";
  x.id = 51;
  x.flags = kDictInEveryDefinition;
  dict.Put(x);
  DictionaryEntry f;
  f.name = "F_CORD";
  f.id = 14;
  f.flags = kDictInEveryDefinition;
  dict.Put(f);
  return dict;
}

std::string Ref(unsigned char mark, std::int32_t id) {
  std::string s(1, static_cast<char>(mark));
  const auto u = static_cast<std::uint32_t>(id);
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
  return s;
}

TEST(SectionDecoderTest, Elements) {
  const VariableDictionary dict = SmallDictionary();
  const std::string compiled = std::string("\xF7\x01") + "1" + "\xF7\x02" + "\xF7\x03" +
                               "\xF7\x04" + "\xF7\x05" + "\xFE" + Ref(0xFF, 51) + "\xFD" +
                               "\xFC" + Ref(0xFA, 14) + "\xFB" + "\xF9" + "a\xFF{\n" +
                               "\xF8" + "b";
  const DecodeResult r = DecodeSection(compiled, dict);
  ASSERT_TRUE(r.ok);
  // Comment bodies are copied as they stand, marker-like bytes included.
  EXPECT_EQ(r.text, std::string("<IF>1<THEN><ELSEIF><ELSE><ENDIF>{<X_CORD>}[!<F_CORD>]") +
                        "...a\xFF{\n..,b");
  EXPECT_TRUE(DecodeSection("", dict).ok);
  // A double-byte character whose trail byte is a marker value stays whole.
  EXPECT_EQ(DecodeSection("\x81\xFF", dict).text, "\x81\xFF");
}

TEST(SectionDecoderTest, BadCodes) {
  const VariableDictionary dict = SmallDictionary();
  struct Case {
    std::string compiled;
    std::string decoded_before;
    std::size_t offset;
  };
  const Case cases[] = {
      {std::string("ab\xF7\x06"), "ab", 2},
      {std::string("ab\xF7\x00", 4), "ab", 2},
      {std::string("ab\xF7"), "ab", 2},
      {std::string("x") + Ref(0xFF, 51).substr(0, 4), "x", 1},
      {std::string("x") + Ref(0xFA, 999), "x", 1},  // id not in the dictionary
      {std::string("x\xF1"), "x", 1},
      {std::string("x\xF2\xF0"), "x", 1},
  };
  for (const Case& c : cases) {
    const DecodeResult r = DecodeSection(c.compiled, dict);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, kMsgBadCode);
    EXPECT_EQ(r.text, c.decoded_before);
    EXPECT_EQ(r.error_offset, c.offset);
  }
}

TEST(SectionDecoderTest, CollectVariableIds) {
  std::vector<std::int32_t> ids;
  // The id bytes of a comment, a prefixed byte and a double-byte character
  // are not references; repeats are listed once.
  const std::string compiled = Ref(0xFF, 51) + "\xF9" + Ref(0xFF, 7) + "\n" + "\xF1\xFF" +
                               "\x81\xFF" + Ref(0xFA, 14) + Ref(0xFF, 51) + "\xF7\xFF" +
                               Ref(0xFF, 3).substr(0, 3);
  CollectVariableIds(compiled, &ids);
  EXPECT_EQ(ids, (std::vector<std::int32_t>{51, 14}));
  CollectVariableIds(Ref(0xFF, 9) + Ref(0xFF, 14), &ids);
  EXPECT_EQ(ids, (std::vector<std::int32_t>{51, 14, 9}));
}

}  // namespace
}  // namespace tlv
