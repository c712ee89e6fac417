// End-to-end runs of TLVP for the split-file and process-sheet tests: as
// tlvp_run.h, with a chosen output path, answers on standard input, more
// settings-file keys, and the files of the run folder read back.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_size_limit_for_test.h"
#include "post/testing/tlvp_run.h"

namespace tlv::testing {

struct JobRunOptions {
  std::string output = "out.nc";   ///< relative to the run folder
  std::string main_values;         ///< more values of the main key
  std::string more_keys;           ///< more keys of the settings file
  std::string input;               ///< standard input ("" = closed)
  /// When above 0, no file TLVP writes may grow past this many bytes (a
  /// write past it fails as on a full disk).
  std::int64_t file_size_limit = 0;
  /// With file_size_limit: TLVP is killed (SIGXFSZ) at the limit instead.
  bool killed_at_limit = false;
  std::string more_args;  ///< more command-line tokens, such as "-mif"
};

class SplitRunTest : public TlvpRunTest {
 protected:
  void SetUp() override {
    TlvpRunTest::SetUp();
    Section(1, "%\n");
    Section(2, "M30\n");
    Section(5, "T<T_NUM>\n");
    Section(8, "G01{X<X_CORD>}{Y<Y_CORD>}{Z<Z_CORD>}\n");
    Section(6, "G00{X<X_CORD>}{Y<Y_CORD>}\n");
    Section(7, "G00{X<X_CORD>}{Y<Y_CORD>}{Z<Z_CORD>}\n");
  }

  TlvpOutcome RunJob(const std::string& tool_path, const JobRunOptions& o = {}) {
    WriteTestFile(dir_ / "d.tlv", WriteDefinitionBytes(def_));
    WriteTestFile(dir_ / "a.ncl", tool_path);
    WriteTestFile(dir_ / "answers.txt", o.input);
    WriteTestFile(dir_ / "registry.reg",
                  "Windows Registry Editor Version 5.00\n\n"
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\n"
                  "\"SavePath\"=\"" + dir_.path() + "\"\n"
                  "\"TLVIni\"=\"" + kShippedDictionary + "\"\n"
                  "\"DontShowExecDlg\"=dword:00000001\n"
                  "\"PrmShowCompleteMsg\"=dword:00000000\n"
                  "\"FileNumSource\"=dword:00000001\n" + o.main_values +
                  "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon]\n"
                  "\"DefaultUserName\"=\"tester\"\n"
                  "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet1]\n\n" + o.more_keys);
    const std::string command =
        "cd '" + dir_.path() + "' && env -u DISPLAY -u WAYLAND_DISPLAY TLV_UI=tty TLV_REGISTRY='" +
        (dir_ / "registry.reg") + "' XDG_DATA_HOME='" + (dir_ / "xdg") + "' '" + kTlvpProgram +
        "' '" + (dir_ / "a.ncl") + "' -tlv '" + (dir_ / "d.tlv") + "' -out '" + (dir_ / o.output) +
        "' -sgl " + o.more_args + " < answers.txt > stdout.txt 2> stderr.txt";
    TlvpOutcome r;
    if (o.file_size_limit > 0) {
      const ChildEnd end = RunCommandWithFileSizeLimit(
          command, o.file_size_limit,
          o.killed_at_limit ? AtFileSizeLimit::kKillWriter : AtFileSizeLimit::kFailWrite);
      r.status = end.exited ? end.status : -1;
    } else {
      const int status = std::system(command.c_str());
      r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    r.out = ReadTestFile(dir_ / "stdout.txt");
    r.log = ReadTestFile(dir_ / "TOLvek.log");
    r.nc = ReadTestFile(dir_ / o.output);
    return r;
  }

  /// The file names in `folder` (relative to the run folder), sorted,
  /// without the run's own files.
  std::vector<std::string> Files(const std::string& folder = "") {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir_ / folder, ec)) {
      const std::string name = e.path().filename().string();
      if (name == "d.tlv" || name == "registry.reg" || name == "answers.txt" ||
          name == "stdout.txt" || name == "stderr.txt" || name == "TOLvek.log" ||
          name.rfind("a.ncl", 0) == 0 || name == "xdg") {
        continue;
      }
      names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string File(const std::string& name) { return ReadTestFile(dir_ / name); }
};

inline std::string Rec(int kind, std::initializer_list<std::string_view> fields = {}) {
  return ToolPathRecordText(kind, fields);
}

}  // namespace tlv::testing
