// End-to-end runs of TLVP that split the NC program: by code markers, per
// tool path and by the length, tape and time limits, with every way of
// naming and numbering the split files.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/text_encoding.h"
#include "post/testing/split_run.h"

namespace tlv {
namespace {

using testing::JobRunOptions;
using testing::Rec;

class SplitRun : public testing::SplitRunTest {
 protected:
  void SetUp() override {
    SplitRunTest::SetUp();
    // Every tool change cuts the program: the running file ends, a new one
    // starts.
    Section(5, "<SPLIT_END><SPLIT_START>T<T_NUM>\n");
    Section(15, "(HEAD <NC_FILE> <SPLIT_FIRST> <SPLIT_NUM>)\n");
    Section(16, "(END <NC_FILE>)\n");
    def_.split_mode.methods = kSplitByCode;
    def_.split_mode.name_source = 1;
  }

  static std::string TwoTools() {
    return Rec(100) + Rec(1500, {".1504=2 1"}) + Rec(1100, {".512=1 10"}) +
           Rec(1500, {".1504=2 2"}) + Rec(1100, {".512=1 20"});
  }
};

TEST_F(SplitRun, MarkersNumberAfterTheFirstDotWithTheChosenDigits) {
  JobRunOptions o;
  o.output = "A.NC";
  o.main_values = "\"InitFileNum\"=dword:00000001\n\"FileNumDigit\"=dword:00000002\n";
  testing::TlvpOutcome r = RunJob(TwoTools(), o);
  EXPECT_EQ(0, r.status) << r.out;
  EXPECT_EQ((std::vector<std::string>{"A.NC", "A001.NC", "A002.NC"}), Files());
  EXPECT_EQ("%\n(END A.NC)\n", r.nc);
  EXPECT_EQ("(HEAD A001.NC 1 1)\nT1\nG01X10.\n(END A001.NC)\n", File("A001.NC"));
  EXPECT_EQ("(HEAD A002.NC 1 2)\nT2\nG01X20.\nM30\n", File("A002.NC"));
}


TEST_F(SplitRun, PathWithoutDotGetsNumberAndDividedExtension) {
  JobRunOptions o;
  o.output = "PART";
  o.main_values = "\"InitFileNum\"=dword:00000001\n\"FileNumDigit\"=dword:00000000\n"
                  "\"SaveDvFileExt\"=\"nc\"\n";
  EXPECT_EQ(0, RunJob(TwoTools(), o).status);
  EXPECT_EQ((std::vector<std::string>{"PART", "PART.1.nc", "PART.2.nc"}), Files());
  EXPECT_EQ("(HEAD PART.2.nc 1 2)\nT2\nG01X20.\nM30\n", File("PART.2.nc"));
}

TEST_F(SplitRun, StartNumberAndIncrement) {
  JobRunOptions o;
  o.output = "A.NC";
  o.main_values = "\"InitFileNum\"=dword:00000064\n\"FileNumIncriment\"=dword:0000000a\n"
                  "\"FileNumDigit\"=dword:00000009\n";
  EXPECT_EQ(0, RunJob(TwoTools(), o).status);
  EXPECT_EQ((std::vector<std::string>{"A.NC", "A100.NC", "A110.NC"}), Files());
  EXPECT_EQ("(HEAD A110.NC 100 110)\nT2\nG01X20.\nM30\n", File("A110.NC"));

  // File number source 0 asks for the start number once.
  std::filesystem::remove_all(dir_ / "A100.NC");
  std::filesystem::remove_all(dir_ / "A110.NC");
  o.main_values += "\"FileNumSource\"=dword:00000000\n";
  o.input = "y\n7\n";  // the output exists: overwrite it
  EXPECT_EQ(0, RunJob(TwoTools(), o).status);
  EXPECT_EQ((std::vector<std::string>{"A.NC", "A007.NC", "A017.NC"}), Files())
      << File("stderr.txt");
  EXPECT_EQ("(HEAD A007.NC 7 7)\nT1\nG01X10.\n(END A007.NC)\n", File("A007.NC"));
  const std::string prompts = File("stderr.txt");
  EXPECT_EQ(1u, [&] {
    std::size_t n = 0;
    for (std::size_t at = 0; (at = prompts.find("分割ファイルの開始番号を指定してください。", at)) !=
                             std::string::npos;
         ++at) {
      ++n;
    }
    return n;
  }());
}

TEST_F(SplitRun, FirstDotOfTheWholePathCounts) {
  std::filesystem::create_directories(dir_ / "p1.2");
  std::filesystem::create_directories(dir_ / "p1001.2");
  JobRunOptions o;
  o.output = "p1.2/OUT";
  o.main_values = "\"InitFileNum\"=dword:00000001\n\"FileNumDigit\"=dword:00000002\n";
  const std::string path = Rec(100) + Rec(1500, {".1504=2 1"}) + Rec(1100, {".512=1 10"});
  EXPECT_EQ(0, RunJob(path, o).status);
  EXPECT_EQ((std::vector<std::string>{"OUT"}), Files("p1001.2"));
  EXPECT_EQ("(HEAD OUT 1 1)\nT1\nG01X10.\nM30\n", File("p1001.2/OUT"));
}

TEST_F(SplitRun, NamesFromProcedureAndToolPathTexts) {
  JobRunOptions o;
  o.main_values = "\"InitFileNum\"=dword:00000001\n\"FileNumDigit\"=dword:00000001\n"
                  "\"SaveDvFileExt\"=\"nc\"\n";
  const std::string path = Rec(100) + Rec(200, {".213=0 OP 10   ", ".212=0 FACE  "}) +
                           Rec(1200, {".102=0 ROUGH", ".118=0 CUT A"}) +
                           Rec(1500, {".1504=2 1"}) + Rec(1100, {".512=1 10"});
  struct Case {
    int source;
    int serial;
    std::string name;
  };
  for (const Case& c : {Case{2, 0, "OP 10.nc"}, Case{2, 1, "OP 1001.nc"},
                        Case{3, 0, "FACE  .nc"}, Case{3, 1, "FACE01.nc"},
                        Case{4, 1, "ROUGH01.nc"}, Case{5, 0, "CUT A.nc"}}) {
    SCOPED_TRACE(c.name);
    def_.split_mode.name_source = static_cast<std::uint8_t>(c.source);
    def_.serial_number = c.serial;
    EXPECT_EQ(0, RunJob(path, o).status);
    EXPECT_EQ((std::vector<std::string>{c.name, "out.nc"}), Files());
    EXPECT_EQ("(HEAD " + c.name + (c.serial ? " 1 1" : " 0 0") + ")\nT1\nG01X10.\nM30\n",
              File(c.name));
    std::filesystem::remove(dir_ / c.name);
  }

  // A procedure name keeps 20 bytes; Japanese names make UTF-8 file names.
  def_.split_mode.name_source = 2;
  def_.serial_number = 0;
  EXPECT_EQ(0, RunJob(Rec(100) + Rec(200, {".213=0 " + Utf8ToCp932("荒加工ABCDEFGHIJKLMNOPQ")}) +
                          Rec(1500, {".1504=2 1"}),
                      o)
                   .status);
  EXPECT_EQ((std::vector<std::string>{"out.nc", "荒加工ABCDEFGHIJKLMN.nc"}), Files());
}

TEST_F(SplitRun, SaveDialogAtEndOfInputTakesTheNumberedName) {
  def_.split_mode.name_source = 0;
  JobRunOptions o;
  o.main_values = "\"InitFileNum\"=dword:00000005\n";
  EXPECT_EQ(0, RunJob(TwoTools(), o).status);
  EXPECT_EQ((std::vector<std::string>{"out.nc", "out005.nc", "out006.nc"}), Files());
  EXPECT_EQ("(HEAD out006.nc 5 6)\nT2\nG01X20.\nM30\n", File("out006.nc"));

  // A typed name is taken in the folder of the output.
  o.input = "y\nfirst.txt\nsecond\n";
  EXPECT_EQ(0, RunJob(TwoTools(), o).status);
  EXPECT_EQ("(HEAD first.txt 0 0)\nT1\nG01X10.\n(END first.txt)\n", File("first.txt"))
      << File("stderr.txt");
  EXPECT_EQ("(HEAD second.ncd 0 0)\nT2\nG01X20.\nM30\n", File("second.ncd"));
}

TEST_F(SplitRun, OneFilePerToolPath) {
  Section(5, "T<T_NUM>\n");
  def_.split_mode.methods = kSplitPerToolPath;
  const std::string path = Rec(100) + Rec(1500, {".1504=2 1"}) + Rec(1200) +
                           Rec(1100, {".512=1 10"}) + Rec(1800) + Rec(1200) +
                           Rec(1100, {".512=1 20"}) + Rec(1800) + Rec(1100, {".512=1 30"});
  EXPECT_EQ(0, RunJob(path).status);
  EXPECT_EQ((std::vector<std::string>{"out.nc", "out001.nc", "out002.nc"}), Files());
  EXPECT_EQ("%\nT1\nG01X30.\nM30\n", File("out.nc"));
  EXPECT_EQ("(HEAD out001.nc 1 1)\nG01X10.\n(END out001.nc)\n", File("out001.nc"));
  EXPECT_EQ("(HEAD out002.nc 1 2)\nG01X20.\n(END out002.nc)\n", File("out002.nc"));
}

class AutoSplitRun : public testing::SplitRunTest {
 protected:
  void SetUp() override {
    SplitRunTest::SetUp();
    Section(15, "(HEAD)\n");
    Section(16, "(END)\n");
    def_.split_mode.name_source = 1;
  }

  static std::string Feeds(int count, int step, std::string_view first = ".14=1 600") {
    std::string text = Rec(100);
    for (int i = 1; i <= count; ++i) {
      const std::string x = ".512=1 " + std::to_string(i * step);
      const std::string length = ".801=1 " + std::to_string(step);
      text += i == 1 ? Rec(1100, {x, length, first}) : Rec(1100, {x, length});
    }
    return text;
  }
};

TEST_F(AutoSplitRun, TapeLengthSplitsAfterTheRecordThatPassesIt) {
  // Lines of 101 characters; one metre of tape is 410 characters.
  Section(8, "(" + std::string(95, 'A') + ")X<X_CORD>\n");
  def_.split_mode.methods = kSplitByTapeLength;
  def_.tape_length = 1;
  EXPECT_EQ(0, RunJob(Feeds(10, 1)).status);
  const std::string line = "(" + std::string(95, 'A') + ")X";
  std::string first = "%\n";  // 2 + 4 * 101 = 406: not yet
  for (int i = 1; i <= 5; ++i) first += line + std::to_string(i) + ".\n";
  EXPECT_EQ(first + "(END)\n", File("out.nc"));
  std::string second = "(HEAD)\n";  // 7 + 4 * 101 = 411: past it
  for (int i = 6; i <= 9; ++i) second += line + std::to_string(i) + ".\n";
  EXPECT_EQ(second + "(END)\n", File("out001.nc"));
  EXPECT_EQ("(HEAD)\n" + line + "10.\nM30\n", File("out002.nc"));
}

TEST_F(AutoSplitRun, MachiningLengthAndTimeWithAskedLimits) {
  def_.split_mode.methods = kSplitByMachiningLength;
  def_.machining_length = 1;  // metre
  EXPECT_EQ(0, RunJob(Feeds(5, 600)).status);
  EXPECT_EQ("%\nG01X600.\nG01X1200.\n(END)\n", File("out.nc"));
  EXPECT_EQ("(HEAD)\nG01X1800.\nG01X2400.\n(END)\n", File("out001.nc"));
  EXPECT_EQ("(HEAD)\nG01X3000.\nM30\n", File("out002.nc"));

  // Time: 400 mm at 600 mm/min is 40 s; the limit of 1 minute is asked.
  std::filesystem::remove(dir_ / "out001.nc");
  std::filesystem::remove(dir_ / "out002.nc");
  def_.split_mode.methods = kSplitByMachiningTime;
  def_.machining_length = 0;
  def_.machining_time = 0;
  JobRunOptions o;
  o.input = "y\n1\n";
  EXPECT_EQ(0, RunJob(Feeds(3, 400), o).status);
  EXPECT_EQ("%\nG01X400.\nG01X800.\n(END)\n", File("out.nc"));
  EXPECT_EQ("(HEAD)\nG01X1200.\nM30\n", File("out001.nc"));
  EXPECT_NE(std::string::npos, File("stderr.txt").find("分割する加工時間を指定してください。"));
  EXPECT_EQ(std::string::npos, File("stderr.txt").find("分割する加工長を指定してください。"));
}

TEST_F(AutoSplitRun, SplitPositionWaitsForItsRapidClass) {
  def_.split_mode.methods = kSplitByMachiningLength;
  def_.machining_length = 1;
  const std::string path = Rec(100) + Rec(1100, {".512=1 1200", ".14=1 600", ".801=1 1200"}) +
                           Rec(800, {".514=1 50", ".801=1 50"}) +
                           Rec(800, {".512=1 0", ".801=1 1200"}) +
                           Rec(1100, {".514=1 10", ".14=1 10000", ".801=1 40"});
  // 1: after an XY rapid only.
  def_.split_position = kSplitAtRapid;
  EXPECT_EQ(0, RunJob(path).status);
  EXPECT_EQ("%\nG01X1200.\nG00Z50.\nG00X0.\n(END)\n", File("out.nc"));
  EXPECT_EQ("(HEAD)\nG01Z10.\nM30\n", File("out001.nc"));
  // 2: after a Z rapid, also a feed at the rapid rate that moves Z.
  def_.split_position = kSplitAtRapidZ;
  EXPECT_EQ(0, RunJob(path).status);
  EXPECT_EQ("%\nG01X1200.\nG00Z50.\n(END)\n", File("out.nc"));
  EXPECT_EQ("(HEAD)\nG00X0.\nG01Z10.\nM30\n", File("out001.nc"));
}

TEST_F(SplitRun, SplitFileThatCannotBeMadeFailsTheJob) {
  def_.split_mode.name_source = 2;
  std::filesystem::create_directories(dir_ / "OP1");
  testing::TlvpOutcome r = RunJob(Rec(100) + Rec(200, {".213=0 OP1"}) + TwoTools());
  EXPECT_EQ(1, r.status);
  const std::string made = "Error: " + (dir_ / "OP1") + " を作成できません。";
  EXPECT_NE(std::string::npos, r.out.find(made + "(")) << r.out;
  EXPECT_NE(std::string::npos, r.log.find(made + "\n")) << r.log;
  EXPECT_EQ((std::vector<std::string>{"OP1"}), Files());  // no program, no temporary file

  // A name past the path limit is refused, never cut into another file.
  def_.split_mode.name_source = 4;
  r = RunJob(Rec(100) + Rec(1200, {".102=0 " + std::string(160, 'N')}) + TwoTools());
  EXPECT_EQ(1, r.status);
  EXPECT_NE(std::string::npos, r.out.find("パス名が長すぎます")) << r.out;
  // And a name holding a folder separator cannot leave the folder.
  const std::string escape = "../" + std::filesystem::path(dir_.path()).filename().string() + "x";
  r = RunJob(Rec(100) + Rec(1200, {".102=0 " + escape}) + TwoTools());
  EXPECT_EQ(1, r.status);
  EXPECT_FALSE(std::filesystem::exists(dir_ / escape));
  EXPECT_EQ((std::vector<std::string>{"OP1"}), Files());
}

TEST_F(SplitRun, TextAfterTheLastFileEndedIsReportedNotWritten) {
  // The end marker in the program end closes the only file: "M30" has no
  // file to go to, and never goes into the process sheet.
  Section(2, "<SPLIT_END>M30\n");
  def_.process_sheet.output = 1;
  def_.process_sheet.extension_index = 0;
  Section(17, "HEAD\n");
  Section(19, "TAIL\n");
  testing::TlvpOutcome r = RunJob(Rec(100) + Rec(1100, {".512=1 10"}));
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("%\nG01X10.\n(END out.nc)\n", r.nc);
  EXPECT_EQ("HEAD\nTAIL\n", File("out.nc.csv"));
  const std::string warning =
      "Warning: 分割ファイルが閉じられているため、NC データの一部を出力できません。\n";
  EXPECT_NE(std::string::npos, r.out.find(warning)) << r.out;
  EXPECT_NE(std::string::npos, r.log.find(warning)) << r.log;
}

}  // namespace
}  // namespace tlv
