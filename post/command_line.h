// The command line of TLVP: the tool-path data file and the options
// "-tlv", "-out", "-mif", "-sgl" and "-xlf".
#pragma once

#include <string>
#include <string_view>

namespace tlv {

/// Limits of the command line.  A line, token or path over its limit is
/// refused with a message; nothing is cut.
inline constexpr std::size_t kMaxCommandLineLength = 499;
inline constexpr std::size_t kMaxCommandTokens = 10;
inline constexpr std::size_t kMaxTokenLength = 99;
inline constexpr std::size_t kMaxInputPathLength = 149;
inline constexpr std::size_t kMaxDefinitionPathLength = 149;
inline constexpr std::size_t kMaxOutputPathLength = 150;

/// What the command line asks for.  When `accepted` is false the line was
/// rejected: `out_text` holds what goes to standard output and `log_text`
/// what goes to the run log (either may be empty); the closing
/// "ファイルの指定に失敗しました。" line is the caller's.
struct CommandLine {
  bool accepted = false;
  std::string input_path;          ///< resolved against the start directory
  bool has_definition_path = false;
  std::string definition_path;     ///< "-tlv", resolved against the start directory
  bool has_output_path = false;
  std::string output_path;         ///< "-out", resolved against the save directory
  bool join_input_pieces = false;  ///< "-mif"
  bool keep_input = false;         ///< "-sgl"
  bool start_exporter = false;     ///< "-xlf"
  std::string out_text;
  std::string log_text;
};

/// Rebuilds the raw command line from the program's arguments: the
/// arguments after the program name, joined by single blanks.
std::string JoinArguments(int argc, const char* const* argv);

/// Parses the raw command line.  Tokens are the runs of non-blank
/// characters.  A name that holds no directory separator ('/' or '\') is
/// taken relative to `start_directory` (tool-path file, "-tlv") or
/// `save_directory` ("-out"); both end in a separator or are empty.  The
/// token after "-tlv" or "-out" is the name even when it begins with '-'.
/// A later tool-path name replaces an earlier one.
CommandLine ParseCommandLine(std::string_view line,
                             std::string_view start_directory,
                             std::string_view save_directory);

/// Length of a text as the system counts its limits: bytes in code page 932
/// (a Japanese character counts two, as in the data files; a character that
/// code page lacks counts one).
std::size_t SystemTextLength(std::string_view utf8);

}  // namespace tlv
