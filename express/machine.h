// The Express evaluator: runs Code on a value stack.
#ifndef TLV_EXPRESS_MACHINE_H_
#define TLV_EXPRESS_MACHINE_H_

#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "express/code.h"
#include "express/diagnostics.h"
#include "express/value.h"

namespace tlv {

/// Deepest chain of formula variables read through one another.
inline constexpr int kExpressMaxFormulaDepth = 32;

/// Where the values of names come from.
struct Environment {
  /// Values by symbol slot, for Code that has been linked (Code::slots).
  std::span<const Value> slots;
  /// Asked for the names of unlinked Code; may be null.
  const LookupHook* lookup = nullptr;
};

/// Runs compiled expressions.  Keeps its stack between runs, so running the
/// same Code again does not allocate.
class Machine {
 public:
  Machine();
  ~Machine();

  /// Runs `code` and stores the value of each expression that has one in the
  /// next slot of `results`.  Returns the number of slots filled; the status
  /// goes to `diagnostics` (the run stops at the first error).
  int Run(const Code& code, std::span<Value> results, const Environment& environment,
          Diagnostics* diagnostics);

 private:
  int RunAt(const Code& code, std::size_t base, std::span<Value> results);
  void PushName(const Code& code, std::uint32_t index, std::size_t at);
  void PushLookup(std::string_view name, std::size_t at);
  void PushFormula(std::string_view name, std::string_view formula, std::size_t at);
  void ApplyBinary(Op op, Value& left, const Value& right);

  std::vector<Value> stack_;
  // Names of the formulas being evaluated, innermost last.
  std::vector<std::string_view> evaluating_;
  // Parsed formula text and its result, one per formula depth.
  std::vector<std::unique_ptr<Code>> formula_code_;
  std::vector<Value> formula_result_;
  const Environment* environment_ = nullptr;
  Diagnostics* diagnostics_ = nullptr;
};

}  // namespace tlv

#endif  // TLV_EXPRESS_MACHINE_H_
