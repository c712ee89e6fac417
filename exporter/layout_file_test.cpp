#include "exporter/layout_file.h"

#include <gtest/gtest.h>

#include "platform/file_contents.h"
#include "platform/temp_dir_for_test.h"
#include "platform/text_encoding.h"

namespace tlv {
namespace {

std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) {
    text += line;
    text += "\r\n";
  }
  return Utf8ToCp932(text);
}

TEST(LayoutFile, DefaultsAreWrittenInReadingOrder) {
  const std::string twelve = "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n";
  const std::string zeros = "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";
  EXPECT_EQ("[PAGESETTING]\r\n37\r\n6\r\n36\r\n37\r\n6\r\n36\r\n2\r\n3\r\nA\r\n1\r\n28\r\n"
            "[COLUMNSETTING]\r\n19\r\n1\r\n2\r\n4\r\n7\r\n9\r\n11\r\n13\r\n14\r\n16\r\n17\r\n"
            "18\r\n19\r\n20\r\n21\r\n22\r\n23\r\n24\r\n25\r\n27\r\n"
            "[INFORMATION]\r\n" + twelve + "[INFO ACTIVE]\r\n" + zeros +
            "[INFO POSITION]\r\n" + twelve + "[INFO CAPTION]\r\n" + twelve +
            "[INFO TYPE]\r\n" + zeros + "[END]\r\n",
            FormatLayoutFile(PageLayout()));
}

TEST(LayoutFile, RoundTripWithJapaneseItems) {
  PageLayout layout;
  layout.PageLine1 = 40;
  layout.ColSequence = "";
  layout.SwFirstPage = 2;
  layout.columns = {3, 1};
  layout.items[0] = {"ＢＲＡＣＫＥＴ", "部品名", "D2", true, 0};
  layout.items[11] = {"12.5", "厚さ", "Q3", false, kItemTypeReal};
  // A line break in a value would shift every line after it.
  layout.items[5].value = "two\r\nlines";
  const std::string bytes = FormatLayoutFile(layout);
  EXPECT_NE(std::string::npos, bytes.find("\x95\x94\x95\x69\x96\xbc\r\n"));  // "部品名" in CP932

  PageLayout read;
  std::string err;
  ASSERT_TRUE(ParseLayoutFile(bytes, "SheetPump.DAT", &read, &err)) << err;
  EXPECT_EQ(40, read.PageLine1);
  EXPECT_EQ("", read.ColSequence);
  EXPECT_EQ(2, read.SwFirstPage);
  EXPECT_EQ((std::vector<int>{3, 1}), read.columns);
  EXPECT_EQ("ＢＲＡＣＫＥＴ", read.items[0].value);
  EXPECT_EQ("部品名", read.items[0].caption);
  EXPECT_TRUE(read.items[0].active);
  EXPECT_EQ("D2", read.items[0].position);
  EXPECT_EQ(kItemTypeReal, read.items[11].type);
  EXPECT_FALSE(read.items[11].active);
  EXPECT_EQ("two  lines", read.items[5].value);
  EXPECT_EQ(bytes, FormatLayoutFile(read));
}

TEST(LayoutFile, ReadingRules) {
  PageLayout layout;
  std::string err;
  // Known tags whose lines are skipped, thirteen item lines, LF line ends,
  // numbers read as leading numbers and rounded half to even, and nothing
  // read after [END].
  std::string text = Lines({"[MATERIAL]", "S50C", "[PAGESETTING]", "40.5", "5 rows", "", "41.5",
                            "2", "12", "1", "3", "B", "1", "20", "[INFO ACTIVE]", "1", "1", "0",
                            "1", "1", "1", "1", "1", "1", "1", "1", "1", "1",
                            "[INFO CAPTION]", "材質", "[END]", "[INFO CAPTION]", "after"});
  ASSERT_TRUE(ParseLayoutFile(text, "SheetPump.DAT", &layout, &err)) << err;
  EXPECT_EQ(40, layout.PageLine1);
  EXPECT_EQ(5, layout.StrtLine1);
  EXPECT_EQ(0, layout.EndLine1);
  EXPECT_EQ(42, layout.PageLine2);
  EXPECT_EQ("B", layout.ColSequence);
  EXPECT_EQ(20, layout.ColumnNumber);
  EXPECT_TRUE(layout.items[0].active);
  EXPECT_FALSE(layout.items[2].active);
  EXPECT_TRUE(layout.items[11].active);  // the thirteenth line is ignored
  EXPECT_EQ("材質", layout.items[0].caption);
  EXPECT_EQ(19u, layout.columns.size());  // no [COLUMNSETTING]: the table stays

  // [MATERIAL] does not survive a write.
  EXPECT_EQ(std::string::npos, FormatLayoutFile(layout).find("MATERIAL"));
}

TEST(LayoutFile, BrokenFilesLeaveTheLayoutAlone) {
  PageLayout layout;
  std::string err;
  EXPECT_FALSE(ParseLayoutFile(Lines({"[PAGESETTING]", "40", "6"}), "SheetPump.DAT", &layout, &err));
  EXPECT_EQ("SheetPump.DAT:3: the section ends too early", err);
  EXPECT_EQ(37, layout.PageLine1);
  EXPECT_FALSE(ParseLayoutFile(Lines({"[COLUMNSETTING]", "3", "1", "2"}), "X", &layout, &err));
  EXPECT_EQ(19u, layout.columns.size());
  EXPECT_FALSE(ParseLayoutFile(Lines({"[COLUMNSETTING]", "40000"}), "X", &layout, &err));
  EXPECT_EQ("X:2: number out of range: 40000", err);
  // An empty file holds nothing to read.
  EXPECT_TRUE(ParseLayoutFile("", "X", &layout, &err));
}

TEST(LayoutFile, FilesInTheLayoutFolder) {
  TempDirForTest dir;
  PageLayout layout;
  std::string err;
  EXPECT_FALSE(GetComboData(dir.path(), &layout, &err));
  EXPECT_NE(std::string::npos, err.find("SheetPump.DAT")) << err;
  layout.csvMain = 9;
  ASSERT_TRUE(SetComboData(dir.path(), layout, &err)) << err;
  PageLayout read;
  ASSERT_TRUE(GetComboData(dir.path(), &read, &err)) << err;
  EXPECT_EQ(9, read.csvMain);
  EXPECT_FALSE(SetComboData(dir.File("missing/folder"), layout, &err));
}

}  // namespace
}  // namespace tlv
