#include "exporter/page_layout.h"

#include <gtest/gtest.h>

#include "exporter/csv_reader.h"
#include "exporter/sheet_pump.h"
#include "exporter/workbook_dump_for_test.h"
#include "platform/file_contents.h"
#include "platform/temp_dir_for_test.h"
#include "platform/text_encoding.h"

namespace tlv {
namespace {

const std::string kTemplate = TLV_SOURCE_DIR "/data/templates/process_sheet.xlsx";

// A process sheet as the shipped post writes it: a title row, the heading
// row and one row per item, 19 columns, code page 932.
std::string MakeCsv(int items) {
  std::string text = "加工指示書,PROG1\r\n";
  text += "No,加工名,コメント,ツールパス,工具番号,工具名,主軸回転,送り速度,X最小,X最大,"
          "Y最小,Y最大,Z最小,Z最大,切削長,切削時間,早送り長,早送り時間,合計時間\r\n";
  for (int i = 1; i <= items; ++i) {
    std::string n = std::to_string(i);
    text += n + ",OP" + n + ",\"荒取り, " + n + "\",PATH" + n + "," + std::to_string(i % 9 + 1) +
            ",D10 エンドミル," + std::to_string(1000 + i) + ",500,-" + n + ".5," + n +
            ".25,0,10,-5,50,1" + n + ".125,2.5,300,0.75,3.25\r\n";
  }
  return Utf8ToCp932(text);
}

struct LayoutRun {
  LaidOutWorkbook laid;
  std::map<std::string, std::string> dump;
};

// Lays `items` CSV rows into the template, saves the workbook and reads it
// back with openpyxl (when `read_back`; a big workbook takes it long).
LayoutRun LayOut(const TempDirForTest& dir, int items, const PageLayout& layout = PageLayout(),
                 bool read_back = true) {
  LayoutRun run;
  std::string err;
  EXPECT_TRUE(WriteFileAtomically(dir.File("sheet.csv"), MakeCsv(items), &err)) << err;
  run.laid = LayOutWorkbook(kTemplate, dir.File("sheet.csv"), layout);
  EXPECT_TRUE(run.laid.ok) << run.laid.error;
  EXPECT_TRUE(run.laid.workbook.Save(dir.File("out.xlsx"), &err)) << err;
  if (!read_back) return run;
  run.dump = DumpWorkbookForTest(dir.File("out.xlsx"));
  EXPECT_EQ(0u, run.dump.count("error")) << run.dump["error"];
  return run;
}

PageLayout WithItems() {
  PageLayout layout;
  layout.items[0] = {"BRACKET-01", "部品名", "D2", true, 0};
  layout.items[1] = {"12.5mm", "厚さ", "Q2", true, kItemTypeReal};
  layout.items[2] = {"hidden", "x", "Q3", false, 0};
  return layout;
}

TEST(PageLayout, PageFormula) {
  EXPECT_EQ(1, PageCount(1, 31, 31));
  EXPECT_EQ(1, PageCount(30, 31, 31));
  EXPECT_EQ(2, PageCount(31, 31, 31));  // exactly r1 rows already gives two pages
  EXPECT_EQ(2, PageCount(32, 31, 31));
  EXPECT_EQ(2, PageCount(46, 31, 31));  // 15/31 + 2 rounds down
  EXPECT_EQ(3, PageCount(47, 31, 31));  // 16/31 + 2 rounds up
  EXPECT_EQ(2, PageCount(11, 10, 2));   // 2.5: ties to even
  EXPECT_EQ(4, PageCount(13, 10, 2));   // 3.5: ties to even
}

TEST(PageLayout, HeadingRowOnly) {
  TempDirForTest dir;
  LayoutRun run = LayOut(dir, 0, WithItems());
  EXPECT_EQ(1, run.laid.layout.rows);
  EXPECT_EQ(19, run.laid.layout.columns);
  EXPECT_EQ(1, run.laid.layout.pages);
  EXPECT_EQ(0, run.laid.layout.following_pages);
  EXPECT_TRUE(run.laid.layout.messages.empty());
  EXPECT_EQ("37", run.dump["max_row"]);
  // The items are still written; a number item goes in as a number.
  EXPECT_EQ("s:BRACKET-01", run.dump["value:D2"]);
  EXPECT_EQ("n:12.5", run.dump["value:Q2"]);
  EXPECT_EQ(0u, run.dump.count("value:Q3"));
  EXPECT_EQ(0u, run.dump.count("value:B6"));
  // CSV column 1 lands in column A after the running number: an empty CSV
  // row leaves it empty.
  EXPECT_EQ(0u, run.dump.count("value:A6"));
  EXPECT_EQ("s:工具", run.dump["value:A5"]);
}

TEST(PageLayout, RowCountOfFirstPageGivesTwoPages) {
  TempDirForTest dir;
  // r1 = 31 rows counted with the heading: 30 items fit the first page, yet
  // the page formula asks for the continuation page.
  LayoutRun run = LayOut(dir, 30);
  EXPECT_EQ(31, run.laid.layout.rows);
  EXPECT_EQ(2, run.laid.layout.pages);
  EXPECT_EQ(0, run.laid.layout.following_pages);
  EXPECT_EQ("74", run.dump["max_row"]);
  EXPECT_EQ("s:加工指示書", run.dump["value:A38"]);
  EXPECT_EQ("1", run.dump["merge:A38:AB38"]);
  EXPECT_EQ("s:OP1", run.dump["value:B6"]);
  EXPECT_EQ("s:荒取り, 1", run.dump["value:D6"]);
  EXPECT_EQ("n:1", run.dump["value:A6"]);
  EXPECT_EQ("n:-1.5", run.dump["value:P6"]);
  EXPECT_EQ("n:3.25", run.dump["value:AA6"]);
  EXPECT_EQ("s:OP30", run.dump["value:B35"]);
  EXPECT_EQ(0u, run.dump.count("value:B36"));
  EXPECT_EQ(0u, run.dump.count("value:B43"));
  EXPECT_EQ(run.dump["style:B6"], run.dump["style:B43"]);
  // The copy of an empty first page shows the template's own data rows.
  EXPECT_EQ(run.dump["style:P6"], run.dump["style:P43"]);
}

TEST(PageLayout, OneRowMoreThanTheFirstPage) {
  TempDirForTest dir;
  LayoutRun run = LayOut(dir, 31);
  EXPECT_EQ(32, run.laid.layout.rows);
  EXPECT_EQ(2, run.laid.layout.pages);
  EXPECT_EQ(0, run.laid.layout.following_pages);
  EXPECT_EQ("s:OP31", run.dump["value:B36"]);
  EXPECT_EQ("74", run.dump["max_row"]);
}

TEST(PageLayout, ManyRowsFillFollowingPages) {
  TempDirForTest dir;
  LayoutRun run = LayOut(dir, 100, WithItems());
  const PageSetResult& result = run.laid.layout;
  EXPECT_EQ(101, result.rows);
  EXPECT_EQ(4, result.pages);
  EXPECT_EQ(3, result.following_pages);
  EXPECT_EQ(3 + 31 + 3 * 31, result.next_csv_row);
  EXPECT_EQ("148", run.dump["max_row"]);  // first page and three more blocks
  EXPECT_EQ("s:OP31", run.dump["value:B36"]);
  EXPECT_EQ("s:OP32", run.dump["value:B43"]);
  EXPECT_EQ("s:OP63", run.dump["value:B80"]);
  EXPECT_EQ("s:OP94", run.dump["value:B117"]);
  EXPECT_EQ("s:OP100", run.dump["value:B123"]);
  EXPECT_EQ(0u, run.dump.count("value:B124"));
  // Each following page is a copy of the continuation block: title, items,
  // headings, formats, heights and merged areas.
  for (int base : {37, 74, 111}) {
    const std::string r = std::to_string(base);
    EXPECT_EQ("s:加工指示書", run.dump["value:A" + std::to_string(base + 1)]) << r;
    EXPECT_EQ("s:BRACKET-01", run.dump["value:D" + std::to_string(base + 2)]) << r;
    EXPECT_EQ("s:工具径", run.dump["value:I" + std::to_string(base + 5)]) << r;
    EXPECT_EQ("30", run.dump["height:" + std::to_string(base + 1)]) << r;
    EXPECT_EQ("27", run.dump["height:" + std::to_string(base + 5)]) << r;
    EXPECT_EQ("1", run.dump["merge:B" + std::to_string(base + 20) + ":C" +
                            std::to_string(base + 20)]) << r;
    EXPECT_EQ(run.dump["style:P6"], run.dump["style:P" + std::to_string(base + 6)]) << r;
    EXPECT_EQ(run.dump["style:A5"], run.dump["style:A" + std::to_string(base + 5)]) << r;
  }
  EXPECT_EQ("n:1.25", run.dump["value:Q6"]);
  EXPECT_EQ("s:D10 エンドミル", run.dump["value:K123"]);
}

TEST(PageLayout, RowAndPageLimits) {
  TempDirForTest dir;
  // More rows than 100 following pages hold.
  LayoutRun run = LayOut(dir, 3200, PageLayout(), false);
  const PageSetResult& result = run.laid.layout;
  EXPECT_EQ(kMaxCsvCount, result.rows);
  ASSERT_EQ(2u, result.messages.size());
  EXPECT_EQ(kTooManyRowsMessage, result.messages[0]);
  EXPECT_EQ(kCountLimitMessage, result.messages[1]);
  EXPECT_EQ(100, result.following_pages);
  EXPECT_EQ(3 + 31 + 100 * 31, result.next_csv_row);
  Workbook saved;
  std::string err;
  ASSERT_TRUE(saved.OpenXlsx(dir.File("out.xlsx"), &err)) << err;
  const Worksheet& sheet = *saved.sheet(0);
  EXPECT_EQ(37 + 100 * 37, sheet.Used().range.last.row);
  EXPECT_EQ(CellValue::Text("OP3131"), sheet.Value(37 + 99 * 37 + 36, 2));
  EXPECT_EQ(CellValue::Text("加工指示書"), sheet.Value(37 + 99 * 37 + 1, 1));
}

// A template made in memory: A1 holds a title, row 2 has a style.
Worksheet SmallTemplate() {
  Workbook book;
  book.LoadCsv("Title\n", "t.csv");
  Worksheet sheet = std::move(*book.sheet(0));
  sheet.set_modified(false);
  return sheet;
}

Worksheet SmallCsv(std::string_view text) {
  Worksheet csv("csv");
  ReadCsv(text, &csv);
  return csv;
}

TEST(PageLayout, SequenceColumnTableAndFirstPageSwitch) {
  PageLayout layout;
  layout.PageLine1 = layout.PageLine2 = 4;
  layout.StrtLine1 = layout.StrtLine2 = 2;
  layout.EndLine1 = layout.EndLine2 = 3;
  layout.csvHeader = 1;
  layout.ColumnNumber = 5;
  layout.ColSequence = "E";
  layout.columns = {2, 3};
  const Worksheet csv = SmallCsv("h1,h2\na,1\nb,2\nc,3\n");

  Worksheet sheet = SmallTemplate();
  PageSetResult result = S_PageSet(csv, &sheet, layout);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(4, result.rows);
  EXPECT_EQ(3, result.pages);
  EXPECT_EQ(1, result.following_pages);
  EXPECT_EQ(CellValue::Number(1), sheet.Value(2, 5));
  EXPECT_EQ(CellValue::Text("a"), sheet.Value(2, 2));
  EXPECT_EQ(CellValue::Number(2), sheet.Value(3, 3));
  EXPECT_EQ(CellValue::Text("Title"), sheet.Value(5, 1));  // continuation block copied
  EXPECT_EQ(CellValue::Text("c"), sheet.Value(6, 2));
  EXPECT_EQ(CellValue::Number(3), sheet.Value(6, 5));
  // The running number goes on through rows with no CSV data.
  EXPECT_EQ(CellValue::Number(4), sheet.Value(7, 5));
  EXPECT_FALSE(sheet.HasValue(9, 1));

  // No sequence column: no numbers.  A template that already holds its
  // continuation page is not copied into.
  layout.ColSequence.clear();
  layout.SwFirstPage = 2;
  sheet = SmallTemplate();
  result = S_PageSet(csv, &sheet, layout);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_FALSE(sheet.HasValue(2, 5));
  EXPECT_FALSE(sheet.HasValue(5, 1));
  EXPECT_EQ(CellValue::Text("c"), sheet.Value(6, 2));

  // A CSV wider than the column table is refused before anything is written.
  layout.columns = {2};
  sheet = SmallTemplate();
  result = S_PageSet(csv, &sheet, layout);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ("CSVファイルの列数(2)が列設定の数(1)を越えています。", result.error);
  EXPECT_FALSE(sheet.modified());
}

TEST(PageLayout, SettingsThatCannotWork) {
  PageLayout layout;
  EXPECT_EQ("", CheckPageLayout(layout));
  layout.EndLine2 = 5;  // a following page without data rows: the formula would divide by 0
  EXPECT_EQ("書式設定の値が正しくありません。(EndLine2)", CheckPageLayout(layout));
  layout = PageLayout();
  layout.ColSequence = "A1";
  EXPECT_NE("", CheckPageLayout(layout));
  // Table entries past the CSV's columns are not used and not checked.
  layout = PageLayout();
  layout.csvHeader = 1;
  layout.columns.push_back(0);
  EXPECT_EQ("", CheckPageLayout(layout));
  Worksheet target = SmallTemplate();
  EXPECT_TRUE(S_PageSet(SmallCsv("a\n"), &target, layout).ok);
  layout.columns = {0};
  PageSetResult refused = S_PageSet(SmallCsv("a\n"), &target, layout);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ("書式設定の値が正しくありません。(COLUMNSETTING)", refused.error);
  layout = PageLayout();
  layout.PageLine2 = 32000;  // the hundredth page would leave the sheet
  EXPECT_NE("", CheckPageLayout(layout));

  layout = PageLayout();
  layout.items[4] = {"x", "", "ZZZZ1", true, 0};
  Worksheet sheet = SmallTemplate();
  PageSetResult result = S_PageSet(SmallCsv("a\n"), &sheet, layout);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ("項目5のセル位置が正しくありません。(ZZZZ1)", result.error);
}

TEST(PageLayout, MissingFilesAreNamed) {
  TempDirForTest dir;
  LaidOutWorkbook laid = LayOutWorkbook(kTemplate, dir.File("none.csv"), PageLayout());
  EXPECT_FALSE(laid.ok);
  EXPECT_NE(std::string::npos, laid.error.find(dir.File("none.csv"))) << laid.error;
  laid = LayOutWorkbook(dir.File("none.xlsx"), dir.File("none.csv"), PageLayout());
  EXPECT_NE(std::string::npos, laid.error.find(dir.File("none.xlsx"))) << laid.error;
  laid = LayOutWorkbook("", dir.File("none.csv"), PageLayout());
  EXPECT_EQ(kExcelNameMissingMessage, laid.error);
}

}  // namespace
}  // namespace tlv
