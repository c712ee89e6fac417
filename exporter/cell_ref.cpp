#include "exporter/cell_ref.h"

#include <algorithm>

namespace tlv {

std::string ColumnLetters(int column) {
  if (column < 1 || column > kMaxSheetColumns) return {};
  char buffer[4];
  int length = 0;
  while (column > 0) {
    int digit = (column - 1) % 26;
    buffer[length++] = static_cast<char>('A' + digit);
    column = (column - 1) / 26;
  }
  std::reverse(buffer, buffer + length);
  return std::string(buffer, static_cast<std::size_t>(length));
}

int ParseColumnLetters(std::string_view letters) {
  if (!letters.empty() && letters.front() == '$') letters.remove_prefix(1);
  if (letters.empty() || letters.size() > 3) return 0;
  int column = 0;
  for (char c : letters) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c < 'A' || c > 'Z') return 0;
    column = column * 26 + (c - 'A' + 1);
  }
  return column <= kMaxSheetColumns ? column : 0;
}

bool ParseCellRef(std::string_view text, CellRef* cell) {
  std::size_t i = 0;
  if (i < text.size() && text[i] == '$') ++i;
  std::size_t letters_begin = i;
  while (i < text.size() && ((text[i] >= 'A' && text[i] <= 'Z') || (text[i] >= 'a' && text[i] <= 'z'))) ++i;
  int column = ParseColumnLetters(text.substr(letters_begin, i - letters_begin));
  if (column == 0) return false;
  if (i < text.size() && text[i] == '$') ++i;
  if (i == text.size() || text[i] == '0') return false;
  long row = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    row = row * 10 + (text[i] - '0');
    if (row > kMaxSheetRows) return false;
  }
  cell->row = static_cast<int>(row);
  cell->column = column;
  return true;
}

bool ParseCellRange(std::string_view text, CellRange* range) {
  std::size_t colon = text.find(':');
  CellRef a, b;
  if (colon == std::string_view::npos) {
    if (!ParseCellRef(text, &a)) return false;
    b = a;
  } else if (!ParseCellRef(text.substr(0, colon), &a) ||
             !ParseCellRef(text.substr(colon + 1), &b)) {
    return false;
  }
  range->first = {std::min(a.row, b.row), std::min(a.column, b.column)};
  range->last = {std::max(a.row, b.row), std::max(a.column, b.column)};
  return true;
}

std::string FormatCellRef(const CellRef& cell) {
  return ColumnLetters(cell.column) + std::to_string(cell.row);
}

std::string FormatCellRange(const CellRange& range) {
  if (range.first == range.last) return FormatCellRef(range.first);
  return FormatCellRef(range.first) + ":" + FormatCellRef(range.last);
}

}  // namespace tlv
