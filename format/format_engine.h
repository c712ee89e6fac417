// The NC format engine of one job: the variable table, section expansion and
// the user-defined variables, set up from the post definition.
#ifndef TLV_FORMAT_FORMAT_ENGINE_H_
#define TLV_FORMAT_FORMAT_ENGINE_H_

#include <cstdint>

#include "format/section_expander.h"
#include "format/user_variables.h"
#include "format/variable_store.h"

namespace tlv {

struct PostDefinition;
class Prompts;
class VariableDictionary;

/// Run settings that reach the engine (the rest comes from the definition).
struct EngineRunSettings {
  /// PrmDeleteNullLine.
  bool delete_null_line = false;
  /// PrmNoAdmitRretCycle (on when the setting is missing).
  bool no_rret_in_incremental = true;
};

/// One job's engine.  Owns its variables; `definition` (its sections and
/// codes), `output` and `prompts` must outlive it.
///
/// **Example**:
///
///     FormatEngine engine(def, dict, output, prompts.get(), run);
///     engine.Lookup(51)->SetNumber(12.5);
///     engine.ExpandSection(8);   // LinearFeed
class FormatEngine {
 public:
  /// Builds the variable table from `dict` and the definition's variable
  /// settings, and takes the coordinate settings (output mode, tool-centre
  /// coordinates, minimum unit digits), the code-marker splitting and the
  /// cycle return codes from `definition`.
  FormatEngine(const PostDefinition& definition, const VariableDictionary& dict,
               EngineOutput& output, Prompts* prompts, const EngineRunSettings& run);

  /// Expands section `id` (see SectionExpander::ExpandSection).
  bool ExpandSection(int id) { return expander_.ExpandSection(id); }
  /// The variable `number`, or nullptr.
  Variable* Lookup(std::int32_t number) { return store_.Lookup(number); }

  VariableStore& variables() { return store_; }
  SectionExpander& expander() { return expander_; }
  UserVariables& user_variables() { return user_; }

 private:
  VariableStore store_;
  SectionExpander expander_;
  UserVariables user_;
};

}  // namespace tlv

#endif  // TLV_FORMAT_FORMAT_ENGINE_H_
