#include "express/code.h"

#include <cstdio>
#include <iterator>

#include "express/functions.h"

namespace tlv {

void Code::Clear() {
  instructions.clear();
  texts.clear();
  names.clear();
  slots.clear();
  max_stack = 0;
  expressions = 0;
}

std::string Code::Debug() const {
  static constexpr const char* kOpText[] = {
      "", "", "PI", "", "neg", "pos", "*", "/", "+", "-", "<", "<=", ">", ">=", "==", "<>",
      "AND", "OR", "", ";"};
  static_assert(std::size(kOpText) == static_cast<std::size_t>(Op::kEnd) + 1,
                "op text table must match enum Op");
  std::string out;
  for (const Instruction& ins : instructions) {
    if (!out.empty()) out += ' ';
    switch (ins.op) {
      case Op::kNumber: {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%g", ins.number);
        out += buffer;
        break;
      }
      case Op::kText: out += '"' + texts[ins.arg] + '"'; break;
      case Op::kName: out += names[ins.arg]; break;
      case Op::kCall:
        out += GetFunctionInfo(static_cast<Function>(ins.arg)).name;
        out += "()";
        break;
      default: out += kOpText[static_cast<std::size_t>(ins.op)]; break;
    }
  }
  return out;
}

}  // namespace tlv
