// Arbitrary bytes as a workbook template: opened, its cells read, a block
// copied and cells written, then saved; what we save must open again.
// Input that is not a zip archive is taken as the sheet part (and, after a
// NUL byte, the shared-string part) of an otherwise valid workbook, so that
// the part readers see far more than what survives the zip checksums.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "exporter/workbook.h"
#include "exporter/xlsx_writer.h"
#include "exporter/zip_package.h"

namespace {

std::string WrapParts(std::string_view input) {
  std::size_t nul = input.find('\0');
  std::string_view sheet = input.substr(0, nul);
  std::string_view strings = nul == std::string_view::npos ? "" : input.substr(nul + 1);
  tlv::ZipPackage package = tlv::MinimalPackage("Fuzz");
  package.Find("xl/worksheets/sheet1.xml")->data = std::string(sheet);
  tlv::ZipPackage::Entry* rels = package.Find("xl/_rels/workbook.xml.rels");
  rels->data.insert(rels->data.rfind("</Relationships>"),
                    "<Relationship Id=\"rId9\" Type=\"http://schemas.openxmlformats.org/"
                    "officeDocument/2006/relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>");
  package.entries.push_back({"xl/sharedStrings.xml", std::string(strings)});
  std::string bytes, err;
  if (!tlv::WriteZipPackage(package, &bytes, &err)) __builtin_trap();
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string wrapped;
  std::string_view bytes = input;
  if (input.substr(0, 2) != "PK") {
    wrapped = WrapParts(input);
    bytes = wrapped;
  }
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
