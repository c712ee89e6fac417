// The condition calculator of conditional blocks: evaluates the compiled
// text between "<IF>" (or "<ELSEIF>") and "<THEN>", variable markers
// included, as a flat list of terms reduced pass by pass.
#ifndef TLV_FORMAT_CONDITION_H_
#define TLV_FORMAT_CONDITION_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tlv {

class EngineOutput;
class VariableStore;

/// Most terms kept per parenthesis level; later ones are dropped.
inline constexpr int kMaxTermsPerLevel = 100;
/// Deepest nesting of parentheses and function arguments; deeper text
/// makes the condition false instead of exhausting the stack.
inline constexpr int kMaxConditionDepth = 64;

class ConditionEvaluator {
 public:
  /// `log` receives the invalid-operator message (may be null).
  ConditionEvaluator(VariableStore& store, EngineOutput* log);

  /// The value of the condition `text` (compiled bytes); 0.0 when it cannot
  /// be evaluated.  Any other value means true.
  ///
  /// **Example**: for the bytes of `<X> > 10 AND "G81" > "8"` with X 12 the
  /// result is 1.
  double Evaluate(std::string_view text);

 private:
  enum class Kind { kNumber, kText, kArith, kFunction, kConstant, kCompare, kLogic };
  struct Term {
    Kind kind = Kind::kNumber;
    int code = 0;
    double number = 0;
    std::string text;
  };
  struct Level {
    std::vector<Term> terms;
    int count = 0;
  };
  struct Stop {
    bool ok = false;
    std::size_t position = 0;  // where the level stopped (")" or the end)
  };

  /// Scans one level from `pos` to the end of `text` or a ")"; the reduced
  /// value goes to `*result`.
  Stop EvaluateLevel(std::string_view text, std::size_t pos, int depth, double* result,
                     std::string* text_result);
  /// Evaluates `text` as a level of its own (function arguments).
  bool EvaluateSpan(std::string_view text, int depth, double* result, std::string* text_result);
  bool Reduce(Level& level);

  Term* Add(Level& level, Kind kind, int code = 0);
  static void Erase(Level& level, int index);

  VariableStore& store_;
  EngineOutput* log_;
  std::vector<Level> levels_;
};

}  // namespace tlv

#endif  // TLV_FORMAT_CONDITION_H_
