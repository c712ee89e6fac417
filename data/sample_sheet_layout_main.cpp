// Lays the sample's process sheet into the shipped workbook template with
// the default page layout, saves the workbook and reads it back: the last
// step of the chain tool path -> NC program and sheet -> workbook, without
// SheetPump's window.
//
//   sample_sheet_layout <template.xlsx> <sheet.csv> <out.xlsx>
//
// Exit status 0 when every item of the sheet landed where the template
// expects it, 1 with a message naming the file otherwise.
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "exporter/page_layout.h"
#include "exporter/sheet_pump.h"
#include "exporter/workbook.h"

namespace {

// Where the sample's first and last items land and what they hold: the
// procedure name (column B), the cutting length (V) and the total time
// (AA) of the expected sheet.
struct ExpectedItem {
  int row;
  std::string_view procedure;
  double cut_length;
  double total_time;
};
constexpr ExpectedItem kFirst = {6, "OP10 FACE", 411.0, 31.97};
constexpr ExpectedItem kLast = {13, "OP80 REAM D9", 42.0, 42.579};
constexpr int kItems = 8;
constexpr int kProcedureColumn = 2;
constexpr int kCutLengthColumn = 22;
constexpr int kTotalTimeColumn = 27;

bool Fail(const std::string& file, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", file.c_str(), message.c_str());
  return false;
}

bool NumberIs(const tlv::Worksheet& sheet, int row, int column, double want) {
  const tlv::CellValue v = sheet.Value(row, column);
  return v.kind == tlv::CellValue::Kind::kNumber && std::fabs(v.number - want) < 1e-9;
}

bool CheckItems(tlv::Worksheet* sheet, const std::string& file) {
  if (!sheet) return Fail(file, "the workbook has no sheet");
  for (const ExpectedItem& item : {kFirst, kLast}) {
    const std::string where = "row " + std::to_string(item.row);
    const tlv::CellValue name = sheet->Value(item.row, kProcedureColumn);
    if (name.kind != tlv::CellValue::Kind::kText || name.text != item.procedure)
      return Fail(file, where + ": procedure is not \"" + std::string(item.procedure) + "\"");
    if (!NumberIs(*sheet, item.row, kCutLengthColumn, item.cut_length))
      return Fail(file, where + ": cutting length is not the number " +
                            std::to_string(item.cut_length));
    if (!NumberIs(*sheet, item.row, kTotalTimeColumn, item.total_time))
      return Fail(file, where + ": total time is not the number " +
                            std::to_string(item.total_time));
  }
  // Nothing beyond the last item, and the headings of the template kept.
  if (sheet->HasValue(kLast.row + 1, kProcedureColumn))
    return Fail(file, "row " + std::to_string(kLast.row + 1) + " holds more than the sheet's items");
  const tlv::CellValue heading = sheet->Value(5, kProcedureColumn);
  if (heading.kind != tlv::CellValue::Kind::kText || heading.text != "手続き名")
    return Fail(file, "row 5: the template's heading \"手続き名\" is gone");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: sample_sheet_layout <template.xlsx> <sheet.csv> <out.xlsx>\n");
    return 2;
  }
  const std::string template_path = argv[1], csv_path = argv[2], out_path = argv[3];

  tlv::LaidOutWorkbook laid = tlv::LayOutWorkbook(template_path, csv_path, tlv::PageLayout());
  if (!laid.ok) return Fail(csv_path, laid.error), 1;
  if (laid.layout.columns != 19)
    return Fail(csv_path, "expected 19 columns, laid " + std::to_string(laid.layout.columns)), 1;
  if (laid.layout.following_pages != 0 || !laid.layout.messages.empty())
    return Fail(csv_path, "the sample's " + std::to_string(kItems) +
                              " items should fill part of one page"), 1;
  if (!CheckItems(laid.workbook.sheet(0), csv_path)) return 1;

  std::string err;
  if (!laid.workbook.Save(out_path, &err)) return Fail(out_path, err), 1;
  tlv::Workbook back;
  if (!back.OpenXlsx(out_path, &err)) return Fail(out_path, err), 1;
  if (!CheckItems(back.sheet(0), out_path)) return 1;
  std::printf("%s: %d items laid into %s\n", out_path.c_str(), kItems, template_path.c_str());
  return 0;
}
