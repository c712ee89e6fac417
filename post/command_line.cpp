#include "post/command_line.h"

#include <vector>

#include "platform/paths.h"
#include "platform/text_encoding.h"

namespace tlv {
namespace {

std::string Resolve(std::string_view name, std::string_view directory) {
  if (HasSeparator(name)) return std::string(name);
  std::string path(directory);
  path += name;
  return path;
}

CommandLine Reject(std::string out, std::string log) {
  CommandLine result;
  result.out_text = std::move(out);
  result.log_text = std::move(log);
  return result;
}

CommandLine RejectBoth(const std::string& text) { return Reject(text, text); }

// A path over its limit would not fit the fields that hold it; the run
// stops here rather than work on a cut name.
bool PathTooLong(std::string_view what, const std::string& path,
                 std::size_t limit, CommandLine* rejected) {
  if (SystemTextLength(path) <= limit) return false;
  *rejected = RejectBoth("Error: " + std::string(what) + "のパスが長すぎます(" +
                         std::to_string(limit) + " 文字まで): " + path + "\n");
  return true;
}

}  // namespace

std::string JoinArguments(int argc, const char* const* argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

std::size_t SystemTextLength(std::string_view utf8) {
  return Utf8ToCp932(utf8).size();
}

CommandLine ParseCommandLine(std::string_view line,
                             std::string_view start_directory,
                             std::string_view save_directory) {
  if (SystemTextLength(line) > kMaxCommandLineLength) {
    return RejectBoth("Error: コマンドラインが長すぎます(" +
                      std::to_string(kMaxCommandLineLength) + " 文字まで)。\n");
  }

  std::vector<std::string_view> tokens;
  for (std::size_t i = 0; i < line.size();) {
    if (line[i] == ' ') {
      ++i;
      continue;
    }
    std::size_t end = line.find(' ', i);
    if (end == std::string_view::npos) end = line.size();
    tokens.push_back(line.substr(i, end - i));
    i = end;
  }
  // Tokens past the tenth were never looked at; an option among them (say
  // "-sgl") would be lost without a word, so such a line is refused.
  if (tokens.size() > kMaxCommandTokens) {
    return RejectBoth("Error: コマンドラインの指定が多すぎます(" +
                      std::to_string(kMaxCommandTokens) + " 個まで)。\n");
  }
  for (std::string_view token : tokens) {
    if (SystemTextLength(token) > kMaxTokenLength) {
      return RejectBoth("Error: 指定が長すぎます(" +
                        std::to_string(kMaxTokenLength) +
                        " 文字まで): " + std::string(token) + "\n");
    }
  }

  CommandLine result;
  enum class Expect { kAny, kDefinition, kOutput } expect = Expect::kAny;
  bool have_input = false;
  for (std::string_view token : tokens) {
    switch (expect) {
      case Expect::kDefinition:
        result.has_definition_path = true;
        result.definition_path = Resolve(token, start_directory);
        expect = Expect::kAny;
        continue;
      case Expect::kOutput:
        result.has_output_path = true;
        result.output_path = Resolve(token, save_directory);
        expect = Expect::kAny;
        continue;
      case Expect::kAny:
        break;
    }
    if (token == "-tlv") {
      expect = Expect::kDefinition;
    } else if (token == "-out") {
      expect = Expect::kOutput;
    } else if (token == "-mif") {
      result.join_input_pieces = true;
    } else if (token == "-sgl") {
      result.keep_input = true;
    } else if (token == "-xlf") {
      result.start_exporter = true;
    } else if (token.front() == '-') {
      return Reject("Error: illegal Option " + std::string(token) + "\n", "");
    } else {
      have_input = true;
      result.input_path = Resolve(token, start_directory);
    }
  }

  if (expect == Expect::kDefinition) {
    return Reject("", "Error: -tlv の後にファイル名が指定されていません。\n");
  }
  if (expect == Expect::kOutput) {
    return Reject("", "Error: -out の後にファイル名が指定されていません。\n");
  }
  if (!have_input) {
    return Reject("", "Error: 入力ファイル名が指定されていません。\n");
  }

  CommandLine rejected;
  if (PathTooLong("入力ファイル", result.input_path, kMaxInputPathLength,
                  &rejected) ||
      (result.has_definition_path &&
       PathTooLong("TLVファイル", result.definition_path,
                   kMaxDefinitionPathLength, &rejected)) ||
      (result.has_output_path &&
       PathTooLong("出力ファイル", result.output_path, kMaxOutputPathLength,
                   &rejected))) {
    return rejected;
  }
  result.accepted = true;
  return result;
}

}  // namespace tlv
