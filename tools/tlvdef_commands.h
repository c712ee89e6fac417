// The commands of tlvdef, one function each, and what they share: the
// parsed command line and the dictionary lookup.
#ifndef TLV_TOOLS_TLVDEF_COMMANDS_H_
#define TLV_TOOLS_TLVDEF_COMMANDS_H_

#include <string>
#include <vector>

#include "tools/tlvdef.h"

namespace tlv {

class VariableDictionary;
class SettingsStore;

/// The command line after the options are taken out.
struct ToolArgs {
  /// The command words and file names in order ("dict", "build", "x.txt").
  std::vector<std::string> words;
  /// -o FILE.
  std::string output;
  bool has_output = false;
  /// --dict FILE.
  std::string dict_path;
  bool has_dict = false;
  /// --parts LIST.
  std::string parts = "all";
};

/// The main key of the settings the editor and the post-processor share.
inline constexpr const char* kToolSettingsKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV";

/// Where the dictionary is read from: --dict, else the settings value
/// "TLVIni", else "TOLvek.ini" in the current folder.
std::string DictionaryPath(const ToolArgs& args, const SettingsStore& settings);

/// Loads the dictionary of DictionaryPath(); false after a message.
bool LoadToolDictionary(const ToolArgs& args, ToolIo& io, VariableDictionary* dict);

/// The rapid feed taken for definitions older than "TOLvek4.10": the
/// settings value "FeedAtRapid" read as a whole number; 10000 when the key
/// is missing, 2000 when the key exists without the value.
double FeedAtRapidSetting(const SettingsStore& settings);

/// Writes "tlvdef: " + message + LF to io.err; returns 1.
int ToolError(ToolIo& io, const std::string& message);

// Commands; `args.words` starts with the command's own words.  Each returns
// the exit status.
int DictBuildCommand(const ToolArgs& args, ToolIo& io);
int DictDumpCommand(const ToolArgs& args, ToolIo& io);
int NewCommand(const ToolArgs& args, ToolIo& io);
int ConvertCommand(const ToolArgs& args, ToolIo& io);
int DumpCommand(const ToolArgs& args, ToolIo& io);
int BuildCommand(const ToolArgs& args, ToolIo& io);
int ListCommand(const ToolArgs& args, ToolIo& io);
int CompileCommand(const ToolArgs& args, ToolIo& io);
int DecodeCommand(const ToolArgs& args, ToolIo& io);

}  // namespace tlv

#endif  // TLV_TOOLS_TLVDEF_COMMANDS_H_
