// Evaluation of an expression text on its own, with variables answered by a
// lookup hook.  The program object (express.h) is built on the same parser and
// machine but resolves its variables at compile time.
#ifndef TLV_EXPRESS_EVALUATE_H_
#define TLV_EXPRESS_EVALUATE_H_

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "express/value.h"

namespace tlv {

/// How far an evaluation goes.
enum class EvalMode {
  kEvaluate = 0,   ///< compute the values
  kCheckOnly = 1,  ///< parse and check the types that are known; compute nothing
};

/// Outcome of Evaluate: how many values were produced and the final status.
struct EvaluateResult {
  int count = 0;
  int status = kExpressOk;
};

/// Options of Evaluate beyond the text and the result slots.
struct EvaluateOptions {
  EvalMode mode = EvalMode::kEvaluate;
  /// Answers variable names.  Without a hook only PI is known and any other
  /// name ends the evaluation with kExpressSyntaxError.  Never called in
  /// check-only mode.
  LookupHook lookup;
  /// Receives the diagnostic texts; may be empty.
  DiagnosticHook diagnostic;
  /// Check-only mode: when set, every variable name the text reads (each
  /// once, in order of first appearance, case-sensitive, PI in any case
  /// excluded) is appended here.
  std::vector<std::string>* names = nullptr;
};

/// Evaluates `text`: one or more expressions separated by "," and ended by
/// ";" or the end of the text.  Each expression that produces a value stores
/// it in the next slot of `results` (an expression without value, such as a
/// division by zero, takes no slot); `count` is the number of slots filled.
/// In check-only mode every expression that passes counts as one value of
/// type kNone.
///
/// An empty text (blanks and comments only) gives kExpressEmpty and no value.
/// An empty `results` fails at once with kExpressInvalidArguments; more
/// expressions than slots end with kExpressInvalidArguments as well.
/// Never reads outside `text`, whatever it holds.
///
/// **Example**: Evaluate("1 + 2 * 3 > 6 AND 1", slots) gives count 1 and
/// slots[0] the number 1.
EvaluateResult Evaluate(std::string_view text, std::span<Value> results,
                        const EvaluateOptions& options = {});

}  // namespace tlv

#endif  // TLV_EXPRESS_EVALUATE_H_
