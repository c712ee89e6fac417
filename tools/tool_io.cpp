#include "tools/tool_io.h"

#include <istream>
#include <iterator>

#include "platform/file_contents.h"

namespace tlv {

bool CheckArgs(const ToolArgs& args, std::size_t command_words, std::size_t files,
               bool needs_output, std::string_view usage, ToolIo& io) {
  if (args.words.size() != command_words + files || (needs_output && !args.has_output) ||
      (!needs_output && args.has_output)) {
    ToolError(io, "usage: tlvdef " + std::string(usage));
    return false;
  }
  return true;
}

std::string ReadAllInput(ToolIo& io) {
  return std::string(std::istreambuf_iterator<char>(io.in), std::istreambuf_iterator<char>());
}

bool ReadInputFile(const std::string& path, ToolIo& io, std::string* bytes) {
  std::string err;
  if (!ReadFileBytes(path, bytes, &err)) {
    ToolError(io, err);
    return false;
  }
  return true;
}

}  // namespace tlv
