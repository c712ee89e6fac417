#include "exporter/csv_reader.h"

#include <gtest/gtest.h>

namespace tlv {
namespace {

CellValue N(double value) { return CellValue::Number(value); }
CellValue T(std::string text) { return CellValue::Text(std::move(text)); }

TEST(CsvReader, QuotesSeparatorsAndLineEnds) {
  Worksheet sheet("csv");
  CsvReadResult result = ReadCsv(
      "a,\"b,c\",\"say \"\"hi\"\"\"\r\n"
      "\"two\nlines\",,x\r"
      "\"open\"tail,\"\"\n"
      "last",
      &sheet);
  EXPECT_EQ(4, result.rows);
  EXPECT_EQ(3, result.columns);
  EXPECT_EQ(T("a"), sheet.Value(1, 1));
  EXPECT_EQ(T("b,c"), sheet.Value(1, 2));
  EXPECT_EQ(T("say \"hi\""), sheet.Value(1, 3));
  EXPECT_EQ(T("two\nlines"), sheet.Value(2, 1));
  EXPECT_EQ(CellValue(), sheet.Value(2, 2));  // empty field: no cell
  EXPECT_EQ(T("x"), sheet.Value(2, 3));
  EXPECT_EQ(T("opentail"), sheet.Value(3, 1));  // text after the closing quote is kept
  EXPECT_EQ(CellValue(), sheet.Value(3, 2));
  EXPECT_EQ(T("last"), sheet.Value(4, 1));  // no line end after the last record
  // An unterminated quote takes the rest of the file.
  Worksheet open("open");
  EXPECT_EQ(1, ReadCsv("\"a,\nb", &open).rows);
  EXPECT_EQ(T("a,\nb"), open.Value(1, 1));
  Worksheet empty("empty");
  EXPECT_EQ(0, ReadCsv("", &empty).rows);
}

TEST(CsvReader, NumbersBecomeNumbers) {
  Worksheet sheet("csv");
  ReadCsv("12,-0.5,1.5E3,\" 7 \",007,+3,.5,5.\n"
          "1e,12abc,1.2.3,-,0x10,1e999,E5, \n",
          &sheet);
  EXPECT_EQ(N(12), sheet.Value(1, 1));
  EXPECT_EQ(N(-0.5), sheet.Value(1, 2));
  EXPECT_EQ(N(1500), sheet.Value(1, 3));
  EXPECT_EQ(N(7), sheet.Value(1, 4));
  EXPECT_EQ(N(7), sheet.Value(1, 5));
  EXPECT_EQ(N(3), sheet.Value(1, 6));
  EXPECT_EQ(N(0.5), sheet.Value(1, 7));
  EXPECT_EQ(N(5), sheet.Value(1, 8));
  EXPECT_EQ(T("1e"), sheet.Value(2, 1));
  EXPECT_EQ(T("12abc"), sheet.Value(2, 2));
  EXPECT_EQ(T("1.2.3"), sheet.Value(2, 3));
  EXPECT_EQ(T("-"), sheet.Value(2, 4));
  EXPECT_EQ(T("0x10"), sheet.Value(2, 5));
  EXPECT_EQ(T("1e999"), sheet.Value(2, 6));  // out of range stays text
  EXPECT_EQ(T("E5"), sheet.Value(2, 7));
  EXPECT_EQ(T(" "), sheet.Value(2, 8));
}

TEST(CsvReader, Cp932AndUtf8Text) {
  Worksheet sheet("csv");
  // "荒取り" in code page 932, with a trail byte 0x5C ("表" is 0x95 0x5C).
  ReadCsv("\x8d\x72\x8e\xe6\x82\xe8,\x95\\\n", &sheet);
  EXPECT_EQ(T("荒取り"), sheet.Value(1, 1));
  EXPECT_EQ(T("表"), sheet.Value(1, 2));
  Worksheet utf8("utf8");
  ReadCsv("\xEF\xBB\xBF荒取り,1\n", &utf8);
  EXPECT_EQ(T("荒取り"), utf8.Value(1, 1));
  EXPECT_EQ(N(1), utf8.Value(1, 2));
}

}  // namespace
}  // namespace tlv
