#include "post/command_line.h"

#include <gtest/gtest.h>

namespace tlv {
namespace {

constexpr const char* kStart = "/work/cam/";
constexpr const char* kSave = "/work/nc/";

CommandLine Parse(std::string_view line) {
  return ParseCommandLine(line, kStart, kSave);
}

// Expects a rejection with exactly these texts for standard output and log.
void ExpectRejected(std::string_view line, std::string_view out,
                    std::string_view log) {
  CommandLine result = Parse(line);
  EXPECT_FALSE(result.accepted) << line;
  EXPECT_EQ(out, result.out_text) << line;
  EXPECT_EQ(log, result.log_text) << line;
}

TEST(CommandLine, OptionsAndNames) {
  CommandLine r = Parse("part.ncl -tlv m.tlv -out result.nc -mif -sgl -xlf");
  ASSERT_TRUE(r.accepted);
  EXPECT_EQ("/work/cam/part.ncl", r.input_path);
  EXPECT_TRUE(r.has_definition_path);
  EXPECT_EQ("/work/cam/m.tlv", r.definition_path);
  EXPECT_TRUE(r.has_output_path);
  EXPECT_EQ("/work/nc/result.nc", r.output_path);
  EXPECT_TRUE(r.join_input_pieces);
  EXPECT_TRUE(r.keep_input);
  EXPECT_TRUE(r.start_exporter);

  // Names holding a separator of either kind are used as they stand.
  r = Parse("-out C:\\x\\y.nc -tlv /defs/m.tlv sub/part.ncl");
  ASSERT_TRUE(r.accepted);
  EXPECT_EQ("C:\\x\\y.nc", r.output_path);
  EXPECT_EQ("/defs/m.tlv", r.definition_path);
  EXPECT_EQ("sub/part.ncl", r.input_path);

  // Nothing asked for stays off.
  r = Parse("part.ncl");
  ASSERT_TRUE(r.accepted);
  EXPECT_FALSE(r.has_definition_path || r.has_output_path ||
               r.join_input_pieces || r.keep_input || r.start_exporter);
}

TEST(CommandLine, TokenRules) {
  // The second tool-path name wins.
  EXPECT_EQ("/work/cam/b.ncl", Parse("a.ncl b.ncl").input_path);
  // Runs of blanks, leading and trailing blanks separate nothing more.
  CommandLine r = Parse("   a.ncl    -tlv   m.tlv   ");
  ASSERT_TRUE(r.accepted);
  EXPECT_EQ("/work/cam/a.ncl", r.input_path);
  EXPECT_EQ("/work/cam/m.tlv", r.definition_path);
  // The name after -tlv or -out may begin with '-'.
  r = Parse("-tlv -sgl -out -x a.ncl");
  ASSERT_TRUE(r.accepted);
  EXPECT_EQ("/work/cam/-sgl", r.definition_path);
  EXPECT_EQ("/work/nc/-x", r.output_path);
  EXPECT_FALSE(r.keep_input);
  // Options are matched exactly (case counts).
  ExpectRejected("a.ncl -SGL", "Error: illegal Option -SGL\n", "");
  // An empty save directory leaves an output name as it is.
  EXPECT_EQ("r.nc", ParseCommandLine("a -out r.nc", kStart, "").output_path);
}

TEST(CommandLine, Rejections) {
  ExpectRejected("-tlv", "", "Error: -tlv の後にファイル名が指定されていません。\n");
  ExpectRejected("a.ncl -out", "",
                 "Error: -out の後にファイル名が指定されていません。\n");
  ExpectRejected("-tlv m.tlv -sgl", "",
                 "Error: 入力ファイル名が指定されていません。\n");
  ExpectRejected("", "", "Error: 入力ファイル名が指定されていません。\n");
  // An illegal option stops the parse: the missing name after -tlv is not
  // reached.
  ExpectRejected("a.ncl -q -tlv", "Error: illegal Option -q\n", "");
  ExpectRejected("- a.ncl", "Error: illegal Option -\n", "");
}

TEST(CommandLine, Limits) {
  // Whole line: 499 characters pass, 500 (blanks count) do not.
  std::string name(99, 'a');
  std::string line = name;
  for (int i = 0; i < 4; ++i) line += " " + name;
  ASSERT_EQ(499u, line.size());
  EXPECT_TRUE(Parse(line).accepted);
  line += " ";
  CommandLine r = Parse(line);
  EXPECT_FALSE(r.accepted);
  EXPECT_EQ("Error: コマンドラインが長すぎます(499 文字まで)。\n", r.out_text);
  EXPECT_EQ(r.out_text, r.log_text);

  // Ten tokens are read; an eleventh is refused rather than ignored.
  EXPECT_TRUE(Parse("a -mif -mif -mif -mif -mif -mif -mif -mif -sgl").accepted);
  r = Parse("a -mif -mif -mif -mif -mif -mif -mif -mif -mif -sgl");
  EXPECT_FALSE(r.accepted);
  EXPECT_EQ("Error: コマンドラインの指定が多すぎます(10 個まで)。\n", r.out_text);

  // A token of 99 characters passes, 100 do not.
  EXPECT_TRUE(ParseCommandLine(std::string(99, 'x'), "/", "/").accepted);
  r = Parse(std::string(100, 'x'));
  EXPECT_FALSE(r.accepted);
  EXPECT_EQ("Error: 指定が長すぎます(99 文字まで): " + std::string(100, 'x') + "\n",
            r.out_text);

  // Resolved paths: input and definition 149, output 150.
  std::string dir = "/" + std::string(50, 'd') + "/";  // 52 characters
  std::string n97(97, 'n');
  EXPECT_TRUE(ParseCommandLine(n97, dir, dir).accepted);            // 149
  r = ParseCommandLine(n97 + "n", dir, dir);                         // 150
  EXPECT_FALSE(r.accepted);
  EXPECT_EQ("Error: 入力ファイルのパスが長すぎます(149 文字まで): " + dir + n97 +
                "n\n",
            r.log_text);
  EXPECT_FALSE(ParseCommandLine("a -tlv " + n97 + "n", dir, dir).accepted);
  EXPECT_TRUE(ParseCommandLine("a -out " + n97 + "n", dir, dir).accepted);
  EXPECT_FALSE(ParseCommandLine("a -out " + n97 + "nn", dir, dir).accepted);

  // Japanese names count as in the data files: two bytes a character.
  std::string kana;
  for (int i = 0; i < 48; ++i) kana += "あ";  // 96 bytes in the data files
  EXPECT_TRUE(ParseCommandLine("-tlv " + kana + " a", dir, dir).accepted);
  EXPECT_FALSE(
      ParseCommandLine("-tlv " + kana + "あ a", dir, dir).accepted);
}

}  // namespace
}  // namespace tlv
