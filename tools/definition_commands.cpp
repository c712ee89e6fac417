// tlvdef new / convert / dump / build / list: whole definition files.
#include <ostream>

#include "definition/configuration_list.h"
#include "definition/definition_file.h"
#include "definition/post_definition.h"
#include "definition/text_form.h"
#include "definition/variable_dictionary.h"
#include "platform/paths.h"
#include "platform/settings_store.h"
#include "tools/tlvdef_commands.h"
#include "tools/tool_io.h"

namespace tlv {

namespace {

// Reads a definition file of any version the editor imports, starting from a
// new definition as the editor does.  With `exact`, a file of the current
// version is taken as it stands, without the settings the import would add
// from the dictionary, so that its text form builds back to the same bytes.
bool ReadDefinition(const std::string& path, const VariableDictionary& dict, bool exact,
                    ToolIo& io, PostDefinition* def) {
  std::string bytes;
  if (!ReadInputFile(path, io, &bytes)) return false;
  PostDefinition read = NewPostDefinition(dict);
  DefinitionResult result = ImportDefinitionBytes(
      bytes, dict, FeedAtRapidSetting(SettingsStore::OpenDefault()), &read);
  if (result.ok() && exact && result.format_version == kCurrentFormatVersion) {
    result = LoadDefinitionForRunBytes(bytes, &read);
  }
  if (!result.ok()) {
    ToolError(io, path + ": " + result.error);
    return false;
  }
  *def = std::move(read);
  return true;
}

int Save(const std::string& path, const PostDefinition& def, ToolIo& io) {
  const DefinitionResult result = SaveDefinitionFile(path, def);
  if (!result.ok()) return ToolError(io, result.error);
  return 0;
}

}  // namespace

int NewCommand(const ToolArgs& args, ToolIo& io) {
  if (!CheckArgs(args, 1, 0, true, "new -o OUT.tlv", io)) return 1;
  VariableDictionary dict;
  if (!LoadToolDictionary(args, io, &dict)) return 1;
  return Save(args.output, NewPostDefinition(dict), io);
}

int ConvertCommand(const ToolArgs& args, ToolIo& io) {
  if (!CheckArgs(args, 1, 1, true, "convert IN.tlv -o OUT.tlv", io)) return 1;
  VariableDictionary dict;
  if (!LoadToolDictionary(args, io, &dict)) return 1;
  PostDefinition def;
  if (!ReadDefinition(args.words[1], dict, /*exact=*/false, io, &def)) return 1;
  return Save(args.output, def, io);
}

int DumpCommand(const ToolArgs& args, ToolIo& io) {
  if (!CheckArgs(args, 1, 1, false, "dump IN.tlv", io)) return 1;
  VariableDictionary dict;
  if (!LoadToolDictionary(args, io, &dict)) return 1;
  PostDefinition def;
  if (!ReadDefinition(args.words[1], dict, /*exact=*/true, io, &def)) return 1;
  io.out << FormatTextForm(def, dict);
  return 0;
}

int BuildCommand(const ToolArgs& args, ToolIo& io) {
  if (!CheckArgs(args, 1, 1, true, "build IN.txt -o OUT.tlv", io)) return 1;
  VariableDictionary dict;
  if (!LoadToolDictionary(args, io, &dict)) return 1;
  const std::string& path = args.words[1];
  std::string text;
  if (!ReadInputFile(path, io, &text)) return 1;
  PostDefinition def;
  std::string err;
  if (!ParseTextForm(text, path, dict, &def, &err)) return ToolError(io, err);
  return Save(args.output, def, io);
}

int ListCommand(const ToolArgs& args, ToolIo& io) {
  if (!CheckArgs(args, 1, 1, true, "list IN.tlv -o LIST.txt [--parts PARTS]", io)) return 1;
  ListParts parts;
  std::string err;
  if (!ParseListParts(args.parts, &parts, &err)) return ToolError(io, err);
  VariableDictionary dict;
  if (!LoadToolDictionary(args, io, &dict)) return 1;
  const std::string& path = args.words[1];
  PostDefinition def;
  if (!ReadDefinition(path, dict, /*exact=*/false, io, &def)) return 1;
  // The list names the definition by its full path, as the editor does.
  const std::string shown = path.empty() || path[0] == '/' ? path
                                                           : JoinPath(CurrentDirectory(), path);
  if (!SaveConfigurationList(args.output, def, dict, shown, ListDate::Now(), parts, &err)) {
    return ToolError(io, err);
  }
  return 0;
}

}  // namespace tlv
