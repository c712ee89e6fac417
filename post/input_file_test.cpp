#include "post/input_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/paths.h"
#include "post/testing/temp_folder.h"

namespace tlv {
namespace {

using testing::ReadTestFile;
using testing::TempFolder;
using testing::WriteTestFile;

TEST(JoinInputPieces, AppendsPiecesInOrderAndDeletesThem) {
  TempFolder dir;
  std::string input = dir / "a.ncl";
  WriteTestFile(input, "head\n");
  WriteTestFile(input + "_1", "one\n");
  WriteTestFile(input + "_2", std::string(5000, 'x'));
  WriteTestFile(input + "_4", "after a gap\n");
  // A small chunk makes each piece cross several reads.
  JoinResult r = JoinInputPieces(input, 7);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(2, r.pieces_joined);
  EXPECT_EQ("head\none\n" + std::string(5000, 'x'), ReadTestFile(input));
  EXPECT_FALSE(PathExists(input + "_1"));
  EXPECT_FALSE(PathExists(input + "_2"));
  // The join stops at the first missing number.
  EXPECT_EQ("after a gap\n", ReadTestFile(input + "_4"));

  // An empty piece adds nothing and is deleted too.
  WriteTestFile(input + "_1", "");
  r = JoinInputPieces(input);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(1, r.pieces_joined);
  EXPECT_EQ(5009u, ReadTestFile(input).size());
  EXPECT_FALSE(PathExists(input + "_1"));
}

TEST(JoinInputPieces, FailedWriteKeepsPiece) {
  TempFolder dir;
  // Every write to this device fails as a full disk would.
  std::string input = dir / "b.ncl";
  ASSERT_EQ(0, ::symlink("/dev/full", input.c_str()));
  WriteTestFile(input + "_1", "piece one\n");
  JoinResult r = JoinInputPieces(input);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(0, r.pieces_joined);
  EXPECT_NE(std::string::npos, r.error.find(input + "_1")) << r.error;
  EXPECT_EQ("piece one\n", ReadTestFile(input + "_1"));
}

TEST(JoinInputPieces, PieceLinkedToInputIsRefused) {
  TempFolder dir;
  std::string input = dir / "d.ncl";
  WriteTestFile(input, "data\n");
  ASSERT_EQ(0, ::symlink(input.c_str(), (input + "_1").c_str()));
  JoinResult r = JoinInputPieces(input);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ("data\n", ReadTestFile(input));
  EXPECT_TRUE(PathExists(input + "_1"));
}

TEST(JoinInputPieces, MissingInputIsAnError) {
  TempFolder dir;
  WriteTestFile(dir / "c.ncl_1", "x");
  JoinResult r = JoinInputPieces(dir / "c.ncl");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ("Error: " + (dir / "c.ncl") +
                " に追加できません(No such file or directory)。\n",
            r.error);
  EXPECT_EQ("x", ReadTestFile(dir / "c.ncl_1"));
}

}  // namespace
}  // namespace tlv
