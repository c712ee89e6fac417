// Small helpers the tlvdef commands share for their arguments and streams.
#ifndef TLV_TOOLS_TOOL_IO_H_
#define TLV_TOOLS_TOOL_IO_H_

#include <string>
#include <string_view>

#include "tools/tlvdef_commands.h"

namespace tlv {

/// Checks that the command has exactly `files` file names after its
/// `command_words` words and, when `needs_output`, an -o FILE; otherwise
/// reports `usage` and returns false.
bool CheckArgs(const ToolArgs& args, std::size_t command_words, std::size_t files,
               bool needs_output, std::string_view usage, ToolIo& io);

/// Reads all of io.in.
std::string ReadAllInput(ToolIo& io);

/// Reads the file at `path`; false after a message.
bool ReadInputFile(const std::string& path, ToolIo& io, std::string* bytes);

}  // namespace tlv

#endif  // TLV_TOOLS_TOOL_IO_H_
