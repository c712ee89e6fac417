#include "post/split_file_names.h"

#include <cstdio>

#include "platform/paths.h"
#include "platform/text_encoding.h"

namespace tlv {
namespace {

std::string_view TrimTrailingBlanks(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The folder of a path with its separator: "/nc/A.NC" -> "/nc/".
std::string_view FolderWithSeparator(std::string_view path) {
  const std::size_t slash = FindLastSeparator(path);
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

}  // namespace

int SplitNumberDigits(int setting) { return setting >= 0 && setting <= 5 ? setting + 1 : 3; }

std::string PaddedNumber(long long number, int digits) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%0*lld", digits, number);
  return buffer;
}

std::string NumberedOutputName(std::string_view output_path, long long number, int digits,
                               std::string_view divided_ext) {
  const std::string printed = PaddedNumber(number, digits);
  const std::size_t dot = output_path.find('.');
  std::string name;
  if (dot != std::string_view::npos) {
    name.assign(output_path.substr(0, dot));
    name += printed;
    name += output_path.substr(dot);
    return name;
  }
  name.assign(output_path);
  name += '.';
  name += printed;
  if (!divided_ext.empty()) {
    name += '.';
    name += divided_ext;
  }
  return name;
}

std::string NameFromVariable(std::string_view cp932, std::size_t max_bytes,
                             bool trim_trailing_blanks) {
  if (max_bytes > 0) cp932 = CutCp932(cp932, max_bytes);
  if (trim_trailing_blanks) cp932 = TrimTrailingBlanks(cp932);
  return Cp932ToUtf8(cp932);
}

std::string NamedSplitPath(std::string_view output_path, std::string_view name, long long number,
                           int digits, std::string_view divided_ext) {
  std::string path(FolderWithSeparator(output_path));
  if (number >= 0) {
    path += TrimTrailingBlanks(name);
    path += PaddedNumber(number, digits);
  } else {
    path += name;
  }
  if (!divided_ext.empty()) {
    path += '.';
    path += divided_ext;
  }
  return path;
}

std::string CheckMadePath(std::string_view path, std::string_view name_part) {
  if (name_part.find_first_of("/\\") != std::string_view::npos) {
    return "ファイル名に使えない文字(/ \\)が含まれています";
  }
  if (FileNamePart(path).empty()) return "ファイル名が空です";
  if (Utf8ToCp932(path).size() > kMaxMadePathLength) {
    return "パス名が長すぎます(" + std::to_string(kMaxMadePathLength) + "文字まで)";
  }
  return "";
}

std::string SheetFileName(std::string_view output_path, int name_source,
                          std::string_view name, std::string_view ext) {
  std::string path;
  switch (name_source) {
    case 0:
      path.assign(output_path);
      break;
    case 1:
    case 2: {
      path.assign(FolderWithSeparator(output_path));
      std::string kept;
      for (char c : name) {
        if (c != ' ' && c != '\t') kept += c;
      }
      path += Cp932ToUtf8(kept);
      break;
    }
    default:
      return std::string(output_path);
  }
  if (!ext.empty()) {
    path += '.';
    path += ext;
  }
  return path;
}

}  // namespace tlv
