// End-to-end runs of TLVP whose output files meet real faults: a disk that
// fills up while the NC program, a split file or the process sheet is being
// written (a file-size limit on the run), and output folders that cannot
// hold a file.  The job must say which file failed, on standard output and
// in the run log, end with failure, and leave every earlier file of the
// same name as it was, with no half-written file anywhere.
#include <gtest/gtest.h>

#include <unistd.h>

#include "platform/file_size_limit_for_test.h"
#include "platform/paths.h"
#include "platform/run_log.h"
#include "platform/settings_store.h"
#include "post/job_outputs.h"
#include "post/run_messages.h"
#include "post/run_settings.h"
#include "post/sheet_file.h"
#include "post/testing/split_run.h"

namespace tlv {
namespace {

using testing::JobRunOptions;
using testing::Rec;
using testing::TlvpOutcome;
using testing::WriteTestFile;

constexpr std::int64_t kLimit = 16 * 1024;
constexpr std::string_view kFailed = "プログラムを作成できませんでした｡\n";

class OutputFaults : public testing::SplitRunTest {
 protected:
  // A tool change and one process of `moves` feed moves (about ten bytes
  // of NC text each).
  static std::string Tool(int tool, int moves) {
    std::string text = Rec(1500, {".1504=2 " + std::to_string(tool)}) + Rec(200);
    for (int i = 1; i <= moves; ++i) {
      text += Rec(1100, {".512=1 " + std::to_string(i), ".14=1 600"});
    }
    return text + Rec(600);
  }

  // Files that are there before the run and must survive it unchanged.
  void PutOldFiles(std::initializer_list<std::string> names) {
    for (const std::string& name : names) WriteTestFile(dir_ / name, "OLD " + name + "\n");
  }
  void ExpectOldFiles(std::initializer_list<std::string> names) {
    for (const std::string& name : names) EXPECT_EQ("OLD " + name + "\n", File(name)) << name;
  }

  // A failed job: status 1, the final failure line, `file` named in an
  // error line on standard output and in the log, and no temporary left
  // in the run folder or the folders below it.
  void ExpectFailure(const TlvpOutcome& r, const std::string& file, std::string_view reason) {
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.out.find(kFailed)) << r.out;
    // The log names the file; standard output also says why.
    EXPECT_NE(std::string::npos, r.log.find("Error: " + file + " ")) << r.log;
    const std::size_t at = r.out.find("Error: " + file + " ");
    ASSERT_NE(std::string::npos, at) << r.out;
    const std::size_t line_end = r.out.find('\n', at);
    EXPECT_NE(std::string::npos, r.out.substr(at, line_end - at).find(reason)) << r.out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir_.path())) {
      EXPECT_EQ(std::string::npos, e.path().string().find("partial")) << e.path();
    }
  }

  std::string Path(const std::string& name) { return dir_ / name; }
};

TEST_F(OutputFaults, DiskFullInTheProgramFailsTheJob) {
  PutOldFiles({"out.nc"});
  JobRunOptions o;
  o.file_size_limit = kLimit;
  const TlvpOutcome r = RunJob(Rec(100) + Tool(1, 4000), o);
  ExpectFailure(r, Path("out.nc"), "File too large");
  ExpectOldFiles({"out.nc"});
  EXPECT_EQ(std::vector<std::string>{"out.nc"}, Files());

  // Without the fault the same job writes the whole program.
  const TlvpOutcome good = RunJob(Rec(100) + Tool(1, 4000));
  EXPECT_EQ(0, good.status) << good.out;
  EXPECT_GT(good.nc.size(), static_cast<std::size_t>(kLimit));
  EXPECT_EQ("%\nT1\n", good.nc.substr(0, 5));
  EXPECT_EQ("G01X4000.\nM30\n", good.nc.substr(good.nc.size() - 14));
}

TEST_F(OutputFaults, DiskFullInOneSplitFileFailsTheWholeJob) {
  def_.split_mode.methods = kSplitByCode;
  def_.split_mode.name_source = 1;
  Section(5, "<SPLIT_END><SPLIT_START>T<T_NUM>\n");
  PutOldFiles({"out.nc", "out001.nc", "out002.nc", "out003.nc"});
  JobRunOptions o;
  o.file_size_limit = kLimit;
  // The second tool's file is the one that outgrows the disk.
  const TlvpOutcome r = RunJob(Rec(100) + Tool(1, 5) + Tool(2, 4000) + Tool(3, 5), o);
  ExpectFailure(r, Path("out002.nc"), "File too large");
  ExpectOldFiles({"out.nc", "out001.nc", "out002.nc", "out003.nc"});
  EXPECT_EQ((std::vector<std::string>{"out.nc", "out001.nc", "out002.nc", "out003.nc"}),
            Files());

  const TlvpOutcome good = RunJob(Rec(100) + Tool(1, 5) + Tool(2, 4000) + Tool(3, 5));
  EXPECT_EQ(0, good.status) << good.out;
  EXPECT_EQ("T3\nG01X1.\nG01X2.\nG01X3.\nG01X4.\nG01X5.\nM30\n", File("out003.nc"));
}

TEST_F(OutputFaults, DiskFullInTheProcessSheetFailsTheJob) {
  def_.process_sheet.output = 1;
  def_.process_sheet.extension_index = 0;
  def_.sheet_unit = kSheetPerProcedure;
  Section(17, "HEAD\n");
  Section(18, "ITEM," + std::string(200, 'x') + ",<T_NUM>\n");
  Section(19, "TAIL\n");
  PutOldFiles({"out.nc", "out.nc.csv"});
  std::string path = Rec(100);
  for (int t = 1; t <= 120; ++t) path += Tool(t, 1);
  JobRunOptions o;
  o.file_size_limit = kLimit;
  const TlvpOutcome r = RunJob(path, o);
  ExpectFailure(r, Path("out.nc.csv"), "File too large");
  ExpectOldFiles({"out.nc", "out.nc.csv"});
  EXPECT_EQ((std::vector<std::string>{"out.nc", "out.nc.csv"}), Files());

  const TlvpOutcome good = RunJob(path);
  EXPECT_EQ(0, good.status) << good.out;
  EXPECT_LT(good.nc.size(), static_cast<std::size_t>(kLimit));
  EXPECT_GT(File("out.nc.csv").size(), static_cast<std::size_t>(kLimit));
}

// As root every folder is writable; these folders cannot hold the file
// for a reason no permission bit overrides.
TEST_F(OutputFaults, ProgramFolderThatCannotHoldTheFile) {
  WriteTestFile(dir_ / "plain", "a file, not a folder\n");
  const std::string tool_path = Rec(100) + Tool(1, 3);
  const struct {
    std::string output;
    std::string_view reason;
  } cases[] = {
      {"missing/out.nc", "No such file or directory"},
      {"plain/out.nc", "Not a directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.output);
    JobRunOptions o;
    o.output = c.output;
    const TlvpOutcome r = RunJob(tool_path, o);
    ExpectFailure(r, Path(c.output), c.reason);
    EXPECT_EQ(std::vector<std::string>{"plain"}, Files());
  }
}

TEST_F(OutputFaults, SplitFolderThatCannotHoldTheFile) {
  // Output name plus number puts the number before the first "." of the
  // whole path, here in the folder's name: the split files go to
  // "sub001.d/", "sub002.d/", which are not folders.
  def_.split_mode.methods = kSplitByCode;
  def_.split_mode.name_source = 1;
  Section(5, "<SPLIT_END><SPLIT_START>T<T_NUM>\n");
  std::filesystem::create_directory(dir_ / "sub.d");
  PutOldFiles({"sub.d/out"});
  WriteTestFile(dir_ / "sub001.d", "a file, not a folder\n");
  JobRunOptions o;
  o.output = "sub.d/out";
  const TlvpOutcome r = RunJob(Rec(100) + Tool(1, 3) + Tool(2, 3), o);
  ExpectFailure(r, Path("sub001.d/out"), "Not a directory");
  ExpectOldFiles({"sub.d/out"});
  EXPECT_EQ(std::vector<std::string>{"out"}, Files("sub.d"));
}

TEST_F(OutputFaults, SheetThatCannotBeCreated) {
  def_.process_sheet.output = 1;
  def_.process_sheet.extension_index = 0;
  Section(17, "HEAD\n");
  PutOldFiles({"out.nc"});
  // The sheet's name is taken by a folder.
  std::filesystem::create_directory(dir_ / "out.nc.csv");
  TlvpOutcome r = RunJob(Rec(100) + Tool(1, 3));
  ExpectFailure(r, Path("out.nc.csv"), "ファイルではありません");
  ExpectOldFiles({"out.nc"});

  // The sheet goes beside the program: a missing folder fails it first.
  JobRunOptions o;
  o.output = "missing/out.nc";
  r = RunJob(Rec(100) + Tool(1, 3), o);
  ExpectFailure(r, Path("missing/out.nc.csv"), "No such file or directory");
  EXPECT_EQ((std::vector<std::string>{"out.nc", "out.nc.csv"}), Files());
}

// A run killed halfway leaves its temporary file, never a torn program;
// the next run writes the program and takes the leftover's place.
TEST_F(OutputFaults, KilledRunLeavesTheOldProgramAndTheNextRunWorks) {
  PutOldFiles({"out.nc"});
  JobRunOptions o;
  o.file_size_limit = kLimit;
  o.killed_at_limit = true;
  const TlvpOutcome r = RunJob(Rec(100) + Tool(1, 4000), o);
  // Killed, not ended: by the signal, or through the shell that ran it.
  EXPECT_TRUE(r.status == -1 || r.status == 128 + SIGXFSZ) << r.status;
  ExpectOldFiles({"out.nc"});
  EXPECT_EQ((std::vector<std::string>{".out.nc.tlvp-partial", "out.nc"}), Files());

  const TlvpOutcome good = RunJob(Rec(100) + Tool(1, 4000));
  EXPECT_EQ(0, good.status) << good.out;
  EXPECT_EQ("G01X4000.\nM30\n", good.nc.substr(good.nc.size() - 14));
  EXPECT_EQ(std::vector<std::string>{"out.nc"}, Files());
}

// TLVP writes "SavePath" back into the settings file at every start.  On a
// full disk that write fails: the run says so, the settings file keeps its
// bytes, and the job itself still runs.
TEST_F(OutputFaults, SettingsWriteBackOnAFullDiskIsReported) {
  JobRunOptions o;
  o.file_size_limit = kLimit;
  // A settings file larger than the disk has room for.
  for (int i = 0; i < 400; ++i) {
    o.more_keys += "[HKEY_CURRENT_USER\\Software\\Other\\Key" + std::to_string(i) + "]\n\"Value\"=\"" +
                   std::string(60, 'v') + "\"\n\n";
  }
  const TlvpOutcome r = RunJob(Rec(100) + Tool(1, 3), o);
  const std::string settings = File("registry.reg");
  ASSERT_GT(settings.size(), static_cast<std::size_t>(kLimit));
  const std::string message =
      "Error: SavePath を保存できませんでした(" + Path("registry.reg") + ": File too large)。\n";
  EXPECT_NE(std::string::npos, r.out.find(message)) << r.out;
  EXPECT_NE(std::string::npos, r.log.find(message)) << r.log;
  EXPECT_EQ(0, r.status) << r.out;
  EXPECT_EQ("%\nT1\nG01X1.\nG01X2.\nG01X3.\nM30\n", r.nc);
  // The file is the one the test wrote, and no temporary is left beside it.
  EXPECT_EQ(std::string::npos, settings.find("\"SavePath\"=\"" + dir_.path() + "/\""));
  EXPECT_EQ(std::vector<std::string>{"out.nc"}, Files());

  // With room on the disk the value is written back.
  EXPECT_EQ(0, RunJob(Rec(100) + Tool(1, 3)).status);
  EXPECT_NE(std::string::npos, File("registry.reg").find("\"SavePath\"=\"" + dir_.path() + "/\""));
}

// Joining the pieces of a tool path ("-mif") on a full disk: the append
// is undone, the pieces stay, and no job runs on half a tool path.
TEST_F(OutputFaults, JoiningPiecesOnAFullDiskKeepsThePieces) {
  std::string piece;
  for (int i = 4; i <= 3000; ++i) piece += Rec(1100, {".512=1 " + std::to_string(i)});
  ASSERT_GT(piece.size(), static_cast<std::size_t>(kLimit));
  WriteTestFile(dir_ / "a.ncl_1", piece);
  JobRunOptions o;
  o.file_size_limit = kLimit;
  o.more_args = "-mif";
  const std::string head = Rec(100) + Tool(1, 3);
  const TlvpOutcome r = RunJob(head, o);
  EXPECT_EQ(1, r.status);
  EXPECT_NE(std::string::npos, r.out.find("Error: " + Path("a.ncl_1") + " を ")) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("File too large")) << r.out;
  EXPECT_EQ(head, File("a.ncl"));
  EXPECT_EQ(piece, File("a.ncl_1"));
  EXPECT_EQ(std::vector<std::string>{}, Files());
}

// The other settings TLVP writes back, on a full disk: the job slots the
// run dialog saves and the sheet's hand-off to the exporter.  Each write
// fails with its reason for the caller to report, and the file stays.
TEST(SettingsWriteBackFaults, JobSlotsAndExporterHandOffReportTheFailure) {
  testing::TempFolder dir;
  const std::string path = dir / "registry.reg";
  std::string text = "Windows Registry Editor Version 5.00\n\n[" + std::string(kMainKey) +
                     "]\n\n[" + std::string(kExporterSettingsKey) + "]\n\"CSVfile\"=\"old.csv\"\n";
  for (int i = 0; i < 400; ++i) {
    text += "\n[HKEY_CURRENT_USER\\Software\\Other\\Key" + std::to_string(i) + "]\n\"Value\"=\"" +
            std::string(60, 'v') + "\"\n";
  }
  WriteTestFile(path, text);
  ASSERT_GT(text.size(), static_cast<std::size_t>(kLimit));

  const ChildEnd end = RunWithFileSizeLimit(kLimit, AtFileSizeLimit::kFailWrite, [&] {
    SettingsStore store;
    std::string why;
    if (!store.Load(path, &why)) return 10;
    RunSettings settings;
    if (WriteJobSlots(&store, settings, &why)) return 11;
    if (why != path + ": File too large") return 12;
    const HandOffResult handed = HandOffToExporter(&store, "/nc/out.nc.csv");
    if (handed.written) return 13;
    if (handed.error != path + ": File too large") return 14;
    return 0;
  });
  ASSERT_TRUE(end.exited) << end.signal;
  EXPECT_EQ(0, end.status);
  EXPECT_EQ(text, testing::ReadTestFile(path));
  EXPECT_EQ(std::vector<std::string>{"registry.reg"}, NamesInFolder(dir.path()));
}

class JobOutputsLeftovers : public ::testing::Test {
 protected:
  RunLog log_;
  RunMessages messages_{&log_, nullptr};
  testing::TempFolder dir_;
};

// Whatever holds the temporary name when a job starts is a leftover: a
// link planted there must not make the job write into the file it points
// at, nor turn the program into a link.
TEST_F(JobOutputsLeftovers, LinkAtTheTemporaryNameIsNotFollowed) {
  const std::string path = dir_ / "out.nc";
  WriteTestFile(dir_ / "victim.txt", "keep\n");
  ASSERT_EQ(0, ::symlink("victim.txt", TemporaryOutputPath(path).c_str()));
  JobOutputs outputs(messages_);
  std::string err;
  ASSERT_TRUE(outputs.OpenNc(path, &err)) << err;
  outputs.Write("G00X1.\n", false);
  ASSERT_TRUE(outputs.CommitNc(&err)) << err;
  EXPECT_EQ("keep\n", testing::ReadTestFile(dir_ / "victim.txt"));
  EXPECT_EQ("G00X1.\n", testing::ReadTestFile(path));
  EXPECT_FALSE(std::filesystem::is_symlink(path));
  EXPECT_FALSE(PathExists(TemporaryOutputPath(path)));
}

TEST_F(JobOutputsLeftovers, FolderAtTheTemporaryNameRefusesTheOutput) {
  const std::string path = dir_ / "out.nc";
  std::filesystem::create_directory(TemporaryOutputPath(path));
  JobOutputs outputs(messages_);
  std::string err;
  EXPECT_FALSE(outputs.OpenNc(path, &err));
  EXPECT_EQ(path + ": File exists", err);
}

// Large writes and many small ones come out whole and in order, and the
// position counts every byte.
TEST_F(JobOutputsLeftovers, BufferedWritesKeepEveryByte) {
  const std::string path = dir_ / "out.nc";
  JobOutputs outputs(messages_);
  std::string err;
  ASSERT_TRUE(outputs.OpenNc(path, &err)) << err;
  std::string expected;
  for (int i = 0; i < 20000; ++i) {
    const std::string line = "G01X" + std::to_string(i) + ".\n";
    outputs.Write(line, false);
    expected += line;
  }
  const std::string block(200000, 'b');
  outputs.Write(block, false);
  expected += block;
  EXPECT_EQ(static_cast<std::int64_t>(expected.size()), outputs.WritePosition());
  ASSERT_TRUE(outputs.CommitNc(&err)) << err;
  EXPECT_EQ(expected, testing::ReadTestFile(path));
}

}  // namespace
}  // namespace tlv
