// Arbitrary bytes as compiled section text: expansion (with split markers
// that expand a split-file head from inside the section) and the condition
// calculator must never crash, overrun or hang.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "definition/section_table.h"
#include "definition/variable_dictionary.h"
#include "definition/variable_setting.h"
#include "format/engine_output.h"
#include "format/section_expander.h"
#include "format/user_variables.h"
#include "format/variable_store.h"

namespace {

using namespace tlv;

class FuzzOutput : public EngineOutput {
 public:
  void Write(std::string_view text, bool) override { bytes += text.size(); }
  void StartSplitFile() override {
    if (expander) expander->ExpandSection(15);
  }
  void EndSplitFile() override {
    if (expander) expander->ExpandSection(16);
  }
  void Log(std::string_view) override {}
  void Print(std::string_view) override {}
  SectionExpander* expander = nullptr;
  std::size_t bytes = 0;
};

VariableDictionary Dictionary() {
  VariableDictionary dict;
  auto put = [&](std::int32_t id, std::int32_t kind, int modal) {
    DictionaryEntry e;
    e.name = "V" + std::to_string(id);
    e.id = id;
    e.kind = kind;
    e.modal_default = modal;
    e.flags = kDictInEveryDefinition;
    dict.Put(e);
  };
  for (std::int32_t id : {10, 11, 12, 14, 32, 33, 34, 51, 52, 53, 103, 123, 1720, 1723, 2001})
    put(id, kKindNumber, 1);
  for (std::int32_t id : {19, 22, 2002, 5000, 5001}) put(id, kKindText, 1);
  put(60, kKindInteger, 0);
  return dict;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const VariableDictionary dict = Dictionary();
  std::uint8_t flags = size > 0 ? data[0] : 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (size > 0) text.remove_prefix(1);

  VariableSettingTable settings;
  VariableSetting computed;
  computed.id = 2101;
  computed.value = "_2101 = _10 * 2 + _2101;";
  computed.ask_mode = static_cast<std::uint8_t>(flags & 3);
  computed.modal = 1;
  settings.Put(computed);
  VariableSetting formatted;
  formatted.id = 14;
  formatted.modal = 1;
  formatted.format.calc_mode = 1;
  formatted.format.formula = "/25.4";
  formatted.format.suppress_zero = 1;
  formatted.format.leading_zeros = 1;
  formatted.format.integer_digits = 200;  // absurd widths are clamped
  settings.Put(formatted);

  VariableStore store;
  BuildVariableTable(dict, settings, &store);
  FuzzOutput output;
  SectionExpander expander(store, output);
  output.expander = &expander;
  UserVariables user(store, nullptr, output);

  SectionTable sections = SectionTable::Empty();
  sections.Find(8)->text = std::string(text);
  sections.Find(15)->text = std::string(text);
  sections.Find(16)->text = std::string(text.substr(0, text.size() / 2));
  expander.set_sections(&sections);
  ExpansionSettings s;
  s.split_by_code = (flags & 4) != 0;
  s.delete_null_line = (flags & 8) != 0;
  expander.set_settings(s);
  CoordinateSettings c;
  c.output_setting = (flags >> 4) & 3;
  c.tool_centre = (flags & 64) != 0;
  store.SetCoordinateSettings(c);
  store.Lookup(51)->SetNumber(12.5);
  store.Lookup(19)->SetText("G99");

  expander.ExpandSection(8);
  expander.ExpandSection(8);
  expander.ExpandSection(18);
  expander.EvaluateCondition(text);
  return 0;
}
