#include "editor/settings_sheet_logic.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "definition/post_definition.h"
#include "definition/section_decoder.h"
#include "definition/variable_dictionary.h"
#include "definition/variable_setting.h"
#include "editor/editor_context.h"
#include "express/express.h"
#include "platform/text_encoding.h"

namespace tlv {

namespace {

std::uint8_t* FlagField(VariableSetting* s, FormatFlag flag) {
  switch (flag) {
    case FormatFlag::kModal: return &s->modal;
    case FormatFlag::kResetAtFileHead: return &s->reset_at_file_head;
    case FormatFlag::kTimeFormat: return &s->format.time_format;
    case FormatFlag::kTrailingZeros: return &s->format.trailing_zeros;
    case FormatFlag::kLeadingZeros: return &s->format.leading_zeros;
    case FormatFlag::kPlusSign: return &s->format.plus_sign;
    case FormatFlag::kDecimalPoint: return &s->format.decimal_point_flag;
    case FormatFlag::kSuppressZero: return &s->format.suppress_zero;
  }
  return nullptr;
}

TriState Merge(bool first, TriState so_far, bool value) {
  TriState v = value ? TriState::kOn : TriState::kOff;
  if (first) return v;
  return so_far == v ? v : TriState::kMixed;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string DictName(std::int32_t id, const VariableDictionary& dict) {
  if (const DictionaryEntry* e = dict.FindById(id)) return Cp932ToUtf8(e->name);
  return InternalCode(id);
}

Refusal TextRefusal(std::string text, std::string control) {
  Refusal r;
  r.text = std::move(text);
  r.control = std::move(control);
  return r;
}

Refusal NumberedRefusal(int id, std::string control) {
  Refusal r;
  r.message_id = id;
  r.control = std::move(control);
  return r;
}

constexpr std::string_view kMsgNotCp932 =
    "この文字はファイルに保存できません (Shift-JIS で表せない文字が含まれています)。";

std::string TooLongText(std::size_t limit) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "%zu バイト以内で入力してください。", limit);
  return buf;
}

}  // namespace

bool GetFlag(const VariableSetting& setting, FormatFlag flag) {
  return *FlagField(const_cast<VariableSetting*>(&setting), flag) != 0;
}

void SetFlag(VariableSetting* setting, FormatFlag flag, bool on) {
  *FlagField(setting, flag) = on ? 1 : 0;
}

SelectionView MergeSelection(const VariableSettingTable& table,
                             const VariableDictionary& dict,
                             const std::vector<std::int32_t>& ids) {
  SelectionView view;
  view.flags.fill(TriState::kOff);
  bool first = true;
  bool same_int = true, same_dec = true, same_formula = true;
  std::uint32_t int_digits = 0, dec_digits = 0;
  std::string formula;
  for (std::int32_t id : ids) {
    const VariableSetting* s = table.Find(id);
    if (s == nullptr) continue;
    for (int f = 0; f < kFlagCount; ++f)
      view.flags[f] = Merge(first, view.flags[f], GetFlag(*s, static_cast<FormatFlag>(f)));
    view.formula = Merge(first, view.formula, s->format.calc_mode != 0);
    const std::string& tail = s->format.calc_mode != 0 ? s->format.formula : std::string();
    if (first) {
      int_digits = s->format.integer_digits;
      dec_digits = s->format.decimal_digits;
      formula = tail;
    } else {
      same_int = same_int && int_digits == s->format.integer_digits;
      same_dec = same_dec && dec_digits == s->format.decimal_digits;
      same_formula = same_formula && formula == tail;
    }
    const DictionaryEntry* e = dict.FindById(id);
    if (e != nullptr && (e->flags & kDictNoFormula) != 0) view.formula_allowed = false;
    first = false;
  }
  if (first) return view;  // nothing selected
  if (same_int) view.integer_digits = std::to_string(int_digits);
  if (same_dec) view.decimal_digits = std::to_string(dec_digits);
  if (same_formula) view.formula_text = Cp932ToUtf8(formula);
  return view;
}

bool DecimalPointEnabled(std::string_view decimal_digits_text) {
  std::string_view t = Trim(decimal_digits_text);
  int value = -1;
  auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  return !t.empty() && ec == std::errc() && ptr == t.data() + t.size() && value == 0;
}

std::optional<int> ParseIntInRange(std::string_view text, int min, int max,
                                   std::string_view control, Refusal* refusal) {
  std::string_view t = Trim(text);
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  long long value = 0;
  auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (t.empty() || ptr != t.data() + t.size() || ec == std::errc::invalid_argument) {
    *refusal = TextRefusal("整数を入力してください。", std::string(control));
    return std::nullopt;
  }
  if (ec == std::errc::result_out_of_range || value < min || value > max) {
    *refusal = TextRefusal(std::to_string(min) + " から " + std::to_string(max) +
                               " までの整数を入力してください。",
                           std::string(control));
    return std::nullopt;
  }
  return static_cast<int>(value);
}

bool IsValidFormatFormula(std::string_view tail) {
  std::string statement = "a = a";
  statement.append(tail);
  statement.push_back(';');
  ExpressProgram program;
  return program.Compile(statement, true) == 0;
}

bool IsValidUserFormula(std::string_view program_text) {
  if (program_text.empty()) return true;
  ExpressProgram program;
  return program.Compile(program_text, true) == 0;
}

bool ToCp932Exact(std::string_view utf8, std::string* cp932) {
  if (!IsValidUtf8(utf8)) return false;
  std::string converted = Utf8ToCp932(utf8);
  // The converter puts '?' for what CP932 lacks; a round trip tells those
  // apart from question marks the user typed.
  if (Cp932ToUtf8(converted) != utf8) return false;
  *cp932 = std::move(converted);
  return true;
}

std::optional<Refusal> ApplyFormatEdits(const FormatEdits& edits,
                                        const std::vector<std::int32_t>& ids,
                                        VariableSettingTable* table) {
  Refusal refusal;
  std::optional<int> int_digits, dec_digits;
  if (edits.apply_digits) {
    if (!Trim(edits.integer_digits).empty()) {
      int_digits = ParseIntInRange(edits.integer_digits, kIntegerDigitsMin,
                                   kIntegerDigitsMax, "integer_digits", &refusal);
      if (!int_digits) return refusal;
    }
    if (!Trim(edits.decimal_digits).empty()) {
      dec_digits = ParseIntInRange(edits.decimal_digits, kDecimalDigitsMin,
                                   kDecimalDigitsMax, "decimal_digits", &refusal);
      if (!dec_digits) return refusal;
    }
  }
  const bool write_formula = edits.apply_formula && edits.formula != TriState::kMixed;
  std::string tail;
  if (write_formula && edits.formula == TriState::kOn) {
    if (!ToCp932Exact(edits.formula_text, &tail) || !IsValidFormatFormula(tail))
      return NumberedRefusal(kEdMsgBadFormatFormula, "formula");
  }
  for (std::int32_t id : ids) {
    VariableSetting* s = table->Find(id);
    if (s == nullptr) continue;
    for (int f = 0; f < kFlagCount; ++f) {
      if (edits.flags[f] == TriState::kMixed) continue;
      SetFlag(s, static_cast<FormatFlag>(f), edits.flags[f] == TriState::kOn);
    }
    if (int_digits) s->format.integer_digits = static_cast<std::uint32_t>(*int_digits);
    if (dec_digits) s->format.decimal_digits = static_cast<std::uint32_t>(*dec_digits);
    if (write_formula) {
      if (edits.formula == TriState::kOn) {
        const bool keep_mode = s->format.calc_mode == 2 && s->format.formula == tail;
        if (!keep_mode) s->format.calc_mode = 1;
        s->format.formula = tail;
      } else {
        s->format.calc_mode = 0;
        s->format.formula.clear();
      }
    }
  }
  return std::nullopt;
}

void ResetFormatEditsToStandard(FormatEdits* edits) {
  edits->integer_digits = "5";
  edits->decimal_digits = "3";
  for (FormatFlag f : {FormatFlag::kTimeFormat, FormatFlag::kLeadingZeros,
                       FormatFlag::kTrailingZeros, FormatFlag::kPlusSign,
                       FormatFlag::kDecimalPoint, FormatFlag::kResetAtFileHead})
    At(edits->flags, f) = TriState::kOff;
  At(edits->flags, FormatFlag::kModal) = TriState::kOn;
  edits->formula = TriState::kOff;
}

void ResetVariableEditsToStandard(FormatEdits* edits) {
  At(edits->flags, FormatFlag::kModal) = TriState::kOn;
  At(edits->flags, FormatFlag::kResetAtFileHead) = TriState::kOff;
}

std::vector<std::int32_t> UsedVariableIds(const SectionTable& sections) {
  std::vector<std::int32_t> ids;
  for (int slot = 0; slot < sections.count; ++slot)
    CollectVariableIds(sections.Text(slot), &ids);
  std::sort(ids.begin(), ids.end());
  return ids;
}

bool IsNumericVariable(const VariableSetting& setting, const VariableDictionary& dict) {
  if (const DictionaryEntry* e = dict.FindById(setting.id)) return e->kind != kKindText;
  return setting.text_only != 1;
}

bool SectionsUseNumericVariable(const VariableSettingTable& table,
                                const VariableDictionary& dict,
                                const std::vector<std::int32_t>& used_ids) {
  for (std::int32_t id : used_ids) {
    const VariableSetting* s = table.Find(id);
    if (s != nullptr && IsNumericVariable(*s, dict)) return true;
    if (s == nullptr) {
      const DictionaryEntry* e = dict.FindById(id);
      if (e != nullptr && e->kind != kKindText) return true;
    }
  }
  return false;
}

std::vector<VariableListItem> ListVariables(
    const VariableSettingTable& table, const VariableDictionary& dict,
    bool numeric_only, bool used_only,
    const std::vector<std::int32_t>& used_ids) {
  struct Keyed {
    bool in_dict;
    std::string_view name;
    std::int32_t id;
  };
  std::vector<Keyed> keyed;
  for (const auto& [id, setting] : table.settings) {
    if (numeric_only && !IsNumericVariable(setting, dict)) continue;
    if (used_only && !std::binary_search(used_ids.begin(), used_ids.end(), id)) continue;
    const DictionaryEntry* e = dict.FindById(id);
    keyed.push_back({e != nullptr, e != nullptr ? std::string_view(e->name) : std::string_view(), id});
  }
  std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    if (a.in_dict != b.in_dict) return a.in_dict;
    if (a.name != b.name) return a.name < b.name;
    return a.id < b.id;
  });
  std::vector<VariableListItem> items;
  items.reserve(keyed.size());
  for (const Keyed& k : keyed) items.push_back({k.id, DictName(k.id, dict)});
  return items;
}

std::string VariableInfoText(std::int32_t id, const VariableSettingTable& table,
                             const VariableDictionary& dict) {
  if (const DictionaryEntry* e = dict.FindById(id)) return Cp932ToUtf8(e->text);
  if (const VariableSetting* s = table.Find(id)) return Cp932ToUtf8(s->message);
  return std::string();
}

std::string InternalCode(std::int32_t id) { return " _" + std::to_string(id); }

std::vector<VariableListItem> ListUserVariables(const VariableSettingTable& table,
                                                const VariableDictionary& dict) {
  std::vector<VariableListItem> items;
  for (const auto& [id, setting] : table.settings) {
    if (IsUserInput(id) || IsUserComputed(id)) items.push_back({id, DictName(id, dict)});
  }
  return items;  // the map is in ascending id: inputs first
}

UserEdits UserEditsFrom(const VariableSetting& setting) {
  UserEdits edits;
  edits.every_time = setting.ask_mode == 2;
  edits.use_value = setting.use_value != 0;
  if (IsUserComputed(setting.id)) {
    edits.first_text = Cp932ToUtf8(setting.value);
    edits.second_text = Cp932ToUtf8(setting.message);
  } else {
    edits.first_text = Cp932ToUtf8(setting.message);
    edits.second_text = Cp932ToUtf8(setting.value);
  }
  return edits;
}

std::optional<Refusal> ApplyUserEdits(const UserEdits& edits, VariableSetting* setting) {
  const bool computed = IsUserComputed(setting->id);
  const std::string_view message_utf8 = computed ? edits.second_text : edits.first_text;
  const std::string_view value_utf8 = computed ? edits.first_text : edits.second_text;
  const char* message_control = computed ? "second_text" : "first_text";
  const char* value_control = computed ? "first_text" : "second_text";
  std::string message, value;
  if (!ToCp932Exact(message_utf8, &message))
    return TextRefusal(std::string(kMsgNotCp932), message_control);
  if (message.size() > kMessageFieldSize)
    return TextRefusal(TooLongText(kMessageFieldSize), message_control);
  if (!ToCp932Exact(value_utf8, &value)) {
    if (computed) return NumberedRefusal(kEdMsgBadUserFormula, value_control);
    return TextRefusal(std::string(kMsgNotCp932), value_control);
  }
  if (computed && !IsValidUserFormula(value))
    return NumberedRefusal(kEdMsgBadUserFormula, value_control);
  setting->message = std::move(message);
  setting->value = std::move(value);
  setting->ask_mode = edits.every_time ? 2 : 1;
  setting->use_value = edits.use_value ? 1 : 0;
  return std::nullopt;
}

std::optional<Refusal> ApplyCodeEdits(const std::vector<CodeEdit>& edits,
                                      PostDefinition* def) {
  std::vector<std::string> texts;
  texts.reserve(edits.size());
  for (const CodeEdit& edit : edits) {
    std::string text;
    if (!ToCp932Exact(edit.text, &text)) return TextRefusal(std::string(kMsgNotCp932), edit.key);
    if (text.size() > kCodeFieldSize) return TextRefusal(TooLongText(kCodeFieldSize), edit.key);
    texts.push_back(std::move(text));
  }
  for (std::size_t i = 0; i < edits.size(); ++i) def->codes.Set(edits[i].key, texts[i]);
  return std::nullopt;
}

void CopySheetFields(const PostDefinition& from, PostDefinition* to) {
  SectionTable sections = std::move(to->sections);
  *to = from;
  to->sections = std::move(sections);
}

}  // namespace tlv
