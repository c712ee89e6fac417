#include "editor/settings_sheet_test_support.h"

#include "editor/settings_sheet_logic.h"

#include <gtest/gtest.h>

#include "editor/code_list_dialog.h"
#include "editor/coordinate_dialog.h"
#include "editor/sheet_settings_dialog.h"
#include "editor/split_dialog.h"

namespace tlv {
namespace {

class SheetLogicTest : public ::testing::Test {
 protected:
  SheetLogicTest() : dict_(SheetTestDictionary()), def_(NewPostDefinition(dict_)) {}

  VariableSetting& Var(std::int32_t id) { return *def_.variables.Find(id); }

  VariableDictionary dict_;
  PostDefinition def_;
};

TEST_F(SheetLogicTest, MixedSelectionShowsGreyAndApplyLeavesIt) {
  Var(10).modal = 1;
  Var(14).modal = 0;
  Var(10).format.decimal_digits = 3;
  Var(14).format.decimal_digits = 2;
  const SelectionView view = MergeSelection(def_.variables, dict_, {10, 14});
  EXPECT_EQ(At(view.flags, FormatFlag::kModal), TriState::kMixed);
  EXPECT_EQ(At(view.flags, FormatFlag::kPlusSign), TriState::kOff);
  EXPECT_EQ(view.integer_digits, "5");
  EXPECT_EQ(view.decimal_digits, "");  // they differ
  EXPECT_FALSE(DecimalPointEnabled(view.decimal_digits));

  // Apply what the page shows, with one check turned on by the user.
  FormatEdits edits;
  edits.flags = view.flags;
  At(edits.flags, FormatFlag::kLeadingZeros) = TriState::kOn;
  edits.apply_digits = true;
  edits.integer_digits = view.integer_digits;
  edits.decimal_digits = view.decimal_digits;
  edits.apply_formula = true;
  edits.formula = view.formula;
  ASSERT_FALSE(ApplyFormatEdits(edits, {10, 14}, &def_.variables));
  EXPECT_EQ(Var(10).modal, 1);
  EXPECT_EQ(Var(14).modal, 0);
  EXPECT_EQ(Var(10).format.decimal_digits, 3u);
  EXPECT_EQ(Var(14).format.decimal_digits, 2u);
  EXPECT_EQ(Var(10).format.leading_zeros, 1);
  EXPECT_EQ(Var(14).format.leading_zeros, 1);
  EXPECT_EQ(Var(15).format.leading_zeros, 0);  // not selected

  // An empty selection shows nothing on.
  EXPECT_EQ(At(MergeSelection(def_.variables, dict_, {}).flags, FormatFlag::kModal),
            TriState::kOff);
}

TEST_F(SheetLogicTest, DigitLimitsRefuseBeforeAnythingIsWritten) {
  FormatEdits edits;
  edits.flags.fill(TriState::kOn);
  edits.apply_digits = true;
  edits.decimal_digits = "3";
  for (const char* bad : {"0", "9", "x", "-1", "99999999999"}) {
    edits.integer_digits = bad;
    auto refusal = ApplyFormatEdits(edits, {10}, &def_.variables);
    ASSERT_TRUE(refusal) << bad;
    EXPECT_EQ(refusal->control, "integer_digits");
  }
  EXPECT_EQ(Var(10).format.plus_sign, 0);  // nothing written
  edits.integer_digits = "8";
  edits.decimal_digits = "6";
  auto refusal = ApplyFormatEdits(edits, {10}, &def_.variables);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->text, "0 から 5 までの整数を入力してください。");
  edits.decimal_digits = " 0 ";
  EXPECT_FALSE(ApplyFormatEdits(edits, {10}, &def_.variables));
  EXPECT_EQ(Var(10).format.integer_digits, 8u);
  EXPECT_EQ(Var(10).format.decimal_digits, 0u);

  EXPECT_TRUE(DecimalPointEnabled("0"));
  EXPECT_FALSE(DecimalPointEnabled("3"));
  EXPECT_FALSE(DecimalPointEnabled("0x"));
}

TEST_F(SheetLogicTest, FormatFormulaCheckAndCalcMode) {
  EXPECT_TRUE(IsValidFormatFormula("*2"));
  EXPECT_TRUE(IsValidFormatFormula("/25.4"));
  EXPECT_TRUE(IsValidFormatFormula(""));
  EXPECT_FALSE(IsValidFormatFormula("*"));
  EXPECT_FALSE(IsValidFormatFormula("*(2"));

  FormatEdits edits;
  edits.flags.fill(TriState::kMixed);
  edits.apply_formula = true;
  edits.formula = TriState::kOn;
  edits.formula_text = "*";
  auto refusal = ApplyFormatEdits(edits, {10, 14}, &def_.variables);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->message_id, 61450);
  EXPECT_EQ(Var(10).format.calc_mode, 0);

  edits.formula_text = "*2";
  ASSERT_FALSE(ApplyFormatEdits(edits, {10, 14}, &def_.variables));
  EXPECT_EQ(Var(10).format.calc_mode, 1);
  EXPECT_EQ(Var(14).format.formula, "*2");

  // A stored mode 2 with the same formula stays 2; a new formula makes it 1.
  Var(10).format.calc_mode = 2;
  ASSERT_FALSE(ApplyFormatEdits(edits, {10}, &def_.variables));
  EXPECT_EQ(Var(10).format.calc_mode, 2);
  edits.formula_text = "*3";
  ASSERT_FALSE(ApplyFormatEdits(edits, {10}, &def_.variables));
  EXPECT_EQ(Var(10).format.calc_mode, 1);

  edits.formula = TriState::kOff;
  ASSERT_FALSE(ApplyFormatEdits(edits, {10}, &def_.variables));
  EXPECT_EQ(Var(10).format.calc_mode, 0);
  EXPECT_EQ(Var(10).format.formula, "");

  // A disabled (not allowed) formula check is never applied, even when bad.
  const SelectionView view = MergeSelection(def_.variables, dict_, {14, 30});
  EXPECT_FALSE(view.formula_allowed);
  edits.apply_formula = false;
  edits.formula = TriState::kOn;
  edits.formula_text = "*";
  EXPECT_FALSE(ApplyFormatEdits(edits, {30}, &def_.variables));
  EXPECT_EQ(Var(30).format.calc_mode, 0);
}

TEST_F(SheetLogicTest, StandardKeepsSuppressZero) {
  FormatEdits edits;
  edits.flags.fill(TriState::kMixed);
  edits.formula = TriState::kOn;
  ResetFormatEditsToStandard(&edits);
  EXPECT_EQ(edits.integer_digits, "5");
  EXPECT_EQ(edits.decimal_digits, "3");
  EXPECT_EQ(At(edits.flags, FormatFlag::kModal), TriState::kOn);
  EXPECT_EQ(At(edits.flags, FormatFlag::kDecimalPoint), TriState::kOff);
  EXPECT_EQ(At(edits.flags, FormatFlag::kResetAtFileHead), TriState::kOff);
  EXPECT_EQ(At(edits.flags, FormatFlag::kSuppressZero), TriState::kMixed);
  EXPECT_EQ(edits.formula, TriState::kOff);
}

TEST_F(SheetLogicTest, VariableListsByKindAndUse) {
  auto labels = [](const std::vector<VariableListItem>& items) {
    std::string out;
    for (const auto& item : items) out += item.label + ",";
    return out;
  };
  VariableSetting orphan;  // an id the dictionary lacks
  orphan.id = 7;
  def_.variables.Put(orphan);
  EXPECT_EQ(labels(ListVariables(def_.variables, dict_, false, false, {})),
            "FEED,G_ARC,SPINDLE,TOOL_NO,USER_CALC1,USER_CALC2,USER_IN1,USER_IN2,X_CORD, _7,");
  EXPECT_EQ(labels(ListVariables(def_.variables, dict_, true, false, {})),
            "FEED,SPINDLE,TOOL_NO,USER_CALC1,USER_CALC2,USER_IN1,USER_IN2,X_CORD, _7,");

  // A section that refers only to a text variable does not offer "used only".
  def_.sections.Find(1)->text = std::string("\xFF\x14\x00\x00\x00\n", 6);  // <G_ARC>
  std::vector<std::int32_t> used = UsedVariableIds(def_.sections);
  EXPECT_EQ(used, std::vector<std::int32_t>{20});
  EXPECT_FALSE(SectionsUseNumericVariable(def_.variables, dict_, used));
  def_.sections.Find(8)->text = std::string("G01\xFF\x0A\x00\x00\x00\n", 9);  // <X_CORD>
  used = UsedVariableIds(def_.sections);
  EXPECT_TRUE(SectionsUseNumericVariable(def_.variables, dict_, used));
  EXPECT_EQ(labels(ListVariables(def_.variables, dict_, true, true, used)), "X_CORD,");
  EXPECT_EQ(labels(ListVariables(def_.variables, dict_, false, true, used)), "G_ARC,X_CORD,");

  EXPECT_EQ(VariableInfoText(14, def_.variables, dict_), "送り速度");
  EXPECT_EQ(InternalCode(2101), " _2101");
  EXPECT_EQ(labels(ListUserVariables(def_.variables, dict_)),
            "USER_IN1,USER_IN2,USER_CALC1,USER_CALC2,");
}

TEST_F(SheetLogicTest, UserDefinedFieldsByKind) {
  UserEdits edits = UserEditsFrom(Var(2101));
  edits.first_text = "_2101 = _10 *";  // does not parse
  edits.every_time = false;
  auto refusal = ApplyUserEdits(edits, &Var(2101));
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->message_id, 61451);
  EXPECT_EQ(Var(2101).ask_mode, 2);  // nothing applied

  edits.first_text = "_2101 = _10 * 2;";
  edits.use_value = true;
  edits.second_text = "初期値は？";
  ASSERT_FALSE(ApplyUserEdits(edits, &Var(2101)));
  EXPECT_EQ(Var(2101).value, "_2101 = _10 * 2;");
  EXPECT_EQ(Var(2101).message, Utf8ToCp932("初期値は？"));
  EXPECT_EQ(Var(2101).ask_mode, 1);
  EXPECT_EQ(Var(2101).use_value, 1);

  edits.first_text = "";  // an empty formula stores none
  ASSERT_FALSE(ApplyUserEdits(edits, &Var(2101)));
  EXPECT_EQ(Var(2101).value, "");

  // An input variable: the first text is the message, the second the value;
  // its value is never parsed as a formula.
  UserEdits input = UserEditsFrom(Var(2001));
  EXPECT_EQ(input.first_text, "入力値１");
  input.second_text = "*(";
  input.use_value = true;
  ASSERT_FALSE(ApplyUserEdits(input, &Var(2001)));
  EXPECT_EQ(Var(2001).value, "*(");

  // Texts CP932 cannot hold and messages over 100 bytes are refused.
  input.first_text = "温度 \xF0\x9F\x94\xA5";
  refusal = ApplyUserEdits(input, &Var(2001));
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->control, "first_text");
  input.first_text = std::string(53, 'a') + "ああああああああああああああああああああああああ";
  refusal = ApplyUserEdits(input, &Var(2001));
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->text, "100 バイト以内で入力してください。");
  EXPECT_EQ(Var(2001).message, Utf8ToCp932("入力値１"));
  input.first_text = "?";  // a typed question mark is not a lost character
  EXPECT_FALSE(ApplyUserEdits(input, &Var(2001)));
}

TEST_F(SheetLogicTest, CodeTextsAreRefusedRatherThanCut) {
  auto refusal = ApplyCodeEdits({{"G00_CODE", "G0"}, {"G01_CODE", std::string(101, '1')}}, &def_);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->control, "G01_CODE");
  EXPECT_EQ(def_.codes.Text("G00_CODE"), "G00");  // nothing written
  ASSERT_FALSE(ApplyCodeEdits({{"G00_CODE", "Ｇ０"}}, &def_));
  EXPECT_EQ(def_.codes.Text("G00_CODE"), Utf8ToCp932("Ｇ０"));
}

TEST_F(SheetLogicTest, CoordinatePage) {
  def_.coordinate_mode.start_point = 3;
  def_.coordinate_mode.tool_position = 5;
  CoordinateEdits edits = CoordinateEditsFrom(def_);
  EXPECT_EQ(edits.start_point, 2);  // its own radio, not the second
  EXPECT_EQ(edits.tool_position, 1);
  edits.min_unit_digits = "4";
  ASSERT_FALSE(ApplyCoordinateEdits(edits, &def_));
  EXPECT_EQ(def_.coordinate_mode.start_point, 3);
  EXPECT_EQ(def_.coordinate_mode.tool_position, 5);  // a stored non-zero value stays
  EXPECT_EQ(def_.coordinate_mode.error_digits, 4);
  EXPECT_EQ(def_.min_unit_digits, 4);

  def_.coordinate_mode.start_point = 7;
  EXPECT_EQ(CoordinateEditsFrom(def_).start_point, 1);
  edits.min_unit_digits = "7";
  auto refusal = ApplyCoordinateEdits(edits, &def_);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->text, "0 から 6 までの整数を入力してください。");
  EXPECT_EQ(def_.min_unit_digits, 4);
}

TEST_F(SheetLogicTest, SplitPage) {
  def_.split_mode.methods = 0x80 | kSplitByCode;  // a bit the page does not show
  SplitEdits edits = SplitEditsFrom(def_);
  EXPECT_EQ(edits.rapid_feed, "10000");
  edits.methods = kSplitByMachiningLength;
  edits.machining_length = "70000";
  edits.rapid_feed = "2500.5";
  edits.name_source = 2;
  ASSERT_FALSE(ApplySplitEdits(edits, &def_));
  EXPECT_EQ(def_.split_mode.methods, 0x80 | kSplitByMachiningLength);
  EXPECT_EQ(def_.machining_length, 70000);
  EXPECT_EQ(def_.split_mode.machining_length, static_cast<std::int16_t>(70000 & 0xFFFF));
  EXPECT_EQ(def_.split_mode.name_source, 2);
  EXPECT_DOUBLE_EQ(def_.rapid_feed, 2500.5);

  edits.rapid_feed = "fast";
  auto refusal = ApplySplitEdits(edits, &def_);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->control, "rapid_feed");
  edits.rapid_feed = "1";
  edits.tape_length = "1.5";
  refusal = ApplySplitEdits(edits, &def_);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->control, "tape_length");

  EXPECT_FALSE(SerialNumberEnabled(0));
  EXPECT_FALSE(SerialNumberEnabled(1));
  EXPECT_TRUE(SerialNumberEnabled(2));
  EXPECT_TRUE(SerialNumberEnabled(5));
}

TEST_F(SheetLogicTest, SheetSettings) {
  SheetSettingsEdits edits = SheetSettingsEditsFrom(def_);
  EXPECT_EQ(edits.extension, 2);  // "inf", the new-definition default
  EXPECT_FALSE(ApplySheetSettingsEdits(edits, &def_));
  edits.output = 1;
  edits.extension = 0;
  edits.unit = 3;
  edits.to_spreadsheet = true;
  EXPECT_TRUE(ApplySheetSettingsEdits(edits, &def_));
  EXPECT_EQ(def_.process_sheet.Pack(), 0x00000001);
  EXPECT_EQ(def_.sheet_unit, 3);
  EXPECT_EQ(def_.sheet_to_spreadsheet, 1);
  edits.output = 2;  // to the database: no workbook
  EXPECT_TRUE(ApplySheetSettingsEdits(edits, &def_));
  EXPECT_EQ(def_.sheet_to_spreadsheet, 0);
  EXPECT_FALSE(SpreadsheetAllowed(1, 6));
}

TEST_F(SheetLogicTest, CodeListEntries) {
  dict_.Put({"A_VERY_LONG_NAME_" + std::string(60, 'X'), "long", 50, kKindNumber, 0,
             kDictInEveryDefinition});
  const auto entries = CodeListEntries(dict_);
  ASSERT_EQ(entries.size(), 10u);  // NOT_SET has no setting in definitions
  EXPECT_EQ(entries[0].shown.size(), kCodeListNameWidth);
  EXPECT_EQ(entries[0].tag, "<A_VERY_LONG_NAME_" + std::string(60, 'X') + ">");
  EXPECT_EQ(entries[1].shown, "FEED");
  EXPECT_EQ(entries[1].text, "送り速度");
  EXPECT_EQ(entries.back().tag, "<X_CORD>");
}

}  // namespace
}  // namespace tlv
