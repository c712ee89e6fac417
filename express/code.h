// The compiled form of an Express text: postfix instructions for a small
// stack machine, with the literals and names they refer to.
#ifndef TLV_EXPRESS_CODE_H_
#define TLV_EXPRESS_CODE_H_

#include <cstdint>
#include <string>
#include <vector>

namespace tlv {

/// Instructions.  Each pushes one value, or replaces the top value(s) by
/// their result, except kEnd, which pops one finished expression.
enum class Op : unsigned char {
  kNumber,  ///< push `number`
  kText,    ///< push texts[arg]
  kPi,      ///< push 3.141592653589793
  kName,    ///< push the value of names[arg]
  kNegate,  ///< unary "-"
  kIdentity,  ///< unary "+": only checks the type
  kMultiply,
  kDivide,
  kAdd,
  kSubtract,
  kLess,
  kLessEqual,
  kGreater,
  kGreaterEqual,
  kEqual,
  kNotEqual,
  kAnd,
  kOr,
  kCall,  ///< function `arg` (Function) on the top one or two values
  kEnd,   ///< pop one finished expression into the next result slot
};

struct Instruction {
  Op op;
  std::uint32_t arg = 0;
  double number = 0.0;
};

/// One parsed text: the expressions' instructions in order.
struct Code {
  std::vector<Instruction> instructions;
  std::vector<std::string> texts;  ///< text literals (already cut)
  std::vector<std::string> names;  ///< names read, each once, first use first
  /// Filled by a program's link step: the symbol slot of each name, or -1
  /// for PI (a constant unless declared).  Empty: names go to the lookup hook.
  std::vector<int> slots;
  int max_stack = 0;    ///< deepest stack the instructions need
  int expressions = 0;  ///< number of kEnd instructions

  void Clear();
  /// The instructions in postfix form, e.g. "1 2 3 * + ;" for "1 + 2 * 3".
  std::string Debug() const;
};

}  // namespace tlv

#endif  // TLV_EXPRESS_CODE_H_
