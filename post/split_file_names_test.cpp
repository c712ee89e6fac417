#include "post/split_file_names.h"

#include <gtest/gtest.h>

#include "platform/text_encoding.h"

namespace tlv {
namespace {

TEST(SplitFileNames, DigitsOfTheSetting) {
  EXPECT_EQ(1, SplitNumberDigits(0));
  EXPECT_EQ(6, SplitNumberDigits(5));
  EXPECT_EQ(3, SplitNumberDigits(6));
  EXPECT_EQ(3, SplitNumberDigits(-1));
  EXPECT_EQ("007", PaddedNumber(7, 3));
  EXPECT_EQ("1234", PaddedNumber(1234, 3));
  EXPECT_EQ("-05", PaddedNumber(-5, 3));
}

TEST(SplitFileNames, OutputNamePlusNumber) {
  EXPECT_EQ("/nc/A001.NC", NumberedOutputName("/nc/A.NC", 1, 3, "nc"));
  EXPECT_EQ("/nc/A12.tar.gz", NumberedOutputName("/nc/A.tar.gz", 12, 1, ""));
  EXPECT_EQ("/p1001.2/OUT", NumberedOutputName("/p1.2/OUT", 1, 3, ""));
  EXPECT_EQ("/nc/PART.1.nc", NumberedOutputName("/nc/PART", 1, 1, "nc"));
  EXPECT_EQ("/nc/PART.000010", NumberedOutputName("/nc/PART", 10, 6, ""));
}

TEST(SplitFileNames, NamesFromTexts) {
  EXPECT_EQ("/nc/OP 1007.nc", NamedSplitPath("/nc/A.NC", "OP 10  ", 7, 2, "nc"));
  EXPECT_EQ("/nc/OP 10  ", NamedSplitPath("/nc/A.NC", "OP 10  ", -1, 2, ""));
  // Cut at 20 bytes without splitting a double-byte character.
  const std::string cp932 = Utf8ToCp932("ABCDEFGHIJKLMNOPQRS加工");
  EXPECT_EQ("ABCDEFGHIJKLMNOPQRS", NameFromVariable(cp932, 20, true));
  EXPECT_EQ("荒加工", NameFromVariable(Utf8ToCp932("荒加工  "), 20, true));
  EXPECT_EQ("荒加工  ", NameFromVariable(Utf8ToCp932("荒加工  "), 0, false));
}

TEST(SplitFileNames, MadePathsThatAreRefused) {
  EXPECT_EQ("", CheckMadePath("/nc/OP1", "OP1"));
  EXPECT_NE("", CheckMadePath("/nc/a/b", "a/b"));
  EXPECT_NE("", CheckMadePath("/nc/a\\b", "a\\b"));
  EXPECT_NE("", CheckMadePath("/nc/", ""));
  EXPECT_EQ("", CheckMadePath("/" + std::string(149, 'x'), ""));
  EXPECT_NE("", CheckMadePath("/" + std::string(150, 'x'), ""));
  // The limit counts the bytes the name takes in CP932.
  std::string japanese = "/";
  for (int i = 0; i < 74; ++i) japanese += "工";
  EXPECT_EQ("", CheckMadePath(japanese, ""));
  EXPECT_NE("", CheckMadePath(japanese + "工", ""));
}

TEST(SplitFileNames, SheetFileNames) {
  EXPECT_EQ("/nc/A.NC.csv", SheetFileName("/nc/A.NC", 0, "OP 10", "csv"));
  EXPECT_EQ("/nc/OP10.csv", SheetFileName("/nc/A.NC", 1, "OP 10", "csv"));
  EXPECT_EQ("/nc/PATH1.dat", SheetFileName("/nc/A.NC", 2, " PATH 1", "dat"));
  EXPECT_EQ("/nc/A.NC", SheetFileName("/nc/A.NC", 3, "OP 10", "csv"));
}

}  // namespace
}  // namespace tlv
