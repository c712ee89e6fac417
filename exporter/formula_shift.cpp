#include "exporter/formula_shift.h"

#include "exporter/cell_ref.h"

namespace tlv {
namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// Characters that continue a name, a number or a reference.
bool IsNameChar(char c) {
  return IsLetter(c) || IsDigit(c) || c == '_' || c == '.' || c == '$' ||
         static_cast<unsigned char>(c) >= 0x80;
}

// Copies a quoted stretch (its quote doubled inside) starting at `i`.
std::size_t CopyQuoted(std::string_view text, std::size_t i, std::string* out) {
  const char quote = text[i];
  out->push_back(text[i++]);
  while (i < text.size()) {
    out->push_back(text[i]);
    if (text[i++] == quote) {
      if (i < text.size() && text[i] == quote) {
        out->push_back(text[i++]);
        continue;
      }
      break;
    }
  }
  return i;
}

}  // namespace

std::string ShiftFormula(std::string_view text, int rows, int columns) {
  std::string out;
  out.reserve(text.size() + 8);
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '"' || c == '\'') {
      i = CopyQuoted(text, i, &out);
      continue;
    }
    if (!IsNameChar(c)) {
      out.push_back(c);
      ++i;
      continue;
    }
    // A token: a name, a number or a reference.
    std::size_t end = i;
    while (end < text.size() && IsNameChar(text[end])) ++end;
    std::string_view token = text.substr(i, end - i);
    const bool call = end < text.size() && text[end] == '(';
    // reference -> ["$"] letters{1,3} ["$"] digits
    std::size_t k = 0;
    const bool column_fixed = k < token.size() && token[k] == '$';
    if (column_fixed) ++k;
    const std::size_t letters = k;
    while (k < token.size() && IsLetter(token[k])) ++k;
    const std::size_t letters_end = k;
    const bool row_fixed = k < token.size() && token[k] == '$';
    if (row_fixed) ++k;
    const std::size_t digits = k;
    while (k < token.size() && IsDigit(token[k])) ++k;
    CellRef cell;
    const bool is_reference = !call && k == token.size() && letters_end > letters &&
                              letters_end - letters <= 3 && k > digits &&
                              ParseCellRef(token, &cell);
    if (!is_reference) {
      out.append(token);
      i = end;
      continue;
    }
    long row = cell.row + (row_fixed ? 0 : rows);
    long column = cell.column + (column_fixed ? 0 : columns);
    if (row < 1 || row > kMaxSheetRows || column < 1 || column > kMaxSheetColumns) {
      out.append("#REF!");
    } else {
      if (column_fixed) out.push_back('$');
      out.append(ColumnLetters(static_cast<int>(column)));
      if (row_fixed) out.push_back('$');
      out.append(std::to_string(row));
    }
    i = end;
  }
  return out;
}

}  // namespace tlv
