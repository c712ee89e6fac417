// The formula of a computed user variable: an Express program in which
// every engine variable is written "_" and its number ("_2101 = _10 * 2;").
#ifndef TLV_FORMAT_USER_FORMULA_H_
#define TLV_FORMAT_USER_FORMULA_H_

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace tlv {

class VariableStore;

class UserFormula {
 public:
  UserFormula();
  ~UserFormula();
  UserFormula(const UserFormula&) = delete;
  UserFormula& operator=(const UserFormula&) = delete;

  /// Compiles `formula` (CP932) into a fresh program.  False when it does
  /// not compile.
  bool Compile(std::string_view formula);

  /// The engine variable numbers the program names ("_" names whose rest
  /// is a decimal number the store holds), in the program's symbol order.
  std::vector<std::int32_t> Numbers(VariableStore& store) const;

  /// Hands the values of the "_" variables to the program, runs it (a
  /// failing statement stops the run; earlier ones keep their effect), and
  /// stores every "_" symbol that holds a number back with SetNumber, so
  /// change detection and zero suppression apply.  Names the store does not
  /// hold are ignored both ways.
  void Run(VariableStore& store);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tlv

#endif  // TLV_FORMAT_USER_FORMULA_H_
