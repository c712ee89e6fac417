// The real tlvdef writing its files onto a disk that fills up, and killed
// halfway through a write: a failed save is reported with status 1 and
// keeps the old file byte for byte, and a killed one leaves the old file
// too, without getting in the way of the next save.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file_contents.h"
#include "platform/file_size_limit_for_test.h"
#include "platform/temp_dir_for_test.h"

namespace tlv {
namespace {

constexpr const char* kTlvdef = TLV_BIN_DIR "/tlvdef";
constexpr std::int64_t kLimit = 2048;  // below every file written here, above any message

class TlvdefFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    const ChildEnd built = Run("dict build '" TLV_SOURCE_DIR "/data/dictionary.txt' -o TOLvek.ini");
    ASSERT_EQ(0, built.status) << Read("stderr");
  }

  // tlvdef in the test folder with its own settings store, under the file
  // size limit when `limit` is above 0.
  ChildEnd Run(const std::string& args, std::int64_t limit = 0,
               AtFileSizeLimit at_limit = AtFileSizeLimit::kFailWrite) {
    const std::string command = "cd '" + dir_.path() + "' && TLV_REGISTRY='" +
                                dir_.File("registry.reg") + "' exec '" + kTlvdef + "' " + args +
                                " </dev/null >stdout 2>stderr";
    return RunCommandWithFileSizeLimit(command, limit > 0 ? limit : RLIM_INFINITY, at_limit);
  }

  std::string Read(const std::string& name) {
    std::string bytes, err;
    if (!ReadFileBytes(dir_.File(name), &bytes, &err)) return "<missing>";
    return bytes;
  }

  TempDirForTest dir_;
};

// Every command that saves a user file, with the file it writes.
struct SavingCommand {
  const char* args;
  const char* file;
};
constexpr SavingCommand kSavingCommands[] = {
    {"new -o a.tlv", "a.tlv"},
    {"build '" TLV_SOURCE_DIR "/data/mc3axis.tlv.txt' -o a.tlv", "a.tlv"},
    {"convert base.tlv -o a.tlv", "a.tlv"},
    {"list base.tlv -o list.txt --parts all", "list.txt"},
    {"dict build '" TLV_SOURCE_DIR "/data/dictionary.txt' -o dict.ini", "dict.ini"},
};

TEST_F(TlvdefFaults, FullDiskFailsTheSaveAndKeepsTheOldFile) {
  ASSERT_EQ(0, Run("new -o base.tlv").status);
  for (const SavingCommand& c : kSavingCommands) {
    SCOPED_TRACE(c.args);
    const std::string old_bytes = "OLD " + std::string(c.file) + "\n";
    std::string err;
    ASSERT_TRUE(WriteFileAtomically(dir_.File(c.file), old_bytes, &err)) << err;

    const ChildEnd failed = Run(c.args, kLimit);
    ASSERT_TRUE(failed.exited) << failed.signal;
    EXPECT_EQ(1, failed.status);  // not reported as success
    const std::string message = Read("stderr");
    EXPECT_NE(std::string::npos, message.find(std::string(c.file) + ": ")) << message;
    EXPECT_NE(std::string::npos, message.find("File too large")) << message;
    const std::string named = std::string(c.file) + ": ";
    EXPECT_EQ(message.find(named), message.rfind(named)) << "path said twice: " << message;
    EXPECT_EQ(old_bytes, Read(c.file));
    EXPECT_EQ((std::vector<std::string>{"stderr", "stdout"}),
              NamesInFolder(dir_.path(), {"TOLvek.ini", "base.tlv", c.file}))
        << "a temporary file was left";

    // Without the fault the same command writes the whole file.
    ASSERT_EQ(0, Run(c.args).status) << Read("stderr");
    EXPECT_GT(Read(c.file).size(), static_cast<std::size_t>(kLimit));
    std::filesystem::remove(dir_.File(c.file));
  }
}

TEST_F(TlvdefFaults, KilledSaveKeepsTheOldFileAndTheNextSaveWorks) {
  ASSERT_EQ(0, Run("new -o fresh.tlv").status);
  const std::string fresh = Read("fresh.tlv");
  std::string err;
  ASSERT_TRUE(WriteFileAtomically(dir_.File("a.tlv"), "OLD\n", &err)) << err;

  const ChildEnd killed = Run("new -o a.tlv", kLimit, AtFileSizeLimit::kKillWriter);
  EXPECT_EQ(SIGXFSZ, killed.signal);
  EXPECT_EQ("OLD\n", Read("a.tlv"));
  // What the killed save left: its own temporary, cut at the limit.
  std::vector<std::string> left =
      NamesInFolder(dir_.path(), {"TOLvek.ini", "fresh.tlv", "a.tlv", "stderr", "stdout"});
  ASSERT_EQ(1u, left.size());
  EXPECT_EQ(0u, left[0].find("a.tlv.")) << left[0];
  EXPECT_EQ(fresh.substr(0, kLimit), Read(left[0]));

  ASSERT_EQ(0, Run("new -o a.tlv").status) << Read("stderr");
  EXPECT_EQ(fresh, Read("a.tlv"));
  // The definition reads back whole.
  EXPECT_EQ(0, Run("dump a.tlv").status) << Read("stderr");
}

}  // namespace
}  // namespace tlv
