#include "exporter/csv_reader.h"

#include <charconv>
#include <string>

#include "platform/text_encoding.h"

namespace tlv {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool ParseCsvNumber(std::string_view text, double* value) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  // number -> [sign] (digits ["." digits*] | "." digits) [("e"|"E") [sign] digits]
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::size_t start = i;
  bool digits = false;
  while (i < text.size() && IsDigit(text[i])) digits = ++i;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) digits = ++i;
  }
  if (!digits) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t e = i + 1;
    if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
    if (e == text.size() || !IsDigit(text[e])) return false;
    while (e < text.size() && IsDigit(text[e])) ++e;
    i = e;
  }
  if (i != text.size()) return false;
  double parsed = 0;
  auto [end, ec] = std::from_chars(text.data() + start, text.data() + i, parsed);
  if (end != text.data() + i) return false;
  // Out of range: a spreadsheet keeps such a field as text.
  if (ec != std::errc()) return false;
  *value = negative ? -parsed : parsed;
  return true;
}

CsvReadResult ReadCsv(std::string_view bytes, Worksheet* sheet) {
  std::string text;
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    text.assign(bytes.substr(3));
  } else {
    text = Cp932ToUtf8(bytes);
  }
  CsvReadResult result;
  std::string field;
  int row = 1;
  int column = 1;
  bool quoted = false;       // inside quotes
  bool field_started = false;
  bool record_has_fields = false;

  auto finish_field = [&] {
    if (row <= kMaxSheetRows && column <= kMaxSheetColumns) {
      double number = 0;
      if (!field.empty()) {
        if (ParseCsvNumber(field, &number)) {
          sheet->SetNumber(row, column, number);
        } else {
          sheet->SetText(row, column, field);
        }
      }
      if (column > result.columns) result.columns = column;
    } else {
      result.cut = true;
    }
    field.clear();
    field_started = false;
    record_has_fields = true;
    ++column;
  };
  auto finish_record = [&] {
    finish_field();
    if (row <= kMaxSheetRows) result.rows = row;
    ++row;
    column = 1;
    record_has_fields = false;
  };

  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    char c = text[i];
    if (quoted) {
      if (c == '"') {
        if (i + 1 < n && text[i + 1] == '"') {
          field.push_back('"');
          ++i;
        } else {
          quoted = false;
        }
      } else {
        field.push_back(c);
      }
      continue;
    }
    if (c == '"' && !field_started) {
      quoted = true;
      field_started = true;
    } else if (c == ',') {
      finish_field();
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
      finish_record();
    } else {
      field.push_back(c);
      field_started = true;
    }
  }
  // The last record needs no line end.
  if (field_started || record_has_fields) finish_record();
  sheet->set_modified(false);
  return result;
}

}  // namespace tlv
