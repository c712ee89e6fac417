#include "definition/section_compiler.h"

#include <array>
#include <cstdint>

#include "definition/section_table.h"
#include "definition/variable_dictionary.h"
#include "platform/text_encoding.h"

namespace tlv {

namespace {

bool IsAsciiLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

enum class TokenKind {
  kText,
  kOpenTag,
  kCloseTag,
  kOpenBrace,
  kCloseBrace,
  kOpenBracket,
  kCloseBracket,
  kBang,
  kCommentDots,   // "..."
  kCommentComma,  // "..,"
  kEnd,
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  /// Byte offset of the token in the display text.
  std::size_t start = 0;
  /// Text runs: the raw bytes.  Comments: the rest of the line after the
  /// three characters, its LF included when there is one.
  std::string_view text;
};

// Splits display text into tokens, one per call.  The tag flag lives here: a
// ">" closes a tag only while one is open; anywhere else it is text.
class Tokenizer {
 public:
  explicit Tokenizer(std::string_view text) : text_(text) {}

  Token Next() {
    Token token;
    token.start = pos_;
    const std::size_t n = text_.size();
    if (pos_ >= n) return token;
    if (IsSpecialAt(pos_)) {
      const unsigned char c = At(pos_);
      switch (c) {
        case '<':
          tag_open_ = true;
          ++pos_;
          token.kind = TokenKind::kOpenTag;
          return token;
        case '>':
          tag_open_ = false;
          ++pos_;
          token.kind = TokenKind::kCloseTag;
          return token;
        case '{': token.kind = TokenKind::kOpenBrace; break;
        case '}': token.kind = TokenKind::kCloseBrace; break;
        case '[': token.kind = TokenKind::kOpenBracket; break;
        case ']': token.kind = TokenKind::kCloseBracket; break;
        case '!': token.kind = TokenKind::kBang; break;
        default: {
          // A comment: "..." or "..,", then the rest of the line; its LF is
          // consumed with it.
          token.kind = At(pos_ + 2) == ',' ? TokenKind::kCommentComma
                                           : TokenKind::kCommentDots;
          const std::size_t body = pos_ + 3;
          std::size_t end = text_.find('\n', body);
          end = end == std::string_view::npos ? n : end + 1;
          token.text = text_.substr(body, end - body);
          pos_ = end;
          return token;
        }
      }
      ++pos_;
      return token;
    }
    // A text run up to the next special token.
    std::size_t p = pos_;
    while (p < n && !IsSpecialAt(p)) {
      const unsigned char c = At(p);
      if (c == '<') {
        // Not a tag: "<>" and "<=" stay together as text.
        ++p;
        if (p < n && (At(p) == '>' || At(p) == '=')) ++p;
      } else if (c == '>') {
        ++p;
        if (p < n && At(p) == '=') ++p;
      } else if (IsCp932LeadByte(c) && p + 1 < n) {
        p += 2;
      } else {
        ++p;
      }
    }
    token.kind = TokenKind::kText;
    token.text = text_.substr(pos_, p - pos_);
    pos_ = p;
    return token;
  }

 private:
  unsigned char At(std::size_t i) const {
    return i < text_.size() ? static_cast<unsigned char>(text_[i]) : 0;
  }

  bool IsSpecialAt(std::size_t i) const {
    const unsigned char c = At(i);
    switch (c) {
      case '<':
        return IsAsciiLetter(At(i + 1)) || At(i + 1) == '_';
      case '>':
        return tag_open_;
      case '{': case '}': case '[': case ']': case '!':
        return true;
      case '.':
        return At(i + 1) == '.' && (At(i + 2) == '.' || At(i + 2) == ',');
      default:
        return false;
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  bool tag_open_ = false;
};

// Where the bracket state stands: outside, inside "{..}", inside "[..]".
enum Bracket { kOutside = 0, kInBrace = 1, kInBracket = 2 };
// The state of one open <IF> level.
enum IfState : std::uint8_t { kCondition = 0, kThenBranch = 1, kElseBranch = 2 };

// Appends a text run, putting the prefix before each byte in 0xF0..0xFF so
// that no text byte can be taken for a marker.
void AppendText(std::string_view text, bool ends_display, std::string* out) {
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsCp932LeadByte(c)) {
      if (i + 1 >= n && ends_display) {
        // A lead byte with nothing after it cannot be stored as a character.
        out->push_back('?');
        continue;
      }
      if (i + 1 < n) {
        if (c >= 0xF0) out->push_back(static_cast<char>(kPrefixDouble));
        out->push_back(text[i]);
        out->push_back(text[i + 1]);
        ++i;
        continue;
      }
    }
    if (c >= 0xF0) out->push_back(static_cast<char>(kPrefixSingle));
    out->push_back(text[i]);
  }
}

// Upper-cases the ASCII letters of a CP932 name, leaving double-byte
// characters (whose trail bytes may be letters) alone.
std::string UpperName(std::string_view name) {
  std::string out(name);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(out[i]);
    if (IsCp932LeadByte(c)) {
      ++i;
    } else if (c >= 'a' && c <= 'z') {
      out[i] = static_cast<char>(c - 'a' + 'A');
    }
  }
  return out;
}

void AppendId(std::int32_t id, std::string* out) {
  const auto u = static_cast<std::uint32_t>(id);
  for (int shift = 0; shift < 32; shift += 8) {
    out->push_back(static_cast<char>((u >> shift) & 0xFF));
  }
}

class Compiler {
 public:
  Compiler(std::string_view display, const VariableDictionary& dict)
      : display_(display), dict_(dict), tokens_(display) {}

  CompileResult Run() {
    if (Loop()) {
      result_.ok = true;
      result_.bytes = std::move(out_);
    }
    return result_;
  }

 private:
  // Runs the token loop; false when the text is rejected (result_ says why).
  bool Loop() {
    for (;;) {
      const Token token = tokens_.Next();
      switch (token.kind) {
        case TokenKind::kText:
          AppendText(token.text, token.start + token.text.size() == display_.size(),
                     &out_);
          break;
        case TokenKind::kBang:
          if (bracket_ != kOutside) return Fail(token, kMsgBangInside);
          {
            const Token tag = tokens_.Next();
            if (tag.kind != TokenKind::kOpenTag) return Fail(tag, kMsgNoTagAfterBang);
            if (!Tag(tag, /*forced=*/true)) return false;
          }
          break;
        case TokenKind::kOpenTag:
          if (!Tag(token, /*forced=*/false)) return false;
          break;
        case TokenKind::kOpenBrace:
          if (bracket_ != kOutside) return Fail(token, kMsgBraceInside);
          if (InCondition()) return Fail(token, kMsgBraceInCondition);
          bracket_ = kInBrace;
          out_.push_back(static_cast<char>(kMarkGroupBegin));
          break;
        case TokenKind::kCloseBrace:
          if (bracket_ != kInBrace) return Fail(token, kMsgCloseBracePlace);
          if (InCondition()) return Fail(token, kMsgCloseBraceInCondition);
          bracket_ = kOutside;
          out_.push_back(static_cast<char>(kMarkGroupEnd));
          break;
        case TokenKind::kOpenBracket:
          if (bracket_ != kOutside) return Fail(token, kMsgBracketInside);
          if (InCondition()) return Fail(token, kMsgBracketInCondition);
          bracket_ = kInBracket;
          out_.push_back(static_cast<char>(kMarkOptBegin));
          break;
        case TokenKind::kCloseBracket:
          if (bracket_ != kInBracket) return Fail(token, kMsgCloseBracketPlace);
          if (InCondition()) return Fail(token, kMsgCloseBracketInCondition);
          bracket_ = kOutside;
          out_.push_back(static_cast<char>(kMarkOptEnd));
          break;
        case TokenKind::kCommentDots:
        case TokenKind::kCommentComma:
          out_.push_back(static_cast<char>(
              token.kind == TokenKind::kCommentDots ? kMarkDots : kMarkComma));
          out_.append(token.text);
          break;
        case TokenKind::kCloseTag:
          // The tokenizer only yields ">" as a tag end while a tag is open,
          // and Tag() consumes it; kept for a text that reaches here anyway.
          return Fail(token, depth_ > 0 ? kMsgIfNoEndIf : kMsgCloseTagPlace);
        case TokenKind::kEnd:
          if (bracket_ != kOutside) return Fail(token, kMsgBracketOpen);
          if (depth_ > 0) return Fail(token, kMsgIfNoEndIf);
          return true;
      }
    }
  }

  bool InCondition() const { return depth_ > 0 && stack_[depth_ - 1] == kCondition; }

  // tag -> "<" name ">" ; the keywords open, switch and close <IF> levels,
  // any other name is a variable reference.
  bool Tag(const Token& open, bool forced) {
    const Token name = tokens_.Next();
    if (name.kind != TokenKind::kText) return Fail(name, kMsgNoName);
    const Token close = tokens_.Next();
    if (close.kind != TokenKind::kCloseTag) return Fail(close, kMsgNoCloseTag);
    const std::string upper = UpperName(name.text);
    if (upper == "IF") {
      if (bracket_ != kOutside) return Fail(open, kMsgBracketOpen);
      if (InCondition()) return Fail(open, kMsgIfPlace);
      if (depth_ >= kMaxIfDepth) return Fail(open, kMsgIfTooDeep);
      stack_[depth_++] = kCondition;
      AppendBlock(kBlockIf);
    } else if (upper == "THEN") {
      if (bracket_ != kOutside) return Fail(open, kMsgBracketOpen);
      if (depth_ == 0) return Fail(open, kMsgThenNoIf);
      if (stack_[depth_ - 1] != kCondition) return Fail(open, kMsgThenNoIfElseIf);
      stack_[depth_ - 1] = kThenBranch;
      AppendBlock(kBlockThen);
    } else if (upper == "ELSEIF") {
      if (bracket_ != kOutside) return Fail(open, kMsgBracketOpen);
      if (depth_ == 0) return Fail(open, kMsgElseIfNoIf);
      if (stack_[depth_ - 1] != kThenBranch) return Fail(open, kMsgElseIfPlace);
      stack_[depth_ - 1] = kCondition;
      AppendBlock(kBlockElseIf);
    } else if (upper == "ELSE") {
      if (bracket_ != kOutside) return Fail(open, kMsgBracketOpen);
      if (depth_ == 0) return Fail(open, kMsgElseNoIf);
      if (stack_[depth_ - 1] != kThenBranch) return Fail(open, kMsgElsePlace);
      stack_[depth_ - 1] = kElseBranch;
      AppendBlock(kBlockElse);
    } else if (upper == "ENDIF") {
      if (bracket_ != kOutside) return Fail(open, kMsgBracketOpen);
      if (depth_ == 0) return Fail(open, kMsgEndIfNoIf);
      if (stack_[depth_ - 1] == kCondition) return Fail(open, kMsgEndIfNoThen);
      --depth_;
      AppendBlock(kBlockEndIf);
    } else {
      const DictionaryEntry* entry = dict_.FindByName(upper);
      if (entry == nullptr || (entry->flags & kDictInEveryDefinition) == 0) {
        return Fail(name, Cp932ToUtf8(upper) + std::string(kMsgUndefinedSuffix));
      }
      out_.push_back(static_cast<char>(forced ? kMarkForced : kMarkVariable));
      AppendId(entry->id, &out_);
    }
    return true;
  }

  void AppendBlock(std::uint8_t k) {
    out_.push_back(static_cast<char>(kMarkBlock));
    out_.push_back(static_cast<char>(k));
  }

  // Records the one message of a rejected text; always false.
  bool Fail(const Token& at, std::string_view message) {
    result_.ok = false;
    result_.message = std::string(message);
    // Line and column of the token's first byte.
    int line = 1;
    int column = 1;
    const std::size_t stop = at.start < display_.size() ? at.start : display_.size();
    for (std::size_t i = 0; i < stop; ++i) {
      const unsigned char c = static_cast<unsigned char>(display_[i]);
      if (c == '\n') {
        ++line;
        column = 1;
        continue;
      }
      if (IsCp932LeadByte(c) && i + 1 < stop) ++i;
      ++column;
    }
    result_.line = line;
    result_.column = column;
    return false;
  }

  std::string_view display_;
  const VariableDictionary& dict_;
  Tokenizer tokens_;
  std::string out_;
  Bracket bracket_ = kOutside;
  int depth_ = 0;
  std::array<IfState, kMaxIfDepth> stack_{};
  CompileResult result_;
};

}  // namespace

std::string CompileResult::Where() const {
  return std::to_string(line) + ":" + std::to_string(column) + ": " + message;
}

CompileResult CompileSection(std::string_view display, const VariableDictionary& dict) {
  return Compiler(display, dict).Run();
}

CompileResult CompileIntoSection(std::string_view display, const VariableDictionary& dict,
                                 FormatSection* section) {
  CompileResult result = CompileSection(display, dict);
  if (result.ok) section->text = result.bytes;
  return result;
}

}  // namespace tlv
