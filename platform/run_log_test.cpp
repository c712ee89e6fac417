#include "platform/run_log.h"

#include <gtest/gtest.h>

#include <utility>

#include "platform/file_contents.h"
#include "platform/temp_dir_for_test.h"

namespace tlv {
namespace {

TEST(FormatMessage, TypedArguments) {
  EXPECT_EQ("Error: /nc/a.ncl が存在しません。\n",
            FormatMessage("Error: %s が存在しません。\n", "/nc/a.ncl"));
  EXPECT_EQ("/a_3", FormatMessage("%s_%d", std::string("/a"), 3));
  EXPECT_EQ("[  42][-7  ][007]", FormatMessage("[%4d][%-4i]", 42, -7) + FormatMessage("[%03d]", 7));
  EXPECT_EQ("[  ab][ab  ][a]", FormatMessage("[%4s][%-4s]", "ab", "ab") + FormatMessage("[%.1s]", "ab"));
  EXPECT_EQ("1.50 2.5e+00", FormatMessage("%.2f %.1e", 1.5, 2.5));
  EXPECT_EQ("100%", FormatMessage("%d%%", 100));
  EXPECT_EQ("ff FF 4294967295", FormatMessage("%x %X", 255, 255) + FormatMessage(" %u", -1));
  EXPECT_EQ("A", FormatMessage("%c", 65));
  EXPECT_EQ("12345678901", FormatMessage("%ld", 12345678901LL));
}

TEST(FormatMessage, BadFormatsNeverReadGarbage) {
  // More directives than arguments: the rest is copied as it stands.
  EXPECT_EQ("x %s %d", FormatMessage("%s %s %d", "x"));
  EXPECT_EQ("a b %s", FormatMessage("%s %s %s", "a", "b"));
  EXPECT_EQ("%s", FormatMessage("%s"));
  // Unknown conversions and a lone '%' at the end are copied too, and
  // consume nothing.
  EXPECT_EQ("%n 5 %", FormatMessage("%n %d %", 5));
  EXPECT_EQ("%-", FormatMessage("%-", 1));
  // A text under %d is read like atoi, a number under %s printed.
  EXPECT_EQ("12 34", FormatMessage("%d %s", "12abc", 34));
  EXPECT_EQ("0", FormatMessage("%d", "abc"));
  // Absurd widths are capped instead of asking for gigabytes.
  EXPECT_EQ(4096u, FormatMessage("%99999999999d", 1).size());
  EXPECT_EQ("", FormatMessage(""));
}

TEST(RunLog, EmptiedAtStartAndReadableAfterEveryWrite) {
  TempDirForTest dir;
  std::string path = dir.File("TOLvek.log");
  std::string err, content;
  ASSERT_TRUE(WriteFileAtomically(path, "last run\n", &err));
  RunLog log;
  EXPECT_FALSE(log.Write("dropped"));
  EXPECT_FALSE(log.is_open());
  ASSERT_TRUE(log.Open(path, &err)) << err;
  ASSERT_TRUE(ReadFileBytes(path, &content, &err));
  EXPECT_EQ("", content);

  EXPECT_TRUE(log.Write("TLVP Ver.4.24 (2008/5/9)\n"));
  ASSERT_TRUE(ReadFileBytes(path, &content, &err));
  EXPECT_EQ("TLVP Ver.4.24 (2008/5/9)\n", content);
  EXPECT_TRUE(log.Printf(">> %s の処理を始めます。\n", "ＮＣ１作成"));
  ASSERT_TRUE(ReadFileBytes(path, &content, &err));
  EXPECT_EQ("TLVP Ver.4.24 (2008/5/9)\n>> ＮＣ１作成 の処理を始めます。\n", content);

  // Deleted under us (someone cleaning up): the next write starts it again.
  std::filesystem::remove(path);
  EXPECT_TRUE(log.Write("again\n"));
  ASSERT_TRUE(ReadFileBytes(path, &content, &err));
  EXPECT_EQ("again\n", content);
}

// The file stays open between lines: a moved log writes on, a closed one
// leaves every line in the file, and a second run empties it again.
TEST(RunLog, KeptOpenAcrossMovesAndRuns) {
  TempDirForTest dir;
  std::string path = dir.File("TOLvek.log");
  std::string err, content;
  {
    RunLog first;
    ASSERT_TRUE(first.Open(path, &err)) << err;
    EXPECT_TRUE(first.Write("one\n"));
    RunLog moved(std::move(first));
    EXPECT_TRUE(moved.Write("two\n"));
    RunLog assigned;
    assigned = std::move(moved);
    for (int i = 0; i < 1000; ++i) EXPECT_TRUE(assigned.Printf("%d\n", i));
  }
  ASSERT_TRUE(ReadFileBytes(path, &content, &err));
  EXPECT_EQ(0u, content.find("one\ntwo\n0\n1\n"));
  EXPECT_EQ(content.size() - 4, content.rfind("999\n"));
  RunLog again;
  ASSERT_TRUE(again.Open(path, &err));
  EXPECT_TRUE(again.Write("fresh\n"));
  ASSERT_TRUE(ReadFileBytes(path, &content, &err));
  EXPECT_EQ("fresh\n", content);
}

TEST(RunLog, UnwritablePathIsReportedNotFatal) {
  TempDirForTest dir;
  RunLog log;
  std::string err;
  EXPECT_FALSE(log.Open(dir.File("no/such/folder/TOLvek.log"), &err));
  EXPECT_NE(std::string::npos, err.find("TOLvek.log")) << err;
  EXPECT_FALSE(log.Printf("%s\n", "x"));
}

}  // namespace
}  // namespace tlv
