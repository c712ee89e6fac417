#include "format/condition.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

#include "format/engine_output.h"
#include "format/variable_store.h"
#include "platform/numbers.h"

namespace tlv {

namespace {

constexpr unsigned char kVarMarker = 0xFF;
constexpr unsigned char kForcedMarker = 0xFA;
constexpr unsigned char kCommaComment = 0xF8;
constexpr unsigned char kDotsComment = 0xF9;
constexpr double kPi = 3.141592653589793;
constexpr double kDegToRad = kPi / 180.0;
constexpr double kRadToDeg = 180.0 / kPi;
// Numbers closer than this compare equal.
constexpr double kEqualTolerance = 0.00001;
// Texts taken from variables and function arguments keep this many bytes.
constexpr std::size_t kTextBytes = 100;

enum Arith { kPlus = 1, kMinus = 2, kTimes = 3, kDivide = 4, kPower = 5 };
enum Func { kAbs = 0, kSqrt, kSin, kCos, kTan, kAsin, kAcos, kAtan };
enum Compare { kEq = 1, kNe = 2, kGt = 3, kGe = 4, kLt = 5, kLe = 6 };
enum Logic { kNot = 0, kAnd = 1, kOr = 2, kXor = 3 };

// Keywords in the order they are tried.  Letters compare without regard to
// case and without word boundaries, so "XSIN30" reads as SIN 30.
enum class Word {
  kAtan2, kAbs, kSqrt, kSin, kCos, kTan, kAsin, kAcos, kAtan, kVal, kStr, kPiWord,
  kPlus, kMinus, kTimes, kDivide, kPower, kEq, kNe, kGe, kLe, kGt, kLt,
  kNot, kAnd, kOr, kXor, kMode, kCount
};
struct Keyword {
  const char* text;
  std::size_t length;
};
constexpr Keyword kKeywords[] = {
    {"ATAN2", 5}, {"ABS", 3}, {"SQRT", 4}, {"SIN", 3}, {"COS", 3}, {"TAN", 3},
    {"ASIN", 4},  {"ACOS", 4}, {"ATAN", 4}, {"VAL", 3}, {"STR", 3}, {"PI", 2},
    {"+", 1},     {"-", 1},   {"*", 1},    {"/", 1},   {"^", 1},   {"==", 2},
    {"<>", 2},    {">=", 2},  {"<=", 2},   {">", 1},   {"<", 1},   {"NOT", 3},
    {"AND", 3},   {"OR", 2},  {"XOR", 3},  {"MODE(", 5},
};
static_assert(sizeof kKeywords / sizeof kKeywords[0] == static_cast<std::size_t>(Word::kCount),
              "keyword table must match Word");

bool LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool Matches(std::string_view text, std::size_t pos, const Keyword& k) {
  if (text.size() - pos < k.length) return false;
  for (std::size_t i = 0; i < k.length; ++i) {
    if (Upper(text[pos + i]) != k.text[i]) return false;
  }
  return true;
}

std::int32_t ReadId(std::string_view text, std::size_t pos) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) {
    v |= static_cast<std::uint32_t>(static_cast<unsigned char>(text[pos + i])) << (8 * i);
  }
  return static_cast<std::int32_t>(v);
}

// Bytes a marker-aware walk steps over at `pos`: a variable reference is 5
// bytes, a comment runs to its line feed, a double-byte character is 2.
std::size_t StepOver(std::string_view text, std::size_t pos) {
  unsigned char c = static_cast<unsigned char>(text[pos]);
  std::size_t left = text.size() - pos;
  if (c == kVarMarker || c == kForcedMarker) return left < 5 ? left : 5;
  if (c == kCommaComment || c == kDotsComment) {
    std::size_t lf = text.find('\n', pos);
    return lf == std::string_view::npos ? left : lf - pos;
  }
  if (LeadByte(c) && c < 0xF7) return left < 2 ? left : 2;
  return 1;
}

// The position of the ")" that closes the parenthesis opened just before
// `pos`, or the end of the text when none does.
std::size_t MatchingParen(std::string_view text, std::size_t pos) {
  int depth = 1;
  while (pos < text.size()) {
    char c = text[pos];
    if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (--depth == 0) return pos;
    } else if (c == '"') {
      std::size_t close = text.find('"', pos + 1);
      pos = close == std::string_view::npos ? text.size() : close + 1;
      continue;
    }
    pos += StepOver(text, pos);
  }
  return text.size();
}

}  // namespace

ConditionEvaluator::ConditionEvaluator(VariableStore& store, EngineOutput* log)
    : store_(store), log_(log), levels_(kMaxConditionDepth + 1) {}

ConditionEvaluator::Term* ConditionEvaluator::Add(Level& level, Kind kind, int code) {
  if (level.count >= kMaxTermsPerLevel) return nullptr;  // dropped silently
  if (level.terms.size() <= static_cast<std::size_t>(level.count)) level.terms.emplace_back();
  Term& t = level.terms[level.count++];
  t.kind = kind;
  t.code = code;
  t.number = 0;
  t.text.clear();
  return &t;
}

void ConditionEvaluator::Erase(Level& level, int index) {
  // Swapping keeps every term's text capacity for the next condition.
  for (int j = index; j + 1 < level.count; ++j) std::swap(level.terms[j], level.terms[j + 1]);
  --level.count;
}

double ConditionEvaluator::Evaluate(std::string_view text) {
  double result = 0;
  Stop stop = EvaluateLevel(text, 0, 0, &result, nullptr);
  // A top level that stopped at a stray ")" is still evaluated up to it.
  return stop.ok ? result : 0.0;
}

bool ConditionEvaluator::EvaluateSpan(std::string_view text, int depth, double* result,
                                      std::string* text_result) {
  Stop stop = EvaluateLevel(text, 0, depth, result, text_result);
  return stop.ok;
}

ConditionEvaluator::Stop ConditionEvaluator::EvaluateLevel(std::string_view text, std::size_t pos,
                                                           int depth, double* result,
                                                           std::string* text_result) {
  Stop stop;
  if (depth > kMaxConditionDepth) return stop;
  Level& level = levels_[depth];
  level.count = 0;
  const std::size_t end = text.size();

  while (pos < end) {
    const unsigned char c = static_cast<unsigned char>(text[pos]);
    if (c == ' ') {
      ++pos;
      continue;
    }
    if (c == ')') break;
    if (c == '(') {
      double inner = 0;
      Stop s = EvaluateLevel(text, pos + 1, depth + 1, &inner, nullptr);
      if (!s.ok) return stop;
      if (Term* t = Add(level, Kind::kNumber)) t->number = inner;
      pos = s.position < end ? s.position + 1 : end;
      continue;
    }
    if ((c >= '0' && c <= '9') || c == '.') {
      std::size_t run = pos;
      while (run < end && ((text[run] >= '0' && text[run] <= '9') || text[run] == '.')) ++run;
      // Only digits and points: there is no exponent notation here.
      if (Term* t = Add(level, Kind::kNumber)) t->number = ParseLeadingDouble(text.substr(pos, run - pos));
      pos = run;
      continue;
    }
    if (c == kVarMarker || c == kForcedMarker) {
      if (end - pos < 5) break;
      Variable* v = store_.Lookup(ReadId(text, pos + 1));
      if (v) {
        if (v->is_text) {
          if (Term* t = Add(level, Kind::kText)) v->GetText(&t->text, kTextBytes);
        } else if (Term* t = Add(level, Kind::kNumber)) {
          t->number = v->GetNumber();
        }
      }
      pos += 5;
      continue;
    }
    if (c == '"') {
      std::size_t close = text.find('"', pos + 1);
      if (close == std::string_view::npos) close = end;
      if (Term* t = Add(level, Kind::kText)) t->text.assign(text.data() + pos + 1, close - pos - 1);
      pos = close < end ? close + 1 : end;
      continue;
    }
    if (c == kCommaComment || c == kDotsComment || c >= 0x80) {
      // Comments say nothing about the condition; a double-byte character
      // is never read as two letters.
      pos += StepOver(text, pos);
      continue;
    }

    int word = -1;
    for (int w = 0; w < static_cast<int>(Word::kCount); ++w) {
      if (Matches(text, pos, kKeywords[w])) {
        word = w;
        break;
      }
    }
    if (word < 0) {
      ++pos;  // anything else, a lone "=" included, has no effect
      continue;
    }
    pos += kKeywords[word].length;
    switch (static_cast<Word>(word)) {
      case Word::kAbs: Add(level, Kind::kFunction, kAbs); break;
      case Word::kSqrt: Add(level, Kind::kFunction, kSqrt); break;
      case Word::kSin: Add(level, Kind::kFunction, kSin); break;
      case Word::kCos: Add(level, Kind::kFunction, kCos); break;
      case Word::kTan: Add(level, Kind::kFunction, kTan); break;
      case Word::kAsin: Add(level, Kind::kFunction, kAsin); break;
      case Word::kAcos: Add(level, Kind::kFunction, kAcos); break;
      case Word::kAtan: Add(level, Kind::kFunction, kAtan); break;
      case Word::kPiWord: Add(level, Kind::kConstant, 0); break;
      case Word::kPlus: Add(level, Kind::kArith, kPlus); break;
      case Word::kMinus: Add(level, Kind::kArith, kMinus); break;
      case Word::kTimes: Add(level, Kind::kArith, kTimes); break;
      case Word::kDivide: Add(level, Kind::kArith, kDivide); break;
      case Word::kPower: Add(level, Kind::kArith, kPower); break;
      case Word::kEq: Add(level, Kind::kCompare, kEq); break;
      case Word::kNe: Add(level, Kind::kCompare, kNe); break;
      case Word::kGt: Add(level, Kind::kCompare, kGt); break;
      case Word::kGe: Add(level, Kind::kCompare, kGe); break;
      case Word::kLt: Add(level, Kind::kCompare, kLt); break;
      case Word::kLe: Add(level, Kind::kCompare, kLe); break;
      case Word::kNot: Add(level, Kind::kLogic, kNot); break;
      case Word::kAnd: Add(level, Kind::kLogic, kAnd); break;
      case Word::kOr: Add(level, Kind::kLogic, kOr); break;
      case Word::kXor: Add(level, Kind::kLogic, kXor); break;
      case Word::kAtan2:
      case Word::kVal:
      case Word::kStr: {
        while (pos < end && text[pos] == ' ') ++pos;
        if (pos >= end || text[pos] != '(') return stop;
        const std::size_t open = pos + 1;
        const std::size_t close = MatchingParen(text, open);
        std::string_view inside = text.substr(open, close - open);
        pos = close < end ? close + 1 : end;
        if (static_cast<Word>(word) == Word::kAtan2) {
          // The first "," outside inner parentheses splits the arguments.
          std::size_t comma = inside.size();
          int d = 0;
          for (std::size_t i = 0; i < inside.size(); i += StepOver(inside, i)) {
            if (inside[i] == '(') ++d;
            if (inside[i] == ')') --d;
            if (inside[i] == ',' && d == 0) {
              comma = i;
              break;
            }
          }
          std::string_view first = inside.substr(0, std::min(comma, kTextBytes));
          std::string_view second =
              comma < inside.size() ? inside.substr(comma + 1) : std::string_view();
          second = second.substr(0, std::min(second.size(), kTextBytes));
          double y = 0, x = 0;
          if (!EvaluateSpan(first, depth + 1, &y, nullptr) ||
              !EvaluateSpan(second, depth + 1, &x, nullptr)) {
            return stop;
          }
          if (Term* t = Add(level, Kind::kNumber)) t->number = std::atan2(y, x) * kRadToDeg;
        } else {
          double inner = 0;
          std::string inner_text;
          if (!EvaluateSpan(inside, depth + 1, &inner, &inner_text)) return stop;
          if (static_cast<Word>(word) == Word::kVal) {
            // VAL of a text reads the text's leading number.
            if (Term* t = Add(level, Kind::kNumber)) {
              t->number = inner_text.empty() ? inner : ParseLeadingDouble(inner_text);
            }
          } else if (Term* t = Add(level, Kind::kText)) {
            char buf[400];
            int n = std::snprintf(buf, sizeof buf, "%f", inner);
            t->text.assign(buf, n > 0 ? std::min<std::size_t>(n, sizeof buf - 1) : 0);
          }
        }
        break;
      }
      case Word::kMode: {
        while (pos < end && text[pos] == ' ') ++pos;
        double due = 0;
        if (pos < end && end - pos >= 5 &&
            (static_cast<unsigned char>(text[pos]) == kVarMarker ||
             static_cast<unsigned char>(text[pos]) == kForcedMarker)) {
          if (Variable* v = store_.Lookup(ReadId(text, pos + 1))) due = store_.IsDue(*v);
          pos += 5;
        }
        if (Term* t = Add(level, Kind::kNumber)) t->number = due;
        std::size_t close = pos;
        while (close < end && text[close] != ')') close += StepOver(text, close);
        pos = close < end ? close + 1 : end;
        break;
      }
      case Word::kCount: break;
    }
  }

  if (!Reduce(level)) return stop;
  stop.ok = true;
  stop.position = pos;
  *result = 0;
  if (text_result) text_result->clear();
  if (level.count == 1) {
    const Term& t = level.terms[0];
    if (t.kind == Kind::kNumber) {
      *result = t.number;
    } else if (t.kind == Kind::kText && text_result) {
      text_result->assign(t.text);
    }
  }
  return stop;
}

bool ConditionEvaluator::Reduce(Level& level) {
  std::vector<Term>& t = level.terms;
  auto is_num = [&](int i) { return i >= 0 && i < level.count && t[i].kind == Kind::kNumber; };
  auto is_text = [&](int i) { return i >= 0 && i < level.count && t[i].kind == Kind::kText; };

  // 1. PI.
  for (int i = 0; i < level.count; ++i) {
    if (t[i].kind == Kind::kConstant) {
      t[i].kind = Kind::kNumber;
      t[i].number = kPi;
    }
  }
  // 2 and 4. Unary minus: a "-" first or after a non-number, before a number.
  auto fold_minus = [&]() {
    for (int i = 0; i < level.count; ++i) {
      if (t[i].kind == Kind::kArith && t[i].code == kMinus && (i == 0 || !is_num(i - 1)) &&
          is_num(i + 1)) {
        t[i + 1].number = -t[i + 1].number;
        Erase(level, i);
      }
    }
  };
  fold_minus();
  // 3. Functions, last to first, in degrees.  A refused one stays and fails
  // the reduction.
  bool refused = false;
  for (int i = level.count - 2; i >= 0; --i) {
    if (t[i].kind != Kind::kFunction || !is_num(i + 1)) continue;
    const double x = t[i + 1].number;
    double v = 0;
    bool ok = true;
    switch (t[i].code) {
      case kAbs: v = std::fabs(x); break;
      case kSqrt: ok = x >= 0; v = ok ? std::sqrt(x) : 0; break;
      case kSin: v = std::sin(x * kDegToRad); break;
      case kCos: v = std::cos(x * kDegToRad); break;
      case kTan:
        ok = std::fabs(std::cos(x * kDegToRad)) >= 0.00001;
        v = ok ? std::tan(x * kDegToRad) : 0;
        break;
      case kAsin: ok = x >= -1 && x <= 1; v = ok ? std::asin(x) * kRadToDeg : 0; break;
      case kAcos: ok = x >= -1 && x <= 1; v = ok ? std::acos(x) * kRadToDeg : 0; break;
      case kAtan: v = std::atan(x) * kRadToDeg; break;
      default: ok = false; break;
    }
    if (!ok) {
      refused = true;
      continue;
    }
    t[i].kind = Kind::kNumber;
    t[i].number = v;
    Erase(level, i + 1);
  }
  if (refused) return false;
  fold_minus();

  // 5. Arithmetic: power, then times/divide, then plus/minus.
  auto arith_pass = [&](int op_a, int op_b) -> bool {
    for (int i = 1; i + 1 < level.count;) {
      Term& op = t[i];
      if (op.kind != Kind::kArith || (op.code != op_a && op.code != op_b)) {
        ++i;
        continue;
      }
      if (is_num(i - 1) && is_num(i + 1)) {
        const double a = t[i - 1].number, b = t[i + 1].number;
        double r = 0;
        switch (op.code) {
          case kPower: r = std::pow(a, b); break;
          case kTimes: r = a * b; break;
          // Division by zero is not refused: IEEE gives an infinity or NaN.
          case kDivide: r = a / b; break;
          case kPlus: r = a + b; break;
          case kMinus: r = a - b; break;
        }
        t[i - 1].number = r;
      } else if (is_text(i - 1) && is_text(i + 1)) {
        if (op.code != kPlus) {
          if (log_) log_->Log("不正な演算子が使われています。\n");
          return false;
        }
        t[i - 1].text.append(t[i + 1].text);
      } else {
        ++i;
        continue;
      }
      Erase(level, i + 1);
      Erase(level, i);
    }
    return true;
  };
  if (!arith_pass(kPower, kPower) || !arith_pass(kTimes, kDivide) ||
      !arith_pass(kPlus, kMinus)) {
    return false;
  }

  // 6. Comparisons, left to right.
  for (int i = 1; i + 1 < level.count;) {
    if (t[i].kind != Kind::kCompare) {
      ++i;
      continue;
    }
    const int op = t[i].code;
    double r = 0;
    if (is_num(i - 1) && is_num(i + 1)) {
      const double a = t[i - 1].number, b = t[i + 1].number;
      const bool equal = std::fabs(a - b) < kEqualTolerance;
      switch (op) {
        case kEq: r = equal; break;
        case kNe: r = !equal; break;
        case kGt: r = !equal && a > b; break;
        case kGe: r = equal || a > b; break;
        case kLt: r = !equal && a < b; break;
        case kLe: r = equal || a < b; break;
      }
    } else if (is_text(i - 1) && is_text(i + 1)) {
      const std::string& a = t[i - 1].text;
      const std::string& b = t[i + 1].text;
      switch (op) {
        case kEq: r = a == b; break;
        case kNe: r = a != b; break;
        case kGt: r = a.find(b) != std::string::npos; break;  // left contains right
        case kLt: r = b.find(a) != std::string::npos; break;  // right contains left
        default: return false;  // ">=" and "<=" mean nothing for texts
      }
    } else {
      ++i;
      continue;
    }
    t[i - 1].kind = Kind::kNumber;
    t[i - 1].number = r;
    Erase(level, i + 1);
    Erase(level, i);
  }

  // 7. NOT: taken from the right so that NOT NOT x folds completely.
  for (int i = level.count - 2; i >= 0; --i) {
    if (t[i].kind == Kind::kLogic && t[i].code == kNot && is_num(i + 1)) {
      t[i].kind = Kind::kNumber;
      t[i].number = t[i + 1].number <= 0.5 ? 1 : 0;
      Erase(level, i + 1);
    }
  }
  // 8. AND, OR, XOR together, left to right; true is above 0.5.
  for (int i = 1; i + 1 < level.count;) {
    if (t[i].kind != Kind::kLogic || t[i].code == kNot || !is_num(i - 1) || !is_num(i + 1)) {
      ++i;
      continue;
    }
    const bool a = t[i - 1].number > 0.5, b = t[i + 1].number > 0.5;
    double r = 0;
    switch (t[i].code) {
      case kAnd: r = a && b; break;
      case kOr: r = a || b; break;
      case kXor: r = a != b; break;
    }
    t[i - 1].number = r;
    Erase(level, i + 1);
    Erase(level, i);
  }
  return true;
}

}  // namespace tlv
