#include "format/user_variables.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "format/engine_test_support.h"
#include "platform/prompts.h"

namespace tlv {
namespace {

// Answers come from a text fed to the terminal prompts as standard input.
class UserVariablesTest : public EngineTest {
 protected:
  void Answers(const std::string& lines) {
    answers_ = lines;
    in_.reset(fmemopen(answers_.data(), answers_.size(), "r"));
    if (answers_.empty()) in_.reset(std::fopen("/dev/null", "r"));
    shown_.reset(std::tmpfile());
    prompts_ = std::make_unique<TerminalPrompts>(in_.get(), shown_.get());
    user_ = std::make_unique<UserVariables>(store_, prompts_.get(), out_);
  }
  // How many prompts were shown: each one names its message.
  int PromptsShown(const std::string& message) {
    std::fflush(shown_.get());
    std::rewind(shown_.get());
    std::string all;
    char buf[512];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, shown_.get())) > 0) all.append(buf, n);
    int count = 0;
    for (size_t p = all.find(message); p != std::string::npos; p = all.find(message, p + 1)) {
      ++count;
    }
    return count;
  }

  struct FileCloser {
    void operator()(std::FILE* f) const {
      if (f) std::fclose(f);
    }
  };
  std::string answers_;
  std::unique_ptr<std::FILE, FileCloser> in_;
  std::unique_ptr<std::FILE, FileCloser> shown_;
  std::unique_ptr<TerminalPrompts> prompts_;
  std::unique_ptr<UserVariables> user_;
};

TEST_F(UserVariablesTest, FirstTimeOnlyAsksOnce) {
  Answers("12.5\n99\n77\n");
  Variable& in = Var(2001);
  in.message = Utf8ToCp932("深さ");
  in.ask_mode = 1;
  SetSection(8, "D<IN1>\n");
  EXPECT_EQ(ExpandAgain(), "D12.5\n");
  EXPECT_EQ(ExpandAgain(), "D\n");  // modal: the same answer does not repeat
  EXPECT_EQ(Expand("D!<IN1>\n"), "D12.5\n");
  EXPECT_EQ(PromptsShown("深さ"), 1);
  EXPECT_EQ(in.ask_mode, 0);
  EXPECT_DOUBLE_EQ(in.sheet_slot().value, 12.5);
}

TEST_F(UserVariablesTest, EveryTimeAsksAtEachModalReference) {
  Answers("A1\nB2\nB2\n");
  Variable& in = Var(2002);
  in.message = "Q";
  SetSection(8, "<IN2>;");
  EXPECT_EQ(ExpandAgain(), "A1;");
  EXPECT_EQ(ExpandAgain(), "B2;");
  EXPECT_EQ(ExpandAgain(), ";");  // asked again, but unchanged
  EXPECT_EQ(in.ask_mode, 2);
  // At end of input the answer is empty.
  EXPECT_EQ(ExpandAgain(), ";");
  EXPECT_EQ(in.GetText(), "");
  // An unconditional reference asks only while the text is empty.
  Answers("C3\nD4\n");
  EXPECT_EQ(Expand("!<IN2>;!<IN2>;"), "C3;C3;");
}

TEST_F(UserVariablesTest, FixedValueNeverAsks) {
  Answers("wrong\n");
  Variable& in = Var(2002);
  in.use_value = true;
  in.user_value = "FIX";
  in.message = "never";
  EXPECT_EQ(Expand("<IN2>\n"), "FIX\n");
  // Neither an unconditional reference nor the pre-run pass asks for it.
  in.ask_mode = 1;
  in.SetText("");
  EXPECT_EQ(Expand("!<IN2>\n"), "FIX\n");
  in.SetText("");
  user_->PreAskInputs();
  EXPECT_EQ(in.GetText(), "FIX");
  EXPECT_EQ(PromptsShown("never"), 0);
  EXPECT_EQ(in.sheet_slot().text, "FIX");
}

TEST_F(UserVariablesTest, LongAnswersAreCut) {
  Answers(std::string(80, '7') + "\n");
  EXPECT_EQ(Expand("!<IN2>"), std::string(kAnswerBytes, '7'));
}

TEST_F(UserVariablesTest, ComputedFirstTimeKeepsItsResult) {
  Answers("");
  Variable& c = Var(2101);
  c.user_value = "_2101 = _14 * 2;";
  c.ask_mode = 1;
  Var(14).SetNumber(10);
  SetSection(8, "C<CALC1>\n");
  EXPECT_EQ(ExpandAgain(), "C20.\n");
  Var(14).SetNumber(50);
  EXPECT_EQ(ExpandAgain(), "C\n");
  EXPECT_DOUBLE_EQ(c.GetNumber(), 20);
  // Computed every time, it follows its inputs.
  Variable& d = Var(2102);
  d.user_value = "_2102 = _14 + 1;";
  EXPECT_EQ(Expand("!<CALC2>/"), "51./");
  Var(14).SetNumber(60);
  EXPECT_EQ(ExpandAgain(), "61./");
}

TEST_F(UserVariablesTest, FailingFormulas) {
  Answers("");
  Variable& c = Var(2101);
  c.user_value = "_2101 = _14 / _60;";
  c.SetNumber(5);
  Var(14).SetNumber(10);
  Var(60).SetInteger(0);
  // Division by zero leaves the target as it was; the section still prints.
  EXPECT_EQ(Expand("!<CALC1>;"), "5.;");
  EXPECT_EQ(out_.printed, "");
  c.user_value = "_2101 = = ;";
  EXPECT_EQ(Expand("!<CALC1>;"), "5.;");
  EXPECT_EQ(out_.printed, "計算式が正しく評価できません(2101)\n");
}

TEST_F(UserVariablesTest, ModeOfComputedVariableIsATrial) {
  Answers("");
  Variable& c = Var(2101);
  c.user_value = "_2101 = _14 * 2;";
  c.ask_mode = 1;
  Var(2101).SetNumber(0);
  Var(2101).FormatIfDueOwn(&out_.text_out, 0);  // printed once: not changed now
  Var(14).SetNumber(10);
  SetSection(8, "<IF>MODE(<CALC1>)<THEN>due<ELSE>no<ENDIF>\n");
  EXPECT_EQ(ExpandAgain(), "due");  // the line break after ENDIF is swallowed
  EXPECT_EQ(c.ask_mode, 1);
  EXPECT_DOUBLE_EQ(c.GetNumber(), 0);
  EXPECT_FALSE(c.changed);
  // The real computation still happens at the first reference.
  EXPECT_EQ(Expand("<CALC1>\n"), "20.\n");
  EXPECT_EQ(c.ask_mode, 0);
}

TEST_F(UserVariablesTest, PreRunPasses) {
  Answers("4\n250\n");
  Variable& in = Var(2001);
  in.message = "first";
  in.ask_mode = 1;
  Var(2002).ask_mode = 2;  // asked at its references, not before the run
  user_->PreAskInputs();
  EXPECT_DOUBLE_EQ(in.GetNumber(), 4);
  EXPECT_EQ(in.ask_mode, 0);

  Variable& c = Var(2101);
  c.use_value = true;
  c.ask_mode = 1;
  c.message = "initial";
  Variable& d = Var(2102);
  d.modal = false;
  d.user_value = "_2102 = _2101 + _2001;";
  user_->PrepareComputed();
  EXPECT_DOUBLE_EQ(c.GetNumber(), 250);
  EXPECT_EQ(c.ask_mode, 0);
  EXPECT_DOUBLE_EQ(d.GetNumber(), 254);
  EXPECT_EQ(d.ask_mode, 2);
  EXPECT_DOUBLE_EQ(d.sheet_slot().value, 254);
  EXPECT_EQ(PromptsShown("first"), 1);
  EXPECT_EQ(PromptsShown("initial"), 1);
}

TEST_F(UserVariablesTest, ComputedAfterAxisLetterMovesThePosition) {
  Answers("");
  Var(2101).user_value = "_2101 = 7.5;";
  EXPECT_EQ(Expand("X<CALC1>\n"), "X7.5\n");
  EXPECT_DOUBLE_EQ(Var(32).GetNumber(), 7.5);
  store_.coordinates().mode = kCoordIncremental;
  Var(2101).SetChanged(true);
  Expand("X<CALC1>\n");
  EXPECT_DOUBLE_EQ(Var(32).GetNumber(), 15);
}

}  // namespace
}  // namespace tlv
