// The built-in functions of Express: SIN, COS, TAN, ASIN, ACOS, ATAN, SQRT,
// ABS, ATAN2, POW, VAL and STR.
#ifndef TLV_EXPRESS_FUNCTIONS_H_
#define TLV_EXPRESS_FUNCTIONS_H_

#include <string_view>

#include "express/diagnostics.h"
#include "express/value.h"

namespace tlv {

/// The functions, in the order names are matched.  ORDER FUNCTION: the table
/// in functions.cpp follows this order.
enum class Function : unsigned char {
  kSin,
  kCos,
  kTan,
  kAsin,
  kAcos,
  kAtan,
  kSqrt,
  kAbs,
  kAtan2,
  kPow,
  kVal,
  kStr,
  kCount,
};

/// What the parser needs to know of a function.
struct FunctionInfo {
  std::string_view name;  ///< canonical (upper-case) name
  int arity;              ///< 1 or 2
  ValueType argument;     ///< type every argument must have
  ValueType result;
};

const FunctionInfo& GetFunctionInfo(Function function);

/// Finds a function by name, ignoring ASCII case.  Returns false for a name
/// that is no function.
bool FindFunction(std::string_view name, Function* function);

/// Applies `function` to `a` (and `b` for two arguments) and stores the result
/// in `*result`, which may be `a` itself.  A type mismatch reports
/// kExpressTypeMismatch; a domain error (TAN of 90, SQRT of -1, ...) reports
/// kExpressDomainError and leaves no value; either also reports
/// "Express error: function NAME".  An argument without value gives a result
/// without value and no new status.
void ApplyFunction(Function function, const Value& a, const Value& b, Value* result,
                   Diagnostics* diagnostics);

/// The leading decimal number of `text` as VAL reads it: blanks skipped, an
/// optional sign, the longest decimal prefix; 0 when there is none.
double LeadingDecimal(std::string_view text);

}  // namespace tlv

#endif  // TLV_EXPRESS_FUNCTIONS_H_
