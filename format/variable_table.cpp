// Building the job's variable table from the dictionary and the
// definition's variable settings.
#include <utility>

#include "definition/variable_dictionary.h"
#include "definition/variable_setting.h"
#include "format/variable_store.h"

namespace tlv {

OutputFormat OutputFormat::From(const NumberFormat& stored) {
  OutputFormat f;
  f.leading_zeros = stored.leading_zeros != 0;
  f.trailing_zeros = stored.trailing_zeros != 0;
  f.plus_sign = stored.plus_sign != 0;
  f.calc_mode = stored.calc_mode;
  // Stored as unsigned; anything absurd is clamped where digits are made.
  f.integer_digits = stored.integer_digits > 64 ? 64 : static_cast<int>(stored.integer_digits);
  f.decimal_digits = stored.decimal_digits > 9 ? 9 : static_cast<int>(stored.decimal_digits);
  if (stored.calc_mode != 0) f.formula = stored.formula;
  f.time_format = stored.time_format != 0;
  f.decimal_point = stored.decimal_point_flag != 0;
  f.suppress_zero = stored.suppress_zero != 0;
  return f;
}

void BuildVariableTable(const VariableDictionary& dict, const VariableSettingTable& settings,
                        VariableStore* store) {
  for (const auto& [id, entry] : dict.entries()) {
    if ((entry.flags & kDictInEveryDefinition) == 0) continue;
    Variable v(id, entry.kind == kKindText,
               entry.kind == kKindInteger ? OutputFormat::IntegerPreset()
                                          : OutputFormat::RealPreset());
    v.message = entry.text;
    v.modal = entry.modal_default != 0;
    store->Put(std::move(v));
  }
  for (const auto& [id, s] : settings.settings) {
    Variable v(id, s.text_only == 1, OutputFormat::From(s.format));
    v.modal = s.modal != 0;
    v.reset_at_file_head = s.reset_at_file_head != 0;
    v.message = s.message;
    v.use_value = s.use_value != 0;
    v.ask_mode = s.ask_mode;
    v.user_value = s.value;
    store->Put(std::move(v));
  }
}

}  // namespace tlv
