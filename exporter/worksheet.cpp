#include "exporter/worksheet.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "exporter/formula_shift.h"

namespace tlv {
namespace {

bool ValidAddress(int row, int column) {
  return row >= 1 && row <= kMaxSheetRows && column >= 1 && column <= kMaxSheetColumns;
}

std::vector<SheetCell>::iterator FindColumn(std::vector<SheetCell>& cells, int column) {
  return std::lower_bound(cells.begin(), cells.end(), column,
                          [](const SheetCell& c, int col) { return c.column < col; });
}

std::vector<SheetCell>::const_iterator FindColumn(const std::vector<SheetCell>& cells,
                                                  int column) {
  return std::lower_bound(cells.begin(), cells.end(), column,
                          [](const SheetCell& c, int col) { return c.column < col; });
}

bool ParseNumber(std::string_view text, double* value) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '+')) text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty()) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return ec == std::errc() && end == text.data() + text.size();
}

// A cell that carries nothing worth keeping can go.
// The element name of a stored <f> ("f" or "x:f").
std::string FormulaElementName(std::string_view xml) {
  std::size_t end = xml.find_first_of(" />", 1);
  return std::string(xml.substr(1, end == std::string_view::npos ? 0 : end - 1));
}

std::string EscapeXmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

bool IsBare(const SheetCell& cell) {
  return cell.style.empty() && cell.type.empty() && cell.value.empty() &&
         cell.formula_xml.empty() && cell.extra_attributes.empty();
}

}  // namespace

Worksheet::Worksheet(std::string name, std::shared_ptr<const SharedStrings> shared_strings)
    : name_(std::move(name)), shared_strings_(std::move(shared_strings)) {}

const SheetRow* Worksheet::FindRow(int row) const {
  auto it = rows_.find(row);
  return it == rows_.end() ? nullptr : &it->second;
}

const SheetCell* Worksheet::FindCell(int row, int column) const {
  const SheetRow* r = FindRow(row);
  if (!r) return nullptr;
  auto it = FindColumn(r->cells, column);
  return it != r->cells.end() && it->column == column ? &*it : nullptr;
}

std::string Worksheet::RowAttribute(int row, std::string_view name) const {
  const SheetRow* r = FindRow(row);
  if (!r) return {};
  for (const auto& [key, value] : r->attributes)
    if (key == name) return value;
  return {};
}

CellValue Worksheet::Value(int row, int column) const {
  const SheetCell* cell = FindCell(row, column);
  if (!cell) return {};
  const std::string& t = cell->type;
  if (t == "s") {
    if (cell->value.empty()) return {};
    double index = -1;
    if (!ParseNumber(cell->value, &index) || !shared_strings_ || index < 0 ||
        index >= static_cast<double>(shared_strings_->size())) {
      return CellValue::Text({});
    }
    return CellValue::Text((*shared_strings_)[static_cast<std::size_t>(index)]);
  }
  if (t == "inlineStr" || t == "str" || t == "e") return CellValue::Text(cell->value);
  if (cell->value.empty()) return {};
  double number = 0;
  if (ParseNumber(cell->value, &number)) return CellValue::Number(number);
  return CellValue::Text(cell->value);
}

SheetCell* Worksheet::CellForWrite(int row, int column) {
  if (!ValidAddress(row, column)) return nullptr;
  modified_ = true;
  std::vector<SheetCell>& cells = rows_[row].cells;
  auto it = FindColumn(cells, column);
  if (it == cells.end() || it->column != column) {
    it = cells.insert(it, SheetCell{});
    it->column = column;
  }
  return &*it;
}

void Worksheet::DropSharedFormula(int shared_index) {
  // The cells that borrow a shared formula have no text of their own; once
  // the cell holding it is overwritten they would point at nothing, which a
  // spreadsheet reports as a damaged file.  They keep their last values.
  for (auto& [r, row] : rows_)
    for (SheetCell& cell : row.cells)
      if (cell.shared_formula == shared_index) DropFormula(&cell);
}

void Worksheet::DropValue(SheetCell* cell) {
  if (cell->shared_master) DropSharedFormula(cell->shared_formula);
  cell->type.clear();
  cell->value.clear();
  cell->formula_xml.clear();
  cell->formula_text.clear();
  cell->array_formula = false;
  cell->shared_formula = -1;
  cell->shared_master = false;
}

bool Worksheet::HasFormulas() const {
  for (const auto& [r, row] : rows_)
    for (const SheetCell& cell : row.cells)
      if (!cell.formula_xml.empty()) return true;
  return false;
}

void Worksheet::MoveFormula(SheetCell* cell, int row, int row_shift, int column_shift) {
  if (cell->array_formula) {
    DropFormula(cell);
    return;
  }
  std::string text = cell->formula_text;
  if (cell->shared_formula >= 0 && !cell->shared_master) {
    // A borrower's formula is the shared one moved from its holder.
    const SheetCell* master = nullptr;
    int master_row = 0;
    for (const auto& [r, candidate_row] : rows_) {
      for (const SheetCell& candidate : candidate_row.cells) {
        if (candidate.shared_master && candidate.shared_formula == cell->shared_formula) {
          master = &candidate;
          master_row = r;
        }
      }
    }
    if (!master) {
      DropFormula(cell);
      return;
    }
    text = ShiftFormula(master->formula_text, row - master_row, cell->column - master->column);
  }
  // The copy stands alone: a plain formula, no longer part of a shared one.
  cell->formula_text = ShiftFormula(text, row_shift, column_shift);
  const std::string name = FormulaElementName(cell->formula_xml);
  cell->formula_xml = "<" + name + ">" + EscapeXmlText(cell->formula_text) + "</" + name + ">";
  cell->shared_formula = -1;
  cell->shared_master = false;
}

void Worksheet::SetNumber(int row, int column, double value) {
  if (!std::isfinite(value)) {
    // A workbook cannot hold infinities or NaN as numbers.
    SetText(row, column, std::isnan(value) ? "NaN" : (value > 0 ? "INF" : "-INF"));
    return;
  }
  SheetCell* cell = CellForWrite(row, column);
  if (!cell) return;
  DropValue(cell);
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  cell->value.assign(buffer, result.ptr);
}

void Worksheet::SetText(int row, int column, std::string_view text) {
  if (text.empty()) {
    ClearValue(row, column);
    return;
  }
  SheetCell* cell = CellForWrite(row, column);
  if (!cell) return;
  DropValue(cell);
  cell->type = "inlineStr";
  cell->value.assign(text);
}

void Worksheet::ClearValue(int row, int column) {
  if (!ValidAddress(row, column)) return;
  auto row_it = rows_.find(row);
  if (row_it == rows_.end()) return;
  std::vector<SheetCell>& cells = row_it->second.cells;
  auto it = FindColumn(cells, column);
  if (it == cells.end() || it->column != column) return;
  modified_ = true;
  DropValue(&*it);
  if (IsBare(*it)) cells.erase(it);
}

void Worksheet::SetValue(int row, int column, const CellValue& value) {
  switch (value.kind) {
    case CellValue::Kind::kNumber:
      SetNumber(row, column, value.number);
      break;
    case CellValue::Kind::kText:
      SetText(row, column, value.text);
      break;
    case CellValue::Kind::kEmpty:
      ClearValue(row, column);
      break;
  }
}

bool Worksheet::CopyBlock(const CellRange& from, int to_row, int to_column) {
  const int row_shift = to_row - from.first.row;
  const int column_shift = to_column - from.first.column;
  CellRange to{{to_row, to_column},
               {from.last.row + row_shift, from.last.column + column_shift}};
  if (!ValidAddress(from.first.row, from.first.column) ||
      !ValidAddress(from.last.row, from.last.column) ||
      !ValidAddress(to.first.row, to.first.column) ||
      !ValidAddress(to.last.row, to.last.column)) {
    return false;
  }
  modified_ = true;

  // Take the source first: the target may overlap it.
  struct SourceRow {
    int row;
    bool exists;
    XmlAttributes attributes;
    std::vector<SheetCell> cells;
  };
  std::vector<SourceRow> source;
  source.reserve(static_cast<std::size_t>(from.last.row - from.first.row + 1));
  for (int r = from.first.row; r <= from.last.row; ++r) {
    SourceRow copy{r, false, {}, {}};
    if (const SheetRow* row = FindRow(r)) {
      copy.exists = true;
      copy.attributes = row->attributes;
      auto begin = FindColumn(row->cells, from.first.column);
      auto end = FindColumn(row->cells, from.last.column + 1);
      copy.cells.assign(begin, end);
    }
    source.push_back(std::move(copy));
  }
  std::vector<CellRange> inner_merges;
  for (const CellRange& merge : merges_)
    if (from.Contains(merge)) inner_merges.push_back(merge);

  for (SourceRow& copy : source) {
    const int target = copy.row + row_shift;
    auto row_it = rows_.find(target);
    if (!copy.exists && row_it == rows_.end()) continue;
    SheetRow& row = rows_[target];
    row.attributes = std::move(copy.attributes);
    // Cells overwritten in the target lose their values the same way a
    // direct write would, shared formulas included.
    auto begin = FindColumn(row.cells, to.first.column);
    auto end = FindColumn(row.cells, to.last.column + 1);
    for (auto it = begin; it != end; ++it)
      if (it->shared_master) DropSharedFormula(it->shared_formula);
    begin = FindColumn(row.cells, to.first.column);
    end = FindColumn(row.cells, to.last.column + 1);
    auto insert_at = row.cells.erase(begin, end);
    for (SheetCell& cell : copy.cells) {
      if (!cell.formula_xml.empty()) MoveFormula(&cell, copy.row, row_shift, column_shift);
      cell.column += column_shift;
    }
    row.cells.insert(insert_at, std::make_move_iterator(copy.cells.begin()),
                     std::make_move_iterator(copy.cells.end()));
  }

  std::erase_if(merges_, [&](const CellRange& m) { return m.Intersects(to); });
  for (const CellRange& merge : inner_merges) {
    merges_.push_back({{merge.first.row + row_shift, merge.first.column + column_shift},
                       {merge.last.row + row_shift, merge.last.column + column_shift}});
  }
  return true;
}

void Worksheet::AddMerge(const CellRange& range) {
  modified_ = true;
  std::erase_if(merges_, [&](const CellRange& m) { return m.Intersects(range); });
  merges_.push_back(range);
}

Worksheet::UsedArea Worksheet::Used() const {
  UsedArea used;
  for (const auto& [r, row] : rows_) {
    if (!used.found) {
      used.found = true;
      used.range = {{r, kMaxSheetColumns}, {r, 1}};
    }
    used.range.last.row = r;
    if (!row.cells.empty()) {
      used.range.first.column = std::min(used.range.first.column, row.cells.front().column);
      used.range.last.column = std::max(used.range.last.column, row.cells.back().column);
    }
  }
  if (used.found && used.range.first.column > used.range.last.column) {
    used.range.first.column = used.range.last.column = 1;
  }
  return used;
}

void DropFormula(SheetCell* cell) {
  if (cell->formula_xml.empty()) return;
  cell->formula_xml.clear();
  cell->formula_text.clear();
  cell->array_formula = false;
  cell->shared_formula = -1;
  cell->shared_master = false;
  if (cell->type == "str") cell->type = "inlineStr";
}

}  // namespace tlv
