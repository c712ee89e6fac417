#include "exporter/page_layout.h"

#include <algorithm>
#include <cmath>

#include "platform/numbers.h"

namespace tlv {
namespace {

std::string Setting(std::string_view name) {
  return "書式設定の値が正しくありません。(" + std::string(name) + ")";
}

// Writes the running number and CSV row `csv_row` into target rows
// [first, last]; returns the CSV row after the last one taken.
int FillRows(const Worksheet& csv, Worksheet* target, const PageLayout& layout, int columns,
             int sequence_column, int first, int last, int csv_row, int* sequence) {
  for (int row = first; row <= last; ++row) {
    ++*sequence;
    if (sequence_column > 0) target->SetNumber(row, sequence_column, *sequence);
    for (int k = 1; k <= columns; ++k)
      target->SetValue(row, layout.columns[static_cast<std::size_t>(k - 1)], csv.Value(csv_row, k));
    ++csv_row;
  }
  return csv_row;
}

}  // namespace

std::string_view CheckFirstPageLines(const PageLayout& layout) {
  if (layout.PageLine1 < layout.StrtLine1) return kStartBeyondPageMessage;
  if (layout.PageLine1 < layout.EndLine1) return kEndBeyondPageMessage;
  if (layout.EndLine1 < layout.StrtLine1) return kStartBeyondEndMessage;
  return {};
}

int PageCount(int rows, int r1, int r2) {
  if (rows < r1) return 1;
  // Floating point and round half to even, as the original's arithmetic does.
  return static_cast<int>(std::nearbyint(static_cast<double>(rows - r1) / r2 + 2.0));
}

std::string CheckPageLayout(const PageLayout& layout) {
  if (layout.PageLine1 < 1) return Setting("PageLine1");
  if (layout.StrtLine1 < 1) return Setting("StrtLine1");
  if (layout.PageLine2 < 1) return Setting("PageLine2");
  if (layout.StrtLine2 < 1) return Setting("StrtLine2");
  // An empty following-page block would make the page formula divide by zero.
  if (layout.EndLine2 < layout.StrtLine2) return Setting("EndLine2");
  if (layout.csvHeader < 1) return Setting("csvHeader");
  if (layout.ColumnNumber < 1) return Setting("ColumnNumber");
  if (!layout.ColSequence.empty() && ParseColumnLetters(layout.ColSequence) == 0)
    return Setting("ColSequence");
  // The last row any page can reach stays inside the sheet.
  long last = long{layout.PageLine1} + long{layout.PageLine2} * (kMaxFollowingPages - 1) +
              std::max(long{layout.PageLine2}, long{layout.EndLine2});
  if (last > kMaxSheetRows) return Setting("PageLine2");
  return {};
}

PageSetResult S_PageSet(const Worksheet& csv, Worksheet* target, const PageLayout& layout) {
  PageSetResult result;
  result.error = CheckPageLayout(layout);
  if (!result.error.empty()) return result;

  // Count the columns of the heading row and the rows below it.
  while (csv.HasValue(layout.csvHeader, result.columns + 1)) {
    if (++result.columns >= kMaxCsvCount) {
      result.messages.emplace_back(kTooManyRowsMessage);
      break;
    }
  }
  while (csv.HasValue(layout.csvHeader + result.rows, 1)) {
    if (++result.rows >= kMaxCsvCount) {
      result.messages.emplace_back(kTooManyRowsMessage);
      break;
    }
  }
  if (static_cast<std::size_t>(result.columns) > layout.columns.size()) {
    // The original fails here on its table; better say why before anything
    // is written than lose the CSV's last columns without a word.
    result.error = "CSVファイルの列数(" + std::to_string(result.columns) +
                   ")が列設定の数(" + std::to_string(layout.columns.size()) + ")を越えています。";
    return result;
  }
  // Only the entries in use must name a column.
  for (int k = 0; k < result.columns; ++k) {
    const int column = layout.columns[static_cast<std::size_t>(k)];
    if (column < 1 || column > kMaxSheetColumns) {
      result.error = Setting("COLUMNSETTING");
      return result;
    }
  }

  const int r1 = layout.EndLine1 - layout.StrtLine1 + 1;
  const int r2 = layout.EndLine2 - layout.StrtLine2 + 1;
  result.pages = PageCount(result.rows, r1, r2);

  for (int i = 0; i < kItemCount; ++i) {
    const InformationItem& item = layout.items[static_cast<std::size_t>(i)];
    if (!item.active) continue;
    CellRef cell;
    if (!ParseCellRef(item.position, &cell)) {
      result.error = "項目" + std::to_string(i + 1) + "のセル位置が正しくありません。(" +
                     item.position + ")";
      return result;
    }
    if (item.type == kItemTypeReal) {
      target->SetNumber(cell.row, cell.column, ParseLeadingDouble(item.value));
    } else {
      target->SetValue(cell.row, cell.column, CellValue::Text(item.value));
    }
  }

  if (layout.SwFirstPage <= 1 && result.pages >= 2) {
    target->CopyBlock({{1, 1}, {layout.PageLine1, layout.ColumnNumber}}, layout.PageLine1 + 1, 1);
  }

  const int sequence_column =
      layout.ColSequence.empty() ? 0 : ParseColumnLetters(layout.ColSequence);
  int sequence = 0;
  int csv_row = layout.csvHeader + 1;
  csv_row = FillRows(csv, target, layout, result.columns, sequence_column, layout.StrtLine1,
                     layout.EndLine1, csv_row, &sequence);

  const CellRange continuation{{layout.PageLine1 + 1, 1},
                               {layout.PageLine1 + layout.PageLine2, layout.ColumnNumber}};
  for (int k = 0; csv.HasValue(csv_row, 2); ++k) {
    const int base = layout.PageLine1 + layout.PageLine2 * k;
    if (k >= 1) target->CopyBlock(continuation, base + 1, 1);
    csv_row = FillRows(csv, target, layout, result.columns, sequence_column,
                       base + layout.StrtLine2, base + layout.EndLine2, csv_row, &sequence);
    ++result.following_pages;
    if (k == kMaxFollowingPages - 1) {
      result.messages.emplace_back(kCountLimitMessage);
      break;
    }
  }
  result.next_csv_row = csv_row;
  result.ok = true;
  return result;
}

}  // namespace tlv
