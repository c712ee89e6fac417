#include "exporter/cell_ref.h"

#include <gtest/gtest.h>

namespace tlv {
namespace {

TEST(CellRef, ColumnsAndAddresses) {
  EXPECT_EQ("A", ColumnLetters(1));
  EXPECT_EQ("Z", ColumnLetters(26));
  EXPECT_EQ("AA", ColumnLetters(27));
  EXPECT_EQ("AB", ColumnLetters(28));
  EXPECT_EQ("XFD", ColumnLetters(kMaxSheetColumns));
  EXPECT_EQ("", ColumnLetters(0));
  EXPECT_EQ("", ColumnLetters(kMaxSheetColumns + 1));
  EXPECT_EQ(28, ParseColumnLetters("ab"));
  EXPECT_EQ(0, ParseColumnLetters("XFE"));
  EXPECT_EQ(0, ParseColumnLetters("A1"));
  EXPECT_EQ(0, ParseColumnLetters(""));

  CellRef cell;
  ASSERT_TRUE(ParseCellRef("$AB$12", &cell));
  EXPECT_EQ((CellRef{12, 28}), cell);
  ASSERT_TRUE(ParseCellRef("d2", &cell));
  EXPECT_EQ((CellRef{2, 4}), cell);
  for (const char* bad : {"", "A", "12", "A0", "A01", "A1048577", "XFE1", "A1 ", "1A", "A-1"})
    EXPECT_FALSE(ParseCellRef(bad, &cell)) << bad;

  CellRange range;
  ASSERT_TRUE(ParseCellRange("C3:A1", &range));
  EXPECT_EQ("A1:C3", FormatCellRange(range));
  ASSERT_TRUE(ParseCellRange("B2", &range));
  EXPECT_EQ("B2", FormatCellRange(range));
  EXPECT_FALSE(ParseCellRange("A1:", &range));
}

}  // namespace
}  // namespace tlv
