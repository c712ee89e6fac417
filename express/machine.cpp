#include "express/machine.h"

#include <algorithm>

#include "express/functions.h"
#include "express/parser.h"

namespace tlv {
namespace {

constexpr double kPi = 3.141592653589793;

// Copies a value into a stack slot, reusing the slot's text capacity.
void Assign(Value& to, const Value& from) {
  to.type = from.type;
  to.number = from.number;
  if (from.type == ValueType::kText) to.text.assign(from.text);
}

}  // namespace

Machine::Machine() = default;
Machine::~Machine() = default;

int Machine::Run(const Code& code, std::span<Value> results, const Environment& environment,
                 Diagnostics* diagnostics) {
  environment_ = &environment;
  diagnostics_ = diagnostics;
  evaluating_.clear();
  return RunAt(code, 0, results);
}

int Machine::RunAt(const Code& code, std::size_t base, std::span<Value> results) {
  const std::size_t need = base + static_cast<std::size_t>(code.max_stack) + 1;
  if (stack_.size() < need) stack_.resize(need);
  std::size_t top = base;  // first free slot
  int count = 0;
  for (const Instruction& ins : code.instructions) {
    switch (ins.op) {
      case Op::kNumber: stack_[top++].SetNumber(ins.number); break;
      case Op::kText: {
        Value& v = stack_[top++];
        v.type = ValueType::kText;
        v.text.assign(code.texts[ins.arg]);
        break;
      }
      case Op::kPi: stack_[top++].SetNumber(kPi); break;
      case Op::kName:
        // A formula read here may run nested code above `top` and grow the
        // stack, so no reference into it is held across this call.
        PushName(code, ins.arg, top);
        ++top;
        if (diagnostics_->failed()) return count;
        break;
      case Op::kNegate:
      case Op::kIdentity: {
        Value& v = stack_[top - 1];
        if (v.type == ValueType::kText) {
          diagnostics_->Report(kExpressTypeMismatch,
                               ins.op == Op::kNegate
                                   ? "Express error: Type mismatch error for unary '-'"
                                   : "Express error: Type mismatch error for unary '+'");
          return count;
        }
        if (ins.op == Op::kNegate && v.type == ValueType::kNumber) v.number = -v.number;
        break;
      }
      case Op::kCall: {
        const auto function = static_cast<Function>(ins.arg);
        if (GetFunctionInfo(function).arity == 2) {
          --top;
          ApplyFunction(function, stack_[top - 1], stack_[top], &stack_[top - 1], diagnostics_);
        } else {
          ApplyFunction(function, stack_[top - 1], stack_[top - 1], &stack_[top - 1],
                        diagnostics_);
        }
        if (diagnostics_->failed()) return count;
        break;
      }
      case Op::kEnd: {
        const Value& v = stack_[--top];
        if (v.type == ValueType::kNone) break;  // no value, no slot
        if (static_cast<std::size_t>(count) >= results.size()) {
          diagnostics_->Report(kExpressInvalidArguments, "Express error: invalid arguments");
          return count;
        }
        Assign(results[count++], v);
        break;
      }
      default:  // binary operators
        --top;
        ApplyBinary(ins.op, stack_[top - 1], stack_[top]);
        if (diagnostics_->failed()) return count;
        break;
    }
  }
  return count;
}

void Machine::ApplyBinary(Op op, Value& left, const Value& right) {
  const bool comparison = op == Op::kEqual || op == Op::kNotEqual;
  if (comparison ? (left.type != ValueType::kNone && right.type != ValueType::kNone &&
                    left.type != right.type)
                 : (left.type == ValueType::kText || right.type == ValueType::kText)) {
    diagnostics_->Report(kExpressTypeMismatch, "Express error: Type mismatch error");
    return;
  }
  // An operand without value (a division by zero, an unset variable) makes
  // the result have none; its status has been raised already.
  if (left.type == ValueType::kNone || right.type == ValueType::kNone) return left.SetNone();
  if (comparison) {
    const bool equal = left.type == ValueType::kText ? left.text == right.text
                                                     : left.number == right.number;
    return left.SetNumber((op == Op::kEqual) == equal ? 1.0 : 0.0);
  }
  const double a = left.number;
  const double b = right.number;
  double r = 0.0;
  switch (op) {
    case Op::kMultiply: r = a * b; break;
    case Op::kDivide:
      // Unlike C++ (which gives infinity or NaN), dividing by zero (either
      // sign) is a soft error: the expression has no value.
      if (b == 0.0) {
        diagnostics_->Report(kExpressDomainError, "Express error: Dividing by zero");
        return left.SetNone();
      }
      r = a / b;
      break;
    case Op::kAdd: r = a + b; break;
    case Op::kSubtract: r = a - b; break;
    case Op::kLess: r = a < b; break;
    case Op::kLessEqual: r = a <= b; break;
    case Op::kGreater: r = a > b; break;
    case Op::kGreaterEqual: r = a >= b; break;
    // Both operands are always evaluated: no short circuit.
    case Op::kAnd: r = (a != 0.0 && b != 0.0); break;
    case Op::kOr: r = (a != 0.0 || b != 0.0); break;
    default: break;
  }
  left.SetNumber(r);
}

void Machine::PushName(const Code& code, std::uint32_t index, std::size_t at) {
  if (!code.slots.empty()) {
    const int slot = code.slots[index];
    if (slot < 0) return stack_[at].SetNumber(kPi);
    const Value& v = environment_->slots[static_cast<std::size_t>(slot)];
    if (v.type == ValueType::kNone) {
      // A declared symbol without value reads as an empty formula.
      diagnostics_->Raise(kExpressUndefinedValue);
      return stack_[at].SetNone();
    }
    return Assign(stack_[at], v);
  }
  PushLookup(code.names[index], at);
}

void Machine::PushLookup(std::string_view name, std::size_t at) {
  const LookupHook* lookup = environment_->lookup;
  if (lookup == nullptr || !*lookup) {
    if (IsPiName(name)) return stack_[at].SetNumber(kPi);
    diagnostics_->Report(kExpressSyntaxError, "Express error: unexpected character '", name, "'");
    return stack_[at].SetNone();
  }
  LookupAnswer answer;
  if (!(*lookup)(name, &answer)) {
    if (IsPiName(name)) return stack_[at].SetNumber(kPi);
    diagnostics_->Raise(kExpressUnknownVariable);
    return stack_[at].SetNone();
  }
  switch (answer.kind) {
    case LookupKind::kNumber: return stack_[at].SetNumber(answer.number);
    case LookupKind::kText: return stack_[at].SetText(answer.text);
    case LookupKind::kFormula: return PushFormula(name, answer.text, at);
  }
  stack_[at].SetNone();
}

void Machine::PushFormula(std::string_view name, std::string_view formula, std::size_t at) {
  stack_[at].SetNone();
  if (formula.empty()) {
    // An empty formula is a variable without value.
    diagnostics_->Raise(kExpressUndefinedValue);
    return;
  }
  if (std::find(evaluating_.begin(), evaluating_.end(), name) != evaluating_.end()) {
    diagnostics_->Report(kExpressSelfReference, "Express error: self referenced variable");
    return;
  }
  const std::size_t depth = evaluating_.size();
  if (depth >= static_cast<std::size_t>(kExpressMaxFormulaDepth)) {
    diagnostics_->Report(kExpressOutOfMemory, "Express error: out of memory");
    return;
  }
  if (formula_code_.empty()) {
    // Sized once: an outer formula's result slot is in use while inner ones
    // run, so these vectors must never move.
    formula_code_.resize(kExpressMaxFormulaDepth);
    formula_result_.resize(kExpressMaxFormulaDepth);
  }
  if (!formula_code_[depth]) formula_code_[depth] = std::make_unique<Code>();
  Code& code = *formula_code_[depth];
  // The formula is parsed before anything else asks the hook, while its text
  // is still valid; `name` lives in the reading Code, which stays put.
  if (!ParseExpressions(formula, &code, diagnostics_)) return;
  evaluating_.push_back(name);
  const int count = RunAt(code, at + 1, std::span<Value>(&formula_result_[depth], 1));
  evaluating_.pop_back();
  if (diagnostics_->failed()) return;
  if (count != 1) {
    diagnostics_->Raise(kExpressUndefinedValue);
    return;
  }
  Assign(stack_[at], formula_result_[depth]);
}

}  // namespace tlv
