#include "express/functions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "express/lexer.h"

namespace tlv {
namespace {

// Degrees are converted with these factors exactly (not with a computed
// pi / 180), so that results match to the last bit, e.g. SIN(30) is
// 0.49999999999999994 rather than 0.5.
constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr double kDegreesPerRadian = 57.29577951308232;

constexpr ValueType kNum = ValueType::kNumber;
constexpr ValueType kTxt = ValueType::kText;

// ORDER FUNCTION
constexpr FunctionInfo kFunctions[] = {
    {"SIN", 1, kNum, kNum},   {"COS", 1, kNum, kNum},  {"TAN", 1, kNum, kNum},
    {"ASIN", 1, kNum, kNum},  {"ACOS", 1, kNum, kNum}, {"ATAN", 1, kNum, kNum},
    {"SQRT", 1, kNum, kNum},  {"ABS", 1, kNum, kNum},  {"ATAN2", 2, kNum, kNum},
    {"POW", 2, kNum, kNum},   {"VAL", 1, kTxt, kNum},  {"STR", 1, kNum, kTxt},
};
static_assert(std::size(kFunctions) == static_cast<std::size_t>(Function::kCount),
              "function table must match enum Function");

// Computes a numeric function of numeric arguments; false on a domain error.
bool Compute(Function function, double x, double y, double* out) {
  switch (function) {
    case Function::kSin: *out = std::sin(x * kRadiansPerDegree); return true;
    case Function::kCos: *out = std::cos(x * kRadiansPerDegree); return true;
    case Function::kTan: {
      // Undefined where the angle is an odd multiple of 90 degrees; fmod keeps
      // the sign, so both +90 and -90 can come out.
      const double rest = std::fmod(x, 180.0);
      if (rest == 90.0 || rest == -90.0) return false;
      *out = std::tan(x * kRadiansPerDegree);
      return true;
    }
    case Function::kAsin:
      if (x < -1.0 || x > 1.0) return false;
      *out = std::asin(x) * kDegreesPerRadian;
      return true;
    case Function::kAcos:
      if (x < -1.0 || x > 1.0) return false;
      *out = std::acos(x) * kDegreesPerRadian;
      return true;
    case Function::kAtan: *out = std::atan(x) * kDegreesPerRadian; return true;
    case Function::kSqrt:
      if (x < 0.0) return false;
      *out = std::sqrt(x);
      return true;
    case Function::kAbs: *out = std::fabs(x); return true;
    case Function::kAtan2:  // ATAN2(y, x): x here is y, y is x
      if (x == 0.0 && y == 0.0) return false;
      *out = std::atan2(x, y) * kDegreesPerRadian;
      return true;
    case Function::kPow:
      // 0 to a negative power and a negative base to a fractional power have
      // no real value; C++ would give infinity or NaN.
      if (x == 0.0 && y < 0.0) return false;
      if (x < 0.0 && y != std::floor(y)) return false;
      *out = std::pow(x, y);
      return true;
    case Function::kVal:
    case Function::kStr:
    case Function::kCount: break;
  }
  return false;
}

void ReportFailure(Function function, int code, std::string_view what, std::string_view tail,
                   Diagnostics* diagnostics) {
  const std::string_view name = GetFunctionInfo(function).name;
  diagnostics->Report(code, what, name, tail);
  diagnostics->Report(code, "Express error: function ", name);
}

}  // namespace

const FunctionInfo& GetFunctionInfo(Function function) {
  return kFunctions[static_cast<std::size_t>(function)];
}

bool FindFunction(std::string_view name, Function* function) {
  for (std::size_t i = 0; i < std::size(kFunctions); ++i) {
    if (EqualsIgnoringAsciiCase(name, kFunctions[i].name)) {
      *function = static_cast<Function>(i);
      return true;
    }
  }
  return false;
}

double LeadingDecimal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::string_view rest = text.substr(i);
  const std::size_t length = ScanDecimal(rest);
  if (length == 0) return 0.0;
  const double value = ConvertDecimal(rest.substr(0, length));
  return negative ? -value : value;
}

void ApplyFunction(Function function, const Value& a, const Value& b, Value* result,
                   Diagnostics* diagnostics) {
  const FunctionInfo& info = GetFunctionInfo(function);
  if (info.arity == 1) {
    if (a.type == ValueType::kNone) return result->SetNone();
    if (a.type != info.argument) {
      ReportFailure(function, kExpressTypeMismatch,
                    "Express error: Type mismatch error for function ", {}, diagnostics);
      return result->SetNone();
    }
  } else {
    if (a.type == ValueType::kText) {
      ReportFailure(function, kExpressTypeMismatch,
                    "Express error: Type mismatch error for arg 1 of function ", {}, diagnostics);
      return result->SetNone();
    }
    if (b.type == ValueType::kText) {
      ReportFailure(function, kExpressTypeMismatch,
                    "Express error: Type mismatch error for arg 2 of function ", {}, diagnostics);
      return result->SetNone();
    }
    if (a.type == ValueType::kNone || b.type == ValueType::kNone) return result->SetNone();
  }

  if (function == Function::kVal) return result->SetNumber(LeadingDecimal(a.text));
  if (function == Function::kStr) {
    // "%lf": six decimals.  The largest double needs 317 characters; the
    // value keeps its first 255 bytes.
    char buffer[400];
    const int n = std::snprintf(buffer, sizeof buffer, "%f", a.number);
    const std::size_t length = n < 0 ? 0 : std::min<std::size_t>(n, sizeof buffer - 1);
    return result->SetText(std::string_view(buffer, length));
  }
  double value = 0.0;
  if (!Compute(function, a.number, b.number, &value)) {
    ReportFailure(function, kExpressDomainError, "Express error: ", {}, diagnostics);
    return result->SetNone();
  }
  result->SetNumber(value);
}

}  // namespace tlv
