#include "platform/progress_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace tlv {
namespace {

std::string Contents(std::FILE* f) {
  std::fflush(f);
  std::rewind(f);
  std::string text;
  int c;
  while ((c = std::fgetc(f)) != EOF) text.push_back(static_cast<char>(c));
  return text;
}

using std::chrono::milliseconds;

TEST(ProgressLine, ShowsAfterTheDelayAndClearsItself) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  const auto t0 = ProgressLine::Clock::time_point{} + std::chrono::hours(1);
  {
    ProgressLine line(f, true, t0);
    line.Update(10, 100, 1000, t0 + milliseconds(900));  // a short run shows nothing
    EXPECT_EQ("", Contents(f));
    line.Update(50, 100, 2000, t0 + milliseconds(1000));
    EXPECT_TRUE(line.showing());
    EXPECT_EQ("\r 50%  2000 records/s", Contents(f));
    std::fseek(f, 0, SEEK_END);
    line.Update(60, 100, 3000, t0 + milliseconds(1100));  // not yet due again
    line.Update(100, 100, 3000, t0 + milliseconds(1500));
    EXPECT_EQ("\r 50%  2000 records/s\r100%  2000 records/s", Contents(f));
    std::fseek(f, 0, SEEK_END);
  }
  // Cleared on the way out: blanks over the line, the cursor back at its start.
  EXPECT_EQ("\r 50%  2000 records/s\r100%  2000 records/s\r" + std::string(20, ' ') + "\r",
            Contents(f));
  std::fclose(f);
}

TEST(ProgressLine, DisabledOrWithoutInputSize) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  const auto t0 = ProgressLine::Clock::time_point{};
  {
    ProgressLine off(f, false, t0);
    off.Update(1, 2, 3, t0 + std::chrono::seconds(5));
    ProgressLine none(nullptr, true, t0);
    none.Update(1, 2, 3, t0 + std::chrono::seconds(5));
  }
  EXPECT_EQ("", Contents(f));
  {
    ProgressLine unknown(f, true, t0);
    unknown.Update(500, 0, 10, t0 + std::chrono::seconds(2));  // empty input: 0 %
    unknown.Clear();
    EXPECT_FALSE(unknown.showing());
  }
  EXPECT_EQ(0u, Contents(f).find("\r  0%  5 records/s\r"));
  std::fclose(f);
}

}  // namespace
}  // namespace tlv

namespace tlv {
namespace {

// A dialog on the terminal of a showing progress line starts on a clean
// line and the progress line comes back after the answer.
TEST(ProgressLine, StepsAsideForDialogs) {
  std::FILE* err = std::tmpfile();
  std::FILE* in = std::tmpfile();
  ASSERT_NE(err, nullptr);
  ASSERT_NE(in, nullptr);
  std::fputs("\nn\n", in);  // Enter for the message, "n" for the question
  std::rewind(in);
  TerminalPrompts terminal(in, err);
  PromptsBesideProgress prompts(terminal);
  const auto t0 = ProgressLine::Clock::time_point{} + std::chrono::hours(2);
  const std::string shown = "\r 50%  2000 records/s";
  const std::string cleared = "\r" + std::string(20, ' ') + "\r";
  {
    ProgressLine line(err, true, t0);
    EXPECT_EQ(ProgressLine::Active(), &line);
    // Not showing yet: the dialog alone.
    prompts.ShowMessage("T", "first");
    std::string text = Contents(err);
    EXPECT_EQ(text.find('\r'), std::string::npos) << text;
    std::fseek(err, 0, SEEK_END);
    const std::size_t before = text.size();

    line.Update(50, 100, 2000, t0 + milliseconds(1000));
    EXPECT_FALSE(prompts.AskYesNo("T", "question"));
    EXPECT_TRUE(line.showing());
    text = Contents(err).substr(before);
    std::fseek(err, 0, SEEK_END);
    ASSERT_EQ(text.substr(0, shown.size() + cleared.size()), shown + cleared) << text;
    EXPECT_NE(text.find("question"), std::string::npos);
    ASSERT_GE(text.size(), shown.size());
    EXPECT_EQ(text.substr(text.size() - shown.size()), shown);
    // A pause without a showing line writes nothing.
    line.Clear();
    const std::size_t after_clear = Contents(err).size();
    std::fseek(err, 0, SEEK_END);
    { ProgressPause pause; }
    EXPECT_EQ(Contents(err).size(), after_clear);
    std::fseek(err, 0, SEEK_END);
  }
  EXPECT_EQ(ProgressLine::Active(), nullptr);
  // A disabled line is never the active one.
  ProgressLine off(err, false, t0);
  EXPECT_EQ(ProgressLine::Active(), nullptr);
  std::fclose(in);
  std::fclose(err);
}

}  // namespace
}  // namespace tlv
