// End-to-end runs of TLVP with the process sheet sent to a process
// database: the shipped 3-axis post turned to database output, the shipped
// plate tool path with its procedure parameters, a real database file and
// target folders in a temporary folder, and TLVP run there with its own
// settings file and answers on standard input.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "definition/definition_file.h"
#include "definition/post_definition.h"
#include "definition/text_form.h"
#include "definition/variable_dictionary.h"
#include "platform/file_contents.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "post/testing/temp_folder.h"
#include "post/testing/tlvp_run.h"
#include "sheet/process_database.h"

namespace tlv::testing {

inline const std::string kShippedPost = TLV_SOURCE_DIR "/data/mc3axis.tlv.txt";
inline const std::string kSampleDir = TLV_SOURCE_DIR "/data/samples";

/// What one database run left behind.
struct DatabaseRunOutcome {
  int status = -1;
  std::string out;     ///< standard output
  std::string shown;   ///< the dialogs (standard error)
  std::string log;     ///< the run log
  std::string nc;      ///< the NC program plate.nc
};

/// The rows of one target: row number to item number to value.
using DbRows = std::map<int, std::map<int, DbValue>>;

class DatabaseRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string err;
    ASSERT_TRUE(LoadDictionaryFile(kShippedDictionary, &dict_, &err)) << err;
    std::string text;
    ASSERT_TRUE(ReadFileBytes(kShippedPost, &text, &err)) << err;
    ASSERT_TRUE(ParseTextForm(text, kShippedPost, dict_, &def_, &err)) << err;
    def_.process_sheet.output = 2;  // the sheet goes to the database
    db_path_ = dir_ / "db/process.db";
    ASSERT_TRUE(MakeDirectories(dir_ / "target", &err)) << err;
    for (const char* name : {"plate.tlvstx", "plate.xml"}) {
      std::string bytes;
      ASSERT_TRUE(ReadFileBytes(kSampleDir + "/" + name, &bytes, &err)) << err;
      WriteTestFile(dir_ / name, bytes);
    }
  }

  /// Adds a target through the tlvdb command; its folder is `folder`
  /// inside the run folder.  Returns its number (-1 on failure).
  int AddTarget(const std::string& name, const std::string& folder) {
    const std::string command = "'" + std::string(TLV_BIN_DIR) + "/tlvdb' --db '" + db_path_ +
                                "' add '" + name + "' '" + (dir_ / folder) + "' > '" +
                                (dir_ / "tlvdb.txt") + "' 2>&1";
    const int status = std::system(command.c_str());
    const std::string said = ReadTestFile(dir_ / "tlvdb.txt");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << said;
    return said.empty() ? -1 : ParseLeadingInt(said);
  }

  /// Writes the definition (database mode) and the settings file, then runs
  /// TLVP on the plate tool path with `answers` on standard input.  Slot 1
  /// posts into plate.nc; `slot_values` and `main_values` are more lines of
  /// its subkey and of the main key.
  DatabaseRunOutcome Run(const std::string& answers, const std::string& main_values = "",
                         const std::string& slot_values = "",
                         const std::string& db_path = "") {
    WriteTestFile(dir_ / "mc3axis.tlv", WriteDefinitionBytes(def_));
    WriteTestFile(dir_ / "answers.txt", answers);
    WriteTestFile(dir_ / "registry.reg",
                  "Windows Registry Editor Version 5.00\n\n"
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\n"
                  "\"SavePath\"=\"" + dir_.path() + "/\"\n"
                  "\"TLVIni\"=\"" + kShippedDictionary + "\"\n"
                  "\"TLVLog\"=\"" + (dir_ / "TOLvek.log") + "\"\n"
                  "\"ProcessDbPath\"=\"" + (db_path.empty() ? db_path_ : db_path) + "\"\n"
                  "\"PrmShowCompleteMsg\"=dword:00000000\n"
                  "\"PrmDeleteNullLine\"=dword:00000001\n"
                  "\"PrmInputBeforeRun\"=dword:00000000\n" + main_values +
                  "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon]\n"
                  "\"DefaultUserName\"=\"tester\"\n"
                  "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet1]\n"
                  "\"Name\"=\"MC3AXIS\"\n"
                  "\"Validate\"=dword:00000001\n"
                  "\"TLVDataFile\"=\"" + (dir_ / "mc3axis.tlv") + "\"\n"
                  "\"OutDataFile\"=\"" + (dir_ / "plate.nc") + "\"\n" + slot_values +
                  "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet2]\n"
                  "\"Validate\"=dword:00000000\n"
                  "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet3]\n"
                  "\"Validate\"=dword:00000000\n");
    const std::string command =
        "cd '" + dir_.path() + "' && env -u DISPLAY -u WAYLAND_DISPLAY TLV_UI=tty TLV_REGISTRY='" +
        (dir_ / "registry.reg") + "' XDG_DATA_HOME='" + (dir_ / "xdg") + "' '" + kTlvpProgram +
        "' '" + (dir_ / "plate.tlvstx") +
        "' -sgl < answers.txt > stdout.txt 2> stderr.txt";
    const int status = std::system(command.c_str());
    DatabaseRunOutcome r;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadTestFile(dir_ / "stdout.txt");
    r.shown = ReadTestFile(dir_ / "stderr.txt");
    r.log = ReadTestFile(dir_ / "TOLvek.log");
    r.nc = ReadTestFile(dir_ / "plate.nc");
    return r;
  }

  /// The stored rows of `target`, read back from the database file.
  DbRows Rows(int target) {
    DbRows rows;
    ProcessDatabase db(db_path_);
    EXPECT_EQ(kDbOk, db.DbOpen()) << db.error();
    std::vector<DbItem> items;
    EXPECT_TRUE(db.ReadRows(target, &items)) << db.error();
    for (const DbItem& item : items) rows[item.row][item.item] = item.value;
    return rows;
  }

  /// The names of the files in `folder` of the run folder, sorted.
  std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir_ / folder, ec)) {
      names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  VariableDictionary dict_;
  PostDefinition def_;
  TempFolder dir_;
  std::string db_path_;
};

}  // namespace tlv::testing
