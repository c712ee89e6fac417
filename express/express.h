// The Express program object: a list of assignment statements compiled once,
// a symbol table the host fills and reads, and runs of the statements.
#ifndef TLV_EXPRESS_EXPRESS_H_
#define TLV_EXPRESS_EXPRESS_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "express/value.h"

namespace tlv {

/// Declared kind of a symbol.
enum class SymbolKind { kAny = 0, kNumber = 1, kText = 2 };

/// A pre-resolved symbol of one ExpressProgram (see ExpressProgram::Find).
/// Stays valid until the next Compile with reset.
struct SymbolHandle {
  int index = -1;
  bool valid() const { return index >= 0; }
};

/// A program of statements `name = expression;` and its symbols.
///
/// Hosts compile once and run many times; the hot use (set an input, run,
/// read the result) does not allocate once every text has been seen:
///
///     ExpressProgram p;
///     if (p.Compile("a = a*2;", true) == 0) {
///       SymbolHandle a = p.Find("a");
///       p.SetNumber(a, 1.5);
///       if (p.Run() == 0) p.GetNumber(a, &x);   // x == 3
///     }
///
/// Symbols are kept in declaration order and looked up by exact,
/// case-sensitive comparison of their (at most 255-byte) names; a longer name
/// given to any call is cut the same way the lexer cuts it.  A newly declared
/// symbol has no value.  Not thread-safe; one object per thread.
class ExpressProgram {
 public:
  ExpressProgram();
  ~ExpressProgram();
  ExpressProgram(const ExpressProgram&) = delete;
  ExpressProgram& operator=(const ExpressProgram&) = delete;
  ExpressProgram(ExpressProgram&&) noexcept;
  ExpressProgram& operator=(ExpressProgram&&) noexcept;

  /// Receives the diagnostic texts of Compile and Run.  Empty by default:
  /// nothing is built or shown.
  void set_diagnostic_hook(DiagnosticHook hook);

  /// Reads the statements of `text` (`name = expression;`, the last ";" may
  /// be left out) and adds them to the program; with `reset` the program and
  /// the symbol table are cleared first.  Every target and every name an
  /// expression reads (except PI, in any case) is declared with kind kAny if
  /// new.  Returns 0, or -1 when a statement does not start with a name and
  /// "=", has an empty expression, has more than one expression, or its
  /// expression fails the check-only evaluation (syntax, known types).
  /// A text of blanks and comments only compiles to no statements.
  /// After a failure no statement of `text` is kept and Run fails until a
  /// later Compile succeeds; status() tells why.
  int Compile(std::string_view text, bool reset);

  /// Adds the symbol `name` if missing.  Redeclaring with kAny, or with the
  /// kind the symbol has, changes nothing; a kAny symbol takes the new kind
  /// unless its value is of the other type.  Returns 0, or -1 when the name
  /// is empty or a number symbol would become text or the other way round.
  int Declare(std::string_view name, SymbolKind kind);

  /// The handle of a declared symbol; invalid when `name` is not declared.
  SymbolHandle Find(std::string_view name) const;

  /// Stores a number in a declared symbol.  Returns 0, or -1 when the symbol
  /// is not declared or is declared as text.
  int SetNumber(std::string_view name, double value);
  int SetNumber(SymbolHandle symbol, double value);

  /// Stores a text (cut to 255 bytes, never inside a double-byte character).
  /// Returns 0, or -1 when the symbol is not declared or is declared as a
  /// number.
  int SetText(std::string_view name, std::string_view text);
  int SetText(SymbolHandle symbol, std::string_view text);

  /// Reads a symbol's number.  Returns 0, or -1 (and leaves `*value` alone)
  /// when the symbol is not declared or holds no number (a text, or no value).
  int GetNumber(std::string_view name, double* value) const;
  int GetNumber(SymbolHandle symbol, double* value) const;

  /// Reads a symbol's text.  Returns 0, or -1 (and leaves `*text` alone)
  /// when the symbol is not declared or holds no text.
  int GetText(std::string_view name, std::string* text) const;

  /// Replaces `*names` with the names of all symbols in table order; returns
  /// their count.
  int ListNames(std::vector<std::string>* names) const;

  /// Evaluates the statements in order and assigns each result to its target.
  /// Returns 0, or -1 at the first statement whose expression produces no
  /// value (division by zero, a variable without value, a domain error, ...)
  /// or whose result does not fit the target's declared kind; that target
  /// keeps its value and earlier statements keep their effect.  Also -1 when
  /// the last Compile failed.  Symbols keep their values between runs.
  int Run();

  /// Status code of the last Compile or Run (ExpressStatus): the largest seen,
  /// or the error that ended it.
  int status() const;

  /// Number of compiled statements.
  int statement_count() const;

  /// The statements as "target = expression" lines, for tests and logs.
  std::string Debug() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tlv

#endif  // TLV_EXPRESS_EXPRESS_H_
