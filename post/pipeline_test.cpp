// End-to-end runs of TLVP's job: definitions built here through the
// definition writer and the section compiler, tool paths and procedure
// parameter files written here, the real TLVP in a temporary folder with
// its own settings file; NC output, standard output and the run log are
// compared byte for byte.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <initializer_list>

#include "definition/definition_file.h"
#include "definition/post_definition.h"
#include "definition/section_compiler.h"
#include "definition/variable_dictionary.h"
#include "platform/paths.h"
#include "post/run_entry.h"
#include "post/testing/temp_folder.h"

namespace tlv {
namespace {

using testing::ReadTestFile;
using testing::TempFolder;
using testing::WriteTestFile;

const std::string kTlvp = TLV_BIN_DIR "/TLVP";
const std::string kDictionary = TLV_BIN_DIR "/TOLvek.ini";

const std::string kBanner = std::string("TLVP Ver.4.24 (2008/5/9)\n") + kBannerNotice;
const std::string kSuccess =
    "Execution Successfully Finished.\n"
    "----------------------------------\n";
const std::string kFailure =
    "プログラムを作成できませんでした｡\n"
    "----------------------------------\n";
const std::string kFeedWarning =
    "送り速度が｢早送りの送り速度｣より早くなっています。\n"
    "直線補間は早送りと見なされます。\n";

// Byte offsets of header fields after the "TOLvek4.20" tag, and the first
// field each older version lacks.
constexpr std::size_t kTagBytes = 4 + 10;
constexpr std::size_t kHeaderBytes = 68;
std::size_t HeaderBytesOf(int version) {
  if (version >= 420) return 68;
  if (version >= 410) return 64;
  if (version >= 400) return 52;
  if (version >= 392) return 44;
  if (version >= 390) return 40;
  if (version >= 380) return 36;
  return 32;
}

// One record of a tool path: "_kind" and its field lines.
std::string Rec(int kind, std::initializer_list<std::string_view> fields = {}) {
  std::string text = "_" + std::to_string(kind) + "\n";
  for (std::string_view f : fields) {
    text += f;
    text += '\n';
  }
  return text;
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string log;
  std::string nc;
};

class PipelineRun : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string err;
    ASSERT_TRUE(LoadDictionaryFile(kDictionary, &dict_, &err)) << err;
    def_ = NewPostDefinition(dict_);
    def_.rapid_feed = 10000.0;
    Section(1, "%\nO1000\nG90G17G40\n");
    Section(2, "M30\n%\n");
    Section(3, "<M_SPINDLE><M_COOLANT>\n");
    Section(4, "<M_SPINDLE><M_COOLANT>\n");
    Section(5, "T<T_NUM>M06\n");
    Section(6, "<G_LINE>{X<X_CORD>}{Y<Y_CORD>}\n");
    Section(7, "<G_LINE>{X<X_CORD>}{Y<Y_CORD>}{Z<Z_CORD>}\n");
    Section(8, "<G_MOTION><G_CMP>{X<X_CORD>}{Y<Y_CORD>}{Z<Z_CORD>}{F<F_CORD>}\n");
    Section(12, "(IN)<G_MOTION>{Z<Z_CORD>}{F<F_CORD>}\n");
    Section(13, "(OUT)<G_MOTION>{Z<Z_CORD>}{F<F_CORD>}\n");
    Section(14, "(<MESSAGE>)\n");
  }

  void Section(int id, std::string_view display) {
    CompileResult r = CompileSection(display, dict_);
    ASSERT_TRUE(r.ok) << display << ": " << r.message;
    def_.sections.Find(id)->text = r.bytes;
  }

  // The definition file as `tag` writes it: the current layout with the
  // header fields that version lacks left out.
  void WriteDefinition(std::string_view tag = "TOLvek4.20", int version = 420) {
    std::string bytes = WriteDefinitionBytes(def_);
    ASSERT_EQ(std::string_view(bytes).substr(4, 10), "TOLvek4.20");
    bytes.erase(kTagBytes + HeaderBytesOf(version), kHeaderBytes - HeaderBytesOf(version));
    std::string head(4, '\0');
    head[0] = static_cast<char>(tag.size());
    head += tag;
    bytes.replace(0, kTagBytes, head);
    WriteTestFile(dir_ / "d.tlv", bytes);
  }

  void WriteSettings(const std::string& more = "") {
    WriteTestFile(dir_ / "registry.reg",
                  "Windows Registry Editor Version 5.00\n\n"
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\n"
                  "\"SavePath\"=\"" + dir_.path() + "\"\n"
                  "\"TLVIni\"=\"" + kDictionary + "\"\n"
                  "\"DontShowExecDlg\"=dword:00000001\n"
                  "\"PrmShowCompleteMsg\"=dword:00000000\n" + more +
                  "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon]\n"
                  "\"DefaultUserName\"=\"tester\"\n"
                  "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet1]\n" + extra_keys_);
  }

  Outcome Run(const std::string& tool_path, const std::string& settings = "",
              const std::string& output = "out.nc") {
    WriteTestFile(dir_ / "a.ncl", tool_path);
    WriteSettings(settings);
    std::string command = "cd '" + dir_.path() +
                          "' && env -u DISPLAY -u WAYLAND_DISPLAY TLV_UI=tty TLV_REGISTRY='" +
                          (dir_ / "registry.reg") + "' '" + kTlvp + "' '" + (dir_ / "a.ncl") +
                          "' -tlv '" + (dir_ / "d.tlv") + "' -out '" + (dir_ / output) +
                          "' -sgl < /dev/null > stdout.txt 2> stderr.txt";
    int status = std::system(command.c_str());
    Outcome o;
    o.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    o.out = ReadTestFile(dir_ / "stdout.txt");
    o.log = ReadTestFile(dir_ / "TOLvek.log");
    o.nc = ReadTestFile(dir_ / output);
    return o;
  }

  // Standard output of a successful one-job run around `middle`, the
  // lines of the job itself.
  std::string Out(const std::string& middle = "", const std::string& output = "out.nc") {
    return kBanner + (dir_ / "a.ncl") + "\n>> ＮＣ１作成 の処理を始めます。\n" +
           "ファイルを開きました。\n" + middle + "  TLV   File: " + (dir_ / "d.tlv") +
           "\n  Out   File: " + (dir_ / output) + "\n" + kSuccess;
  }
  std::string Log(const std::string& middle = "", const std::string& output = "out.nc") {
    return kBanner + ">> ＮＣ１作成 の処理を始めます。\n" + "ファイルを開きました。\n" +
           "ＸＭＬファイル:" + (dir_ / "a.ncl.xml") + " を開けません。\n" + middle +
           "  TLV   File: " + (dir_ / "d.tlv") + "\n  Out   File: " + (dir_ / output) + "\n" +
           kSuccess;
  }

  VariableDictionary dict_;
  PostDefinition def_;
  TempFolder dir_;
  /// Further keys of the settings file (the other job slots).
  std::string extra_keys_;
};

const std::string kProgramStart = Rec(100, {".103=1 0", ".104=1 0", ".105=1 100"});

TEST_F(PipelineRun, EachRecordKindWritesItsSection) {
  WriteDefinition();
  Outcome r = Run(kProgramStart +
                  Rec(200, {".16=0 M03", ".17=0 M08"}) +
                  Rec(1500, {".1504=2 3"}) +
                  Rec(800, {".19=0 G00", ".512=1 10", ".513=1 20", ".801=1 22.36"}) +
                  Rec(800, {".19=0 G00", ".514=1 5", ".801=1 95"}) +
                  Rec(900, {".19=0 G01", ".514=1 0", ".14=1 100", ".801=1 5"}) +
                  Rec(1100, {".23=0 G41", ".514=1 -1", ".14=1 300", ".801=1 1"}) +
                  Rec(1100, {".512=1 50", ".801=1 40"}) +
                  Rec(1100, {".23=0 G40", ".513=1 25", ".801=1 5"}) +
                  Rec(1000, {".514=1 5", ".14=1 1000", ".801=1 6"}) +
                  Rec(700, {".701=0 PART A"}) +
                  Rec(1200) + Rec(1800) + Rec(1234, {".1=1 5"}) +
                  Rec(600));
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("%\nO1000\nG90G17G40\n"
            "M03M08\n"
            "T3M06\n"
            "G00X10.Y20.\n"
            "Z5.\n"
            "(IN)G01Z0.F100.\n"
            "G41Z-1.F300.\n"
            "X50.\n"
            "G40Y25.\n"
            "(OUT)Z5.F1000.\n"
            "(PART A)\n"
            "M05M09\n"
            "M30\n%\n",
            r.nc);
  EXPECT_EQ(Out(), r.out);
  EXPECT_EQ(Log(), r.log);
}


// The job's lines when the definition is refused: nothing after them but
// the slot's paths and the failure.
TEST_F(PipelineRun, OldAndUnknownVersionsAreRefused) {
  const std::string kept = "kept\n";
  for (std::string_view tag : {"TOLvek3.60", "TOLvek3.91"}) {
    WriteDefinition(tag, 360);
    WriteTestFile(dir_ / "out.nc", kept);
    Outcome r = Run(kProgramStart + Rec(600));
    EXPECT_EQ(1, r.status);
    const std::string paths = "  TLV   File: " + (dir_ / "d.tlv") + "\n  Out   File: " +
                              (dir_ / "out.nc") + "\n";
    EXPECT_EQ(kBanner + (dir_ / "a.ncl") + "\n>> ＮＣ１作成 の処理を始めます。\nError: " +
                  (dir_ / "d.tlv") + " は古いバージョン(" + std::string(tag) +
                  ")のTLVファイルです。\n終了します。\n" + paths + kFailure,
              r.out);
    EXPECT_EQ(kBanner + ">> ＮＣ１作成 の処理を始めます。\nError: " + (dir_ / "d.tlv") +
                  "  は古いバージョン(" + std::string(tag) + ")のTLVファイルです。\n終了します。\n" +
                  paths + kFailure,
              r.log);
    EXPECT_EQ(kept, r.nc);
  }

  // Not a definition at all: it cannot be read.
  WriteTestFile(dir_ / "d.tlv", "definition");
  Outcome r = Run(kProgramStart);
  EXPECT_EQ(1, r.status);
  EXPECT_NE(std::string::npos,
            r.out.find("\nError: " + (dir_ / "d.tlv") + " が読めません。\n  TLV   File:"));
  EXPECT_NE(std::string::npos, r.log.find("\nError: " + (dir_ / "d.tlv") + " が読めません。\n"));
}

// Lengths and times of the job, printed at its end.
constexpr std::string_view kTotalsSection =
    "(<CUT_LENGTH>/<CUT_TIME>/<RAPID_LENGTH>/<RAPID_TIME>/<TOTAL_LENGTH>/<TOTAL_TIME>)\n";

TEST_F(PipelineRun, RapidFeedOfTheDefinitionVersion) {
  Section(2, kTotalsSection);
  Section(8, "G01{Z<Z_CORD>}{F<F_CORD>}\n");
  def_.rapid_feed = 6000.5;
  const std::string path = kProgramStart +
                           Rec(800, {".514=1 5", ".801=1 95"}) +
                           Rec(1100, {".514=1 -1", ".14=1 6000", ".801=1 6"}) +
                           Rec(1100, {".512=1 60", ".14=1 10000", ".801=1 60"}) +
                           Rec(1100, {".512=1 80", ".14=1 100", ".801=1 20"});

  // 4.10 carries the rapid feed: 6000 (truncated).  F 6000 and F 10000 are
  // at the rapid rate: warned and timed as rapid.
  WriteDefinition("TOLvek4.10", 410);
  Outcome r = Run(path);
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("%\nO1000\nG90G17G40\nZ5.\nG01Z-1.F6000.\nG01F10000.\nG01F100.\n"
            "(86./12./95./1.61/181./13.61)\n",
            r.nc);
  EXPECT_EQ(Out(kFeedWarning + kFeedWarning), r.out);
  EXPECT_EQ(Log(kFeedWarning + kFeedWarning), r.log);

  // 3.80 does not: the rapid feed is 10000 whatever the model held, so only
  // F 10000 is warned about; F 6000 is timed as cutting.
  WriteDefinition("TOLvek3.80", 380);
  r = Run(path);
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("%\nO1000\nG90G17G40\nZ5.\nG01Z-1.F6000.\nG01F10000.\nG01F100.\n"
            "(86./12.06/95./0.93/181./12.99)\n",
            r.nc);
  EXPECT_EQ(Out(kFeedWarning), r.out);

  // No rapid rate: no warning, rapid moves have a length but no time.
  def_.rapid_feed = 0;
  WriteDefinition();
  r = Run(path);
  EXPECT_EQ("%\nO1000\nG90G17G40\nZ5.\nG01Z-1.F6000.\nG01F10000.\nG01F100.\n"
            "(86./12.42/95./0./181./12.42)\n",
            r.nc);
  EXPECT_EQ(Out(), r.out);
}

TEST_F(PipelineRun, ToolChangeLookAheadFlags) {
  Section(3, "(P)<IF>MODE(<NO_TOOL_CHANGE>)<THEN>(NO TOOL)<ENDIF>\n\n");
  Section(5,
          "T<T_NUM>M06"
          "<IF>MODE(<FIRST_TOOL>)<THEN>(FIRST)<ENDIF>"
          "<IF>MODE(<NEXT_TOOL>)<THEN>(NEXT)<ENDIF>"
          "<IF>MODE(<LAST_TOOL>)<THEN>(LAST)<ENDIF>"
          "<IF>MODE(<MORE_TOOLS>)<THEN>(MORE)<ENDIF>\n\n");
  Section(4, "");
  WriteDefinition();
  Outcome r = Run(kProgramStart +
                  Rec(200) + Rec(1500, {".1504=2 1"}) + Rec(600) +
                  Rec(200) + Rec(600) +
                  Rec(200) + Rec(1500, {".1504=2 2"}) + Rec(1500, {".1504=2 3"}) + Rec(600));
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("%\nO1000\nG90G17G40\n"
            "(P)\nT1M06(FIRST)(MORE)\n"
            "(P)(NO TOOL)\n"
            "(P)\nT2M06(NEXT)(MORE)\nT3M06(NEXT)(LAST)\n"
            "M30\n%\n",
            r.nc);

  // A single tool change is the first and the last.
  r = Run(kProgramStart + Rec(200) + Rec(1500, {".1504=2 7"}) + Rec(600));
  EXPECT_EQ("%\nO1000\nG90G17G40\n(P)\nT7M06(FIRST)(LAST)\nM30\n%\n", r.nc);
}

// Where X, Y, Z stand at the process end with incremental output, by the
// start-point mode.
TEST_F(PipelineRun, StartPointWithIncrementalOutput) {
  Section(1, "%\nG91\n");
  Section(3, "(S!<X_END>,!<Y_END>,!<Z_END>)\n");
  Section(4, "(E!<X_END>,!<Y_END>,!<Z_END>)\n");
  const std::string path =
      Rec(100, {".103=1 0", ".104=1 0", ".105=1 100", ".106=1 5", ".107=1 6", ".108=1 7"}) +
      Rec(200, {".217=1 1", ".218=1 2", ".219=1 3"}) +
      Rec(800, {".512=1 11", ".513=1 12"}) + Rec(600);
  const std::string on = "\"PrmSetInitPostoCord\"=dword:00000001\n";
  const std::string off = "\"PrmSetInitPostoCord\"=dword:00000000\n";

  def_.coordinate_mode.start_point = 3;  // machining start position
  WriteDefinition();
  Outcome r = Run(path, on);
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("%\nG91\n(S5.,6.,7.)\nX6.Y6.\n(E5.,6.,7.)\nM30\n%\n", r.nc);
  r = Run(path, off);
  EXPECT_EQ("%\nG91\n(S1.,2.,3.)\nX6.Y6.\n(E11.,12.,3.)\nM30\n%\n", r.nc);

  def_.coordinate_mode.start_point = 2;  // process start point
  WriteDefinition();
  r = Run(path, on);
  EXPECT_EQ("%\nG91\n(S1.,2.,3.)\nX10.Y10.\n(E1.,2.,3.)\nM30\n%\n", r.nc);

  def_.coordinate_mode.start_point = 1;  // home position
  WriteDefinition();
  r = Run(path, on);
  EXPECT_EQ("%\nG91\n(S0.,0.,100.)\nX11.Y12.\n(E0.,0.,100.)\nM30\n%\n", r.nc);
}

TEST_F(PipelineRun, SpindleAndCoolantCodes) {
  Section(1, "%\n(<NC_FILE>,<USER_NAME>)<M_SPINDLE><M_COOLANT>\n");
  Section(5, "T<T_NUM>M06<M_SPINDLE><M_COOLANT>\n");
  WriteDefinition();
  Outcome r = Run(kProgramStart +
                  Rec(200, {".16=0 M03", ".17=0 M08"}) + Rec(600) +
                  Rec(200, {".16=0 M04", ".17=0 M50"}) + Rec(600) +
                  Rec(200, {".16=0 M03", ".17=0 M07"}) + Rec(600) +
                  Rec(200, {".16=0 M03", ".17=0 M51"}) + Rec(600) +
                  Rec(200, {".16=0 M03", ".17=0 M09"}) +
                  Rec(1500, {".1504=2 4", ".16=0 M04", ".17=0 m08"}) + Rec(600));
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("%\n(out.nc,tester)\n"
            "M03M08\nM05M09\n"
            "M50\nM09\n"
            "M03M07\nM05M09\n"
            "M03M51\nM05M09\n"
            "M03\nT4M06M04\nM05\n"
            "M30\n%\n",
            r.nc);
}

TEST_F(PipelineRun, ProcedureParametersOfTheNthProcess) {
  Section(3, "(<SIDE_STEP>/<DOWN_STEP>/<PRM_55>/<PRM_3303>/<PRM_20391>/<PRM_3201>)\n");
  Section(4, "");
  WriteDefinition();
  const std::string path = kProgramStart + Rec(200) + Rec(600) + Rec(200) + Rec(600) +
                           Rec(200) + Rec(600);

  // Without a parameter file nothing is touched.
  Outcome r = Run(path);
  EXPECT_EQ("%\nO1000\nG90G17G40\n(0./0./0./0./0./0.)\n(0./0./0./0./0./0.)\n"
            "(0./0./0./0./0./0.)\nM30\n%\n",
            r.nc);

  const std::string side = "\xBB\xB2\xC4\xDE\xBD\xC3\xAF\xCC\xDF";
  const std::string down = "\xC0\xDE\xB3\xDD\xBD\xC3\xAF\xCC\xDF";
  WriteTestFile(dir_ / "a.ncl.xml",
                "<Procedures>\n"
                "<Procedure Name=\"P1\">\n"
                "<Parameter Name=\"" + side + "\"><Attr Value=\"1.5\"/><Attr ID=\"1\"/>"
                "<Attr Type=\"Float\"/></Parameter>\n"
                "<Parameter Name=\"" + down + "\"><Attr Value=\"0.5\"/><Attr ID=\"2\"/>"
                "<Attr Type=\"Float\"/></Parameter>\n"
                "<Parameter Name=\"A\"><Attr Value=\"7\"/><Attr ID=\"55\"/>"
                "<Attr Type=\"Int\"/></Parameter>\n"
                "</Procedure>\n"
                "<Procedure Name=\"P2\">\n"
                "<Parameter Name=\"" + side + "\"><Attr Value=\"2.5\"/><Attr ID=\"1\"/>"
                "<Attr Type=\"Float\"/></Parameter>\n"
                "<Parameter Name=\"B\"><Attr Value=\"9\"/><Attr ID=\"3303\"/>"
                "<Attr Type=\"Float\"/></Parameter>\n"
                "</Procedure>\n"
                "</Procedures>\n");
  r = Run(path);
  EXPECT_EQ(0, r.status);
  // The third process finds no procedure: the numbered parameters go to 0,
  // side and down step keep what they had.
  EXPECT_EQ("%\nO1000\nG90G17G40\n(1.5/0.5/7./0./0./0.)\n(2.5/0.5/0./9./0./0.)\n"
            "(2.5/0.5/0./0./0./0.)\nM30\n%\n",
            r.nc);
  EXPECT_NE(std::string::npos, r.log.find("ＸＭＬファイル読込ＯＫ。\n"));
}

TEST_F(PipelineRun, OutputThatCannotBeCreated) {
  WriteDefinition();
  // The output folder does not exist.
  Outcome r = Run(kProgramStart, "", "no/such/out.nc");
  EXPECT_EQ(1, r.status);
  const std::string target = dir_ / "no/such/out.nc";
  EXPECT_NE(std::string::npos,
            r.out.find("ファイルを開きました。\nError: " + target + " を作成できません。(" + target +
                       ": No such file or directory)\n  TLV   File:"))
      << r.out;
  EXPECT_NE(std::string::npos, r.log.find("\nError: " + target + " を作成できません。\n"));
  EXPECT_TRUE(r.out.ends_with(kFailure));

  EXPECT_FALSE(PathExists(dir_ / "no/such/.out.nc.tlvp-partial"));
}

TEST_F(PipelineRun, MessagesAndRepeatedItems) {
  Section(8, "G01{X<X_CORD>}{F<F_CORD>}\n");
  def_.rapid_feed = 5000;
  WriteDefinition();
  // Two feed items: each is checked, the later one stays.  A message keeps
  // its first 30 bytes.
  Outcome r = Run(kProgramStart +
                  Rec(1100, {".14=1 6000", ".512=1 1", ".14=1 200", ".801=1 1"}) +
                  Rec(700, {".701=0 0123456789012345678901234567890123456789"}) + Rec(600));
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("%\nO1000\nG90G17G40\nG01X1.F200.\n(012345678901234567890123456789)\n\nM30\n%\n",
            r.nc);
  EXPECT_EQ(Out(kFeedWarning), r.out);
  // PrmDeleteNullLine reaches the engine: repeated line feeds collapse.
  Section(14, "(<MESSAGE>)\n\n");
  WriteDefinition();
  const std::string path = kProgramStart + Rec(700, {".701=0 A"});
  r = Run(path, "\"PrmDeleteNullLine\"=dword:00000001\n");
  EXPECT_EQ("%\nO1000\nG90G17G40\n(A)\nM30\n%\n", r.nc);
  r = Run(path, "\"PrmDeleteNullLine\"=dword:00000000\n");
  EXPECT_EQ("%\nO1000\nG90G17G40\n(A)\n\nM30\n%\n", r.nc);
}

// Tape length of a process: the characters written since the last process
// end, 410 to the metre.  Grouped per tool, process starts keep it.
TEST_F(PipelineRun, TapeLengthAtProcessEnds) {
  Section(1, "%\n");
  Section(3, "(<TAPE_LENGTH>)\n");
  Section(4, "");
  Section(2, "");
  def_.sheet_unit = kSheetPerTool;
  WriteDefinition();
  Outcome r = Run(kProgramStart + Rec(200) + Rec(600) + Rec(200) + Rec(600) + Rec(200));
  EXPECT_EQ(0, r.status);
  // 7 characters (0.017 m) before the first end, 8 more before the second.
  EXPECT_EQ("%\n(0.)\n(0.017)\n(0.02)\n", r.nc);
}

TEST_F(PipelineRun, OutputThroughASymbolicLink) {
  WriteDefinition();
  WriteTestFile(dir_ / "real.nc", "old\n");
  ASSERT_EQ(0, ::symlink((dir_ / "real.nc").c_str(), (dir_ / "out.nc").c_str()));
  Outcome r = Run(kProgramStart + Rec(600));
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("%\nO1000\nG90G17G40\n\nM30\n%\n", ReadTestFile(dir_ / "real.nc"));
  std::error_code ec;
  EXPECT_TRUE(std::filesystem::is_symlink(dir_ / "out.nc", ec));
}

// Every job posts the whole tool path afresh: the first tool change of the
// second job is a first tool change again, and the definition's rapid rate
// carries over only through the run settings.
TEST_F(PipelineRun, SecondJobStartsAfresh) {
  Section(5, "T<T_NUM>M06<IF>MODE(<FIRST_TOOL>)<THEN>(FIRST)<ENDIF>\n\n");
  WriteDefinition();
  extra_keys_ = "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet2]\n"
                "\"Name\"=\"J2\"\n\"Validate\"=dword:00000001\n"
                "\"TLVDataFile\"=\"" + (dir_ / "d.tlv") + "\"\n"
                "\"OutDataFile\"=\"" + (dir_ / "second.nc") + "\"\n";
  Outcome r = Run(kProgramStart + Rec(200, {".16=0 M03"}) + Rec(1500, {".1504=2 1"}) +
                  Rec(1100, {".512=1 5", ".14=1 10000"}) + Rec(600));
  EXPECT_EQ(0, r.status);
  const std::string nc = "%\nO1000\nG90G17G40\nM03\nT1M06(FIRST)\nX5.F10000.\nM05\nM30\n%\n";
  EXPECT_EQ(nc, r.nc);
  EXPECT_EQ(nc, ReadTestFile(dir_ / "second.nc"));
  const std::string first_job = "  TLV   File: " + (dir_ / "d.tlv") + "\n  Out   File: " +
                                (dir_ / "out.nc") + "\n";
  EXPECT_EQ(kBanner + (dir_ / "a.ncl") + "\n>> ＮＣ１作成 の処理を始めます。\n" +
                "ファイルを開きました。\n" + kFeedWarning + first_job +
                ">> J2 の処理を始めます。\nファイルを開きました。\n" + kFeedWarning +
                "  TLV   File: " + (dir_ / "d.tlv") + "\n  Out   File: " + (dir_ / "second.nc") +
                "\n" + kSuccess,
            r.out);
}

}  // namespace
}  // namespace tlv
