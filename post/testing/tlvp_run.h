// End-to-end runs of the real TLVP for tests: a definition made here from
// the shipped dictionary with sections compiled from display text, a tool
// path written here, and TLVP run in a temporary folder with its own
// settings file, no display and TLV_UI=tty.  NC output, standard output and
// the run log come back as bytes.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <string_view>

#include "definition/definition_file.h"
#include "definition/post_definition.h"
#include "definition/section_compiler.h"
#include "definition/variable_dictionary.h"
#include "post/testing/temp_folder.h"

namespace tlv::testing {

inline const std::string kTlvpProgram = TLV_BIN_DIR "/TLVP";
inline const std::string kShippedDictionary = TLV_BIN_DIR "/TOLvek.ini";

/// One record of a tool path: "_kind" and its field lines (".id=type value").
inline std::string ToolPathRecordText(int kind, std::initializer_list<std::string_view> fields = {}) {
  std::string text = "_" + std::to_string(kind) + "\n";
  for (std::string_view f : fields) {
    text += f;
    text += '\n';
  }
  return text;
}

struct TlvpOutcome {
  int status = -1;
  std::string out;  ///< standard output
  std::string log;  ///< the run log
  std::string nc;   ///< the NC program
};

/// Runs TLVP on `tool_path` (written into `dir` as a.ncl) with the
/// definition file `definition`; the NC program goes to dir/out.nc.
inline TlvpOutcome RunTlvpProgram(const TempFolder& dir, const std::string& tool_path,
                           const std::string& definition, const std::string& settings = "") {
  WriteTestFile(dir / "a.ncl", tool_path);
  WriteTestFile(dir / "registry.reg",
                "Windows Registry Editor Version 5.00\n\n"
                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\n"
                "\"SavePath\"=\"" + dir.path() + "\"\n"
                "\"TLVIni\"=\"" + kShippedDictionary + "\"\n"
                "\"DontShowExecDlg\"=dword:00000001\n"
                "\"PrmShowCompleteMsg\"=dword:00000000\n" + settings +
                "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon]\n"
                "\"DefaultUserName\"=\"tester\"\n"
                "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet1]\n");
  std::string command = "cd '" + dir.path() +
                        "' && env -u DISPLAY -u WAYLAND_DISPLAY TLV_UI=tty TLV_REGISTRY='" +
                        (dir / "registry.reg") + "' '" + kTlvpProgram + "' '" + (dir / "a.ncl") +
                        "' -tlv '" + definition + "' -out '" + (dir / "out.nc") +
                        "' -sgl < /dev/null > stdout.txt 2> stderr.txt";
  const int status = std::system(command.c_str());
  TlvpOutcome o;
  o.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  o.out = ReadTestFile(dir / "stdout.txt");
  o.log = ReadTestFile(dir / "TOLvek.log");
  o.nc = ReadTestFile(dir / "out.nc");
  return o;
}

/// A fixture with a fresh definition (every default of the shipped
/// dictionary, rapid rate 10000), sections set from display text, and a
/// temporary folder.
class TlvpRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string err;
    ASSERT_TRUE(LoadDictionaryFile(kShippedDictionary, &dict_, &err)) << err;
    def_ = NewPostDefinition(dict_);
    def_.rapid_feed = 10000.0;
  }

  /// Compiles `display` (UTF-8 section text) into section `id`.
  void Section(int id, std::string_view display) {
    CompileResult r = CompileSection(display, dict_);
    ASSERT_TRUE(r.ok) << display << ": " << r.message;
    def_.sections.Find(id)->text = r.bytes;
  }

  /// Writes the definition and runs TLVP on `tool_path`.
  TlvpOutcome Run(const std::string& tool_path, const std::string& settings = "") {
    WriteTestFile(dir_ / "d.tlv", WriteDefinitionBytes(def_));
    return RunTlvpProgram(dir_, tool_path, dir_ / "d.tlv", settings);
  }

  VariableDictionary dict_;
  PostDefinition def_;
  TempFolder dir_;
};

}  // namespace tlv::testing
