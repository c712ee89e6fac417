#include "exporter/layout_file.h"

#include <cmath>
#include <limits>
#include <vector>

#include "platform/file_contents.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/text_encoding.h"

namespace tlv {
namespace {

enum class Section { kNone, kSkipped, kValues, kActive, kPositions, kCaptions, kTypes };

constexpr std::string_view kSkippedTags[] = {"[MATERIAL]", "[ELECTRODE]", "[MACHINE]",
                                             "[WORKERNAME]", "[EXCELFILE]"};

class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}
  bool Next(std::string_view* line) {
    if (pos_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    *line = text_.substr(pos_, end - pos_);
    if (!line->empty() && line->back() == '\r') line->remove_suffix(1);
    pos_ = end + 1;
    ++number_;
    return true;
  }
  int number() const { return number_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  int number_ = 0;
};

bool ToInt16(std::string_view text, std::int16_t* value) {
  double rounded = std::nearbyint(ParseLeadingDouble(text));
  if (!(rounded >= std::numeric_limits<std::int16_t>::min() &&
        rounded <= std::numeric_limits<std::int16_t>::max())) {
    return false;
  }
  *value = static_cast<std::int16_t>(rounded);
  return true;
}

// Line text for the file: a line end inside a value would split it into two
// lines and shift every line after it.
std::string OneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  return line;
}

}  // namespace

bool ParseLayoutFile(std::string_view bytes, std::string_view name, PageLayout* layout,
                     std::string* err) {
  const std::string text = Cp932ToUtf8(bytes);
  LineReader lines(text);
  PageLayout read = *layout;
  std::string_view line;
  auto fail = [&](const std::string& why) {
    *err = std::string(name) + ":" + std::to_string(lines.number()) + ": " + why;
    return false;
  };
  auto number = [&](std::int16_t* value) {
    if (!lines.Next(&line)) return fail("the section ends too early");
    if (!ToInt16(line, value)) return fail("number out of range: " + std::string(line));
    return true;
  };

  Section section = Section::kNone;
  int index = 0;
  while (lines.Next(&line)) {
    if (line == "[END]") break;
    if (line == "[PAGESETTING]") {
      section = Section::kNone;
      for (std::int16_t* value : {&read.PageLine1, &read.StrtLine1, &read.EndLine1,
                                  &read.PageLine2, &read.StrtLine2, &read.EndLine2,
                                  &read.csvHeader, &read.csvMain}) {
        if (!number(value)) return false;
      }
      if (!lines.Next(&line)) return fail("the section ends too early");
      read.ColSequence = line;
      if (!number(&read.SwFirstPage) || !number(&read.ColumnNumber)) return false;
      continue;
    }
    if (line == "[COLUMNSETTING]") {
      section = Section::kNone;
      std::int16_t count = 0;
      if (!number(&count)) return false;
      read.columns.clear();
      for (int i = 0; i < count; ++i) {
        std::int16_t column = 0;
        if (!number(&column)) return false;
        read.columns.push_back(column);
      }
      continue;
    }
    Section next = Section::kNone;
    if (line == "[INFORMATION]") next = Section::kValues;
    else if (line == "[INFO ACTIVE]") next = Section::kActive;
    else if (line == "[INFO POSITION]") next = Section::kPositions;
    else if (line == "[INFO CAPTION]") next = Section::kCaptions;
    else if (line == "[INFO TYPE]") next = Section::kTypes;
    for (std::string_view tag : kSkippedTags)
      if (line == tag) next = Section::kSkipped;
    if (next != Section::kNone) {
      section = next;
      index = 0;
      continue;
    }
    if (section == Section::kNone || section == Section::kSkipped) continue;
    if (index >= kItemCount) continue;  // lines past the twelfth item are ignored
    InformationItem& item = read.items[static_cast<std::size_t>(index++)];
    switch (section) {
      case Section::kValues: item.value = line; break;
      case Section::kActive: item.active = line == "1"; break;
      case Section::kPositions: item.position = line; break;
      case Section::kCaptions: item.caption = line; break;
      case Section::kTypes: item.type = ParseLeadingInt(line); break;
      default: break;
    }
  }
  *layout = std::move(read);
  return true;
}

std::string FormatLayoutFile(const PageLayout& layout) {
  std::string text;
  auto put = [&](std::string_view line) {
    text += OneLine(line);
    text += "\r\n";
  };
  auto put_number = [&](int value) { put(std::to_string(value)); };
  put("[PAGESETTING]");
  for (int value : {layout.PageLine1, layout.StrtLine1, layout.EndLine1, layout.PageLine2,
                    layout.StrtLine2, layout.EndLine2, layout.csvHeader, layout.csvMain}) {
    put_number(value);
  }
  put(layout.ColSequence);
  put_number(layout.SwFirstPage);
  put_number(layout.ColumnNumber);
  put("[COLUMNSETTING]");
  put_number(static_cast<int>(layout.columns.size()));
  for (int column : layout.columns) put_number(column);
  put("[INFORMATION]");
  for (const InformationItem& item : layout.items) put(item.value);
  put("[INFO ACTIVE]");
  for (const InformationItem& item : layout.items) put(item.active ? "1" : "0");
  put("[INFO POSITION]");
  for (const InformationItem& item : layout.items) put(item.position);
  put("[INFO CAPTION]");
  for (const InformationItem& item : layout.items) put(item.caption);
  put("[INFO TYPE]");
  for (const InformationItem& item : layout.items) put_number(item.type);
  put("[END]");
  return Utf8ToCp932(text);
}

bool GetComboData(const std::string& folder, PageLayout* layout, std::string* err) {
  const std::string path = JoinPath(folder, kLayoutFileName);
  std::string bytes;
  if (!ReadFileBytes(path, &bytes, err)) return false;
  return ParseLayoutFile(bytes, path, layout, err);
}

bool SetComboData(const std::string& folder, const PageLayout& layout, std::string* err) {
  return WriteFileAtomically(JoinPath(folder, kLayoutFileName), FormatLayoutFile(layout), err);
}

}  // namespace tlv
