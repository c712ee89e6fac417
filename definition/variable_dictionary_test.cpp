#include "definition/variable_dictionary.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "definition/variable_setting.h"
#include "platform/text_encoding.h"

namespace tlv {
namespace {

std::string Le(std::int32_t v) {
  std::string out;
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(static_cast<std::uint32_t>(v) >> (8 * i)));
  return out;
}

std::string EntryBytes(std::string_view name, std::string_view text, std::int32_t id,
                       std::int32_t kind, std::int32_t modal, std::int32_t flags) {
  return Le(static_cast<std::int32_t>(name.size())) + std::string(name) +
         Le(static_cast<std::int32_t>(text.size())) + std::string(text) + Le(id) +
         Le(kind) + Le(modal) + Le(flags);
}

TEST(VariableDictionaryTest, BinaryLayoutRoundTripAndLookups) {
  VariableDictionary dict;
  dict.Put({"Z_CORD", "\x82\x79", 12, kKindNumber, 1, 1});
  dict.Put({"X_CORD", "X", 10, kKindNumber, 1, 5});
  std::string bytes = WriteDictionaryBytes(dict);
  EXPECT_EQ(bytes, Le(2) + EntryBytes("X_CORD", "X", 10, 1, 1, 5) +
                       EntryBytes("Z_CORD", "\x82\x79", 12, 1, 1, 1));

  VariableDictionary read;
  std::string err;
  ASSERT_TRUE(ReadDictionaryBytes(bytes, &read, &err)) << err;
  EXPECT_EQ(read, dict);
  ASSERT_NE(read.FindByName("Z_CORD"), nullptr);
  EXPECT_EQ(read.FindByName("Z_CORD")->id, 12);
  EXPECT_EQ(read.FindById(10)->name, "X_CORD");
  EXPECT_EQ(read.FindById(11), nullptr);
  EXPECT_EQ(read.FindByName("x_cord"), nullptr);

  // A later entry of the same id replaces the earlier one and its name.
  read.Put({"X_WORD", "X", 10, kKindNumber, 0, 0});
  EXPECT_EQ(read.FindByName("X_CORD"), nullptr);
  EXPECT_EQ(read.FindByName("X_WORD")->modal_default, 0);
  EXPECT_EQ(read.size(), 2u);
}

TEST(VariableDictionaryTest, BrokenBinaryFailsAndLongFieldsAreCut) {
  std::string good = Le(1) + EntryBytes("A", "B", 1, 0, 0, 0);
  VariableDictionary dict;
  std::string err;
  for (std::size_t n = 0; n < good.size(); ++n) {
    dict.Put({"OLD", "", 5, 0, 0, 0});
    EXPECT_FALSE(ReadDictionaryBytes(good.substr(0, n), &dict, &err)) << n;
    EXPECT_TRUE(dict.empty()) << n;
    EXPECT_FALSE(err.empty());
  }
  EXPECT_FALSE(ReadDictionaryBytes(Le(-1), &dict, &err));

  std::string long_name = std::string(99, 'N') + "\x82\xa0";  // 101 bytes
  ASSERT_TRUE(ReadDictionaryBytes(
      Le(1) + EntryBytes(long_name, std::string(150, 'T'), 7, 1, 0, 0), &dict, &err));
  EXPECT_EQ(dict.FindById(7)->name, std::string(99, 'N'));
  EXPECT_EQ(dict.FindById(7)->text, std::string(100, 'T'));
}

TEST(VariableDictionaryTest, SettingsBuiltFromTheDictionary) {
  VariableDictionary dict;
  dict.Put({"T", "\x8d\x48", 1504, kKindInteger, 0, kDictInEveryDefinition});
  dict.Put({"N", "name", 102, kKindText, 0, kDictInEveryDefinition | kDictNoFormula});
  dict.Put({"F", "feed", 14, kKindNumber, 1, kDictInEveryDefinition});
  dict.Put({"HIDDEN", "", 9, kKindNumber, 1, kDictNoFormula});
  VariableSettingTable table = VariableSettingTable::FromDictionary(dict);
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table.Find(9), nullptr);
  EXPECT_EQ(table.Find(1504)->format, NumberFormat::IntegerPreset());
  EXPECT_EQ(table.Find(1504)->message, "\x8d\x48");
  EXPECT_EQ(table.Find(102)->text_only, 1u);
  EXPECT_EQ(table.Find(102)->format, NumberFormat::RealPreset());
  const VariableSetting* feed = table.Find(14);
  EXPECT_EQ(feed->modal, 1);
  EXPECT_EQ(feed->text_only, 0u);
  EXPECT_EQ(feed->ask_mode, 2);
  EXPECT_EQ(feed->flag_a, 1);
  EXPECT_EQ(feed->flag_b, 1);
  EXPECT_EQ(feed->format.decimal_digits, 3u);
  EXPECT_EQ(feed->format.decimal_point_flag, 1);
}

TEST(VariableDictionaryTest, SourceRoundTripsOddEntries) {
  VariableDictionary dict;
  dict.Put({"X_CORD", Utf8ToCp932("Ｘ座標"), 10, kKindNumber, 1, kDictInEveryDefinition});
  dict.Put({"EMPTY", "", 11, kKindText, 0, 0});
  dict.Put({"SPACES", "  two  words ", 12, kKindInteger, 0, kDictNoFormula});
  dict.Put({"QUOTE", "\"quoted\" \\ back\nline", 13, 7, 3, 2});
  dict.Put({"NEG", "# not a comment", -5, kKindNumber, 0, 5});
  std::string source = FormatDictionarySource(dict);
  VariableDictionary read;
  std::string err;
  ASSERT_TRUE(ParseDictionarySource(source, "d.txt", &read, &err)) << err << "\n" << source;
  EXPECT_EQ(read, dict);
  EXPECT_EQ(FormatDictionarySource(read), source);
  EXPECT_NE(source.find("10    X_CORD          number  1 S  Ｘ座標\n"), std::string::npos)
      << source;
}

TEST(VariableDictionaryTest, SourceErrorsNameTheLine) {
  struct Case {
    std::string text;
    std::string error;
  };
  const Case cases[] = {
      {"# c\n\n10 X number 1 S\n", ""},
      {"10 X number 1\n", "d.txt:1: missing flags"},
      {"\n10 X real 1 S t\n", "d.txt:2: bad kind 'real' (text, number or integer)"},
      {"1x X number 1 S t\n", "d.txt:1: bad id '1x'"},
      {"99999999999 X number 1 S t\n", "d.txt:1: bad id '99999999999'"},
      {"10 X number on S t\n", "d.txt:1: bad modal default 'on'"},
      {"10 X number 1 SS t\n", "d.txt:1: bad flags 'SS' (-, S, N, SN or a number)"},
      {"10 X number 1 S \"open\n", "d.txt:1: missing closing '\"'"},
      {"10 X number 1 S \"a\" b\n", "d.txt:1: text after the closing '\"'"},
      {"10 \"\" number 1 S t\n", "d.txt:1: empty name"},
      {"10 X number 1 S a\n# c\n10 Y number 1 S b\n", "d.txt:3: id 10 already given on line 1"},
      {"10 X number 1 S a\n11 X number 1 S b\n", "d.txt:2: name X already given on line 1"},
      {"10 X number 1 S \xff\n", "d.txt:1: text is not valid UTF-8"},
      {"10 X number 1 S \xe2\x82\xac\n", "d.txt:1: text holds a character that code page 932 lacks"},
      {"10 X number 1 S " + std::string(51, 'a') + std::string(26, 'b') + "ああああああああああああ\n",
       "d.txt:1: text is longer than 100 bytes in code page 932"},
  };
  for (const Case& c : cases) {
    VariableDictionary dict;
    std::string err;
    bool ok = ParseDictionarySource(c.text, "d.txt", &dict, &err);
    EXPECT_EQ(ok, c.error.empty()) << c.text;
    EXPECT_EQ(err, c.error) << c.text;
    if (!ok) {
      EXPECT_TRUE(dict.empty());
    }
  }
}

// The shipped source: it must parse and name every variable the run sets.
TEST(VariableDictionaryTest, ShippedDictionaryNamesEveryRunVariable) {
  std::ifstream in(std::string(TLV_SOURCE_DIR) + "/data/dictionary.txt", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  VariableDictionary dict;
  std::string err;
  ASSERT_TRUE(ParseDictionarySource(text.str(), "dictionary.txt", &dict, &err)) << err;

  const int used[] = {
      10,   11,   12,   13,   14,   15,   16,   17,   18,   19,   20,   21,   22,
      23,   24,   25,   26,   28,   29,   30,   31,   32,   33,   34,   35,   36,
      37,   38,   39,   40,   41,   42,   43,   44,   45,   46,   47,   48,   49,
      50,   51,   52,   53,   57,   58,   59,   60,   61,   62,   102,  103,  104,
      105,  106,  107,  108,  117,  118,  123,  124,  125,  126,  127,  128,  130,
      131,  140,  206,  209,  212,  213,  215,  217,  218,  219,  227,  228,  229,
      250,  251,  252,  301,  313,  504,  506,  507,  509,  510,  511,  701,  1502,
      1504, 1507, 1512, 1513, 1514, 1515, 1534, 1535, 1705, 1712, 1720, 1721, 1722,
      1723, 1724, 1725, 1730, 1740, 2201, 2202, 2203, 3000, 3001, 3002, 3003, 3004,
      3005, 3006, 5000, 5001};
  for (int id : used) {
    const DictionaryEntry* entry = dict.FindById(id);
    ASSERT_NE(entry, nullptr) << id;
    // The run builds variables only from entries with a setting.
    EXPECT_NE(entry->flags & kDictInEveryDefinition, 0) << id;
  }
  for (int id = kUserInputFirst; id <= kUserInputLast; ++id) EXPECT_NE(dict.FindById(id), nullptr);
  for (int id = kUserComputedFirst; id <= kUserComputedLast; ++id) {
    EXPECT_NE(dict.FindById(id), nullptr);
  }
  for (const auto& [id, entry] : dict.entries()) {
    EXPECT_EQ(entry.name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_"),
              std::string::npos) << entry.name;
    EXPECT_FALSE(entry.text.empty()) << id;
  }
  // Flag variables answer through their changed flag, which only modal
  // variables keep; coordinates must be modal for modal output.
  for (int id : {3000, 3004, 3005, 3006, 10, 51, 53}) {
    EXPECT_EQ(dict.FindById(id)->modal_default, 1) << id;
  }
  EXPECT_EQ(dict.FindByName("X_CORD")->id, 10);
  EXPECT_EQ(dict.FindByName("F_CORD")->id, 14);
  EXPECT_EQ(dict.FindByName("Z_HOME")->id, 105);
  EXPECT_EQ(dict.FindByName("Z_START")->id, 108);

  VariableDictionary again;
  ASSERT_TRUE(ParseDictionarySource(FormatDictionarySource(dict), "dump", &again, &err)) << err;
  EXPECT_EQ(again, dict);
  ASSERT_TRUE(ReadDictionaryBytes(WriteDictionaryBytes(dict), &again, &err));
  EXPECT_EQ(again, dict);
}

}  // namespace
}  // namespace tlv
