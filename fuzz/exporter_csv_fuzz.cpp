// Arbitrary bytes as the process-sheet CSV: read as a spreadsheet reads it,
// laid out page by page into a small template, and the result saved and
// read back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "exporter/csv_reader.h"
#include "exporter/page_layout.h"
#include "exporter/workbook.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  tlv::Worksheet csv("csv");
  tlv::CsvReadResult read = tlv::ReadCsv(bytes, &csv);
  if (read.rows < 0 || read.columns < 0 || read.rows > tlv::kMaxSheetRows) __builtin_trap();
  for (int row = 1; row <= read.rows && row <= 50; ++row)
    for (int column = 1; column <= read.columns && column <= 50; ++column) csv.Value(row, column);

  // Small pages so that the page limit is reached with little input.
  tlv::PageLayout layout;
  layout.PageLine1 = layout.PageLine2 = 3;
  layout.StrtLine1 = layout.StrtLine2 = 2;
  layout.EndLine1 = layout.EndLine2 = 3;
  layout.csvHeader = 1;
  layout.ColumnNumber = 4;
  layout.columns.assign(1000, 2);
  layout.items[0] = {"12.5", "", "B1", true, tlv::kItemTypeReal};
  tlv::Workbook book;
  book.LoadCsv("Title,x\n", "template.csv");
  tlv::PageSetResult result = tlv::S_PageSet(csv, book.sheet(0), layout);
  if (!result.ok || result.following_pages > tlv::kMaxFollowingPages) __builtin_trap();

  std::string saved, err;
  if (!book.Serialize(&saved, &err)) __builtin_trap();
  tlv::Workbook again;
  if (!again.LoadXlsx(saved, "saved.xlsx", &err)) __builtin_trap();
  return 0;
}
