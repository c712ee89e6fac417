#include "format/variable_store.h"

#include <gtest/gtest.h>

#include <string>

#include "definition/variable_dictionary.h"
#include "definition/variable_setting.h"
#include "format/engine_test_support.h"

namespace tlv {
namespace {

std::string Due(Variable& v) {
  std::string s;
  if (!v.FormatIfDueOwn(&s, 64)) return "<not due>";
  return s;
}
std::string Always(Variable& v) {
  std::string s;
  v.FormatAlwaysOwn(&s, 64);
  return s;
}

TEST(Variable, ChangeDetectionAtOutputResolution) {
  Variable v(14, false, OutputFormat::RealPreset());
  v.SetNumber(1.2341);
  EXPECT_EQ(Due(v), "1.234");
  v.SetNumber(1.2344);  // differs only below the last printed digit
  EXPECT_EQ(Due(v), "<not due>");
  v.SetNumber(1.2346);
  EXPECT_EQ(Due(v), "1.235");
  v.AddNumber(0);
  EXPECT_EQ(Due(v), "<not due>");
  v.AddNumber(0.0004);  // prints as zero: no change
  EXPECT_EQ(Due(v), "<not due>");
  v.AddNumber(0.001);
  EXPECT_EQ(Due(v), "1.236");
  v.SetInteger(1);  // 1.2356 truncates to 1
  EXPECT_EQ(Due(v), "<not due>");
  v.SetInteger(2);
  EXPECT_EQ(Due(v), "2.");
  // Not modal: prints at every reference.
  v.modal = false;
  EXPECT_EQ(Due(v), "2.");
  EXPECT_EQ(Due(v), "2.");
}

// The quantum reused from the stored value or the last one asked for must
// follow the format and the stored value.
TEST(Variable, ReusedQuantumFollowsFormatAndValue) {
  Variable v(10, false, OutputFormat::RealPreset());
  v.SetNumber(1.2345);
  EXPECT_EQ(v.QuantumOf(1.2345), 1235);  // the stored value's
  EXPECT_EQ(v.QuantumOf(-7.0004), -7000);  // asked for
  EXPECT_EQ(v.QuantumOf(-7.0004), -7000);  // asked again
  EXPECT_EQ(v.QuantumOf(2.5), 2500);
  OutputFormat one = OutputFormat::RealPreset();
  one.decimal_digits = 1;
  v.SetFormat(one);
  EXPECT_EQ(v.QuantumOf(2.5), 25);
  EXPECT_EQ(v.QuantumOf(1.2345), 12);
  // The value asked for last, then stored: no change at that resolution.
  v.SetNumber(1.2);
  EXPECT_EQ(Due(v), "1.2");
  EXPECT_EQ(v.QuantumOf(1.24), 12);
  v.SetNumber(1.24);
  EXPECT_EQ(Due(v), "<not due>");
  v.SetNumber(1.26);
  EXPECT_EQ(Due(v), "1.3");
  // The sheet slot keeps its own value.
  v.use_sheet_slot = true;
  v.SetNumber(-3);
  EXPECT_EQ(v.QuantumOf(1.26), 13);
  EXPECT_EQ(v.QuantumOf(-3), -30);
  // With a calculation every quantum is calculated afresh.
  OutputFormat twice = OutputFormat::RealPreset();
  twice.calc_mode = 1;
  twice.formula = "*2";
  v.SetFormat(twice);
  EXPECT_EQ(v.QuantumOf(-3), -6000);
  EXPECT_EQ(v.QuantumOf(1.26), 2520);
}

// A sum rounded only when needed prints, compares and copies as one
// rounded at every addition.
TEST(Variable, SumsRoundedWhenNeeded) {
  Variable v(35, false, OutputFormat::RealPreset());
  v.SetNumber(0);
  EXPECT_EQ(Due(v), "0.");
  for (int i = 0; i < 3; ++i) v.AddNumber(0.0004);  // each too small to count
  EXPECT_EQ(Due(v), "<not due>");
  EXPECT_EQ(Always(v), "0.001");
  v.SetNumber(0.0012);  // the same at output resolution
  EXPECT_EQ(Due(v), "<not due>");
  v.AddNumber(1.25);
  v.CopyRunToSheet();
  v.use_sheet_slot = true;
  EXPECT_EQ(Always(v), "1.251");
  v.use_sheet_slot = false;
  EXPECT_EQ(v.QuantumOf(v.GetNumber()), 1251);

  OutputFormat suppressed = OutputFormat::RealPreset();
  suppressed.suppress_zero = true;
  Variable s(36, false, suppressed);
  s.SetNumber(0);
  s.AddNumber(0.0004);
  EXPECT_FALSE(s.has_value);
  s.AddNumber(0.0004);
  EXPECT_TRUE(s.has_value);
  EXPECT_EQ(Due(s), "0.001");
}

TEST(Variable, SuppressZero) {
  OutputFormat f = OutputFormat::RealPreset();
  f.suppress_zero = true;
  Variable v(14, false, f);
  v.SetNumber(0.0004);
  EXPECT_FALSE(v.has_value);
  EXPECT_EQ(Due(v), "<not due>");
  EXPECT_EQ(Always(v), "0.");
  EXPECT_EQ(v.IsDueOwn(), 0);
  v.SetNumber(0.0005);
  EXPECT_TRUE(v.has_value);
  EXPECT_EQ(Due(v), "0.001");
  v.SetInteger(0);
  EXPECT_FALSE(v.has_value);
  v.AddNumber(-0.0002);
  EXPECT_FALSE(v.has_value);
}

TEST(Variable, TextVariables) {
  Variable v(19, true, OutputFormat::RealPreset());
  v.SetText("G01");
  EXPECT_EQ(Due(v), "G01");
  v.SetText("G01");
  EXPECT_EQ(Due(v), "<not due>");
  v.SetNumber(2.5);
  EXPECT_EQ(Due(v), "2.500000");
  v.SetInteger(-3);
  EXPECT_EQ(Due(v), "-3");
  v.AddNumber(1);
  EXPECT_EQ(Due(v), "-31.000000");
  EXPECT_DOUBLE_EQ(v.GetNumber(), -31);
  // Cut to the buffer without splitting a double-byte character.
  v.SetText("\x82\xA0\x82\xA2");
  std::string s;
  v.FormatIfDueOwn(&s, 3);
  EXPECT_EQ(s, "\x82\xA0");
  // A numeric variable reads text from its first 30 bytes.
  Variable n(14, false, OutputFormat::RealPreset());
  n.SetText(std::string(29, ' ') + "12");
  EXPECT_DOUBLE_EQ(n.GetNumber(), 1);
  EXPECT_EQ(n.GetText(), "1.000000");
}

TEST(Variable, CalculationDoublesPrintedNotStored) {
  OutputFormat f = OutputFormat::RealPreset();
  f.calc_mode = 1;
  f.formula = "*2";
  Variable v(14, false, f);
  v.SetNumber(1.5);
  EXPECT_EQ(Due(v), "3.");
  EXPECT_DOUBLE_EQ(v.GetNumber(), 1.5);
  // The change test compares the doubled texts: 1.5002 doubles to 3.0004.
  v.SetNumber(1.5002);
  EXPECT_EQ(Due(v), "<not due>");
  v.SetNumber(1.5003);
  EXPECT_EQ(Due(v), "3.001");
  EXPECT_DOUBLE_EQ(v.ValueAsPrinted(1), 3.001);
  // A formula that does not compile leaves values as they are.
  f.formula = "*)";
  Variable w(15, false, f);
  w.SetNumber(1.5);
  EXPECT_EQ(Due(w), "1.5");
  // calc_mode 2 keeps the formula for a computed variable; not applied.
  f.calc_mode = 2;
  f.formula = "*2";
  Variable c(2101, false, f);
  c.SetNumber(1.5);
  EXPECT_EQ(Due(c), "1.5");
}

TEST(Variable, TimeFormatAndValueAsPrinted) {
  OutputFormat f = OutputFormat::RealPreset();
  f.time_format = true;
  Variable v(63, false, f);
  v.SetNumber(3725.4);
  EXPECT_EQ(Due(v), "1: 2: 5");
  Variable i(60, false, OutputFormat::IntegerPreset());
  i.SetNumber(123.6);
  EXPECT_DOUBLE_EQ(i.ValueAsPrinted(0.001), 0.124);
}

TEST(Variable, SheetSlots) {
  Variable v(14, false, OutputFormat::RealPreset());
  v.SetNumber(5);
  v.snapshot_armed = true;
  v.Snapshot();
  v.SetNumber(6);
  v.Snapshot();  // disarmed: the sheet slot keeps 5
  v.use_sheet_slot = true;
  EXPECT_DOUBLE_EQ(v.GetNumber(), 5);
  EXPECT_EQ(Always(v), "5.");
  v.use_sheet_slot = false;
  EXPECT_DOUBLE_EQ(v.GetNumber(), 6);
}

TEST(VariableStore, RoundedDifference) {
  VariableStore store;
  EXPECT_DOUBLE_EQ(store.RoundedDifference(0.0005, 0), 0.001);
  EXPECT_DOUBLE_EQ(store.RoundedDifference(-0.0005, 0), -0.001);
  EXPECT_DOUBLE_EQ(store.RoundedDifference(10.0004, 2.0001), 8.0);
  CoordinateSettings s;
  s.digits = 1;
  store.SetCoordinateSettings(s);
  EXPECT_DOUBLE_EQ(store.RoundedDifference(0.25, 0.1), 0.2);
  EXPECT_DOUBLE_EQ(store.LeastIncrement(), 0.1);
}

TEST(VariableStore, TableFromDictionaryAndSettings) {
  VariableDictionary dict;
  DictionaryEntry e;
  e.name = "A";
  e.text = "msg";
  e.id = 5;
  e.kind = kKindInteger;
  e.modal_default = 1;
  e.flags = kDictInEveryDefinition;
  dict.Put(e);
  e.name = "B";
  e.id = 6;
  e.kind = kKindText;
  dict.Put(e);
  e.name = "HIDDEN";
  e.id = 7;
  e.flags = 0;
  dict.Put(e);
  VariableSettingTable settings;
  VariableSetting s;
  s.id = 6;
  s.text_only = 0;
  s.modal = 0;
  s.format.decimal_digits = 2;
  s.format.leading_zeros = 1;
  s.format.integer_digits = 3;
  settings.Put(s);
  s.id = 9000;
  s.text_only = 1;
  settings.Put(s);
  VariableStore store;
  BuildVariableTable(dict, settings, &store);
  ASSERT_NE(store.Lookup(5), nullptr);
  EXPECT_EQ(store.Lookup(5)->format().decimal_digits, 0);
  EXPECT_EQ(store.Lookup(5)->message, "msg");
  EXPECT_TRUE(store.Lookup(5)->modal);
  EXPECT_EQ(store.Lookup(7), nullptr);
  Variable* b = store.Lookup(6);  // replaced as a whole by the setting
  ASSERT_NE(b, nullptr);
  EXPECT_FALSE(b->is_text);
  EXPECT_FALSE(b->modal);
  b->SetNumber(1.5);
  EXPECT_EQ(Always(*b), "001.5");
  ASSERT_NE(store.Lookup(9000), nullptr);
  EXPECT_TRUE(store.Lookup(9000)->is_text);
  EXPECT_EQ(store.Lookup(-4), nullptr);
}

using CoordinateWords = EngineTest;

TEST_F(CoordinateWords, AbsoluteIncrementalAndOffset) {
  Var(51).SetNumber(10);
  EXPECT_EQ(Expand("X<X>\n"), "X10.\n");
  EXPECT_EQ(ExpandAgain(), "X\n");  // source unchanged: the word is not due
  store_.coordinates().mode = kCoordIncremental;
  Var(51).SetNumber(12.3456);
  EXPECT_EQ(ExpandAgain(), "X2.346\n");
  EXPECT_DOUBLE_EQ(Var(32).GetNumber(), 12.3456);
  Var(51).SetNumber(12.3456);
  EXPECT_EQ(ExpandAgain(), "X\n");
  store_.coordinates().mode = kCoordOffset;
  store_.coordinates().g92_offset[0] = -2;
  Var(51).SetNumber(20);
  EXPECT_EQ(ExpandAgain(), "X18.\n");
  EXPECT_DOUBLE_EQ(Var(32).GetNumber(), 18);
}

TEST_F(CoordinateWords, ToolCentreAndPinning) {
  CoordinateSettings s;
  s.tool_centre = true;
  store_.SetCoordinateSettings(s);
  store_.coordinates().tool_centre_z = 5;
  Var(53).SetNumber(-10);
  EXPECT_EQ(Expand("Z<Z>\n"), "Z-5.\n");
  // "&" forces an unchanged word, "$" holds back a changed one.
  EXPECT_EQ(Expand("&<Z>Z<Z>\n"), "Z-5.\n");
  Var(53).SetNumber(-20);
  EXPECT_EQ(Expand("$<Z>Z<Z>\n"), "Z\n");
  EXPECT_DOUBLE_EQ(Var(34).GetNumber(), -15);
}

TEST_F(CoordinateWords, ResetAtFileHeadAndSheetSlotsOfTheTable) {
  Var(60).SetInteger(3);
  Var(60).reset_at_file_head = true;
  EXPECT_EQ(Expand("T<TOOL>\n"), "T3\n");
  EXPECT_EQ(ExpandAgain(), "T\n");
  store_.ResetAtFileHead();
  EXPECT_EQ(ExpandAgain(), "T3\n");

  store_.ArmSnapshotAll();
  store_.SnapshotAll();
  Var(60).SetInteger(4);
  store_.SnapshotAll();  // disarmed: keeps 3
  store_.UseSheetSlotAll(true);
  EXPECT_EQ(Expand("!<TOOL>\n", 18), "");
  EXPECT_EQ(out_.first, "3\n");
  store_.UseSheetSlotAll(false);
  EXPECT_DOUBLE_EQ(Var(60).GetNumber(), 4);
}

}  // namespace
}  // namespace tlv
