// One variable of the engine: a numbered value (number or text) with its
// output format, its modal state and a second value slot for the process
// sheet.
#ifndef TLV_FORMAT_VARIABLE_H_
#define TLV_FORMAT_VARIABLE_H_

#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "format/format_calculation.h"
#include "format/number_format.h"

namespace tlv {

/// Special variable numbers the engine itself knows.
inline constexpr std::int32_t kVarCycleReturnCode = 22;
inline constexpr std::int32_t kVarPositionX = 32;
inline constexpr std::int32_t kVarSplitStart = 5000;
inline constexpr std::int32_t kVarSplitEnd = 5001;

/// User-defined input variables as the engine recognises them.
inline bool IsInputVariableNumber(std::int32_t n) { return n >= 2001 && n <= 2099; }
/// User-defined computed variables as the engine recognises them at output.
inline bool IsComputedVariableNumber(std::int32_t n) { return n > 2100; }
/// Computed variables that also move the tracked position after X, Y or Z.
inline bool IsPositionedComputedNumber(std::int32_t n) { return n >= 2101 && n <= 2120; }

/// True when two numbers are the same bit for bit, so that rounding or
/// formatting them gives the same result.
inline bool SameBits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

/// One value slot: the run slot or the process-sheet slot.
struct ValueSlot {
  double value = 0;
  std::string text;
  // The value after the format's calculation and its quantum (value at
  // output resolution), kept so that the same value is never run through
  // the calculation twice.  Valid while `cached`.
  bool cached = false;
  double calculated = 0;
  double quantum = 0;
};

/// A variable.  Plain data with the value operations; the table, the
/// coordinate words and the user-defined hooks live in VariableStore.
class Variable {
 public:
  Variable() = default;
  Variable(std::int32_t number, bool is_text, OutputFormat format);

  /// Replaces the format (and recompiles its calculation once).
  void SetFormat(OutputFormat format);
  const OutputFormat& format() const { return format_; }

  // Stores.  For numeric variables `changed` is raised (never cleared) when
  // the new value differs from the stored one at output resolution, unless
  // pinned or not modal; `has_value` follows the zero suppression.  Text
  // variables compare texts.
  void SetNumber(double v);
  void SetInteger(std::int32_t n);
  void AddNumber(double d);
  /// A numeric variable takes the decimal conversion of the first 30 bytes.
  void SetText(std::string_view text) {
    // A code stored again at every record, unchanged, is done here.
    if (is_text && text == slot().text) return;
    SetChangedText(text);
  }

  /// The numeric value; a text variable's leading number.  Clears pinned.
  double GetNumber() {
    pinned = false;
    return is_text ? TextAsNumber() : slot().value;
  }
  /// The text value (a numeric variable's "%lf" text) appended to `out`,
  /// cut to `max` bytes without splitting a double-byte character.  Clears
  /// pinned.
  void GetText(std::string* out, std::size_t max);
  /// The same as a fresh string (not for hot paths).
  std::string GetText(std::size_t max = 4096);

  /// Sets the modal state, only if modal and not pinned.
  void SetChanged(bool flag) {
    if (modal && !pinned) changed = flag;
  }
  /// 0 without a value; 1 when not modal; else the changed flag.  Clears
  /// pinned.  (The user-variable rule lives in VariableStore::IsDue.)
  int IsDueOwn() {
    pinned = false;
    if (!has_value) return 0;
    if (!modal) return 1;
    return changed ? 1 : 0;
  }

  /// The modal output rule: appends the printed text (cut to `max` bytes)
  /// and returns true when the variable is due; clears changed when it
  /// prints.  Clears pinned.
  bool FormatIfDueOwn(std::string* out, std::size_t max);
  /// The printed text without the modal and value tests; changed untouched.
  void FormatAlwaysOwn(std::string* out, std::size_t max);

  /// The printed value read back as a number; when the printed text holds
  /// no decimal point the number is multiplied by `factor`.
  double ValueAsPrinted(double factor);

  /// True when the output format runs a calculation on the value.
  bool has_calculation() const { return calculation_ != nullptr; }
  /// The quantum of `v` under this variable's format, calculation
  /// included: what the change detection compares.  Without a calculation
  /// the stored value's quantum and the last one asked for are reused, so
  /// the target and the tracked position compared at every move are each
  /// rounded once.
  double QuantumOf(double v) const {
    if (!calculation_) {
      const ValueSlot& s = slot();
      if (s.cached && SameBits(v, s.value)) return s.quantum;
      if (memo_valid_ && SameBits(v, memo_value_)) return memo_quantum_;
    }
    return NewQuantum(v);
  }

  /// If armed: copies the run slot into the sheet slot and disarms.
  void Snapshot();
  /// Copies the run slot into the sheet slot unconditionally.
  void CopyRunToSheet();

  ValueSlot& slot() { return use_sheet_slot ? sheet_ : run_; }
  const ValueSlot& slot() const { return use_sheet_slot ? sheet_ : run_; }
  const ValueSlot& run_slot() const { return run_; }
  const ValueSlot& sheet_slot() const { return sheet_; }

  std::int32_t number = 0;
  bool is_text = false;
  bool use_sheet_slot = false;
  bool snapshot_armed = false;
  /// Set by "&"/"$" on coordinate words; while set the changed flag stays.
  bool pinned = false;
  bool changed = true;
  bool has_value = true;
  bool modal = true;
  bool reset_at_file_head = false;

  // User-defined variables.
  std::string message;     ///< prompt text, CP932
  bool use_value = false;  ///< fixed value (input) / ask initial value (computed)
  int ask_mode = 2;        ///< 2 every time, 1 first time only, 0 done
  std::string user_value;  ///< fixed value text or formula, CP932

 private:
  /// Runs the format's calculation (if any).
  double Calculate(double v) const;
  /// The leading number of the text value.
  double TextAsNumber() const;
  /// QuantumOf for a value it has not kept.
  double NewQuantum(double v) const;
  void EnsureCached(ValueSlot& s) const;
  void StoreText(std::string_view text);
  /// SetText of a text that may differ from the stored one.
  void SetChangedText(std::string_view text);
  void Print(std::string* out, std::size_t max);

  OutputFormat format_;
  std::shared_ptr<FormatCalculation> calculation_;
  // The last value QuantumOf rounded and its quantum (format only, no
  // calculation); reset with the format.
  mutable bool memo_valid_ = false;
  mutable double memo_value_ = 0;
  mutable double memo_quantum_ = 0;
  ValueSlot run_;
  ValueSlot sheet_;
};

/// Appends "%lf" of `v` to `out`.
void AppendLf(double v, std::string* out);

}  // namespace tlv

#endif  // TLV_FORMAT_VARIABLE_H_
