#include "exporter/workbook.h"

#include <gtest/gtest.h>

#include "exporter/workbook_dump_for_test.h"
#include "exporter/xlsx_writer.h"
#include "platform/file_contents.h"
#include "platform/temp_dir_for_test.h"

namespace tlv {
namespace {

const std::string kTemplate = TLV_SOURCE_DIR "/data/templates/process_sheet.xlsx";

std::string ReadBytes(const std::string& path) {
  std::string bytes, err;
  EXPECT_TRUE(ReadFileBytes(path, &bytes, &err)) << err;
  return bytes;
}

void Replace(std::string* text, std::string_view from, std::string_view to) {
  std::size_t at = text->find(from);
  ASSERT_NE(std::string::npos, at) << from;
  text->replace(at, from.size(), to);
}

// A package as a spreadsheet application writes it: shared strings, a
// shared formula and a calculation chain.
std::string PackageWithSharedStrings() {
  ZipPackage package = MinimalPackage("Data");
  Replace(&package.Find("[Content_Types].xml")->data, "</Types>",
          R"(<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/><Override PartName="/xl/calcChain.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.calcChain+xml"/></Types>)");
  Replace(&package.Find("xl/_rels/workbook.xml.rels")->data, "</Relationships>",
          R"(<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/><Relationship Id="rId4" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/calcChain" Target="calcChain.xml"/></Relationships>)");
  package.entries.push_back(
      {"xl/sharedStrings.xml",
       R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
       R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="3" uniqueCount="3">)"
       R"(<si><t>工具</t></si><si><r><t>切削</t></r><r><rPr><b/></rPr><t xml:space="preserve"> 時間</t></r><rPh sb="0" eb="2"><t>セッサク</t></rPh></si>)"
       R"(<si><t>a_x000D_b</t></si></sst>)"});
  package.entries.push_back(
      {"xl/calcChain.xml",
       R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
       R"(<calcChain xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><c r="B2" i="1"/><c r="B3"/></calcChain>)"});
  package.Find("xl/worksheets/sheet1.xml")->data =
      R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
      R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><dimension ref="A1:B3"/><sheetData>)"
      R"(<row r="1" spans="1:2" ht="20" customHeight="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c><c r="C1" t="s"><v>2</v></c></row>)"
      R"(<row r="2"><c r="A2"><v>2.5</v></c><c r="B2"><f t="shared" ref="B2:B3" si="0">A2*2</f><v>5</v></c></row>)"
      R"(<row r="3"><c r="A3"><v>4</v></c><c r="B3"><f t="shared" si="0"/><v>8</v></c><c r="C3" t="s"><v>99</v></c></row>)"
      R"(</sheetData><pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/></worksheet>)";
  std::string bytes, err;
  EXPECT_TRUE(WriteZipPackage(package, &bytes, &err)) << err;
  return bytes;
}

TEST(Workbook, ReadsTheTemplate) {
  Workbook book;
  std::string err;
  ASSERT_TRUE(book.OpenXlsx(kTemplate, &err)) << err;
  ASSERT_EQ(1, book.sheet_count());
  const Worksheet& sheet = *book.sheet(0);
  EXPECT_EQ("加工指示書", sheet.name());
  EXPECT_EQ(CellValue::Text("加工指示書"), sheet.Value(1, 1));
  EXPECT_EQ(CellValue::Text("工具"), sheet.Value(5, 1));
  EXPECT_FALSE(sheet.HasValue(6, 2));
  EXPECT_NE(nullptr, sheet.FindCell(6, 2));  // styled but empty
  EXPECT_EQ("30", sheet.RowAttribute(1, "ht"));
  EXPECT_TRUE(std::find(sheet.merges().begin(), sheet.merges().end(),
                        CellRange{{1, 1}, {1, 28}}) != sheet.merges().end());
  EXPECT_FALSE(sheet.modified());
}

TEST(Workbook, SharedStringsFormulasAndCalculationChain) {
  Workbook book;
  std::string err;
  ASSERT_TRUE(book.LoadXlsx(PackageWithSharedStrings(), "shared.xlsx", &err)) << err;
  Worksheet& sheet = *book.sheet(0);
  EXPECT_EQ(CellValue::Text("工具"), sheet.Value(1, 1));
  // Runs are joined, the phonetic hint is left out, escapes decoded.
  EXPECT_EQ(CellValue::Text("切削 時間"), sheet.Value(1, 2));
  EXPECT_EQ(CellValue::Text("a\rb"), sheet.Value(1, 3));
  EXPECT_EQ(CellValue::Number(5), sheet.Value(2, 2));
  // An index past the table reads as an empty text, not out of bounds.
  EXPECT_EQ(CellValue::Text(""), sheet.Value(3, 3));

  // Overwriting the cell that holds the shared formula leaves its borrower
  // with its value instead of a dangling reference.
  sheet.SetNumber(2, 2, 7);
  EXPECT_TRUE(sheet.FindCell(3, 2)->formula_xml.empty());
  EXPECT_EQ(CellValue::Number(8), sheet.Value(3, 2));
  sheet.SetText(3, 3, "fixed");

  TempDirForTest dir;
  ASSERT_TRUE(book.Save(dir.File("out.xlsx"), &err)) << err;
  ZipPackage saved;
  ASSERT_TRUE(ReadZipPackage(ReadBytes(dir.File("out.xlsx")), "out", &saved, &err)) << err;
  EXPECT_EQ(nullptr, saved.Find("xl/calcChain.xml"));
  EXPECT_EQ(std::string::npos, saved.Find("[Content_Types].xml")->data.find("calcChain"));
  EXPECT_EQ(std::string::npos, saved.Find("xl/_rels/workbook.xml.rels")->data.find("calcChain"));
  const std::string& xml = saved.Find("xl/worksheets/sheet1.xml")->data;
  EXPECT_NE(std::string::npos, xml.find(R"(<dimension ref="A1:C3"/>)")) << xml;
  EXPECT_NE(std::string::npos, xml.find(R"(<row r="1" ht="20" customHeight="1">)")) << xml;

  auto dump = DumpWorkbookForTest(dir.File("out.xlsx"));
  EXPECT_EQ(0u, dump.count("error")) << dump["error"];
  EXPECT_EQ("s:工具", dump["value:A1"]);
  EXPECT_EQ("n:7", dump["value:B2"]);
  EXPECT_EQ("n:8", dump["value:B3"]);
}

TEST(Workbook, CopiedFormulasMoveWithTheirCells) {
  Workbook book;
  std::string err;
  ASSERT_TRUE(book.LoadXlsx(PackageWithSharedStrings(), "shared.xlsx", &err)) << err;
  Worksheet& sheet = *book.sheet(0);
  sheet.SetText(3, 3, "fixed");
  ASSERT_TRUE(sheet.CopyBlock({{1, 1}, {3, 3}}, 11, 1));
  EXPECT_EQ("A12*2", sheet.FindCell(12, 2)->formula_text);
  // The borrower of the shared formula gets its own moved text.
  EXPECT_EQ("A13*2", sheet.FindCell(13, 2)->formula_text);
  EXPECT_EQ(-1, sheet.FindCell(13, 2)->shared_formula);
  EXPECT_EQ(CellValue::Number(8), sheet.Value(13, 2));  // the last value until recalculated

  TempDirForTest dir;
  ASSERT_TRUE(book.Save(dir.File("formulas.xlsx"), &err)) << err;
  ZipPackage saved;
  ASSERT_TRUE(ReadZipPackage(ReadBytes(dir.File("formulas.xlsx")), "f", &saved, &err)) << err;
  EXPECT_NE(std::string::npos, saved.Find("xl/workbook.xml")->data.find(R"(<calcPr fullCalcOnLoad="1"/>)"))
      << saved.Find("xl/workbook.xml")->data;
  auto dump = DumpWorkbookForTest(dir.File("formulas.xlsx"));
  ASSERT_EQ(0u, dump.count("error")) << dump["error"];
  EXPECT_EQ("s:=A2*2", dump["value:B2"]);
  EXPECT_EQ("s:=A12*2", dump["value:B12"]);
  EXPECT_EQ("s:=A13*2", dump["value:B13"]);
  EXPECT_EQ("n:4", dump["value:A13"]);
}

TEST(Workbook, SaveKeepsUntouchedPartsAndWritesTexts) {
  Workbook book;
  std::string err;
  ASSERT_TRUE(book.OpenXlsx(kTemplate, &err)) << err;
  TempDirForTest dir;
  // Nothing changed: every part comes back with its bytes.
  ASSERT_TRUE(book.Save(dir.File("same.xlsx"), &err)) << err;
  ZipPackage original, same;
  ASSERT_TRUE(ReadZipPackage(ReadBytes(kTemplate), "t", &original, &err));
  ASSERT_TRUE(ReadZipPackage(ReadBytes(dir.File("same.xlsx")), "s", &same, &err));
  ASSERT_EQ(original.entries.size(), same.entries.size());
  for (std::size_t i = 0; i < original.entries.size(); ++i) {
    EXPECT_EQ(original.entries[i].name, same.entries[i].name);
    EXPECT_EQ(original.entries[i].data, same.entries[i].data) << original.entries[i].name;
  }

  Worksheet& sheet = *book.sheet(0);
  sheet.SetText(6, 2, " 荒取り\t");
  sheet.SetText(6, 4, "bell\x07 _x0041_");
  sheet.SetNumber(6, 16, -12.345);
  sheet.SetNumber(6, 17, 1e300 * 1e300);  // not a number a workbook can hold
  sheet.SetText(1, 1, "");
  ASSERT_TRUE(book.Save(dir.File("changed.xlsx"), &err)) << err;
  ZipPackage changed;
  ASSERT_TRUE(ReadZipPackage(ReadBytes(dir.File("changed.xlsx")), "c", &changed, &err));
  EXPECT_EQ(original.Find("xl/styles.xml")->data, changed.Find("xl/styles.xml")->data);
  EXPECT_EQ(original.Find("xl/theme/theme1.xml")->data, changed.Find("xl/theme/theme1.xml")->data);

  auto dump = DumpWorkbookForTest(dir.File("changed.xlsx"));
  ASSERT_EQ(0u, dump.count("error")) << dump["error"];
  EXPECT_EQ("s: 荒取り\t", dump["value:B6"]);
  EXPECT_EQ("n:-12.345", dump["value:P6"]);
  EXPECT_EQ("s:INF", dump["value:Q6"]);
  EXPECT_EQ(0u, dump.count("value:A1"));
  EXPECT_EQ("@|0|thin|thin|00000000", dump["style:B6"]);  // the style stays
  // Our own reader undoes the escapes it wrote.
  Workbook again;
  ASSERT_TRUE(again.OpenXlsx(dir.File("changed.xlsx"), &err)) << err;
  EXPECT_EQ(CellValue::Text("bell\x07 _x0041_"), again.sheet(0)->Value(6, 4));
  EXPECT_FALSE(again.sheet(0)->HasValue(1, 1));
}

TEST(Workbook, CopyBlockCarriesFormatsHeightsAndMerges) {
  Workbook book;
  std::string err;
  ASSERT_TRUE(book.OpenXlsx(kTemplate, &err)) << err;
  Worksheet& sheet = *book.sheet(0);
  sheet.SetText(6, 2, "source");
  // Something in the way of the copy goes: a merged area across its border
  // and a value inside it.
  sheet.AddMerge({{40, 27}, {41, 30}});
  sheet.SetText(45, 3, "old");
  sheet.SetText(45, 29, "outside");
  ASSERT_TRUE(sheet.CopyBlock({{1, 1}, {37, 28}}, 38, 1));
  EXPECT_FALSE(sheet.CopyBlock({{1, 1}, {37, 28}}, kMaxSheetRows - 10, 1));

  TempDirForTest dir;
  ASSERT_TRUE(book.Save(dir.File("copy.xlsx"), &err)) << err;
  auto dump = DumpWorkbookForTest(dir.File("copy.xlsx"));
  ASSERT_EQ(0u, dump.count("error")) << dump["error"];
  EXPECT_EQ("74", dump["max_row"]);
  EXPECT_EQ("30", dump["height:38"]);
  EXPECT_EQ("27", dump["height:42"]);
  EXPECT_EQ("1", dump["merge:A38:AB38"]);
  EXPECT_EQ("1", dump["merge:B43:C43"]);
  EXPECT_EQ("1", dump["merge:AA73:AB73"]);
  EXPECT_EQ(0u, dump.count("merge:AA40:AD41"));
  EXPECT_EQ("s:加工指示書", dump["value:A38"]);
  EXPECT_EQ("s:source", dump["value:B43"]);
  EXPECT_EQ("s:工具", dump["value:A42"]);
  EXPECT_EQ(0u, dump.count("value:C45"));
  EXPECT_EQ("s:outside", dump["value:AC45"]);
  EXPECT_EQ(dump["style:B6"], dump["style:B43"]);
  EXPECT_EQ(dump["style:A5"], dump["style:A42"]);
  EXPECT_EQ(dump["style:P20"], dump["style:P57"]);
}

TEST(Workbook, BadFilesNameTheFile) {
  Workbook book;
  std::string err;
  EXPECT_FALSE(book.OpenXlsx("/nonexistent/sheet.xlsx", &err));
  EXPECT_NE(std::string::npos, err.find("/nonexistent/sheet.xlsx")) << err;

  EXPECT_FALSE(book.LoadXlsx("not a zip at all", "plain.xlsx", &err));
  EXPECT_EQ(0u, err.find("plain.xlsx: ")) << err;

  std::string bytes = ReadBytes(kTemplate);
  EXPECT_FALSE(book.LoadXlsx(std::string_view(bytes).substr(0, bytes.size() / 2), "cut.xlsx", &err));
  EXPECT_EQ(0u, err.find("cut.xlsx: ")) << err;

  ZipPackage package = MinimalPackage("S");
  package.Remove("xl/workbook.xml");
  ASSERT_TRUE(WriteZipPackage(package, &bytes, &err));
  EXPECT_FALSE(book.LoadXlsx(bytes, "noworkbook.xlsx", &err));
  EXPECT_EQ("noworkbook.xlsx: part xl/workbook.xml is missing", err);

  package = MinimalPackage("S");
  package.Find("xl/worksheets/sheet1.xml")->data = "<worksheet><sheetData><row r=\"0\"/>";
  ASSERT_TRUE(WriteZipPackage(package, &bytes, &err));
  EXPECT_FALSE(book.LoadXlsx(bytes, "broken.xlsx", &err));
  EXPECT_EQ(0u, err.find("broken.xlsx: S: ")) << err;

  package.Find("xl/worksheets/sheet1.xml")->data =
      "<worksheet><sheetData><row r=\"0\"/></sheetData></worksheet>";
  ASSERT_TRUE(WriteZipPackage(package, &bytes, &err));
  EXPECT_FALSE(book.LoadXlsx(bytes, "row0.xlsx", &err));
  EXPECT_EQ("row0.xlsx: sheet S: bad row number", err);

  // Saving into a folder that does not exist fails and says where.
  ASSERT_TRUE(book.OpenXlsx(kTemplate, &err)) << err;
  EXPECT_FALSE(book.Save("/nonexistent/out.xlsx", &err));
  EXPECT_NE(std::string::npos, err.find("/nonexistent/out.xlsx")) << err;
}

TEST(Workbook, CsvWorkbookSavesAsXlsx) {
  Workbook book;
  book.LoadCsv("\x8d" "H\x8b\xef,1.5\n\"a,b\",\n", "dir/sheet.csv");
  EXPECT_EQ("sheet", book.sheet(0)->name());
  TempDirForTest dir;
  std::string err;
  ASSERT_TRUE(book.Save(dir.File("csv.xlsx"), &err)) << err;
  auto dump = DumpWorkbookForTest(dir.File("csv.xlsx"));
  ASSERT_EQ(0u, dump.count("error")) << dump["error"];
  EXPECT_EQ("sheet", dump["title"]);
  EXPECT_EQ("s:工具", dump["value:A1"]);
  EXPECT_EQ("n:1.5", dump["value:B1"]);
  EXPECT_EQ("s:a,b", dump["value:A2"]);
}

}  // namespace
}  // namespace tlv
