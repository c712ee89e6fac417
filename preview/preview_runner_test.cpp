#include "preview/preview_runner.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "definition/definition_file.h"
#include "definition/section_compiler.h"
#include "definition/section_decoder.h"
#include "definition/variable_dictionary.h"
#include "motion/motion_core.h"
#include "post/testing/temp_folder.h"

namespace tlv {
namespace {

using testing::ReadTestFile;
using testing::TempFolder;
using testing::WriteTestFile;

const std::string kTlvp = TLV_BIN_DIR "/TLVP";
const std::string kDictionary = TLV_BIN_DIR "/TOLvek.ini";
const std::string kShippedPost = TLV_BIN_DIR "/samples/mc3axis.tlv";
const std::string kSampleDir = TLV_SOURCE_DIR "/data/samples";

// The user's settings as the shipped sample's reviewed run has them.
constexpr std::string_view kUserSettings =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\n"
    "\"PrmDeleteNullLine\"=dword:00000001\n"
    "\"SavePath\"=\"/nowhere/user/\"\n";

// The line (1-based) of `text`, without its line end.
std::string LineOf(std::string_view text, int line) {
  std::size_t pos = 0;
  for (int i = 1; i < line; ++i) {
    pos = text.find('\n', pos);
    if (pos == std::string_view::npos) return "<none>";
    ++pos;
  }
  return std::string(text.substr(pos, text.find('\n', pos) - pos));
}

class PreviewRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string err;
    ASSERT_TRUE(LoadDictionaryFile(kDictionary, &dict_, &err)) << err;
    const DefinitionResult loaded = ImportDefinitionFile(kShippedPost, dict_, 10000, &def_);
    ASSERT_TRUE(loaded.ok()) << loaded.error;
    WriteTestFile(dir_ / "user.reg", kUserSettings);
    std::filesystem::create_directory(dir_ / "scratch");
    request_.tool_path = kSampleDir + "/plate.tlvstx";
    request_.tlvp_program = kTlvp;
    request_.dictionary_path = kDictionary;
    request_.user_settings_path = dir_ / "user.reg";
    request_.scratch_parent = dir_ / "scratch";
  }

  PreviewResult Run() {
    request_.definition = def_;
    return RunPreview(request_);
  }

  // Replaces section `id` with its display text run through `edit`.
  template <typename Edit>
  void EditSection(int id, Edit edit) {
    const DecodeResult decoded = DecodeSection(def_.sections.Find(id)->text, dict_);
    ASSERT_TRUE(decoded.ok) << decoded.message;
    const CompileResult compiled = CompileSection(edit(decoded.text), dict_);
    ASSERT_TRUE(compiled.ok) << compiled.message;
    def_.sections.Find(id)->text = compiled.bytes;
  }

  bool ScratchIsEmpty() const { return std::filesystem::is_empty(dir_ / "scratch"); }

  VariableDictionary dict_;
  PostDefinition def_;
  TempFolder dir_;
  PreviewRequest request_;
};

TEST_F(PreviewRunnerTest, ShippedSampleGivesTheReviewedProgram) {
  const std::string sample_before = ReadTestFile(request_.tool_path);
  const PreviewResult r = Run();
  EXPECT_TRUE(r.ok) << r.summary;
  EXPECT_EQ(r.nc, ReadTestFile(kSampleDir + "/plate.expected.nc"));
  EXPECT_EQ(r.nc_bytes, r.nc.size());
  EXPECT_FALSE(r.nc_truncated);
  EXPECT_TRUE(r.messages.empty()) << r.messages.front().text;
  // Nothing of the user's is touched, and nothing of ours is left behind.
  EXPECT_EQ(ReadTestFile(dir_ / "user.reg"), kUserSettings);
  EXPECT_EQ(ReadTestFile(request_.tool_path), sample_before);
  EXPECT_TRUE(ScratchIsEmpty());
}

TEST_F(PreviewRunnerTest, ChangedSectionChangesTheProgram) {
  const PreviewResult before = Run();
  ASSERT_TRUE(before.ok);
  EditSection(8, [](std::string text) { return "(LIN)" + text; });
  const PreviewResult after = Run();
  ASSERT_TRUE(after.ok) << after.summary;
  EXPECT_NE(after.nc, before.nc);
  // Each linear feed line now starts with the marker, and nothing else changed.
  std::string stripped = after.nc;
  for (std::size_t pos; (pos = stripped.find("(LIN)")) != std::string::npos;) {
    stripped.erase(pos, 5);
  }
  EXPECT_EQ(stripped, before.nc);
  EXPECT_NE(after.nc.find("(LIN)X140.F800."), std::string::npos);
}

TEST_F(PreviewRunnerTest, WarningsComeBackWithTheirLines) {
  // Every feed of the sample at or above this rate draws a warning.
  def_.rapid_feed = 1000.0;
  request_.locate_budget = std::chrono::minutes(2);
  int early_calls = 0;
  request_.on_program = [&early_calls](const PreviewResult& early) {
    ++early_calls;
    EXPECT_TRUE(early.ok);
    EXPECT_FALSE(early.messages.empty());
    // Not placed yet.
    for (const PreviewMessage& m : early.messages) EXPECT_EQ(m.nc_line, 0);
  };
  const PreviewResult r = Run();
  EXPECT_EQ(early_calls, 1);
  ASSERT_TRUE(r.ok) << r.summary;
  ASSERT_FALSE(r.messages.empty());
  const std::string warning(
      kFeedAboveRapidWarning.substr(0, kFeedAboveRapidWarning.size() - 1));
  int previous = 0;
  for (const PreviewMessage& m : r.messages) {
    // Each comes from a later move than the one before.
    EXPECT_GT(m.nc_line, previous);
    previous = m.nc_line;
    EXPECT_EQ(m.kind, PreviewMessageKind::kWarning);
    EXPECT_EQ(m.text, warning);
    ASSERT_GT(m.nc_line, 0);
    // The line it belongs to carries the feed that drew it.
    const std::string line = LineOf(r.nc, m.nc_line);
    EXPECT_NE(line.find("F1000."), std::string::npos) << m.nc_line << ": " << line;
  }
  EXPECT_NE(r.summary.find("警告"), std::string::npos);
  EXPECT_TRUE(ScratchIsEmpty());
}

TEST_F(PreviewRunnerTest, KeepsOnlyTheStartOfALongProgram) {
  request_.max_nc_bytes = 100;
  const PreviewResult r = Run();
  const std::string expected = ReadTestFile(kSampleDir + "/plate.expected.nc");
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(r.nc_truncated);
  EXPECT_EQ(r.nc_bytes, expected.size());
  ASSERT_LE(r.nc.size(), 100u);
  ASSERT_FALSE(r.nc.empty());
  EXPECT_EQ(r.nc.back(), '\n');
  EXPECT_EQ(expected.substr(0, r.nc.size()), r.nc);
}

TEST_F(PreviewRunnerTest, AHugeSampleIsBoundedEverywhere) {
  // The sample with 80000 more feed moves after its first one: a tool path
  // too long to place messages in, an NC program over the kept size, and a
  // warning for every move.
  std::string text = ReadTestFile(request_.tool_path);
  const std::size_t first = text.find("_1100\n");
  ASSERT_NE(first, std::string::npos);
  std::string moves;
  for (int i = 0; i < 80000; ++i) {
    moves += "_1100\n.19=0 G01\n.14=1 800.000\n.512=1 " + std::to_string(i % 100) +
             ".000\n.513=1 20.000\n.514=1 -0.500\n.801=1 1.000\n";
  }
  text.insert(first, moves);
  ASSERT_GT(text.size(), kMaxLocateToolPathBytes);
  WriteTestFile(dir_ / "huge.tlvstx", text);
  request_.tool_path = dir_ / "huge.tlvstx";
  request_.max_nc_bytes = 64 * 1024;
  def_.rapid_feed = 500.0;
  const PreviewResult r = Run();
  ASSERT_TRUE(r.ok) << r.summary;
  EXPECT_TRUE(r.nc_truncated);
  EXPECT_LE(r.nc.size(), request_.max_nc_bytes);
  EXPECT_GT(r.nc_bytes, 80000u * 4);
  EXPECT_EQ(r.messages.size(), kMaxPreviewMessages);
  EXPECT_GT(r.dropped_messages, 0u);
  for (const PreviewMessage& m : r.messages) EXPECT_EQ(m.nc_line, 0);
  EXPECT_TRUE(ScratchIsEmpty());
}

TEST_F(PreviewRunnerTest, FailuresAreMessagesNotCrashes) {
  request_.tlvp_program = dir_ / "no-such-TLVP";
  PreviewResult r = Run();
  EXPECT_FALSE(r.ok);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].kind, PreviewMessageKind::kError);
  EXPECT_NE(r.messages[0].text.find("no-such-TLVP"), std::string::npos);

  request_.tlvp_program = kTlvp;
  request_.tool_path = dir_ / "missing.tlvstx";
  r = Run();
  EXPECT_FALSE(r.ok);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_NE(r.messages[0].text.find("missing.tlvstx"), std::string::npos);
  EXPECT_TRUE(ScratchIsEmpty());
}

TEST_F(PreviewRunnerTest, ARunErrorIsReported) {
  // A dictionary the run cannot read: the job fails with TLVP's message.
  request_.dictionary_path = dir_ / "user.reg";
  const PreviewResult r = Run();
  EXPECT_FALSE(r.ok);
  ASSERT_FALSE(r.messages.empty());
  EXPECT_EQ(r.messages[0].kind, PreviewMessageKind::kError);
  EXPECT_NE(r.messages[0].text.find("Error:"), std::string::npos);
  EXPECT_TRUE(r.nc.empty());
}

TEST_F(PreviewRunnerTest, CancelledBeforeItEnds) {
  std::atomic<bool> cancel{true};
  request_.definition = def_;
  const PreviewResult r = RunPreview(request_, &cancel);
  EXPECT_TRUE(r.cancelled);
  EXPECT_TRUE(r.nc.empty());
  EXPECT_TRUE(ScratchIsEmpty());
}

TEST(PreviewTextTest, CommonLineCount) {
  EXPECT_EQ(CommonLineCount("a\nb\nc\n", "a\nb\nc\n"), 3);
  EXPECT_EQ(CommonLineCount("a\nb\n", "a\nb\nc\n"), 2);
  // A line that differs only after its start is not common.
  EXPECT_EQ(CommonLineCount("a\nbx\n", "a\nb\n"), 1);
  EXPECT_EQ(CommonLineCount("", "a\n"), 0);
}

TEST(PreviewTextTest, RecordOffsets) {
  EXPECT_EQ(RecordOffsets(".102=0 P\n_100\n.1=2 3\n_200\n"),
            (std::vector<std::size_t>{9, 21}));
  // An underscore inside a field value is no record.
  EXPECT_EQ(RecordOffsets(".102=0 A_B\n_100"), (std::vector<std::size_t>{11}));
  EXPECT_TRUE(RecordOffsets("").empty());
}

}  // namespace
}  // namespace tlv
