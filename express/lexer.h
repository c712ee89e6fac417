// Tokens of the Express language.
#ifndef TLV_EXPRESS_LEXER_H_
#define TLV_EXPRESS_LEXER_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "express/diagnostics.h"

namespace tlv {

/// Token codes.  The numbers are the language's own and appear in nothing
/// but debug output; the binary operators' codes are also their precedence
/// group (tens digit), see the precedence table in parser.cpp.
enum class TokenCode : int {
  kStar = 20,
  kSlash = 21,
  kPlus = 30,
  kMinus = 31,
  kLess = 40,
  kLessEqual = 41,
  kGreater = 42,
  kGreaterEqual = 43,
  kEqualEqual = 44,
  kNotEqual = 45,
  kAnd = 50,
  kOr = 60,
  kAssign = 70,
  kLeftParen = 100,
  kRightParen = 110,
  kComma = 120,
  kSemicolon = 130,
  kError = 150,
  kNumber = 200,
  kText = 210,
  kName = 300,
  kEnd = 999,
};

/// One token.  `text` is the token's source bytes; for a text literal the
/// literal's value (doubled quotes undone), for a name the name cut to
/// kExpressMaxText.  Valid until the next call of Lexer::Next.
struct Token {
  TokenCode code = TokenCode::kEnd;
  std::string_view text;
  double number = 0.0;
  std::size_t offset = 0;  ///< where the token starts in the source
};

/// Splits an Express text into tokens.  Reads nothing outside the text.
class Lexer {
 public:
  /// `diagnostics` receives the truncation warnings; may be null.
  Lexer(std::string_view source, Diagnostics* diagnostics);

  /// Reads the next token.  With `and_or_operators` the names AND and OR (in
  /// any case) are the operators kAnd and kOr; otherwise they are names.
  const Token& Next(bool and_or_operators);

  const Token& token() const { return token_; }
  /// Offset of the first byte not yet read.
  std::size_t position() const { return pos_; }
  std::string_view source() const { return source_; }

 private:
  void SkipBlanksAndComments();
  void ReadNumber();
  void ReadText();
  void ReadName(bool and_or_operators);

  std::string_view source_;
  std::size_t pos_ = 0;
  Token token_;
  std::string literal_;  // value of the last text literal
  Diagnostics* diagnostics_;
};

/// Length of the number at the start of `text` in the language's decimal
/// syntax (digits, an optional "." and digits, an optional exponent that is
/// only taken when digits follow); 0 when there is none.  `text` must start
/// with a digit or "." for a number to be found.
std::size_t ScanDecimal(std::string_view text);

/// Converts a text found by ScanDecimal.  Overflow gives infinity,
/// underflow 0.
double ConvertDecimal(std::string_view digits);

}  // namespace tlv

#endif  // TLV_EXPRESS_LEXER_H_
