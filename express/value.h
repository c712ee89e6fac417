// Values, status codes and the two hooks through which Express talks to its
// host: the variable lookup and the diagnostic sink.
#ifndef TLV_EXPRESS_VALUE_H_
#define TLV_EXPRESS_VALUE_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tlv {

/// Longest name or text Express keeps, in bytes.  Longer names and text
/// literals are cut (with a warning); a double-byte character is never split.
inline constexpr std::size_t kExpressMaxText = 255;

/// Status of an evaluation.  Each step raises the status to the largest value
/// seen; positive codes are warnings or soft conditions (the evaluation goes
/// on), a negative code is an error that ends the evaluation at once and is
/// never replaced.  See RaiseExpressStatus.
enum ExpressStatus : int {
  kExpressOk = 0,
  kExpressEmpty = 5,               ///< empty expression, or a variable without value
  kExpressUndefinedValue = 10,     ///< a variable without value was read
  kExpressUnknownVariable = 20,    ///< the lookup hook does not know the name
  kExpressDomainError = 30,        ///< division by zero, function domain
  kExpressSelfReference = -5,      ///< a formula reads itself
  kExpressTypeMismatch = -8,
  kExpressSyntaxError = -10,       ///< syntax error or unknown name/function
  kExpressInvalidArguments = -15,  ///< bad call (no result slot, ...)
  kExpressOutOfMemory = -20,       ///< also: nesting deeper than Express allows
};

/// The status after a step that reported `code`: an error already recorded
/// stays; a new error replaces any warning; otherwise the larger warning.
constexpr int RaiseExpressStatus(int current, int code) {
  if (current < 0) return current;
  if (code < 0) return code;
  return code > current ? code : current;
}

/// Type tag of a value.
enum class ValueType : unsigned char { kNone = 0, kNumber = 1, kText = 2 };

/// One Express value.  `text` holds at most kExpressMaxText bytes (CP932).
/// Assigning into an existing Value reuses its text capacity, so the
/// evaluator's stacks do not allocate once warmed up.
struct Value {
  ValueType type = ValueType::kNone;
  double number = 0.0;
  std::string text;

  bool is_number() const { return type == ValueType::kNumber; }
  bool is_text() const { return type == ValueType::kText; }
  void SetNone() { type = ValueType::kNone; }
  void SetNumber(double v) { type = ValueType::kNumber; number = v; }
  /// Stores `t` cut to kExpressMaxText bytes without splitting a character.
  void SetText(std::string_view t);
};

/// What the lookup hook answers for a name.
enum class LookupKind { kNumber = 0, kText = 1, kFormula = 2 };

/// The answer of a lookup hook.  `text` (a text value or a formula) must stay
/// valid until the hook is called again or the evaluation ends.  A text value
/// longer than kExpressMaxText bytes is cut; a formula is used whole.  An
/// empty formula means "no value".
struct LookupAnswer {
  LookupKind kind = LookupKind::kNumber;
  double number = 0.0;
  std::string_view text;
};

/// Asked for every variable name an evaluation reads (names are the CP932
/// bytes of the source, cut to kExpressMaxText).  Returns true and fills
/// `answer` when the name is known, false when it is not.
using LookupHook = std::function<bool(std::string_view name, LookupAnswer* answer)>;

/// Receives every warning and error text ("Express error: Dividing by zero",
/// "Express warning: long name is truncated[...]", ...).  The texts are ASCII
/// with the formula's own bytes (CP932) inserted where they name a token, a
/// function or a name; a host that shows them converts them.  Texts are only
/// built when a hook is set.
using DiagnosticHook = std::function<void(std::string_view text)>;

/// Length of the longest prefix of `text` of at most `limit` bytes that does
/// not end inside a CP932 double-byte character.
std::size_t Cp932PrefixLength(std::string_view text, std::size_t limit);

/// Compares two names with ASCII letters folded to upper case (PI, AND, OR
/// and function names are matched this way).
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

/// True for a CP932 lead byte (0x81-0x9F, 0xE0-0xFC).  Named apart from the
/// platform layer's helper so that a host may include both headers.
constexpr bool IsDoubleByteLead(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

/// True for a byte that can follow a lead byte (0x40-0x7E, 0x80-0xFC).
constexpr bool IsDoubleByteTrail(unsigned char c) {
  return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

}  // namespace tlv

#endif  // TLV_EXPRESS_VALUE_H_
