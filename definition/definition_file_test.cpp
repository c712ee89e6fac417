#include "definition/definition_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "definition/variable_dictionary.h"
#include "platform/record_file.h"

namespace tlv {
namespace {

namespace fs = std::filesystem;

// Little-endian bytes written straight from the file layout, independent of
// the writer under test.
struct Enc {
  std::string b;
  Enc& Int(std::int32_t v) {
    std::uint32_t u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>(u >> (8 * i)));
    return *this;
  }
  Enc& Uint(std::uint32_t v) { return Int(static_cast<std::int32_t>(v)); }
  Enc& Byte(std::uint8_t v) {
    b.push_back(static_cast<char>(v));
    return *this;
  }
  Enc& Double(double v) {
    char raw[8];
    std::memcpy(raw, &v, 8);
    b.append(raw, 8);
    return *this;
  }
  Enc& Str(std::string_view s) {
    Int(static_cast<std::int32_t>(s.size()));
    b.append(s);
    return *this;
  }
};

std::int32_t IntAt(const std::string& bytes, std::size_t offset) {
  std::uint32_t u = 0;
  for (int i = 0; i < 4; ++i) {
    u |= std::uint32_t{static_cast<unsigned char>(bytes[offset + i])} << (8 * i);
  }
  return static_cast<std::int32_t>(u);
}

VariableDictionary TestDictionary() {
  VariableDictionary dict;
  dict.Put({"X_CORD", "X", 51, kKindNumber, 1, kDictInEveryDefinition});
  dict.Put({"T_NUM", "T", 20, kKindInteger, 1, kDictInEveryDefinition | kDictNoFormula});
  dict.Put({"PRG_NAME", "P", 43, kKindText, 0, kDictInEveryDefinition});
  dict.Put({"NOT_IN_DEF", "N", 99, kKindNumber, 0, 0});
  dict.Put({"USER1", "U1", 2001, kKindNumber, 0, kDictInEveryDefinition});
  return dict;
}

// One variable setting of the current layout (record version 370).
void EncodeSetting(Enc& e, const VariableSetting& s) {
  e.Int(s.id).Str(s.message).Uint(s.text_only).Byte(s.modal).Byte(s.flag_a);
  e.Byte(s.ask_mode).Str(s.value).Byte(s.reset_at_file_head).Byte(s.use_value);
  e.Byte(s.flag_b);
  const NumberFormat& f = s.format;
  e.Byte(f.leading_zeros).Byte(f.trailing_zeros).Byte(f.plus_sign).Byte(f.calc_mode);
  e.Uint(f.integer_digits).Uint(f.decimal_digits);
  if (f.calc_mode != 0) e.Str(f.formula);
  e.Byte(f.time_format).Byte(f.decimal_point_flag).Byte(f.suppress_zero);
}

TEST(DefinitionFileTest, NewDefinitionLayoutAndRoundTrip) {
  VariableDictionary dict = TestDictionary();
  PostDefinition def = NewPostDefinition(dict);
  std::string bytes = WriteDefinitionBytes(def);

  EXPECT_EQ(IntAt(bytes, 0), 10);
  EXPECT_EQ(bytes.substr(4, 10), "TOLvek4.20");
  EXPECT_EQ(IntAt(bytes, 14), 0x00030100);
  EXPECT_EQ(IntAt(bytes, 18), 0x000A0000);
  EXPECT_EQ(IntAt(bytes, 22), 0x00020000);
  for (int offset = 26; offset < 66; offset += 4) {
    int expected = offset == 46 ? 1 : offset == 58 ? 3 : 0;
    EXPECT_EQ(IntAt(bytes, offset), expected) << "offset " << offset;
  }
  double rapid;
  std::memcpy(&rapid, bytes.data() + 66, 8);
  EXPECT_EQ(rapid, 10000.0);
  EXPECT_EQ(IntAt(bytes, 74), 0);
  EXPECT_EQ(IntAt(bytes, 78), 0);
  EXPECT_EQ(IntAt(bytes, 82), 33);
  // Codes in byte order: "CMP_LEFT" comes first.
  EXPECT_EQ(IntAt(bytes, 86), 8);
  EXPECT_EQ(bytes.substr(90, 8), "CMP_LEFT");

  // The tail: 22 empty sections in slot order.
  Enc tail;
  tail.Int(22);
  for (int i = 0; i < 22; ++i) tail.Int(i).Uint(0);
  ASSERT_GT(bytes.size(), tail.b.size());
  EXPECT_EQ(bytes.substr(bytes.size() - tail.b.size()), tail.b);

  // Settings: the four dictionary entries with flag bit 0, ascending id,
  // integer preset for integer kinds.
  Enc vars;
  vars.Int(4);
  for (const auto& [id, s] : def.variables.settings) EncodeSetting(vars, s);
  EXPECT_NE(bytes.find(vars.b + tail.b), std::string::npos);
  ASSERT_EQ(def.variables.size(), 4u);
  EXPECT_EQ(def.variables.Find(20)->format, NumberFormat::IntegerPreset());
  EXPECT_EQ(def.variables.Find(43)->text_only, 1u);
  EXPECT_EQ(def.variables.Find(51)->modal, 1);

  PostDefinition read = NewPostDefinition(VariableDictionary());
  DefinitionResult result = ImportDefinitionBytes(bytes, dict, 1.0, &read);
  ASSERT_TRUE(result.ok()) << result.error;
  EXPECT_EQ(result.version_tag, "TOLvek4.20");
  EXPECT_EQ(result.format_version, 420);
  EXPECT_EQ(read, def);
  EXPECT_EQ(WriteDefinitionBytes(read), bytes);

  PostDefinition run;
  ASSERT_TRUE(LoadDefinitionForRunBytes(bytes, &run).ok());
  EXPECT_EQ(WriteDefinitionBytes(run), bytes);
}

PostDefinition BusyDefinition(const VariableDictionary& dict) {
  PostDefinition def = NewPostDefinition(dict);
  def.coordinate_mode = {2, 3, 4, 1};
  def.split_mode = {kSplitByCode | kSplitByTapeLength, 5, -7};
  def.process_sheet = {1, 9, 6};
  def.sheet_unit = 2;
  def.sheet_name_source = 1;
  def.tape_length = 120;
  def.machining_time = 45;
  def.split_position = 2;
  def.tiny_arc_as_circle = 0;
  def.sheet_to_spreadsheet = 1;
  def.rigid_tap = 1;
  def.min_unit_digits = 4;
  def.split_large_arcs = 1;
  def.rapid_feed = 6000.5;
  def.machining_length = 300;
  def.serial_number = 1;
  def.codes.Set("G00_CODE", "G0");
  def.codes.Set("EXTRA_KEY", "\x82\xa0");  // a double-byte text
  VariableSetting user;
  user.id = 2101;
  user.message = "ask";
  user.value = "A=B*2";
  user.ask_mode = 1;
  user.use_value = 1;
  user.reset_at_file_head = 1;
  user.flag_a = 7;
  user.flag_b = 9;
  user.format.calc_mode = 1;  // with an empty formula
  user.format.time_format = 1;
  user.format.suppress_zero = 1;
  def.variables.Put(user);
  VariableSetting unknown;  // an id the dictionary lacks
  unknown.id = 777777;
  unknown.format.calc_mode = 2;
  unknown.format.formula = "*2";
  def.variables.Put(unknown);
  def.sections.Find(SectionId::kLinearFeed)->text =
      std::string("\xFF\x33\x00\x00\x00\n\xF1\xF3 N\n", 11);
  def.sections.Find(SectionId::kNurbsEnd)->text = "M30\n";
  return def;
}

TEST(DefinitionFileTest, EveryFieldRoundTripsThroughBothReaders) {
  VariableDictionary dict = TestDictionary();
  PostDefinition def = BusyDefinition(dict);
  std::string bytes = WriteDefinitionBytes(def);

  PostDefinition read = NewPostDefinition(dict);
  ASSERT_TRUE(ImportDefinitionBytes(bytes, dict, 1.0, &read).ok());
  EXPECT_EQ(read, def);
  EXPECT_EQ(read.variables.Find(777777)->format.formula, "*2");
  EXPECT_EQ(WriteDefinitionBytes(read), bytes);

  PostDefinition run;
  ASSERT_TRUE(LoadDefinitionForRunBytes(bytes, &run).ok());
  EXPECT_EQ(run, def);
}

TEST(DefinitionFileTest, FormulaOnlyWithCalcModeAndLongFieldsCut) {
  VariableSetting plain;
  plain.id = 5;
  plain.format.formula = "*3";  // not written: calc_mode is 0
  VariableSetting empty_formula;
  empty_formula.id = 6;
  empty_formula.format.calc_mode = 1;

  PostDefinition def;
  def.codes = CodeTable();
  def.codes.entries.emplace("LONG", std::string(150, 'G'));
  def.variables.Put(plain);
  def.variables.Put(empty_formula);
  def.sections = SectionTable::EmptySlots(0);
  std::string bytes = WriteDefinitionBytes(def);

  Enc expected;
  expected.Int(1).Str("LONG").Str(std::string(100, 'G')).Int(2);
  plain.format.formula.clear();
  EncodeSetting(expected, plain);
  EncodeSetting(expected, empty_formula);
  expected.Int(0);
  EXPECT_EQ(bytes.substr(82), expected.b);
  // The record with calc mode 1 holds a string of length 0 before its last
  // three bytes.
  EXPECT_EQ(expected.b.substr(expected.b.size() - 8 - 3, 4), std::string(4, '\0'));
}

TEST(DefinitionFileTest, ReadingCutsLongStringsWithoutSplittingCharacters) {
  // 99 single bytes then a double-byte character: cutting at 100 must drop
  // the lead byte too.
  std::string key = std::string(99, 'K') + "\x82\xa0" + std::string(49, 'K');
  std::string message = std::string(150, 'M');
  Enc e;
  e.Str("TOLvek4.20");
  for (int i = 0; i < 13; ++i) e.Int(i == 11 ? 3 : 0);
  e.Double(1.0).Int(0).Int(0);
  e.Int(1).Str(key).Str(std::string(150, 'T'));
  VariableSetting s;
  s.id = 9;
  s.message = message;
  e.Int(1);
  EncodeSetting(e, s);
  e.Int(0);

  PostDefinition def;
  ASSERT_TRUE(ImportDefinitionBytes(e.b, VariableDictionary(), 1.0, &def).ok());
  ASSERT_EQ(def.codes.size(), 1u);
  EXPECT_EQ(def.codes.entries.begin()->first, std::string(99, 'K'));
  EXPECT_EQ(def.codes.entries.begin()->second, std::string(100, 'T'));
  EXPECT_EQ(def.variables.Find(9)->message, std::string(100, 'M'));
}

// What a test file of a given version holds.
struct OldFile {
  int version;
  std::string tag;
};

// Encodes a file of FormatVersion `v` from the layouts, with recognisable
// header values 101..116 and one variable setting of every field set.
std::string EncodeVersion(int v, const std::string& tag, const VariableSetting& s) {
  Enc e;
  e.Str(tag);
  if (v == 200) {
    e.Int(0x7702).Int(0x7703);  // low bytes become coordinate bytes 0 and 1
    e.Int(0x00050001);          // split byte 0 of 1 becomes 0
  } else if (v == 230 || v == 270) {
    e.Int(0x01040302).Int(0x00050004);  // split byte 0 of 4 becomes 1
  } else {
    e.Int(0x01040302).Int(0x00050004).Int(0x00060101);
    if (v == 341 || v >= 350) e.Int(101);
    if (v > 350) e.Int(102);
    if (v >= 360) e.Int(103).Int(104).Int(105);
    if (v >= 380) e.Int(106);
    if (v >= 390) e.Int(107);
    if (v >= 392) e.Int(108);
    if (v >= 400) e.Int(109).Int(110);
    if (v >= 410) e.Double(111.5).Int(112);
    if (v >= 420) e.Int(113);
  }
  // Codes: one that an added key also names, with its own text.
  e.Int(2).Str("CYC_BORING").Str("G85.1").Str("G00_CODE").Str("G0");
  // The variable record by record version.
  int r = v >= 350 ? v : v >= 340 ? 3 : v >= 212 && v != 230 && v != 270 ? 2 : 1;
  e.Int(1).Int(s.id).Str(s.message).Uint(s.text_only).Byte(s.modal).Byte(s.flag_a);
  if (r >= 2) e.Byte(s.ask_mode).Str(s.value);
  if (r >= 3) e.Byte(s.reset_at_file_head).Byte(s.use_value);
  if (r >= 360) e.Byte(s.flag_b);
  const NumberFormat& f = s.format;
  e.Byte(f.leading_zeros).Byte(f.trailing_zeros).Byte(f.plus_sign).Byte(f.calc_mode);
  e.Uint(f.integer_digits).Uint(f.decimal_digits);
  if (f.calc_mode != 0) e.Str(f.formula);
  if (r >= 3) e.Byte(f.time_format);
  if (r >= 4) e.Byte(f.decimal_point_flag);
  if (r >= 370) e.Byte(f.suppress_zero);
  // Sections: 20 before 3.50, 22 after; slot 1 has text.
  int sections = v < 350 ? 20 : 22;
  e.Int(sections);
  for (int i = 0; i < sections; ++i) {
    e.Int(i);
    e.Str(i == 1 ? "%\n" : "");
  }
  return e.b;
}

TEST(DefinitionFileTest, ImportsEveryVersionWithItsDefaults) {
  VariableDictionary dict = TestDictionary();
  VariableSetting s;
  s.id = 51;
  s.message = "msg";
  s.text_only = 0;
  s.modal = 1;
  s.flag_a = 3;
  s.ask_mode = 1;
  s.value = "V";
  s.reset_at_file_head = 1;
  s.use_value = 1;
  s.flag_b = 4;
  s.format = {1, 1, 1, 1, 6, 2, "*2", 1, 1, 1};

  const OldFile files[] = {
      {200, "TOLvek2.0"},  {230, "TOLvek2.3"},  {270, "TOLvek2.7"},
      {212, "TOLvek2.12"}, {300, "TOLvek3.00"}, {340, "TOLvek3.40"},
      {341, "TOLvek3.41"}, {350, "TOLvek3.50"}, {351, "TOLvek3.51"},
      {360, "TOLvek3.60"}, {370, "TOLvek3.70"}, {380, "TOLvek3.80"},
      {390, "TOLvek3.90"}, {392, "TOLvek3.92"}, {400, "TOLvek4.00"},
      {410, "TOLvek4.10"}, {420, "TOLvek4.20"},
  };
  for (const OldFile& file : files) {
    SCOPED_TRACE(file.tag);
    const int v = file.version;
    // The current definition: fields an old layout lacks keep these.
    PostDefinition current = NewPostDefinition(dict);
    current.coordinate_mode.tool_position = 9;
    current.tape_length = 201;
    current.rapid_feed = 202.0;
    current.min_unit_digits = 5;
    current.sheet_unit = 203;

    PostDefinition def = current;
    DefinitionResult result =
        ImportDefinitionBytes(EncodeVersion(v, file.tag, s), dict, 2000.0, &def);
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.format_version, v);
    EXPECT_EQ(result.version_tag, file.tag);

    // Header.
    if (v == 200) {
      EXPECT_EQ(def.coordinate_mode, (CoordinateModeBlock{2, 3, 3, 9}));
      EXPECT_EQ(def.split_mode.methods, 0);
    } else {
      EXPECT_EQ(def.coordinate_mode, (CoordinateModeBlock{2, 3, 4, 1}));
      EXPECT_EQ(def.split_mode.methods, v < 300 && v != 212 ? 1 : 4);
    }
    if (v < 300 && v != 212) {
      EXPECT_EQ(def.process_sheet.Pack(), 0x00020000);
      EXPECT_EQ(def.sheet_unit, 0);
      EXPECT_EQ(def.sheet_name_source, 0);
    } else {
      EXPECT_EQ(def.process_sheet.Pack(), 0x00060101);
    }
    if (v == 212 || v == 300) {
      EXPECT_EQ(def.sheet_unit, 203);
    }
    if (v == 340) {
      EXPECT_EQ(def.sheet_unit, 0);
    }
    if (v == 341 || v >= 350) {
      EXPECT_EQ(def.sheet_unit, 101);
    }
    if (v >= 350) {
      EXPECT_EQ(def.sheet_name_source, v > 350 ? 102 : 0);
      EXPECT_EQ(def.tape_length, v >= 360 ? 103 : 0);
      EXPECT_EQ(def.split_position, v >= 360 ? 105 : 0);
      EXPECT_EQ(def.tiny_arc_as_circle, v >= 380 ? 106 : 1);
      EXPECT_EQ(def.sheet_to_spreadsheet, v >= 390 ? 107 : 0);
      EXPECT_EQ(def.rigid_tap, v >= 392 ? 108 : 0);
      EXPECT_EQ(def.min_unit_digits, v >= 400 ? 109 : 3);
      EXPECT_EQ(def.split_large_arcs, v >= 400 ? 110 : 0);
      EXPECT_EQ(def.rapid_feed, v >= 410 ? 111.5 : 2000.0);
      EXPECT_EQ(def.machining_length, v >= 410 ? 112 : 0);
      EXPECT_EQ(def.serial_number, v >= 420 ? 113 : 0);
    } else {
      EXPECT_EQ(def.tape_length, 201);
      EXPECT_EQ(def.rapid_feed, 202.0);
      EXPECT_EQ(def.min_unit_digits, 5);
    }

    // Codes: the file's, the added keys by version, the 33 defaults under
    // a 2.0 file.
    EXPECT_EQ(def.codes.Text("CYC_BORING"), "G85.1");
    EXPECT_EQ(def.codes.Text("G00_CODE"), "G0");
    std::size_t codes = v == 200 ? 33
                        : v < 340 ? 2
                        : v < 350 ? 10
                        : v < 370 ? 9
                        : v < 420 ? 6
                                  : 2;
    EXPECT_EQ(def.codes.size(), codes);
    if (v >= 340 && v < 350) {
      EXPECT_EQ(def.codes.Text("G06_CODE"), "G06.2");
    }
    if (v >= 340 && v < 370) {
      EXPECT_EQ(def.codes.Text("G18_CODE"), "G18");
    }
    if (v >= 340 && v < 420) {
      EXPECT_EQ(def.codes.Text("CYC_BOREFEED"), "G89");
    }

    // Variables: merged over the dictionary's table.
    EXPECT_EQ(def.variables.size(), 4u);
    const VariableSetting* got = def.variables.Find(51);
    ASSERT_NE(got, nullptr);
    int r = v >= 350 ? v : v >= 340 ? 3 : (v == 212 || v == 300) ? 2 : 1;
    EXPECT_EQ(got->message, "msg");
    EXPECT_EQ(got->flag_a, 3);
    EXPECT_EQ(got->ask_mode, r >= 2 ? 1 : 2);  // R 1: 2 because modal is set
    EXPECT_EQ(got->value, r >= 2 ? "V" : "");
    EXPECT_EQ(got->reset_at_file_head, r >= 3 ? 1 : 0);
    EXPECT_EQ(got->flag_b, r >= 360 ? 4 : 1);
    EXPECT_EQ(got->format.formula, "*2");
    EXPECT_EQ(got->format.integer_digits, 6u);
    EXPECT_EQ(got->format.time_format, r >= 3 ? 1 : 0);
    EXPECT_EQ(got->format.decimal_point_flag, r >= 4 ? 1 : 0);
    EXPECT_EQ(got->format.suppress_zero, r >= 370 ? 1 : 0);

    // Sections: 20 slots for 2.x, NURBS slots added for 3.40/3.41.
    int slots = (v < 300 && v != 212) || v == 300 || v == 212 ? 20 : 22;
    EXPECT_EQ(def.sections.count, slots);
    EXPECT_EQ(def.sections.Text(1), "%\n");
    if (slots == 22) {
      EXPECT_EQ(def.sections.Find(SectionId::kNurbsEnd)->id, 21);
    }
    EXPECT_EQ(def.sections.Find(SectionId::kNurbs) != nullptr, slots == 22);

    // Whatever was read writes as 4.20 and reads back the same.
    PostDefinition again = current;
    ASSERT_TRUE(ImportDefinitionBytes(WriteDefinitionBytes(def), dict, 1.0, &again).ok());
    EXPECT_EQ(again, def);
  }
}

TEST(DefinitionFileTest, UnknownTagAndBrokenFilesLeaveTheDefinitionUnchanged) {
  VariableDictionary dict = TestDictionary();
  const PostDefinition before = BusyDefinition(dict);
  PostDefinition def = before;

  Enc other;
  other.Str("TOLvek4.30").Int(0);
  DefinitionResult result = ImportDefinitionBytes(other.b, dict, 1.0, &def);
  EXPECT_EQ(result.status, DefinitionStatus::kUnknownTag);
  EXPECT_EQ(result.version_tag, "TOLvek4.30");
  EXPECT_EQ(result.error, kTextInvalidOrOldFile);
  EXPECT_EQ(def, before);

  // Every cut of a good file fails cleanly and changes nothing.
  std::string good = WriteDefinitionBytes(NewPostDefinition(dict));
  for (std::size_t n = 0; n < good.size(); ++n) {
    result = ImportDefinitionBytes(std::string_view(good).substr(0, n), dict, 1.0, &def);
    ASSERT_FALSE(result.ok()) << n;
    EXPECT_EQ(result.status, n < 14 ? DefinitionStatus::kUnknownTag
                                    : DefinitionStatus::kCorrupt) << n;
    ASSERT_FALSE(LoadDefinitionForRunBytes(std::string_view(good).substr(0, n), &def).ok());
  }
  EXPECT_EQ(def, before);

  // A section length far beyond the data, a negative count, too many
  // sections.
  std::string huge = good;
  std::size_t last_length = huge.size() - 4;
  huge[last_length + 3] = '\x7f';
  EXPECT_EQ(ImportDefinitionBytes(huge, dict, 1.0, &def).status, DefinitionStatus::kCorrupt);
  std::string negative = good.substr(0, 82) + Enc().Int(-1).b;
  EXPECT_EQ(ImportDefinitionBytes(negative, dict, 1.0, &def).status,
            DefinitionStatus::kCorrupt);
  std::string too_many = good.substr(0, good.size() - (4 + 22 * 8)) + Enc().Int(23).b;
  for (int i = 0; i < 23; ++i) too_many += Enc().Int(i).Uint(0).b;
  EXPECT_EQ(ImportDefinitionBytes(too_many, dict, 1.0, &def).status,
            DefinitionStatus::kCorrupt);
  EXPECT_FALSE(LoadDefinitionForRunBytes(too_many, &def).ok());
  // 2.x files have room for 20 sections only.
  VariableSetting s;
  s.id = 1;
  std::string old = EncodeVersion(230, "TOLvek2.3", s);
  old.replace(old.size() - 20 * 8 - 2 - 4, 4, Enc().Int(21).b);
  old += Enc().Int(20).Uint(0).b;
  EXPECT_EQ(ImportDefinitionBytes(old, dict, 1.0, &def).status, DefinitionStatus::kCorrupt);
  EXPECT_EQ(def, before);
}

TEST(DefinitionFileTest, RunLoaderAcceptsOnly370To420) {
  VariableSetting s;
  s.id = 51;
  for (auto [v, tag] : {std::pair{360, "TOLvek3.60"}, {340, "TOLvek3.40"}}) {
    PostDefinition def;
    def.serial_number = 5;
    DefinitionResult result = LoadDefinitionForRunBytes(EncodeVersion(v, tag, s), &def);
    EXPECT_EQ(result.status, DefinitionStatus::kUnknownTag);
    EXPECT_EQ(result.version_tag, tag);
    EXPECT_EQ(def.serial_number, 5);
  }

  s.format.calc_mode = 1;
  s.format.formula = "+1";
  PostDefinition def;
  DefinitionResult result = LoadDefinitionForRunBytes(EncodeVersion(380, "TOLvek3.80", s), &def);
  ASSERT_TRUE(result.ok()) << result.error;
  EXPECT_EQ(def.tiny_arc_as_circle, 106);
  EXPECT_EQ(def.sheet_to_spreadsheet, 0);
  EXPECT_EQ(def.min_unit_digits, 3);
  EXPECT_EQ(def.split_large_arcs, 1);
  EXPECT_EQ(def.rapid_feed, 10000.0);
  EXPECT_EQ(def.machining_length, 0);
  EXPECT_EQ(def.serial_number, 0);
  // Codes as read, no keys added; only the file's settings.
  EXPECT_EQ(def.codes.size(), 2u);
  ASSERT_EQ(def.variables.size(), 1u);
  EXPECT_EQ(def.variables.Find(51)->format.formula, "+1");
  EXPECT_EQ(def.sections.count, 22);
}

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "definition_test_XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string File(const std::string& name) const { return (fs::path(path_) / name).string(); }

 private:
  std::string path_;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

TEST(DefinitionFileTest, FilesSaveThroughRenameAndRefuseUnreadableValues) {
  TempDir dir;
  VariableDictionary dict = TestDictionary();
  PostDefinition def = BusyDefinition(dict);
  std::string path = dir.File("mill.tlv");
  ASSERT_TRUE(SaveDefinitionFile(path, def).ok());
  EXPECT_EQ(ReadAll(path), WriteDefinitionBytes(def));

  PostDefinition read;
  ASSERT_TRUE(ImportDefinitionFile(path, dict, 1.0, &read).ok());
  EXPECT_EQ(read, def);
  ASSERT_TRUE(LoadDefinitionForRunFile(path, &read).ok());

  // A value longer than a reader keeps would come back cut: refused, and
  // the file on disk stays as it was.
  PostDefinition too_long = def;
  too_long.variables.Find(2101)->value.assign(RecordFile::kStringBufferSize + 1, 'A');
  DefinitionResult result = SaveDefinitionFile(path, too_long);
  EXPECT_EQ(result.status, DefinitionStatus::kWriteFailed);
  EXPECT_NE(result.error.find(path), std::string::npos);
  EXPECT_EQ(ReadAll(path), WriteDefinitionBytes(def));

  result = ImportDefinitionFile(dir.File("missing.tlv"), dict, 1.0, &read);
  EXPECT_EQ(result.status, DefinitionStatus::kCannotOpen);
  EXPECT_NE(result.error.find("missing.tlv"), std::string::npos);
  EXPECT_EQ(LoadDefinitionForRunFile(dir.File("missing.tlv"), &read).status,
            DefinitionStatus::kCannotOpen);
}

}  // namespace
}  // namespace tlv
