// Per-variable output formats and the user-defined variables of a
// definition.
#ifndef TLV_DEFINITION_VARIABLE_SETTING_H_
#define TLV_DEFINITION_VARIABLE_SETTING_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace tlv {

class VariableDictionary;

/// Longest message of a variable setting kept, in bytes.
inline constexpr std::size_t kMessageFieldSize = 100;

/// User-defined input variables (asked or fixed value).
inline constexpr std::int32_t kUserInputFirst = 2001;
inline constexpr std::int32_t kUserInputLast = 2010;
/// User-defined computed variables (calculation formula).
inline constexpr std::int32_t kUserComputedFirst = 2101;
inline constexpr std::int32_t kUserComputedLast = 2120;

inline bool IsUserInput(std::int32_t id) {
  return id >= kUserInputFirst && id <= kUserInputLast;
}
inline bool IsUserComputed(std::int32_t id) {
  return id >= kUserComputedFirst && id <= kUserComputedLast;
}

/// How a number is written.  The defaults are the real preset.
struct NumberFormat {
  std::uint8_t leading_zeros = 0;
  std::uint8_t trailing_zeros = 0;
  /// Write "+" before positive values.
  std::uint8_t plus_sign = 0;
  /// 0 no formula; 1 (or 2) `formula` applies to the value.
  std::uint8_t calc_mode = 0;
  /// Digits of the integer part, 1..8.
  std::uint32_t integer_digits = 5;
  /// Digits after the decimal point, 0..5.
  std::uint32_t decimal_digits = 3;
  /// Operator tail: the value a becomes "a = a" + formula + ";".  Stored in
  /// the file only when calc_mode != 0.
  std::string formula;
  /// Write as hours:minutes:seconds.
  std::uint8_t time_format = 0;
  /// Write a decimal point even with 0 decimal digits.
  std::uint8_t decimal_point_flag = 1;
  /// Write nothing when the value is 0.
  std::uint8_t suppress_zero = 0;

  /// 5 integer digits, 3 decimals, decimal point on.
  static NumberFormat RealPreset();
  /// 5 integer digits, no decimals, no decimal point.
  static NumberFormat IntegerPreset();

  friend bool operator==(const NumberFormat&, const NumberFormat&) = default;
};

/// One variable's settings in a definition.
struct VariableSetting {
  std::int32_t id = 0;
  /// Default message (dictionary text); for 2001..2010 the prompt when the
  /// value is asked, for 2101..2120 the prompt for the initial value.  CP932,
  /// at most kMessageFieldSize bytes.
  std::string message;
  /// 1 = no number format (text only).
  std::uint32_t text_only = 0;
  /// Output only when the value changed.
  std::uint8_t modal = 0;
  /// Kept and written unchanged.
  std::uint8_t flag_a = 1;
  /// 1 ask (2001..2010) or compute (2101..2120) only the first time;
  /// 2 every time.
  std::uint8_t ask_mode = 2;
  /// 2001..2010: the fixed value; 2101..2120: the calculation formula.
  /// Empty means none.  Written whole.
  std::string value;
  /// Clear the modal state at the head of each file (forced output).
  std::uint8_t reset_at_file_head = 0;
  /// 2001..2010: use the fixed value instead of asking; 2101..2120: ask
  /// for an initial value.
  std::uint8_t use_value = 0;
  /// Kept and written unchanged.
  std::uint8_t flag_b = 1;
  NumberFormat format;

  friend bool operator==(const VariableSetting&, const VariableSetting&) = default;
};

/// Variable id to setting, ascending id (the file order).
struct VariableSettingTable {
  std::map<std::int32_t, VariableSetting> settings;

  /// A setting for every dictionary entry with kDictInEveryDefinition:
  /// message = the entry's text, text_only = (kind is text), modal = the
  /// entry's modal default, the integer preset for integer kinds, else the
  /// real preset; every other field its default.
  static VariableSettingTable FromDictionary(const VariableDictionary& dict);

  /// The setting of `id`, or nullptr.
  const VariableSetting* Find(std::int32_t id) const;
  VariableSetting* Find(std::int32_t id);
  /// Replaces the setting of equal id, or adds it.
  void Put(VariableSetting setting);
  std::size_t size() const { return settings.size(); }

  friend bool operator==(const VariableSettingTable&, const VariableSettingTable&) = default;
};

}  // namespace tlv

#endif  // TLV_DEFINITION_VARIABLE_SETTING_H_
