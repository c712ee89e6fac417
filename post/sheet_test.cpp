// End-to-end runs of TLVP that write the process-sheet file: its name,
// the items of each sheet unit, the totals of the tail, and the hand-off
// of its path to the spreadsheet exporter's settings.
#include <gtest/gtest.h>

#include "post/sheet_file.h"
#include "post/testing/split_run.h"

namespace tlv {
namespace {

using testing::JobRunOptions;
using testing::Rec;

class SheetRun : public testing::SplitRunTest {
 protected:
  void SetUp() override {
    SplitRunTest::SetUp();
    def_.process_sheet.output = 1;
    def_.process_sheet.extension_index = 0;
    Section(17, "HEAD\n");
    Section(18, "ITEM,<T_NUM>,<CUT_LENGTH>,<CUT_TIME>,<NC_FILE>\n");
    Section(19, "TAIL,<CUT_LENGTH>,<CUT_TIME>,<RAPID_LENGTH>,<TOTAL_LENGTH>,<TAPE_LENGTH>\n");
  }

  // Three tools, each one process with one feed (10, 20, 30 mm at
  // F600: 1, 2, 3 s) and a rapid of 100 mm.
  static std::string ThreeTools() {
    std::string text = Rec(100);
    for (int t = 1; t <= 3; ++t) {
      const std::string len = std::to_string(10 * t);
      text += Rec(1500, {".1504=2 " + std::to_string(t)}) + Rec(200) +
              Rec(800, {".512=1 0", ".801=1 100"}) +
              Rec(1100, {".512=1 " + len, ".14=1 600", ".801=1 " + len}) + Rec(600);
    }
    return text;
  }
};

TEST_F(SheetRun, ToolUnitWritesAnItemAtEachLaterToolAndAtTheEnd) {
  def_.sheet_unit = kSheetPerTool;
  testing::TlvpOutcome r = RunJob(ThreeTools());
  EXPECT_EQ(0, r.status) << r.out;
  EXPECT_EQ((std::vector<std::string>{"out.nc", "out.nc.csv"}), Files());
  // The tail holds the totals and the tape of the whole program: 57
  // characters of 410 a metre.
  EXPECT_EQ(57u, r.nc.size());
  EXPECT_EQ("HEAD\nITEM,1,10.,1.,out.nc\nITEM,2,20.,2.,out.nc\nITEM,3,30.,3.,out.nc\n"
            "TAIL,60.,6.,300.,360.,0.139\n",
            File("out.nc.csv"));
}

TEST_F(SheetRun, ProcessAndToolPathUnits) {
  def_.sheet_unit = kSheetPerProcedure;
  EXPECT_EQ(0, RunJob(ThreeTools()).status);
  EXPECT_EQ("HEAD\nITEM,1,10.,1.,out.nc\nITEM,2,20.,2.,out.nc\nITEM,3,30.,3.,out.nc\n"
            "TAIL,60.,6.,300.,360.,0.139\n",
            File("out.nc.csv"));

  def_.sheet_unit = kSheetPerToolPath;
  const std::string path = Rec(100) + Rec(1500, {".1504=2 4"}) + Rec(1200) +
                           Rec(1100, {".512=1 10", ".14=1 600", ".801=1 10"}) + Rec(600) +
                           Rec(1800) + Rec(1200) + Rec(1100, {".512=1 30", ".801=1 20"}) +
                           Rec(600) + Rec(1800);
  JobRunOptions o;
  o.input = "y\n";
  EXPECT_EQ(0, RunJob(path, o).status);
  EXPECT_EQ("HEAD\nITEM,4,10.,1.,out.nc\nITEM,4,20.,2.,out.nc\nTAIL,30.,3.,0.,30.,0.061\n",
            File("out.nc.csv"));
}

TEST_F(SheetRun, FileUnitWritesAnItemAtTheEndOfEachSplitFile) {
  def_.sheet_unit = kSheetPerFile;
  def_.split_mode.methods = kSplitByCode;
  def_.split_mode.name_source = 1;
  Section(5, "<SPLIT_END><SPLIT_START>T<T_NUM>\n");
  Section(16, "(END)\n");
  EXPECT_EQ(0, RunJob(ThreeTools()).status);
  EXPECT_EQ((std::vector<std::string>{"out.nc", "out.nc.csv", "out001.nc", "out002.nc",
                                      "out003.nc"}),
            Files());
  // The marker cuts inside the tool-change section, after the new tool is
  // read: the first file ends before anything was snapshot, and each later
  // item already shows the next tool.  The last file ends with the job.
  EXPECT_EQ("HEAD\nITEM,0,0.,0.,\nITEM,2,10.,1.,out001.nc\nITEM,3,20.,2.,out002.nc\n"
            "ITEM,3,30.,3.,out003.nc\nTAIL,60.,6.,300.,360.,0.183\n",
            File("out.nc.csv"));
}

TEST_F(SheetRun, NamesFromTheToolPathAndEmptySections) {
  def_.sheet_name_source = 1;
  def_.process_sheet.extension_index = 6;
  for (int id : {17, 18, 19}) Section(id, "");
  EXPECT_EQ(0, RunJob(Rec(100) + Rec(200, {".213=0 OP 10", ".102=0 PATH 1"}) + Rec(600)).status);
  EXPECT_EQ((std::vector<std::string>{"OP10.txt", "out.nc"}), Files());
  EXPECT_EQ("", File("OP10.txt"));

  def_.sheet_name_source = 2;
  def_.process_sheet.extension_index = 7;
  JobRunOptions o;
  o.input = "y\n";
  EXPECT_EQ(0, RunJob(Rec(100) + Rec(200, {".213=0 OP 10", ".102=0 PATH 1"}) + Rec(600), o).status);
  EXPECT_EQ((std::vector<std::string>{"OP10.txt", "PATH1.dat", "out.nc"}), Files());
}

TEST_F(SheetRun, ExporterSettingsAreUpdatedOnlyWhenTheirKeyExists) {
  def_.sheet_to_spreadsheet = 1;
  const std::string key = "[" + std::string(kExporterSettingsKey) + "]\n";
  JobRunOptions o;
  o.more_keys = key + "\"Exlfile\"=\"/t/book.xlsx\"\n";
  EXPECT_EQ(0, RunJob(Rec(100) + Rec(600), o).status);
  const std::string settings = File("registry.reg");
  EXPECT_NE(std::string::npos,
            settings.find(key + "\"Exlfile\"=\"/t/book.xlsx\"\n\"CSVfile\"=\"" +
                          (dir_ / "out.nc.csv") + "\"\n\"TLVPath\"=\"" +
                          (dir_ / "xdg/kestra/TLVData") + "\"\n"))
      << settings;
  EXPECT_EQ("HEAD\nITEM,0,0.,0.,out.nc\nTAIL,0.,0.,0.,0.,0.015\n", File("out.nc.csv"));

  // Without the key nothing is created; the sheet is still written.
  o.more_keys.clear();
  o.input = "y\n";
  std::filesystem::remove(dir_ / "out.nc.csv");
  EXPECT_EQ(0, RunJob(Rec(100) + Rec(600), o).status);
  EXPECT_EQ(std::string::npos, File("registry.reg").find("SheetPump"));
  EXPECT_EQ("HEAD\nITEM,0,0.,0.,out.nc\nTAIL,0.,0.,0.,0.,0.015\n", File("out.nc.csv"));
}

TEST_F(SheetRun, SheetNamedLikeTheProgramIsRefused) {
  def_.sheet_name_source = 3;  // the output path itself
  testing::TlvpOutcome r = RunJob(Rec(100) + Rec(600));
  EXPECT_EQ(1, r.status);
  EXPECT_NE(std::string::npos, r.out.find("Error: " + (dir_ / "out.nc") + " を作成できません。("))
      << r.out;
  EXPECT_TRUE(Files().empty());
}

}  // namespace
}  // namespace tlv
