// What the NC format settings sheet decides, without any widget: the check
// states shown for a selection of several variables, what "適用" and "標準"
// write, the digit limits, the formula checks, the user-defined variables and
// the lists of variables the pages offer.  The widgets in settings_sheet.cpp
// only move values between these structures and their controls.
//
// Texts that come from or go to a control are UTF-8; the model holds CP932.
#ifndef TLV_EDITOR_SETTINGS_SHEET_LOGIC_H_
#define TLV_EDITOR_SETTINGS_SHEET_LOGIC_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tlv {

class VariableDictionary;
struct PostDefinition;
struct SectionTable;
struct VariableSetting;
struct VariableSettingTable;

/// A check that may stand for several variables at once.
enum class TriState : std::uint8_t { kOff, kOn, kMixed };

/// The per-variable switches the list pages and the output-format dialog
/// offer.  ORDER matters only for kFlagCount.
enum class FormatFlag : int {
  kModal,            // "ﾓｰﾀﾞﾙﾊﾟﾗﾒｰﾀ"
  kResetAtFileHead,  // "ﾌｧｲﾙの先頭でﾓｰﾀﾞﾙ状態をｸﾘｱ(強制出力)"
  kTimeFormat,       // "時間書式 （時:分:秒）"
  kTrailingZeros,    // "0を末尾に付ける"
  kLeadingZeros,     // "0を先頭に付ける"
  kPlusSign,         // "正時＋を付ける"
  kDecimalPoint,     // "小数点を付ける"
  kSuppressZero,     // "０ の時は出力しない｡"
};
inline constexpr int kFlagCount = 8;

using FlagStates = std::array<TriState, kFlagCount>;

inline TriState& At(FlagStates& flags, FormatFlag f) {
  return flags[static_cast<int>(f)];
}
inline TriState At(const FlagStates& flags, FormatFlag f) {
  return flags[static_cast<int>(f)];
}

bool GetFlag(const VariableSetting& setting, FormatFlag flag);
void SetFlag(VariableSetting* setting, FormatFlag flag, bool on);

/// Limits of the digit edits.
inline constexpr int kIntegerDigitsMin = 1;
inline constexpr int kIntegerDigitsMax = 8;
inline constexpr int kDecimalDigitsMin = 0;
inline constexpr int kDecimalDigitsMax = 5;

/// What the checks and edits of the variable and format pages show for the
/// selected variables.
struct SelectionView {
  /// kMixed where the selected variables differ.
  FlagStates flags{};
  /// The digits as the edits show them: the common value, or "" when the
  /// selected variables differ.
  std::string integer_digits;
  std::string decimal_digits;
  /// On where a formula is given (calcMode != 0).
  TriState formula = TriState::kOff;
  /// The common formula tail (UTF-8), or "" when the formulas differ.
  std::string formula_text;
  /// False when a selected variable's dictionary entry forbids formulas: the
  /// formula check is then disabled and never applied.
  bool formula_allowed = true;
};

/// Merges the settings of `ids` (ids without a setting are skipped).  An
/// empty selection shows every check off and empty edits.
SelectionView MergeSelection(const VariableSettingTable& table,
                             const VariableDictionary& dict,
                             const std::vector<std::int32_t>& ids);

/// "小数点を付ける" is offered only while the decimal digits edit holds 0.
bool DecimalPointEnabled(std::string_view decimal_digits_text);

/// The controls of a list page as the user left them, for "適用".
struct FormatEdits {
  /// kMixed leaves the flag of each variable as it is.  Flags a page does
  /// not show are kMixed.
  FlagStates flags{};
  /// Whether the digit edits take part (page 4 and the output-format
  /// dialog); an empty edit leaves the digits as they are.
  bool apply_digits = false;
  std::string integer_digits;
  std::string decimal_digits;
  /// kMixed, or a formula check that is disabled, leaves the formula alone.
  bool apply_formula = false;
  TriState formula = TriState::kMixed;
  /// The formula tail (UTF-8).
  std::string formula_text;
};

/// Why "適用" or OK was refused: a numbered editor message (61450, 61451) or
/// a text of its own, and which control is at fault.
struct Refusal {
  int message_id = 0;
  /// UTF-8; empty when message_id names the text.
  std::string text;
  /// Name of the control to give the focus ("integer_digits", ...).
  std::string control;
};

/// Parses an integer edit within [min, max].  nullopt and a Refusal with the
/// range message ("1 から 8 までの整数を入力してください。") when the text is
/// not a whole number or out of range.
std::optional<int> ParseIntInRange(std::string_view text, int min, int max,
                                   std::string_view control, Refusal* refusal);

/// The number-format formula check: "a = a" + tail + ";" must compile with
/// the expression evaluator.  `tail` is CP932.
bool IsValidFormatFormula(std::string_view tail);

/// The user-defined formula check: the program text must compile as it
/// stands.  An empty text is valid (no formula).  CP932.
bool IsValidUserFormula(std::string_view program);

/// UTF-8 to CP932 without loss: false when the text holds a character that
/// CP932 cannot hold (nothing is ever replaced silently).
bool ToCp932Exact(std::string_view utf8, std::string* cp932);

/// "適用": checks everything first (digits in range, then the formula, whose
/// failure is 61450), and only then writes to every selected variable each
/// flag that is not kMixed, the digits whose edits are not empty, and the
/// formula: on sets calcMode 1 with the tail (a stored calcMode 2 with the
/// same tail is kept, the mode in which the run keeps the formula for the
/// user-defined processing), off sets calcMode 0 and drops the tail.  On a
/// refusal nothing is written.
std::optional<Refusal> ApplyFormatEdits(const FormatEdits& edits,
                                        const std::vector<std::int32_t>& ids,
                                        VariableSettingTable* table);

/// "標準" on the format page: digits 5 and 3; time format, leading and
/// trailing zeros, plus sign, decimal point and the reset at the file head
/// off; modal on; formula off.  "０ の時は出力しない｡" keeps its state.
void ResetFormatEditsToStandard(FormatEdits* edits);
/// "標準" on the variable page: modal on, reset at the file head off.
void ResetVariableEditsToStandard(FormatEdits* edits);

/// One entry of a variable list.
struct VariableListItem {
  std::int32_t id = 0;
  /// The dictionary name (UTF-8), or " _<id>" for an id the dictionary lacks.
  std::string label;
};

/// The ids the compiled sections refer to, ascending.
std::vector<std::int32_t> UsedVariableIds(const SectionTable& sections);

/// True when a setting is of a numeric kind: the dictionary kind is not text;
/// for an id the dictionary lacks, the setting is not text-only.
bool IsNumericVariable(const VariableSetting& setting,
                       const VariableDictionary& dict);

/// True when the sections use a numeric variable ("利用変数のみ" is offered
/// only then).
bool SectionsUseNumericVariable(const VariableSettingTable& table,
                                const VariableDictionary& dict,
                                const std::vector<std::int32_t>& used_ids);

/// The variables of the table, ordered by name (bytes of the CP932 name, ids
/// without a dictionary entry last by id); numeric ones only with
/// `numeric_only`; those in `used_ids` only with `used_only`.
std::vector<VariableListItem> ListVariables(
    const VariableSettingTable& table, const VariableDictionary& dict,
    bool numeric_only, bool used_only,
    const std::vector<std::int32_t>& used_ids);

/// The dictionary text of `id` ("コード情報"), UTF-8; the setting's message
/// when the dictionary lacks the id.
std::string VariableInfoText(std::int32_t id, const VariableSettingTable& table,
                             const VariableDictionary& dict);

/// The internal code of a variable as formulas write it: " _<id>".
std::string InternalCode(std::int32_t id);

/// The user-defined variables of the table (2001..2010, then 2101..2120),
/// labelled by dictionary name.
std::vector<VariableListItem> ListUserVariables(const VariableSettingTable& table,
                                                const VariableDictionary& dict);

/// The controls of the "ﾕｰｻﾞ定義" page for one variable (UTF-8).  For an
/// input variable `first_text` is the message and `second_text` the fixed
/// value; for a computed one `first_text` is the formula and `second_text`
/// the message.
struct UserEdits {
  std::string first_text;
  /// "都度入力が必要" / "都度計算を実行": askMode 2, else 1.
  bool every_time = true;
  /// "固定値を設定" / "初期値を入力".
  bool use_value = false;
  std::string second_text;
};

/// The page's view of the setting.
UserEdits UserEditsFrom(const VariableSetting& setting);

/// "適用" of the user-defined page: converts the texts (a character CP932
/// cannot hold, or a message over 100 bytes, refuses); for a computed
/// variable checks the formula (61451).  On a refusal nothing is written.
std::optional<Refusal> ApplyUserEdits(const UserEdits& edits,
                                      VariableSetting* setting);

/// The code texts of pages 1 and 2: each edit's text (UTF-8) to the table.
/// Refuses a text CP932 cannot hold or over 100 bytes, naming the key as the
/// control; nothing is written then.
struct CodeEdit {
  std::string key;
  std::string text;
};
std::optional<Refusal> ApplyCodeEdits(const std::vector<CodeEdit>& edits,
                                      PostDefinition* def);

/// Copies what the NC format sheet edits (the mode fields, the code table and
/// the variable settings; not the sections) from `from` to `to`.
void CopySheetFields(const PostDefinition& from, PostDefinition* to);

}  // namespace tlv

#endif  // TLV_EDITOR_SETTINGS_SHEET_LOGIC_H_
