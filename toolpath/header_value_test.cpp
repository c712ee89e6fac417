#include "toolpath/header_value.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tlv {
namespace {

namespace fs = std::filesystem;

TEST(HeaderValueTest, ScanText) {
  const std::string text =
      ".102=0 PART 01\r\n"
      "_100\n"
      ".512=1 10.213\n"     // not item 213: the "." is inside a value
      ".1025=0 WRONG\n"     // not item 102: a longer id
      ".118=2  4 2 \n"
      "x.212=0 NOT AT LINE START\n"
      ".212=0\n"            // ends before its value
      ".213=0 proc\tone\n"
      ".213=0 SECOND\n";
  EXPECT_EQ(ScanHeaderValue(text, kHeaderToolPathName), "PART01");
  EXPECT_EQ(ScanHeaderValue(text, kHeaderItem118), "42");
  EXPECT_EQ(ScanHeaderValue(text, kHeaderItem212), "");
  // Only blanks are left out; the first line of the id wins.
  EXPECT_EQ(ScanHeaderValue(text, kHeaderProcedureName), "proc\tone");
  EXPECT_EQ(ScanHeaderValue(text, 999), "");
  EXPECT_EQ(ScanHeaderValue("", 102), "");
  EXPECT_EQ(ScanHeaderValue(".102=0 A B", 102), "AB");  // up to the end of the data
  // A NUL byte ends the scan.
  EXPECT_EQ(ScanHeaderValue(std::string("_1\n\0\n.102=0 X\n", 14), 102), "");
  EXPECT_EQ(ScanHeaderValue(std::string(".102=0 X\0Y\n", 11), 102), "X");
  // A value is cut at the longest a line can be.
  EXPECT_EQ(ScanHeaderValue(".213=0 " + std::string(500, 'n'), 213),
            std::string(kMaxHeaderValueLength, 'n'));
}

class HeaderValueFileTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "header_value_XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Write(const std::string& name, const std::string& text) {
    std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  fs::path dir_;
  std::vector<std::string> lines_;
  ProgressSink sink_ = [this](std::string_view line) { lines_.emplace_back(line); };
};

TEST_F(HeaderValueFileTest, ProgressLinesOnlyForItem212) {
  std::string path = Write("a.temp", "_100\n.212=1 12 5\n.102=0 N\n");
  EXPECT_EQ(ReadHeaderValue(path, kHeaderItem212, sink_), "125");
  EXPECT_EQ(lines_, (std::vector<std::string>{"ファイルを開きました。\n", "コードが見つかりました。\n"}));
  lines_.clear();
  EXPECT_EQ(ReadHeaderValue(path, kHeaderToolPathName, sink_), "N");
  EXPECT_TRUE(lines_.empty());

  std::string without = Write("b.temp", "_100\n");
  EXPECT_EQ(ReadHeaderValue(without, kHeaderItem212, sink_), "");
  EXPECT_EQ(lines_, (std::vector<std::string>{"ファイルを開きました。\n"}));
  lines_.clear();
  EXPECT_EQ(ReadHeaderValue((dir_ / "missing").string(), kHeaderItem212, sink_), "");
  EXPECT_EQ(lines_, (std::vector<std::string>{"ファイルを開けません。\n"}));
  lines_.clear();
  EXPECT_EQ(ReadHeaderValue((dir_ / "missing").string(), kHeaderProcedureName, sink_), "");
  EXPECT_TRUE(lines_.empty());
  EXPECT_EQ(ReadHeaderValue(path, kHeaderItem212), "125");  // no sink given
}

// The file is scanned in pieces: an item that straddles two pieces is whole.
TEST_F(HeaderValueFileTest, ValueAcrossPieces) {
  for (size_t filler : {65536 - 10, 65536 - 3, 65536 - 1, 65536 + 5}) {
    std::string text(filler - 1, 'x');
    text += "\n.213=0 DEEP POCKET\n";
    std::string path = Write("big.temp", text);
    EXPECT_EQ(ReadHeaderValue(path, kHeaderProcedureName), "DEEPPOCKET") << filler;
  }
}

TEST_F(HeaderValueFileTest, BesidePath) {
  std::string path = Write("c.temp", ".213=0 ROUGH 1\n");
  EXPECT_EQ(ReadHeaderValueBeside(path, kHeaderProcedureName, "/work/nc/part.nc"), "/work/nc/ROUGH1");
  EXPECT_EQ(ReadHeaderValueBeside(path, kHeaderProcedureName, "C:\\nc\\part.nc"), "C:\\nc\\ROUGH1");
  EXPECT_EQ(ReadHeaderValueBeside(path, kHeaderProcedureName, "part.nc"), "ROUGH1");
  EXPECT_EQ(ReadHeaderValueBeside(path, kHeaderToolPathName, "/work/nc/part.nc"), "/work/nc/");
}

}  // namespace
}  // namespace tlv

namespace tlv {
namespace {

// The header items of the run found in one read: the same values and the
// same progress lines as one scan per item.
TEST_F(HeaderValueFileTest, AllItemsInOneRead) {
  const std::vector<int32_t> ids = {kHeaderToolPathName, kHeaderItem118, kHeaderProcedureName,
                                    kHeaderItem212};
  const std::string filler(70000, 'x');
  for (const std::string& text :
       {std::string(".102=0 PART 01\n_100\n.118=0 MC\n.213=0 OP 10\n.212=0 A B\n"),
        std::string("_100\n.1025=0 no\n.212=0 first\n.212=0 second\n.102=0 P\n"),
        filler + "\n.213=0 LATE\n" + filler + "\n.102=1 1.5\r\n",
        std::string(".118=0 BEFORE NUL\n") + std::string(1, '\0') + "\n.102=0 AFTER\n",
        std::string("")}) {
    const std::string path = Write("h.temp", text);
    std::vector<std::string> one_by_one;
    std::vector<std::string> lines_one_by_one;
    for (int32_t id : ids) one_by_one.push_back(ReadHeaderValue(path, id, sink_));
    lines_one_by_one.swap(lines_);
    EXPECT_EQ(ReadHeaderValues(path, ids, sink_), one_by_one) << text.size();
    EXPECT_EQ(lines_, lines_one_by_one) << text.size();
    lines_.clear();
  }
  EXPECT_EQ(ReadHeaderValues((dir_ / "missing").string(), ids, sink_),
            std::vector<std::string>(4));
  EXPECT_EQ(lines_, (std::vector<std::string>{"ファイルを開けません。\n"}));
}

}  // namespace
}  // namespace tlv
