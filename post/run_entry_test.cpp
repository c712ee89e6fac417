// End-to-end runs of TLVP: the real executables in a temporary folder with
// their own settings file, the terminal front end, and standard input from a
// file or /dev/null.
#include "post/run_entry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/paths.h"
#include "post/testing/temp_folder.h"

namespace tlv {
namespace {

using testing::ReadTestFile;
using testing::TempFolder;
using testing::WriteTestFile;

const std::string kTlvp = TLV_BIN_DIR "/TLVP";
const std::string kTestTlvp = TLV_BIN_DIR "/tlvp_with_test_job";

const std::string kBanner =
    std::string("TLVP Ver.4.24 (2008/5/9)\n") + kBannerNotice;
const std::string kSuccess =
    "Execution Successfully Finished.\n"
    "----------------------------------\n";
const std::string kFailure =
    "プログラムを作成できませんでした｡\n"
    "----------------------------------\n";

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

class TlvpRun : public ::testing::Test {
 protected:
  // The main key with the save folder "<dir>/nc" and the given lines, the
  // subkey of slot 1 (its output defaults to "<dir>/nc/tolvek.ncd") and any
  // further keys.
  void WriteSettings(const std::string& main_values,
                     const std::string& more_keys = "",
                     const std::string& slot1_values = "") {
    WriteTestFile(dir_ / "registry.reg",
                  "Windows Registry Editor Version 5.00\n\n"
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\n"
                  "\"SavePath\"=\"" + dir_.path() + "/nc\"\n" +
                      main_values +
                      "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet1]\n" +
                      slot1_values + "\n" + more_keys);
  }

  Outcome Run(const std::string& program, const std::string& args,
              const std::string& input = "") {
    std::string in = "/dev/null";
    if (!input.empty()) {
      in = dir_ / "stdin.txt";
      WriteTestFile(in, input);
    }
    std::string command = "cd '" + dir_.path() + "' && env -u DISPLAY -u WAYLAND_DISPLAY TLV_UI=tty TLV_REGISTRY='" +
                          (dir_ / "registry.reg") + "' '" + program + "' " + args +
                          " < '" + in + "' > stdout.txt 2> stderr.txt";
    int status = std::system(command.c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.out = ReadTestFile(dir_ / "stdout.txt");
    outcome.err = ReadTestFile(dir_ / "stderr.txt");
    return outcome;
  }

  std::string Log() { return ReadTestFile(dir_ / "TOLvek.log"); }

  // A tool path, a definition and the save folder, ready for a run.
  void PrepareFiles() {
    ASSERT_TRUE(MakeDirectories(dir_ / "nc"));
    WriteTestFile(dir_ / "a.ncl", "1000\n3 1 0\n");
    WriteTestFile(dir_ / "m.tlv", "definition");
  }

  std::string Path(std::string_view name) { return dir_ / name; }

  TempFolder dir_;
};

TEST_F(TlvpRun, OnlyTlvIsRejected) {
  Outcome r = Run(kTlvp, "-tlv");
  EXPECT_EQ(1, r.status);
  EXPECT_EQ(kBanner + "ファイルの指定に失敗しました。終了します。\n", r.out);
  EXPECT_EQ(kBanner +
                "Error: -tlv の後にファイル名が指定されていません。\n"
                "ファイルの指定に失敗しました。終了します。\n",
            Log());
  r = Run(kTlvp, "a.ncl -zz");
  EXPECT_EQ(kBanner + "Error: illegal Option -zz\n"
                      "ファイルの指定に失敗しました。終了します。\n",
            r.out);
  EXPECT_EQ(kBanner + "ファイルの指定に失敗しました。終了します。\n", Log());

  // The log goes where "TLVLog" says; a log that cannot be made is reported.
  WriteSettings("\"TLVLog\"=\"" + Path("run.log") + "\"\n");
  Run(kTlvp, "-tlv");
  EXPECT_TRUE(ReadTestFile(Path("run.log")).starts_with(kBanner));
  WriteSettings("\"TLVLog\"=\"" + Path("no/such/run.log") + "\"\n");
  r = Run(kTlvp, "-tlv");
  EXPECT_TRUE(r.out.starts_with(kBanner + "Warning: ログファイルを作成できません("))
      << r.out;
}

TEST_F(TlvpRun, SkippedDialogRunsJobAndDeletesInput) {
  PrepareFiles();
  WriteSettings("\"DontShowExecDlg\"=dword:00000001\n"
                "\"PrmShowCompleteMsg\"=dword:00000000\n");
  Outcome r = Run(kTestTlvp, "a.ncl -tlv m.tlv -out result.nc");
  EXPECT_EQ(0, r.status);
  EXPECT_EQ(kBanner + Path("a.ncl") + "\n" +
                ">> ＮＣ１作成 の処理を始めます。\n"
                "[test job] slot 1 input " + Path("a.ncl.temp") + " db 0\n" +
                "  TLV   File: " + Path("m.tlv") + "\n" +
                "  Out   File: " + Path("nc/result.nc") + "\n" + kSuccess,
            r.out);
  EXPECT_EQ("", r.err);  // no dialog, no box
  EXPECT_EQ(kBanner + ">> ＮＣ１作成 の処理を始めます。\n" +
                "  TLV   File: " + Path("m.tlv") + "\n" +
                "  Out   File: " + Path("nc/result.nc") + "\n" + kSuccess,
            Log());
  EXPECT_EQ("1000\n3 1 0\n", ReadTestFile(Path("nc/result.nc")));
  EXPECT_FALSE(PathExists(Path("a.ncl")));
  EXPECT_FALSE(PathExists(Path("a.ncl.temp")));
  // "SavePath" is written back with its separator.
  EXPECT_NE(std::string::npos,
            ReadTestFile(Path("registry.reg"))
                .find("\"SavePath\"=\"" + Path("nc/") + "\""));
}

TEST_F(TlvpRun, KeepInputJoinPiecesAndLastJobDecides) {
  PrepareFiles();
  WriteTestFile(Path("a.ncl_1"), "piece 1\n");
  WriteTestFile(Path("a.ncl_2"), "piece 2\n");
  WriteTestFile(Path("fail.tlv"), "fail");
  WriteSettings("\"DontShowExecDlg\"=dword:00000001\n"
                "\"PrmShowCompleteMsg\"=dword:00000000\n",
                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet2]\n"
                "\"Validate\"=dword:00000001\n"
                "\"TLVDataFile\"=\"" + Path("missing.tlv") + "\"\n"
                "\"OutDataFile\"=\"" + Path("two.nc") + "\"\n");
  Outcome r = Run(kTestTlvp, "-sgl -mif -tlv m.tlv a.ncl");
  EXPECT_EQ(0, r.status) << r.out;
  // Slot 2's definition is missing: reported, and slot 1's result stands.
  EXPECT_NE(std::string::npos,
            r.out.find(">> ＮＣ２作成 の処理を始めます。\nError: " +
                       Path("missing.tlv") + " が存在しません。\n" + kSuccess));
  EXPECT_EQ("1000\n3 1 0\npiece 1\npiece 2\n",
            ReadTestFile(Path("nc/tolvek.ncd")));
  // "-sgl": the joined file is back under its own name; the pieces are gone.
  EXPECT_EQ("1000\n3 1 0\npiece 1\npiece 2\n", ReadTestFile(Path("a.ncl")));
  EXPECT_FALSE(PathExists(Path("a.ncl_1")) || PathExists(Path("a.ncl_2")) ||
               PathExists(Path("a.ncl.temp")));

  // The last job that ran fails: so does the run.
  WriteSettings("\"DontShowExecDlg\"=dword:00000001\n"
                "\"PrmShowCompleteMsg\"=dword:00000000\n",
                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet2]\n"
                "\"Validate\"=dword:00000001\n"
                "\"TLVDataFile\"=\"" + Path("fail.tlv") + "\"\n"
                "\"OutDataFile\"=\"" + Path("two.nc") + "\"\n");
  r = Run(kTestTlvp, "-sgl -tlv m.tlv a.ncl");
  EXPECT_EQ(1, r.status);
  EXPECT_TRUE(r.out.ends_with("  Out   File: " + Path("two.nc") + "\n" + kFailure))
      << r.out;
}

TEST_F(TlvpRun, NoJobEnabledFailsAndStillHandlesInput) {
  PrepareFiles();
  WriteSettings("\"DontShowExecDlg\"=dword:00000001\n"
                "\"PrmShowCompleteMsg\"=dword:00000000\n",
                "", "\"Validate\"=dword:00000000\n");
  Outcome r = Run(kTestTlvp, "a.ncl -sgl");
  EXPECT_EQ(1, r.status);
  EXPECT_EQ(kBanner + Path("a.ncl") + "\n" + kFailure, r.out);
  EXPECT_TRUE(PathExists(Path("a.ncl")));
  r = Run(kTestTlvp, "a.ncl");
  EXPECT_EQ(1, r.status);
  EXPECT_FALSE(PathExists(Path("a.ncl")));
  EXPECT_FALSE(PathExists(Path("a.ncl.temp")));
}

TEST_F(TlvpRun, CancelDeletesInputOnlyWhenAskedTo) {
  PrepareFiles();
  WriteSettings("");
  Outcome r = Run(kTestTlvp, "a.ncl -tlv m.tlv -sgl", "3\n");
  EXPECT_EQ(1, r.status);
  EXPECT_NE(std::string::npos, r.err.find("[ﾊﾟﾗﾒｰﾀ入力 (Rev4.24)]"));
  EXPECT_EQ(kBanner + Path("a.ncl") + "\n", r.out);
  EXPECT_EQ(kBanner + "処理がキャンセルされました。\n処理がキャンセルされました。\n",
            Log());
  EXPECT_TRUE(PathExists(Path("a.ncl")));

  r = Run(kTestTlvp, "a.ncl -tlv m.tlv", "3\n");
  EXPECT_EQ(1, r.status);
  EXPECT_FALSE(PathExists(Path("a.ncl")));

  // Invalid slots at end of input: the dialog cancels.
  PrepareFiles();
  r = Run(kTestTlvp, "a.ncl -sgl");
  EXPECT_EQ(1, r.status);
  EXPECT_NE(std::string::npos, r.err.find("TLVファイルが定義されていません。"));
  EXPECT_TRUE(Log().ends_with("処理がキャンセルされました。\n"));
}

TEST_F(TlvpRun, DialogAtEndOfInputRunsAndShowsCompletion) {
  PrepareFiles();
  WriteSettings("");  // completion message on when the value is absent
  Outcome r = Run(kTestTlvp, "a.ncl -tlv m.tlv");
  EXPECT_EQ(0, r.status) << r.out << r.err;
  EXPECT_NE(std::string::npos, r.err.find("[ﾊﾟﾗﾒｰﾀ入力 (Rev4.24)]"));
  EXPECT_NE(std::string::npos, r.err.find("処理を完了しました。"));
}

TEST_F(TlvpRun, MissingInputAndFailedRename) {
  PrepareFiles();
  WriteSettings("\"DontShowExecDlg\"=dword:00000001\n"
                "\"PrmShowCompleteMsg\"=dword:00000000\n");
  Outcome r = Run(kTestTlvp, "b.ncl -tlv m.tlv");
  EXPECT_EQ(1, r.status);
  EXPECT_EQ(kBanner + Path("b.ncl") + "\nError: " + Path("b.ncl") +
                " が存在しません。\n",
            r.out);
  EXPECT_TRUE(Log().ends_with("Error: " + Path("b.ncl") + " が存在しません。\n"));

  // A folder in the way of the ".temp" name: the rename fails, is reported,
  // the job reads the file under its own name and the file is left alone.
  ASSERT_TRUE(MakeDirectories(Path("a.ncl.temp/x")));
  r = Run(kTestTlvp, "a.ncl -tlv m.tlv");
  EXPECT_EQ(0, r.status);
  EXPECT_NE(std::string::npos, r.out.find("Error: " + Path("a.ncl") + " の名前を "));
  EXPECT_NE(std::string::npos, Log().find("Error: " + Path("a.ncl") + " の名前を "));
  EXPECT_NE(std::string::npos,
            r.out.find("[test job] slot 1 input " + Path("a.ncl") + " db 0\n"));
  EXPECT_EQ("1000\n3 1 0\n", ReadTestFile(Path("a.ncl")));
}

TEST_F(TlvpRun, ShippedJobRefusesAFileThatIsNoDefinition) {
  PrepareFiles();
  WriteSettings("\"DontShowExecDlg\"=dword:00000001\n"
                "\"PrmShowCompleteMsg\"=dword:00000000\n");
  Outcome r = Run(kTlvp, "a.ncl -tlv m.tlv -sgl");
  EXPECT_EQ(1, r.status);
  EXPECT_NE(std::string::npos, r.out.find("Error: " + Path("m.tlv") + " が読めません。\n"));
  EXPECT_TRUE(r.out.ends_with(kFailure));
  EXPECT_TRUE(PathExists(Path("a.ncl")));
}

TEST_F(TlvpRun, ExporterStartsInsteadOfCompletionMessage) {
  PrepareFiles();
  WriteSettings("\"DontShowExecDlg\"=dword:00000001\n"
                "\"PrmShowCompleteMsg\"=dword:00000001\n");
  // A stand-in exporter beside a copy of the executable.
  ASSERT_TRUE(MakeDirectories(Path("bin")));
  ASSERT_TRUE(CopyFile(kTestTlvp, Path("bin/tlvp")));
  WriteTestFile(Path("bin/SheetPump"),
                "#!/bin/sh\necho \"$@\" > '" + Path("exporter.args") + ".part'\n"
                "mv '" + Path("exporter.args") + ".part' '" +
                    Path("exporter.args") + "'\n");
  ASSERT_EQ(0, ::chmod(Path("bin/tlvp").c_str(), 0755));
  ASSERT_EQ(0, ::chmod(Path("bin/SheetPump").c_str(), 0755));
  Outcome r = Run(Path("bin/tlvp"), "a.ncl -tlv m.tlv -xlf");
  EXPECT_EQ(0, r.status) << r.out;
  EXPECT_EQ(std::string::npos, r.err.find("処理を完了しました。")) << r.err;
  for (int i = 0; i < 100 && !PathExists(Path("exporter.args")); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ("1\n", ReadTestFile(Path("exporter.args")));
}

}  // namespace
}  // namespace tlv
