// User-defined variables: input variables the operator answers (or the
// definition fixes) and computed variables a formula fills, hooked into the
// output rule of the variable store.
#ifndef TLV_FORMAT_USER_VARIABLES_H_
#define TLV_FORMAT_USER_VARIABLES_H_

#include "format/variable_store.h"

namespace tlv {

class EngineOutput;
class Prompts;

/// Longest prompt text shown, and longest answer kept, in CP932 bytes.
inline constexpr std::size_t kPromptBytes = 100;
inline constexpr std::size_t kAnswerBytes = 49;

class UserVariables : public UserVariableHooks {
 public:
  /// Attaches itself to `store` as its user hooks; detaches when destroyed.
  /// `prompts` asks the operator (a null one answers every prompt empty).
  UserVariables(VariableStore& store, Prompts* prompts, EngineOutput& output);
  ~UserVariables() override;
  UserVariables(const UserVariables&) = delete;
  UserVariables& operator=(const UserVariables&) = delete;

  /// Shows the variable's message in the input prompt, stores the answer
  /// (at most 49 bytes; empty at end of input) with SetText, copies it to
  /// the sheet slot, and turns "first time only" into "done".
  void AskInput(Variable& v);

  /// Runs the variable's formula (a formula that does not compile is
  /// reported on standard output and changes nothing), copies the run slot
  /// to the sheet slot, and turns "first time only" into "done".
  void Compute(Variable& v);

  /// Before the run: asks every input variable (2000..2100) that is asked
  /// only the first time.
  void PreAskInputs();
  /// Before the run: asks computed variables (2101..2200) with an initial
  /// value for it, and computes the non-modal ones once.
  void PrepareComputed();

  void BeforeOutput(Variable& v, bool forced) override;
  int DueByTrial(Variable& v) override;

 private:
  /// Runs the formula; false (with the message) when it does not compile.
  bool RunFormula(Variable& v);

  VariableStore& store_;
  Prompts* prompts_;
  EngineOutput& output_;
};

}  // namespace tlv

#endif  // TLV_FORMAT_USER_VARIABLES_H_
