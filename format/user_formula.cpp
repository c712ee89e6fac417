#include "format/user_formula.h"

#include <string>

#include "express/express.h"
#include "format/variable_store.h"
#include "platform/numbers.h"

namespace tlv {

namespace {

// Texts handed to a program keep this many bytes.
constexpr std::size_t kFormulaTextBytes = 256;

}  // namespace

struct UserFormula::Impl {
  ExpressProgram program;
  std::vector<std::string> names;
  bool compiled = false;
};

UserFormula::UserFormula() : impl_(std::make_unique<Impl>()) {}
UserFormula::~UserFormula() = default;

bool UserFormula::Compile(std::string_view formula) {
  impl_->compiled = impl_->program.Compile(formula, true) == 0;
  impl_->names.clear();
  if (impl_->compiled) impl_->program.ListNames(&impl_->names);
  return impl_->compiled;
}

namespace {

// The engine variable a symbol names: "_" and a decimal number.
Variable* EngineVariable(VariableStore& store, const std::string& name) {
  if (name.size() < 2 || name[0] != '_') return nullptr;
  return store.Lookup(ParseLeadingInt(std::string_view(name).substr(1)));
}

}  // namespace

std::vector<std::int32_t> UserFormula::Numbers(VariableStore& store) const {
  std::vector<std::int32_t> numbers;
  for (const std::string& name : impl_->names) {
    if (Variable* v = EngineVariable(store, name)) numbers.push_back(v->number);
  }
  return numbers;
}

void UserFormula::Run(VariableStore& store) {
  if (!impl_->compiled) return;
  ExpressProgram& p = impl_->program;
  for (const std::string& name : impl_->names) {
    Variable* v = EngineVariable(store, name);
    if (!v) continue;
    if (v->is_text) {
      p.SetText(name, v->GetText(kFormulaTextBytes));
    } else {
      p.SetNumber(name, v->GetNumber());
    }
  }
  p.Run();
  for (const std::string& name : impl_->names) {
    Variable* v = EngineVariable(store, name);
    double value = 0;
    if (v && p.GetNumber(name, &value) == 0) v->SetNumber(value);
  }
}

}  // namespace tlv
