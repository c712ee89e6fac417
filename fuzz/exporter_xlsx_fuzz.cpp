// Arbitrary bytes as a workbook template: opened, its cells read, a block
// copied and cells written, then saved; what we save must open again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "exporter/workbook.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  tlv::Workbook book;
  std::string err;
  if (!book.LoadXlsx(bytes, "fuzz.xlsx", &err)) {
    if (err.rfind("fuzz.xlsx: ", 0) != 0) __builtin_trap();  // failures name the file
    return 0;
  }
  for (int i = 0; i < book.sheet_count(); ++i) {
    tlv::Worksheet& sheet = *book.sheet(i);
    for (int row = 1; row <= 20; ++row)
      for (int column = 1; column <= 20; ++column) sheet.Value(row, column);
    sheet.CopyBlock({{1, 1}, {10, 8}}, 11, 1);
    sheet.SetText(2, 2, "text _x0001_ \x01");
    sheet.SetNumber(3, 3, 1.5);
    sheet.ClearValue(4, 4);
  }
  std::string saved;
  if (!book.Serialize(&saved, &err)) return 0;
  tlv::Workbook again;
  if (!again.LoadXlsx(saved, "saved.xlsx", &err)) __builtin_trap();
  return 0;
}
