#include "definition/text_form.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "definition/definition_file.h"
#include "definition/post_definition.h"
#include "definition/section_compiler.h"
#include "definition/variable_dictionary.h"
#include "platform/text_encoding.h"

namespace tlv {
namespace {

VariableDictionary FormDictionary() {
  VariableDictionary dict;
  auto put = [&](const char* name, const char* text, std::int32_t id, std::int32_t kind,
                 std::int32_t flags) {
    DictionaryEntry e;
    e.name = name;
    e.text = Utf8ToCp932(text);
    e.id = id;
    e.kind = kind;
    e.modal_default = 1;
    e.flags = flags;
    dict.Put(e);
  };
  put("F_CORD", "送り速度", 14, kKindNumber, kDictInEveryDefinition);
  put("G_MOVE", "移動コード", 19, kKindText, kDictInEveryDefinition);
  put("X_CORD", "X座標", 51, kKindNumber, kDictInEveryDefinition);
  put("Y_CORD", "Y座標", 52, kKindNumber, kDictInEveryDefinition);
  put("USER_IN1", "入力1", 2001, kKindNumber, kDictInEveryDefinition);
  put("NOT_OFFERED", "", 300, kKindNumber, 0);
  return dict;
}

std::string Compile(const VariableDictionary& dict, const std::string& utf8) {
  const CompileResult r = CompileSection(Utf8ToCp932(utf8), dict);
  EXPECT_TRUE(r.ok) << r.Where();
  return r.bytes;
}

// A definition that exercises every corner of the text form.
PostDefinition OddDefinition(const VariableDictionary& dict) {
  PostDefinition def = NewPostDefinition(dict);
  def.coordinate_mode = CoordinateModeBlock::Unpack(static_cast<std::int32_t>(0xFF020601));
  def.split_mode.methods = 0x1F;
  def.split_mode.name_source = 5;
  def.split_mode.machining_length = -12345;
  def.process_sheet.output = 2;
  def.process_sheet.reserved = 7;
  def.process_sheet.extension_index = 65535;
  def.sheet_unit = -1;
  def.sheet_name_source = 2;
  def.tape_length = std::numeric_limits<std::int32_t>::max();
  def.machining_time = std::numeric_limits<std::int32_t>::min();
  def.split_position = 2;
  def.tiny_arc_as_circle = 0;
  def.sheet_to_spreadsheet = 1;
  def.rigid_tap = 1;
  def.min_unit_digits = 4;
  def.split_large_arcs = 1;
  def.rapid_feed = 0.1;
  def.machining_length = 40000;
  def.serial_number = 1;

  def.codes.Set("G00_CODE", "G0 \"quoted\" \\ back");
  def.codes.Set("odd key", Utf8ToCp932("Ｍ３０ ～"));
  // Bytes without an exact UTF-8 form: an invalid lead/trail pair and a
  // lone 0x80.
  def.codes.Set("RAW", std::string("\x81\x20\x80\t", 4));

  VariableSetting& x = *def.variables.Find(51);
  x.message = Utf8ToCp932("X座標 # not a comment");
  x.format.calc_mode = 1;  // with an empty formula
  VariableSetting& f = *def.variables.Find(14);
  f.format.calc_mode = 2;
  f.format.formula = "*2+_51";
  f.flag_a = 0;
  f.flag_b = 9;
  f.value = std::string(300, 'v');  // values are kept whole
  VariableSetting unknown;  // a variable the dictionary does not know
  unknown.id = -7;
  unknown.message = "\n\r";
  def.variables.Put(unknown);
  VariableSetting hidden;
  hidden.id = 300;
  def.variables.Put(hidden);

  def.sections.slots[1].text = Compile(dict, "%\nO0001\n");
  def.sections.slots[2].text = Compile(dict, "no line end");
  // A line equal to the usual terminator.
  def.sections.slots[3].text = Compile(dict, "END\nEND1\n<IF><F_CORD> > 1<THEN>\nA\n<ENDIF>\n");
  def.sections.slots[4].text = Compile(dict, "...コメント\n\t<X_CORD>  \n\n");
  // Text bytes in 0xF0..0xFF (prefixed) read back exactly.
  def.sections.slots[5].text = std::string("A\xF1\xFD\xF2\xF0\x40");
  // Not a compiler's output: a bad block code, a CR, a reference to a
  // variable the sections may not use, an unknown id.
  def.sections.slots[6].text = std::string("G\xF7\x09", 3);
  def.sections.slots[7].text = "a\r\nb";
  def.sections.slots[8].text = std::string("\xFF\x2C\x01\x00\x00", 5);
  def.sections.slots[9].text = std::string("\xFF\x63\x00\x00\x00", 5);
  def.sections.slots[10].id = 99;
  def.sections.slots[11].text = "x<>y <= z";
  return def;
}

TEST(TextFormTest, RoundTripsEveryField) {
  const VariableDictionary dict = FormDictionary();
  for (const PostDefinition& def : {NewPostDefinition(dict), OddDefinition(dict)}) {
    const std::string text = FormatTextForm(def, dict);
    ASSERT_TRUE(IsValidUtf8(text));
    PostDefinition back;
    std::string err;
    ASSERT_TRUE(ParseTextForm(text, "def.txt", dict, &back, &err)) << err << "\n" << text;
    EXPECT_EQ(WriteDefinitionBytes(back), WriteDefinitionBytes(def));
    EXPECT_TRUE(back == def);
    EXPECT_EQ(FormatTextForm(back, dict), text);
  }
}

TEST(TextFormTest, ShapesOfTheText) {
  const VariableDictionary dict = FormDictionary();
  PostDefinition def = OddDefinition(dict);
  def.sections.count = 12;
  const std::string text = FormatTextForm(def, dict);
  auto has = [&](const std::string& piece) {
    EXPECT_NE(text.find(piece), std::string::npos) << piece << "\n" << text;
  };
  has("tlvdef-text 1\n");
  has("coordinate.output_mode = 1  # Ｇ９１出力\n");
  has("split.methods = 31  # ｺｰﾄﾞによる分割, 加工長による分割, テープ長による分割, "
      "加工時間による分割, 軌跡毎の分割\n");
  has("rapid_feed = 0.1\n");
  has("code G00_CODE = \"G0 \\\"quoted\\\" \\\\ back\"\n");
  has("code \"odd key\" = \"Ｍ３０ ～\"\n");
  has("code RAW = \"\\x81\\x20\\x80\\t\"\n");
  has("variable -7 ?\n  message = \"\\n\\r\"\n");
  has("variable 300 NOT_OFFERED\n");
  has("variable 51 X_CORD  # X座標\n  message = \"X座標 # not a comment\"\n");
  has("  format.calc_mode = 2\n  format.integer_digits = 5\n  format.decimal_digits = 3\n"
      "  format.formula = \"*2+_51\"\n");
  has("section 0 Unused <<END\nEND\n");
  has("section 1 ProgramStart <<END\n%\nO0001\nEND\n");
  has("section 2 ProgramEnd <<END noeol\nno line end\nEND\n");
  has("section 3 ProcessStart <<END2\nEND\nEND1\n<IF><F_CORD> > 1<THEN>\nA\n<ENDIF>\nEND2\n");
  has("section 4 ProcessEnd <<END\n...コメント\n\t<X_CORD>  \n\nEND\n");
  has("section 6 RapidXY hex <<END\n47 F7 09\nEND\n");
  has("section 7 RapidZ hex <<END\n61 0D 0A 62\nEND\n");
  has("section 8 LinearFeed hex <<END\nFF 2C 01 00 00\nEND\n");
  has("section 10 Cycle id 99 <<END\nEND\n");
  has("section 11 CycleOff <<END noeol\nx<>y <= z\nEND\n");
  EXPECT_EQ(text.find("section 12"), std::string::npos);
}

TEST(TextFormTest, HandWrittenVariants) {
  const VariableDictionary dict = FormDictionary();
  const PostDefinition def = NewPostDefinition(dict);
  std::string text = FormatTextForm(def, dict);
  // CRLF line ends, extra comments and blank lines read alike.
  text.insert(text.find("code "), "\n  # note\n\n");
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += "\r\n";
    else crlf += c;
  }
  PostDefinition back;
  std::string err;
  ASSERT_TRUE(ParseTextForm(crlf, "crlf.txt", dict, &back, &err)) << err;
  EXPECT_TRUE(back == def);
}

struct BadCase {
  std::string from;  // text of the new definition's form to replace
  std::string to;
  std::string message;  // expected "file:line: ..." after the file name
};

TEST(TextFormTest, ErrorsNameTheLine) {
  const VariableDictionary dict = FormDictionary();
  const std::string good = FormatTextForm(NewPostDefinition(dict), dict);
  auto line_of = [&](const std::string& piece) {
    const std::size_t at = good.find(piece);
    EXPECT_NE(at, std::string::npos) << piece;
    return 1 + static_cast<int>(std::count(good.begin(), good.begin() + static_cast<long>(at), '\n'));
  };
  const int unit = line_of("sheet_unit =");
  const int code = line_of("code CYC_BORING");
  const int var = line_of("variable 51 X_CORD");
  const int sec = line_of("section 8 LinearFeed");
  const BadCase cases[] = {
      {"tlvdef-text 1", "tlvdef-text 2", "1: 'tlvdef-text 1' expected on the first line"},
      {"sheet_unit = 0", "sheet_unit = x", std::to_string(unit) + ": whole number expected, found 'x'"},
      {"sheet_unit = 0", "sheet_units = 0", std::to_string(unit) + ": 'sheet_unit' expected"},
      {"sheet_unit = 0", "sheet_unit 0", std::to_string(unit) + ": '=' expected after 'sheet_unit'"},
      {"sheet_unit = 0", "sheet_unit = 0 0", std::to_string(unit) + ": unexpected text after the value of 'sheet_unit'"},
      {"split.methods = 0", "split.methods = 256", std::to_string(line_of("split.methods")) + ": value 256 is outside 0..255"},
      {"rapid_feed = 10000", "rapid_feed = fast", std::to_string(line_of("rapid_feed")) + ": number expected, found 'fast'"},
      {"code CYC_BORING = \"G85\"", "code CYC_BORING = \"G85", std::to_string(code) + ": closing '\"' missing"},
      {"code CYC_BORING = \"G85\"", "code CYC_BORING = \"G\\q\"", std::to_string(code) + ": unknown escape '\\q'"},
      {"code CYC_BORING = \"G85\"", "code CYC_BORING = \"G\\x4\"", std::to_string(code) + ": two hex digits expected after '\\x'"},
      {"code CYC_BORING = \"G85\"", "code CYC_BORING = \"G85\"\ncode CYC_BORING = \"G85\"", std::to_string(code + 1) + ": code 'CYC_BORING' given twice"},
      {"code CYC_BORING = \"G85\"", "code CYC_BORING = \"" + std::string(101, 'G') + "\"", std::to_string(code) + ": code key or text longer than 100 bytes"},
      {"code CYC_BORING = \"G85\"", "code CYC_BORING = \"Ｇ\xF0\x9F\x98\x80\"", std::to_string(code) + ": text holds a character that code page 932 lacks"},
      {"variable 51 X_CORD", "variable 51 Y_CORD", std::to_string(var) + ": variable 51 is named 'X_CORD' in the dictionary, not 'Y_CORD'"},
      {"variable 51 X_CORD", "variable 52 Y_CORD", std::to_string(line_of("variable 52 Y_CORD")) + ": variable 52 given twice"},
      {"  modal = 1\n  flag_a", "  flag_a", std::to_string(line_of("variable 14 F_CORD") + 3) + ": 'modal' expected"},
      {"section 8 LinearFeed <<END\nEND", "section 8 LinearFeed <<END\nG01\n<IF>\n{\nEND", std::to_string(sec + 3) + ": " + std::string(kMsgBraceInCondition)},
      {"section 8 LinearFeed <<END\nEND", "section 8 LinearFeed <<END\n<NOPE>\nEND", std::to_string(sec + 1) + ": NOPE : 定義されていない変数です"},
      {"section 8 LinearFeed <<END\nEND", "section 8 LinearFeed <<END\n<IF>\nEND", std::to_string(sec + 2) + ": " + std::string(kMsgIfNoEndIf)},
      {"section 8 LinearFeed", "section 8 Linear", std::to_string(sec) + ": section 8 is named 'LinearFeed'"},
      {"section 8 LinearFeed", "section 9 ArcFeed", std::to_string(sec) + ": section 8 expected here"},
      {"section 8 LinearFeed <<END\nEND", "section 8 LinearFeed hex <<END\nF7 0\nEND", std::to_string(sec + 1) + ": two hex digits expected"},
      {"section 8 LinearFeed <<END\nEND", "section 8 LinearFeed <<END noeol\nEND", std::to_string(sec + 1) + ": 'noeol' on an empty section"},
      {"section 21 NurbsEnd <<END\nEND\n", "section 21 NurbsEnd <<END\n", std::to_string(line_of("section 21")) + ": 'END' missing: the section runs to the end of the file"},
      {"section 21 NurbsEnd <<END\nEND\n", "section 21 NurbsEnd <<END\nEND\nsection 22 X <<END\nEND\n", std::to_string(line_of("section 21") + 2) + ": value 22 is outside 0..21"},
      {"section 21 NurbsEnd <<END\nEND\n", "section 21 NurbsEnd <<END\nEND\ncode A = \"\"\n", std::to_string(line_of("section 21") + 2) + ": 'code', 'variable' or 'section' expected"},
  };
  for (const BadCase& c : cases) {
    std::string text = good;
    const std::size_t at = text.find(c.from);
    ASSERT_NE(at, std::string::npos) << c.from;
    text.replace(at, c.from.size(), c.to);
    PostDefinition def = NewPostDefinition(dict);
    def.rigid_tap = 1;
    const PostDefinition before = def;
    std::string err;
    EXPECT_FALSE(ParseTextForm(text, "bad.txt", dict, &def, &err)) << c.to;
    EXPECT_EQ(err, "bad.txt:" + c.message) << c.to;
    EXPECT_TRUE(def == before);
  }
}

}  // namespace
}  // namespace tlv
