#include "express/parser.h"

#include <algorithm>
#include <iterator>

#include "express/functions.h"
#include "express/lexer.h"

namespace tlv {
namespace {

// Binary operators by level, loosest first; a lower level binds tighter.
// Every level is left-associative.  Unary "+" and "-" (level 10) bind
// tighter than all of them: "-2 * -2" is (-2) * (-2).
struct BinaryOperator {
  TokenCode token;
  int level;
  Op op;
};
constexpr BinaryOperator kBinaryOperators[] = {
    {TokenCode::kOr, 70, Op::kOr},
    {TokenCode::kAnd, 60, Op::kAnd},
    {TokenCode::kLess, 50, Op::kLess},
    {TokenCode::kLessEqual, 50, Op::kLessEqual},
    {TokenCode::kGreater, 50, Op::kGreater},
    {TokenCode::kGreaterEqual, 50, Op::kGreaterEqual},
    {TokenCode::kEqualEqual, 50, Op::kEqual},
    {TokenCode::kNotEqual, 50, Op::kNotEqual},
    {TokenCode::kPlus, 40, Op::kAdd},
    {TokenCode::kMinus, 40, Op::kSubtract},
    {TokenCode::kStar, 30, Op::kMultiply},
    {TokenCode::kSlash, 30, Op::kDivide},
};
constexpr int kWholeExpression = 100;  // looser than every level

const BinaryOperator* FindBinaryOperator(TokenCode token) {
  for (const BinaryOperator& b : kBinaryOperators) {
    if (b.token == token) return &b;
  }
  return nullptr;
}

// What the parser knows of a value's type before anything is computed:
// literals and operator results are known, variables are not.
using StaticType = ValueType;  // kNone = unknown
constexpr StaticType kUnknown = ValueType::kNone;

class Parser {
 public:
  Parser(std::string_view text, Code* code, Diagnostics* diagnostics)
      : lexer_(text, diagnostics), code_(code), diagnostics_(diagnostics) {}

  bool ParseList();

 private:
  StaticType ParseExpression() { return ParseSubexpression(kWholeExpression); }
  StaticType ParseSubexpression(int limit);
  StaticType ParseUnary();
  StaticType ParsePrimary();
  StaticType ParseCall(std::string_view name);

  bool failed() const { return diagnostics_->failed(); }
  void Emit(Op op, std::uint32_t arg = 0, double number = 0.0);
  std::uint32_t NameIndex(std::string_view name);
  void Unexpected() {
    diagnostics_->Report(kExpressSyntaxError, "Express error: unexpected character '",
                         lexer_.token().text, "'");
  }
  // Guards the recursion: false (and an error) when nesting gets too deep.
  bool Enter() {
    if (++depth_ <= kExpressMaxNesting) return true;
    diagnostics_->Report(kExpressOutOfMemory, "Express error: out of memory");
    return false;
  }
  void Leave() { --depth_; }
  TokenCode token() const { return lexer_.token().code; }

  Lexer lexer_;
  Code* code_;
  Diagnostics* diagnostics_;
  int depth_ = 0;
  int height_ = 0;  // stack height the instructions so far leave
};

void Parser::Emit(Op op, std::uint32_t arg, double number) {
  code_->instructions.push_back({op, arg, number});
  switch (op) {
    case Op::kNumber:
    case Op::kText:
    case Op::kPi:
    case Op::kName: ++height_; break;
    case Op::kNegate:
    case Op::kIdentity: break;
    case Op::kCall:
      height_ -= GetFunctionInfo(static_cast<Function>(arg)).arity - 1;
      break;
    case Op::kEnd: --height_; break;
    default: --height_; break;  // binary
  }
  code_->max_stack = std::max(code_->max_stack, height_);
}

std::uint32_t Parser::NameIndex(std::string_view name) {
  auto& names = code_->names;
  const auto it = std::find(names.begin(), names.end(), name);
  if (it != names.end()) return static_cast<std::uint32_t>(it - names.begin());
  names.emplace_back(name);
  return static_cast<std::uint32_t>(names.size() - 1);
}

// list -> [ expression { ',' expression } ] [ ';' ]
bool Parser::ParseList() {
  lexer_.Next(false);
  if (token() == TokenCode::kEnd || token() == TokenCode::kSemicolon) {
    diagnostics_->Raise(kExpressEmpty);
    return !failed();
  }
  for (;;) {
    ParseExpression();
    if (failed()) return false;
    Emit(Op::kEnd);
    ++code_->expressions;
    if (token() != TokenCode::kComma) break;
    lexer_.Next(false);
  }
  if (token() != TokenCode::kSemicolon && token() != TokenCode::kEnd) {
    Unexpected();
    return false;
  }
  return true;
}

// subexpression -> unary { binop subexpression }   (binop looser than limit)
StaticType Parser::ParseSubexpression(int limit) {
  if (!Enter()) return kUnknown;
  StaticType left = ParseUnary();
  while (!failed()) {
    const BinaryOperator* binary = FindBinaryOperator(token());
    if (binary == nullptr || binary->level >= limit) break;
    lexer_.Next(true);  // "AND" right after an operator is an operator again
    const StaticType right = ParseSubexpression(binary->level);
    if (failed()) break;
    const bool comparison = binary->op == Op::kEqual || binary->op == Op::kNotEqual;
    const bool mismatch =
        comparison ? (left != kUnknown && right != kUnknown && left != right)
                   : (left == ValueType::kText || right == ValueType::kText);
    if (mismatch) {
      diagnostics_->Report(kExpressTypeMismatch, "Express error: Type mismatch error");
      break;
    }
    Emit(binary->op);
    left = ValueType::kNumber;
  }
  Leave();
  return left;
}

// unary -> ('+' | '-') unary | primary
StaticType Parser::ParseUnary() {
  const TokenCode sign = token();
  if (sign != TokenCode::kPlus && sign != TokenCode::kMinus) return ParsePrimary();
  if (!Enter()) return kUnknown;
  lexer_.Next(false);
  const StaticType operand = ParseUnary();
  Leave();
  if (failed()) return kUnknown;
  if (operand == ValueType::kText) {
    diagnostics_->Report(kExpressTypeMismatch, sign == TokenCode::kMinus
                                                   ? "Express error: Type mismatch error for unary '-'"
                                                   : "Express error: Type mismatch error for unary '+'");
    return kUnknown;
  }
  Emit(sign == TokenCode::kMinus ? Op::kNegate : Op::kIdentity);
  return operand == kUnknown ? kUnknown : ValueType::kNumber;
}

// primary -> number | text | '(' expression ')' | name '(' arguments ')' | name
StaticType Parser::ParsePrimary() {
  const Token& t = lexer_.token();
  switch (t.code) {
    case TokenCode::kNumber:
      Emit(Op::kNumber, 0, t.number);
      lexer_.Next(true);
      return ValueType::kNumber;
    case TokenCode::kText:
      code_->texts.emplace_back(t.text);
      Emit(Op::kText, static_cast<std::uint32_t>(code_->texts.size() - 1));
      lexer_.Next(true);
      return ValueType::kText;
    case TokenCode::kLeftParen: {
      lexer_.Next(false);
      const StaticType inner = ParseExpression();
      if (failed()) return kUnknown;
      if (token() != TokenCode::kRightParen) {
        diagnostics_->Report(kExpressSyntaxError, "Express error: Unmatched parenthesis('",
                             lexer_.token().text, "')");
        return kUnknown;
      }
      lexer_.Next(true);
      return inner;
    }
    case TokenCode::kName: {
      // Names are views of the source text, so this one outlives Next().
      const std::string_view name = t.text;
      lexer_.Next(true);
      if (token() == TokenCode::kLeftParen) return ParseCall(name);
      Emit(Op::kName, NameIndex(name));
      return kUnknown;
    }
    default:
      Unexpected();
      return kUnknown;
  }
}

// arguments -> expression [ ',' expression ]   (as many as the function takes)
StaticType Parser::ParseCall(std::string_view name) {
  Function function;
  if (!FindFunction(name, &function)) {
    diagnostics_->Report(kExpressSyntaxError, "Express error: Illegal function ", name);
    return kUnknown;
  }
  const FunctionInfo& info = GetFunctionInfo(function);
  if (!Enter()) return kUnknown;
  lexer_.Next(false);
  const StaticType first = ParseExpression();
  StaticType second = kUnknown;
  if (!failed() && info.arity == 2) {
    if (token() != TokenCode::kComma) {
      diagnostics_->Report(kExpressSyntaxError, "Express error: ", info.name, " needs 2 arguments");
    } else {
      lexer_.Next(false);
      second = ParseExpression();
    }
  }
  Leave();
  if (failed()) return kUnknown;
  if (token() != TokenCode::kRightParen) {
    diagnostics_->Report(kExpressSyntaxError, "Express error: Unmatched parenthesis ('",
                         info.name, "')");
    return kUnknown;
  }
  const char* mismatch = nullptr;
  if (info.arity == 1 && first != kUnknown && first != info.argument) {
    mismatch = "Express error: Type mismatch error for function ";
  } else if (info.arity == 2 && first != kUnknown && first != info.argument) {
    mismatch = "Express error: Type mismatch error for arg 1 of function ";
  } else if (info.arity == 2 && second != kUnknown && second != info.argument) {
    mismatch = "Express error: Type mismatch error for arg 2 of function ";
  }
  if (mismatch != nullptr) {
    diagnostics_->Report(kExpressTypeMismatch, mismatch, info.name);
    diagnostics_->Report(kExpressTypeMismatch, "Express error: function ", info.name);
    return kUnknown;
  }
  Emit(Op::kCall, static_cast<std::uint32_t>(function));
  lexer_.Next(true);
  return info.result;
}

}  // namespace

bool IsPiName(std::string_view name) { return EqualsIgnoringAsciiCase(name, "PI"); }

bool ParseExpressions(std::string_view text, Code* code, Diagnostics* diagnostics) {
  code->Clear();
  Parser parser(text, code, diagnostics);
  return parser.ParseList() && !diagnostics->failed();
}

}  // namespace tlv
