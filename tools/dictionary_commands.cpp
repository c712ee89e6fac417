// tlvdef dict build / dict dump: the binary dictionary and its source text.
#include <ostream>

#include "definition/variable_dictionary.h"
#include "tools/tlvdef_commands.h"
#include "tools/tool_io.h"

namespace tlv {

int DictBuildCommand(const ToolArgs& args, ToolIo& io) {
  if (!CheckArgs(args, 2, 1, true, "dict build SOURCE -o FILE", io)) return 1;
  const std::string& source = args.words[2];
  std::string text;
  if (!ReadInputFile(source, io, &text)) return 1;
  VariableDictionary dict;
  std::string err;
  if (!ParseDictionarySource(text, source, &dict, &err)) return ToolError(io, err);
  if (!SaveDictionaryFile(args.output, dict, &err)) return ToolError(io, err);
  return 0;
}

int DictDumpCommand(const ToolArgs& args, ToolIo& io) {
  if (!CheckArgs(args, 2, 1, false, "dict dump FILE", io)) return 1;
  VariableDictionary dict;
  std::string err;
  if (!LoadDictionaryFile(args.words[2], &dict, &err)) return ToolError(io, err);
  io.out << FormatDictionarySource(dict);
  return 0;
}

}  // namespace tlv
