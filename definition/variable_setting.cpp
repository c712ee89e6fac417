#include "definition/variable_setting.h"

#include "definition/variable_dictionary.h"

namespace tlv {

NumberFormat NumberFormat::RealPreset() { return NumberFormat(); }

NumberFormat NumberFormat::IntegerPreset() {
  NumberFormat format;
  format.decimal_digits = 0;
  format.decimal_point_flag = 0;
  return format;
}

VariableSettingTable VariableSettingTable::FromDictionary(
    const VariableDictionary& dict) {
  VariableSettingTable table;
  for (const auto& [id, entry] : dict.entries()) {
    if ((entry.flags & kDictInEveryDefinition) == 0) continue;
    VariableSetting setting;
    setting.id = id;
    setting.message = entry.text;
    setting.text_only = entry.kind == kKindText ? 1 : 0;
    setting.modal = static_cast<std::uint8_t>(entry.modal_default);
    setting.format = entry.kind == kKindInteger ? NumberFormat::IntegerPreset()
                                                : NumberFormat::RealPreset();
    table.settings.emplace(id, std::move(setting));
  }
  return table;
}

const VariableSetting* VariableSettingTable::Find(std::int32_t id) const {
  auto it = settings.find(id);
  return it == settings.end() ? nullptr : &it->second;
}

VariableSetting* VariableSettingTable::Find(std::int32_t id) {
  auto it = settings.find(id);
  return it == settings.end() ? nullptr : &it->second;
}

void VariableSettingTable::Put(VariableSetting setting) {
  std::int32_t id = setting.id;
  settings.insert_or_assign(id, std::move(setting));
}

}  // namespace tlv
