#include "tools/tlvdef.h"

#include <ostream>

#include "definition/variable_dictionary.h"
#include "platform/settings_store.h"
#include "tools/tlvdef_commands.h"

namespace tlv {

namespace {

constexpr const char* kUsage =
    "usage: tlvdef [--dict FILE] COMMAND ...\n"
    "\n"
    "  dict build SOURCE -o FILE   dictionary source text to the binary dictionary\n"
    "  dict dump FILE              the binary dictionary back to source text\n"
    "  new -o OUT.tlv              a new definition with every default\n"
    "  convert IN.tlv -o OUT.tlv   a definition of any known version, written as\n"
    "                              the current version\n"
    "  dump IN.tlv                 the definition in its text form (UTF-8)\n"
    "  build IN.txt -o OUT.tlv     the text form back to a definition file\n"
    "  compile                     section display text (standard input, UTF-8)\n"
    "                              to compiled bytes (standard output)\n"
    "  decode                      compiled section bytes (standard input) to\n"
    "                              display text (standard output, UTF-8)\n"
    "  list IN.tlv -o LIST.txt [--parts PARTS]\n"
    "                              the configuration list; PARTS is a comma list\n"
    "                              of codes, formats, coord, split, user1, user2,\n"
    "                              sheet, gm, or all (the default)\n"
    "\n"
    "The dictionary is --dict FILE, else the settings value \"TLVIni\", else\n"
    "TOLvek.ini in the current folder.  Messages go to standard error; a\n"
    "failure ends with status 1.\n";

// Takes the options out of `raw`; false after a message.
bool ParseArgs(const std::vector<std::string>& raw, ToolArgs* args, bool* help, ToolIo& io) {
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const std::string& a = raw[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= raw.size()) {
        ToolError(io, "option " + a + " needs a value");
        return false;
      }
      *out = raw[++i];
      return true;
    };
    if (a == "--help" || a == "-h") {
      *help = true;
    } else if (a == "-o") {
      if (!value(&args->output)) return false;
      args->has_output = true;
    } else if (a == "--dict") {
      if (!value(&args->dict_path)) return false;
      args->has_dict = true;
    } else if (a.rfind("--dict=", 0) == 0) {
      args->dict_path = a.substr(7);
      args->has_dict = true;
    } else if (a == "--parts") {
      if (!value(&args->parts)) return false;
    } else if (a.rfind("--parts=", 0) == 0) {
      args->parts = a.substr(8);
    } else if (a.size() > 1 && a[0] == '-') {
      ToolError(io, "unknown option " + a + " (see tlvdef --help)");
      return false;
    } else {
      args->words.push_back(a);
    }
  }
  return true;
}

}  // namespace

int ToolError(ToolIo& io, const std::string& message) {
  io.err << "tlvdef: " << message << '\n';
  io.err.flush();
  return 1;
}

std::string DictionaryPath(const ToolArgs& args, const SettingsStore& settings) {
  if (args.has_dict) return args.dict_path;
  // The settings value holds at most 100 bytes with its terminator.
  const std::optional<std::string> configured = settings.ReadText(kToolSettingsKey, "TLVIni", 99);
  if (configured && !configured->empty()) return *configured;
  return "TOLvek.ini";
}

bool LoadToolDictionary(const ToolArgs& args, ToolIo& io, VariableDictionary* dict) {
  std::string path = args.dict_path;
  if (!args.has_dict) path = DictionaryPath(args, SettingsStore::OpenDefault());
  std::string err;
  if (!LoadDictionaryFile(path, dict, &err)) {
    ToolError(io, err);
    return false;
  }
  return true;
}

double FeedAtRapidSetting(const SettingsStore& settings) {
  if (!settings.KeyExists(kToolSettingsKey)) return 10000.0;
  const std::optional<int> feed = settings.ReadNumber(kToolSettingsKey, "FeedAtRapid");
  return feed ? static_cast<double>(*feed) : 2000.0;
}

int RunTlvdef(const std::vector<std::string>& raw, ToolIo io) {
  ToolArgs args;
  bool help = false;
  if (!ParseArgs(raw, &args, &help, io)) return 1;
  if (help) {
    io.out << kUsage;
    return 0;
  }
  if (args.words.empty()) {
    io.err << kUsage;
    return 1;
  }
  const std::string& command = args.words[0];
  if (command == "dict") {
    const std::string sub = args.words.size() > 1 ? args.words[1] : std::string();
    if (sub == "build") return DictBuildCommand(args, io);
    if (sub == "dump") return DictDumpCommand(args, io);
    return ToolError(io, "dict needs 'build' or 'dump' (see tlvdef --help)");
  }
  if (command == "new") return NewCommand(args, io);
  if (command == "convert") return ConvertCommand(args, io);
  if (command == "dump") return DumpCommand(args, io);
  if (command == "build") return BuildCommand(args, io);
  if (command == "compile") return CompileCommand(args, io);
  if (command == "decode") return DecodeCommand(args, io);
  if (command == "list") return ListCommand(args, io);
  return ToolError(io, "unknown command '" + command + "' (see tlvdef --help)");
}

}  // namespace tlv
