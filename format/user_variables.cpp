#include "format/user_variables.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "format/engine_output.h"
#include "format/user_formula.h"
#include "platform/prompts.h"
#include "platform/run_log.h"
#include "platform/text_encoding.h"

namespace tlv {

namespace {

constexpr std::string_view kPromptTitle = "入力";
constexpr std::string_view kFormulaFailed = "計算式が正しく評価できません(%d)\n";

}  // namespace

UserVariables::UserVariables(VariableStore& store, Prompts* prompts, EngineOutput& output)
    : store_(store), prompts_(prompts), output_(output) {
  store_.set_user_hooks(this);
}

UserVariables::~UserVariables() {
  if (store_.user_hooks() == this) store_.set_user_hooks(nullptr);
}

void UserVariables::AskInput(Variable& v) {
  std::string answer;
  if (prompts_) {
    const std::string prompt = Cp932ToUtf8(CutCp932(v.message, kPromptBytes));
    std::optional<std::string> typed = prompts_->AskText(kPromptTitle, prompt, "");
    // The prompt has no cancel: a cancelled one counts as an empty answer.
    if (typed) answer = Utf8ToCp932(*typed);
  }
  v.SetText(CutCp932(answer, kAnswerBytes));
  v.CopyRunToSheet();
  if (v.ask_mode == 1) v.ask_mode = 0;
}

bool UserVariables::RunFormula(Variable& v) {
  if (v.user_value.empty()) return true;
  UserFormula formula;
  if (!formula.Compile(v.user_value)) {
    output_.Print(FormatMessage(kFormulaFailed, static_cast<int>(v.number)));
    return false;
  }
  formula.Run(store_);
  return true;
}

void UserVariables::Compute(Variable& v) {
  if (!RunFormula(v)) return;
  v.CopyRunToSheet();
  if (v.ask_mode == 1) v.ask_mode = 0;
}

void UserVariables::PreAskInputs() {
  for (auto& [number, v] : store_.variables()) {
    if (number < 2000 || number > 2100 || v.ask_mode != 1) continue;
    std::string discarded;
    store_.FormatAlways(v, &discarded, kAnswerBytes);
  }
}

void UserVariables::PrepareComputed() {
  for (auto& [number, v] : store_.variables()) {
    if (number < 2101 || number > 2200) continue;
    // The initial value counts as the first-time computation.
    if (v.use_value) AskInput(v);
    if (!v.modal) {
      if (RunFormula(v)) v.CopyRunToSheet();
    }
  }
}

void UserVariables::BeforeOutput(Variable& v, bool forced) {
  if (IsInputVariableNumber(v.number)) {
    // A fixed value is never asked for, whatever the reference.
    if (v.use_value) {
      v.SetText(v.user_value);
      v.CopyRunToSheet();
    } else if (forced) {
      if (v.ask_mode != 0 && v.slot().text.empty()) AskInput(v);
    } else if (v.ask_mode != 0) {
      AskInput(v);
    }
    return;
  }
  if (IsComputedVariableNumber(v.number) && v.ask_mode != 0) Compute(v);
}

int UserVariables::DueByTrial(Variable& v) {
  // The trial runs on the real table and puts back every variable the
  // formula can touch, so the answer costs no first-time computation and
  // changes no value, flag or slot.
  UserFormula formula;
  if (v.user_value.empty() || !formula.Compile(v.user_value)) return v.IsDueOwn();
  std::vector<std::pair<std::int32_t, Variable>> saved;
  for (std::int32_t n : formula.Numbers(store_)) saved.emplace_back(n, *store_.Lookup(n));
  saved.emplace_back(v.number, v);
  formula.Run(store_);
  const int due = v.IsDueOwn();
  for (auto& [n, copy] : saved) *store_.Lookup(n) = std::move(copy);
  return due;
}

}  // namespace tlv
