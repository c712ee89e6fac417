// tlvdef compile / decode: one section between display text and its
// compiled bytes, through standard input and output.
#include <algorithm>
#include <ostream>

#include "definition/section_compiler.h"
#include "definition/section_decoder.h"
#include "definition/variable_dictionary.h"
#include "platform/text_encoding.h"
#include "tools/tlvdef_commands.h"
#include "tools/tool_io.h"

namespace tlv {

int CompileCommand(const ToolArgs& args, ToolIo& io) {
  if (!CheckArgs(args, 1, 0, false, "compile < TEXT > BYTES", io)) return 1;
  VariableDictionary dict;
  if (!LoadToolDictionary(args, io, &dict)) return 1;
  const std::string utf8 = ReadAllInput(io);
  if (!IsValidUtf8(utf8)) return ToolError(io, "stdin: the text is not UTF-8");
  const std::string display = Utf8ToCp932(utf8);
  // Characters that code page 932 lacks would silently become '?'.
  if (std::count(display.begin(), display.end(), '?') !=
      std::count(utf8.begin(), utf8.end(), '?')) {
    return ToolError(io, "stdin: the text holds a character that code page 932 lacks");
  }
  const CompileResult result = CompileSection(display, dict);
  if (!result.ok) return ToolError(io, "stdin:" + result.Where());
  io.out << result.bytes;
  return 0;
}

int DecodeCommand(const ToolArgs& args, ToolIo& io) {
  if (!CheckArgs(args, 1, 0, false, "decode < BYTES > TEXT", io)) return 1;
  VariableDictionary dict;
  if (!LoadToolDictionary(args, io, &dict)) return 1;
  const std::string compiled = ReadAllInput(io);
  const DecodeResult result = DecodeSection(compiled, dict);
  if (!result.ok) {
    return ToolError(io, "stdin: byte " + std::to_string(result.error_offset) + ": " +
                             result.message);
  }
  io.out << Cp932ToUtf8(result.text);
  return 0;
}

}  // namespace tlv
