#include "format/format_engine.h"

#include "definition/post_definition.h"

namespace tlv {

FormatEngine::FormatEngine(const PostDefinition& definition, const VariableDictionary& dict,
                           EngineOutput& output, Prompts* prompts, const EngineRunSettings& run)
    : expander_(store_, output), user_(store_, prompts, output) {
  BuildVariableTable(dict, definition.variables, &store_);
  CoordinateSettings coordinates;
  coordinates.output_setting = definition.coordinate_mode.output_mode;
  coordinates.tool_centre = definition.coordinate_mode.tool_position != 0;
  coordinates.digits = definition.min_unit_digits;
  store_.SetCoordinateSettings(coordinates);

  ExpansionSettings settings;
  settings.split_by_code = (definition.split_mode.methods & kSplitByCode) != 0;
  settings.delete_null_line = run.delete_null_line;
  settings.no_rret_in_incremental = run.no_rret_in_incremental;
  expander_.set_settings(settings);
  expander_.set_sections(&definition.sections);
  expander_.SetCodes(definition.codes);
}

}  // namespace tlv
