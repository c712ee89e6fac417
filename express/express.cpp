#include "express/express.h"

#include <unordered_map>
#include <utility>

#include "express/code.h"
#include "express/lexer.h"
#include "express/machine.h"
#include "express/parser.h"

namespace tlv {
namespace {

// Lets the symbol index be searched with a string_view, without building a
// std::string for every look-up.
struct NameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};

struct Statement {
  std::string target;
  std::string expression;
  Code code;
  int target_slot = -1;
};

std::string_view CutName(std::string_view name) {
  return name.substr(0, Cp932PrefixLength(name, kExpressMaxText));
}

}  // namespace

struct ExpressProgram::Impl {
  // The symbol table, one entry per slot in declaration order.
  std::vector<std::string> names;
  std::vector<SymbolKind> kinds;
  std::vector<Value> values;
  std::unordered_map<std::string, int, NameHash, std::equal_to<>> index;

  std::vector<Statement> statements;
  bool broken = false;  // the last Compile failed
  int status = kExpressOk;
  DiagnosticHook diagnostic;
  Machine machine;
  Value result;

  int Slot(std::string_view name) const {
    const auto it = index.find(CutName(name));
    return it == index.end() ? -1 : it->second;
  }
  bool Valid(SymbolHandle h) const {
    return h.index >= 0 && static_cast<std::size_t>(h.index) < values.size();
  }
  int SetNumber(int slot, double value) {
    if (slot < 0 || kinds[slot] == SymbolKind::kText) return -1;
    values[slot].SetNumber(value);
    return 0;
  }
  int SetText(int slot, std::string_view text) {
    if (slot < 0 || kinds[slot] == SymbolKind::kNumber) return -1;
    values[slot].SetText(text);
    return 0;
  }
  int GetNumber(int slot, double* value) const {
    if (slot < 0 || !values[slot].is_number()) return -1;
    *value = values[slot].number;
    return 0;
  }
  void Link(Code& code) const {
    code.slots.resize(code.names.size());
    for (std::size_t i = 0; i < code.names.size(); ++i) {
      // PI stays the constant unless the program declares a symbol of that
      // name (as a target, or through Declare).
      code.slots[i] = Slot(code.names[i]);
    }
  }
  void LinkAll() {
    for (Statement& s : statements) {
      Link(s.code);
      s.target_slot = Slot(s.target);
    }
  }
  void Clear() {
    names.clear();
    kinds.clear();
    values.clear();
    index.clear();
    statements.clear();
    broken = false;
  }
};

ExpressProgram::ExpressProgram() : impl_(std::make_unique<Impl>()) {}
ExpressProgram::~ExpressProgram() = default;
ExpressProgram::ExpressProgram(ExpressProgram&&) noexcept = default;
ExpressProgram& ExpressProgram::operator=(ExpressProgram&&) noexcept = default;

void ExpressProgram::set_diagnostic_hook(DiagnosticHook hook) {
  impl_->diagnostic = std::move(hook);
}

// program   -> { statement }
// statement -> name '=' expression ( ';' | end )
int ExpressProgram::Compile(std::string_view text, bool reset) {
  Impl& p = *impl_;
  if (reset) p.Clear();
  Diagnostics diagnostics(&p.diagnostic);
  std::vector<Statement> added;
  // The statement splitter reads AND and OR as names and reports nothing:
  // the expression parser reads every token again and warns then.
  Lexer splitter(text, nullptr);
  bool ok = true;
  for (;;) {
    const Token& first = splitter.Next(false);
    if (first.code == TokenCode::kEnd) break;
    if (first.code != TokenCode::kName) {
      diagnostics.Report(kExpressSyntaxError, "Express error: unexpected character '", first.text,
                         "'");
      ok = false;
      break;
    }
    Statement statement;
    statement.target.assign(first.text);
    if (splitter.position() - first.offset > first.text.size()) {
      diagnostics.Report(kExpressOk, "Express warning: long name is truncated[", first.text, "]");
    }
    const Token& assign = splitter.Next(false);
    if (assign.code != TokenCode::kAssign) {
      diagnostics.Report(kExpressSyntaxError, "Express error: unexpected character '", assign.text,
                         "'");
      ok = false;
      break;
    }
    const std::size_t start = splitter.position();
    TokenCode code = TokenCode::kEnd;
    std::size_t end = text.size();
    do {
      const Token& t = splitter.Next(false);
      code = t.code;
      end = t.offset;
    } while (code != TokenCode::kSemicolon && code != TokenCode::kEnd);
    statement.expression.assign(text.substr(start, end - start));

    // The check-only evaluation: syntax and the types known before running.
    if (!ParseExpressions(statement.expression, &statement.code, &diagnostics) ||
        diagnostics.status() != kExpressOk) {
      ok = false;
      break;
    }
    if (statement.code.expressions != 1) {
      // "a = 1, 2;" could never give its target one value.
      diagnostics.Report(kExpressSyntaxError, "Express error: unexpected character ','");
      ok = false;
      break;
    }
    added.push_back(std::move(statement));
    if (code == TokenCode::kEnd) break;
  }
  p.status = diagnostics.status();
  if (!ok) {
    if (p.status == kExpressOk) p.status = kExpressSyntaxError;
    p.broken = true;
    return -1;
  }
  for (Statement& s : added) {
    for (const std::string& name : s.code.names) {
      if (!IsPiName(name)) Declare(name, SymbolKind::kAny);
    }
    Declare(s.target, SymbolKind::kAny);
    p.statements.push_back(std::move(s));
  }
  p.LinkAll();
  p.broken = false;
  return 0;
}

int ExpressProgram::Declare(std::string_view name, SymbolKind kind) {
  Impl& p = *impl_;
  name = CutName(name);
  if (name.empty()) return -1;
  const int slot = p.Slot(name);
  if (slot < 0) {
    const int new_slot = static_cast<int>(p.names.size());
    p.names.emplace_back(name);
    p.kinds.push_back(kind);
    p.values.emplace_back();
    p.index.emplace(p.names.back(), new_slot);
    // Only a new PI symbol can change what compiled code reads.
    if (IsPiName(name)) p.LinkAll();
    return 0;
  }
  SymbolKind& have = p.kinds[slot];
  if (kind == SymbolKind::kAny || kind == have) return 0;
  if (have != SymbolKind::kAny) return -1;  // number <-> text
  const Value& v = p.values[slot];
  if ((kind == SymbolKind::kNumber && v.is_text()) ||
      (kind == SymbolKind::kText && v.is_number())) {
    return -1;
  }
  have = kind;
  return 0;
}

SymbolHandle ExpressProgram::Find(std::string_view name) const {
  return SymbolHandle{impl_->Slot(name)};
}

int ExpressProgram::SetNumber(std::string_view name, double value) {
  return impl_->SetNumber(impl_->Slot(name), value);
}

int ExpressProgram::SetNumber(SymbolHandle symbol, double value) {
  return impl_->SetNumber(impl_->Valid(symbol) ? symbol.index : -1, value);
}

int ExpressProgram::SetText(std::string_view name, std::string_view text) {
  return impl_->SetText(impl_->Slot(name), text);
}

int ExpressProgram::SetText(SymbolHandle symbol, std::string_view text) {
  return impl_->SetText(impl_->Valid(symbol) ? symbol.index : -1, text);
}

int ExpressProgram::GetNumber(std::string_view name, double* value) const {
  return impl_->GetNumber(impl_->Slot(name), value);
}

int ExpressProgram::GetNumber(SymbolHandle symbol, double* value) const {
  return impl_->GetNumber(impl_->Valid(symbol) ? symbol.index : -1, value);
}

int ExpressProgram::GetText(std::string_view name, std::string* text) const {
  const int slot = impl_->Slot(name);
  if (slot < 0 || !impl_->values[slot].is_text()) return -1;
  *text = impl_->values[slot].text;
  return 0;
}

int ExpressProgram::ListNames(std::vector<std::string>* names) const {
  *names = impl_->names;
  return static_cast<int>(names->size());
}

int ExpressProgram::Run() {
  Impl& p = *impl_;
  if (p.broken) {
    p.status = kExpressSyntaxError;
    return -1;
  }
  Diagnostics diagnostics(&p.diagnostic);
  Environment environment;
  environment.slots = p.values;
  for (const Statement& s : p.statements) {
    const int count =
        p.machine.Run(s.code, std::span<Value>(&p.result, 1), environment, &diagnostics);
    if (diagnostics.failed() || count != 1) {
      p.status = diagnostics.status();
      return -1;
    }
    Value& target = p.values[s.target_slot];
    const SymbolKind kind = p.kinds[s.target_slot];
    if ((kind == SymbolKind::kNumber && !p.result.is_number()) ||
        (kind == SymbolKind::kText && !p.result.is_text())) {
      diagnostics.Report(kExpressTypeMismatch, "Express error: Type mismatch error");
      p.status = diagnostics.status();
      return -1;
    }
    target.type = p.result.type;
    target.number = p.result.number;
    if (p.result.is_text()) target.text.assign(p.result.text);
  }
  p.status = diagnostics.status();
  return 0;
}

int ExpressProgram::status() const { return impl_->status; }

int ExpressProgram::statement_count() const {
  return static_cast<int>(impl_->statements.size());
}

std::string ExpressProgram::Debug() const {
  std::string out;
  for (const Statement& s : impl_->statements) {
    out += s.target;
    out += " =";
    out += s.expression;
    out += '\n';
  }
  return out;
}

}  // namespace tlv
