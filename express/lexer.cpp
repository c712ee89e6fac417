#include "express/lexer.h"

#include <charconv>
#include <limits>

namespace tlv {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// True when a double-byte character starts at `i` of `s`.
bool IsDoubleByteAt(std::string_view s, std::size_t i) {
  return i + 1 < s.size() && IsDoubleByteLead(static_cast<unsigned char>(s[i])) &&
         IsDoubleByteTrail(static_cast<unsigned char>(s[i + 1]));
}

}  // namespace

std::size_t ScanDecimal(std::string_view text) {
  std::size_t i = 0;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  // The exponent belongs to the number only when digits follow: "2e" is the
  // number 2 followed by the name e.
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) ++j;
      i = j;
    }
  }
  return i;
}

double ConvertDecimal(std::string_view digits) {
  double value = 0.0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                   std::chars_format::general);
  if (ec == std::errc()) return value;
  if (ec != std::errc::result_out_of_range) return 0.0;
  // Out of range: decide between overflow and underflow from the decimal
  // exponent of the first significant digit, as strtod would (HUGE_VAL or 0).
  long long exponent = 0;
  bool seen_significant = false;
  bool after_point = false;
  std::size_t i = 0;
  for (; i < digits.size() && digits[i] != 'e' && digits[i] != 'E'; ++i) {
    const char c = digits[i];
    if (c == '.') {
      after_point = true;
    } else if (!seen_significant && c == '0') {
      if (after_point) --exponent;
    } else {
      if (!seen_significant && after_point) --exponent;
      seen_significant = true;
      if (!after_point) ++exponent;
    }
  }
  if (i < digits.size()) {
    ++i;
    bool negative = false;
    if (i < digits.size() && (digits[i] == '+' || digits[i] == '-')) negative = digits[i++] == '-';
    long long e = 0;
    for (; i < digits.size(); ++i) {
      if (e < 1000000000) e = e * 10 + (digits[i] - '0');
    }
    exponent += negative ? -e : e;
  }
  return exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

Lexer::Lexer(std::string_view source, Diagnostics* diagnostics)
    : source_(source), diagnostics_(diagnostics) {}

void Lexer::SkipBlanksAndComments() {
  while (pos_ < source_.size()) {
    const char c = source_[pos_];
    if (IsBlank(c)) {
      ++pos_;
    } else if (c == '#') {
      while (pos_ < source_.size() && source_[pos_] != '\n') ++pos_;
    } else {
      break;
    }
  }
}

const Token& Lexer::Next(bool and_or_operators) {
  SkipBlanksAndComments();
  token_.offset = pos_;
  token_.number = 0.0;
  if (pos_ >= source_.size()) {
    token_.code = TokenCode::kEnd;
    token_.text = {};
    return token_;
  }
  const char c = source_[pos_];
  const char next = pos_ + 1 < source_.size() ? source_[pos_ + 1] : '\0';
  std::size_t width = 1;
  switch (c) {
    case '*': token_.code = TokenCode::kStar; break;
    case '/': token_.code = TokenCode::kSlash; break;
    case '+': token_.code = TokenCode::kPlus; break;
    case '-': token_.code = TokenCode::kMinus; break;
    case '(': token_.code = TokenCode::kLeftParen; break;
    case ')': token_.code = TokenCode::kRightParen; break;
    case ',': token_.code = TokenCode::kComma; break;
    case ';': token_.code = TokenCode::kSemicolon; break;
    case '<':
      if (next == '=') {
        token_.code = TokenCode::kLessEqual, width = 2;
      } else if (next == '>') {
        token_.code = TokenCode::kNotEqual, width = 2;
      } else {
        token_.code = TokenCode::kLess;
      }
      break;
    case '>':
      if (next == '=') {
        token_.code = TokenCode::kGreaterEqual, width = 2;
      } else {
        token_.code = TokenCode::kGreater;
      }
      break;
    case '=':
      if (next == '=') {
        token_.code = TokenCode::kEqualEqual, width = 2;
      } else {
        token_.code = TokenCode::kAssign;
      }
      break;
    case '"':
      ReadText();
      return token_;
    default:
      if (IsDigit(c) || c == '.') {
        ReadNumber();
        return token_;
      }
      if (IsAsciiLetter(c) || c == '_') {
        ReadName(and_or_operators);
        return token_;
      }
      // A character that begins no token; a double-byte one goes whole.
      token_.code = TokenCode::kError;
      if (IsDoubleByteAt(source_, pos_)) width = 2;
      break;
  }
  token_.text = source_.substr(pos_, width);
  pos_ += width;
  return token_;
}

void Lexer::ReadNumber() {
  const std::size_t length = ScanDecimal(source_.substr(pos_));
  if (length == 0) {  // a lone "."
    token_.code = TokenCode::kError;
    token_.text = source_.substr(pos_, 1);
    ++pos_;
    return;
  }
  token_.code = TokenCode::kNumber;
  token_.text = source_.substr(pos_, length);
  token_.number = ConvertDecimal(token_.text);
  pos_ += length;
}

void Lexer::ReadText() {
  ++pos_;  // opening quote
  literal_.clear();
  // A trail byte is never 0x22, so quotes can be found byte by byte.
  while (pos_ < source_.size()) {
    const char c = source_[pos_];
    if (c == '"') {
      if (pos_ + 1 < source_.size() && source_[pos_ + 1] == '"') {
        literal_.push_back('"');
        pos_ += 2;
        continue;
      }
      ++pos_;  // closing quote
      break;
    }
    literal_.push_back(c);
    ++pos_;
  }
  // A missing closing quote simply ends the literal at the end of the text.
  token_.code = TokenCode::kText;
  const std::size_t kept = Cp932PrefixLength(literal_, kExpressMaxText);
  token_.text = std::string_view(literal_).substr(0, kept);
  if (kept < literal_.size() && diagnostics_ != nullptr) {
    diagnostics_->Report(kExpressOk, "Express warning: long string is truncated[", token_.text,
                         "]");
  }
}

void Lexer::ReadName(bool and_or_operators) {
  const std::size_t start = pos_;
  while (pos_ < source_.size()) {
    const char c = source_[pos_];
    if (IsAsciiLetter(c) || IsDigit(c) || c == '_') {
      ++pos_;
    } else if (IsDoubleByteAt(source_, pos_)) {
      pos_ += 2;
    } else {
      break;
    }
  }
  const std::string_view whole = source_.substr(start, pos_ - start);
  token_.text = whole.substr(0, Cp932PrefixLength(whole, kExpressMaxText));
  if (token_.text.size() < whole.size() && diagnostics_ != nullptr) {
    diagnostics_->Report(kExpressOk, "Express warning: long name is truncated[", token_.text, "]");
  }
  token_.code = TokenCode::kName;
  if (and_or_operators) {
    if (EqualsIgnoringAsciiCase(token_.text, "AND")) token_.code = TokenCode::kAnd;
    if (EqualsIgnoringAsciiCase(token_.text, "OR")) token_.code = TokenCode::kOr;
  }
}

}  // namespace tlv
