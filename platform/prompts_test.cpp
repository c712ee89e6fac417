#include "platform/prompts.h"

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/file_contents.h"
#include "platform/temp_dir_for_test.h"

namespace tlv {
namespace {

// Feeds `input` as the answers and collects what the dialogs write.
class Terminal {
 public:
  explicit Terminal(std::string input) : input_(std::move(input)) {
    in_ = input_.empty() ? std::fopen("/dev/null", "r")
                         : fmemopen(input_.data(), input_.size(), "r");
    out_ = open_memstream(&out_buffer_, &out_size_);
    prompts_ = std::make_unique<TerminalPrompts>(in_, out_);
  }
  ~Terminal() {
    std::fclose(in_);
    std::fclose(out_);
    std::free(out_buffer_);
  }
  TerminalPrompts& prompts() { return *prompts_; }
  std::string shown() {
    std::fflush(out_);
    return std::string(out_buffer_, out_size_);
  }

 private:
  std::string input_;
  std::FILE* in_;
  std::FILE* out_;
  char* out_buffer_ = nullptr;
  std::size_t out_size_ = 0;
  std::unique_ptr<TerminalPrompts> prompts_;
};

TEST(TerminalPrompts, YesNo) {
  Terminal t("maybe\nn\ny\n\nYES\nいいえ\n");
  EXPECT_FALSE(t.prompts().AskYesNo("確認", "出力ファイルを上書きしてもいいですか?"));
  EXPECT_TRUE(t.prompts().AskYesNo("確認", "q"));
  EXPECT_TRUE(t.prompts().AskYesNo("確認", "q"));  // empty line: default Yes
  EXPECT_TRUE(t.prompts().AskYesNo("確認", "q"));
  EXPECT_FALSE(t.prompts().AskYesNo("確認", "q"));
  EXPECT_FALSE(t.prompts().AtEndOfInput());
  EXPECT_TRUE(t.prompts().AskYesNo("確認", "q"));  // end of input: Yes
  EXPECT_TRUE(t.prompts().AtEndOfInput());
  std::string shown = t.shown();
  EXPECT_NE(std::string::npos, shown.find("[確認]\n出力ファイルを上書きしてもいいですか?\n")) << shown;
  // Piped answers are echoed so the transcript reads like a dialog.
  EXPECT_NE(std::string::npos, shown.find("[y]: maybe\nはい(y) / いいえ(n) [y]: n\n")) << shown;
}

TEST(TerminalPrompts, EveryDialogTakesItsDefaultAtEndOfInput) {
  Terminal t("");
  t.prompts().ShowMessage("error", "TLVファイルが定義されていません。");
  EXPECT_TRUE(t.prompts().AskYesNo("確認", "?"));
  EXPECT_EQ("", t.prompts().AskText("入力", "分割ファイルの開始番号を指定してください。", ""));
  EXPECT_EQ("7", t.prompts().AskText("入力", "?", "7"));
  EXPECT_EQ(1, t.prompts().AskChoice("実行", "?", {"実行", "ｷｬﾝｾﾙ"}, 1));
  FileDialogRequest request;
  request.folder = "/nc";
  EXPECT_EQ(std::nullopt, t.prompts().AskSaveFile(request));
  EXPECT_EQ(std::nullopt, t.prompts().AskOpenFile(request));
  request.end_of_input_answer = "A001.NC";
  EXPECT_EQ("/nc/A001.NC", t.prompts().AskSaveFile(request));
  EXPECT_NE(std::string::npos, t.shown().find("TLVファイルが定義されていません。"));
}

TEST(TerminalPrompts, TextAndChoice) {
  Terminal t("100\n\n\x1b\n" "  2 \nｷｬﾝｾﾙ\n9\nrun\n\n\x1b\n");
  EXPECT_EQ("100", t.prompts().AskText("", "?", "5"));
  EXPECT_EQ("5", t.prompts().AskText("", "?", "5"));
  EXPECT_EQ(std::nullopt, t.prompts().AskText("", "?", "5"));
  std::vector<std::string> choices = {"実行", "ｷｬﾝｾﾙ", "Run"};
  EXPECT_EQ(1, t.prompts().AskChoice("", "", choices, 0));
  EXPECT_EQ(1, t.prompts().AskChoice("", "", choices, 0));
  EXPECT_EQ(2, t.prompts().AskChoice("", "", choices, 0));  // 9 is asked again
  EXPECT_EQ(0, t.prompts().AskChoice("", "", choices, 0));
  EXPECT_EQ(-1, t.prompts().AskChoice("", "", choices, 0));
  EXPECT_NE(std::string::npos, t.shown().find("  2) ｷｬﾝｾﾙ\n"));
}

TEST(TerminalPrompts, LongAnswersAreCutAndTheLineConsumed) {
  std::string input = std::string(10000, 'x') + "\nnext\r\n";
  Terminal t(input);
  EXPECT_EQ(std::string(4095, 'x'), t.prompts().AskText("", "", ""));
  EXPECT_EQ("next", t.prompts().AskText("", "", ""));
}

TEST(TerminalPrompts, SaveFile) {
  TempDirForTest dir;
  std::string err;
  ASSERT_TRUE(WriteFileAtomically(dir.File("A.ncd"), "old", &err));
  FileDialogRequest request;
  request.title = "保存ファイルの指定";
  request.filters = ParseFileFilters("ＮＣプログラム(*.ncd)\n*.ncd\n全ファイル(*.*)\n*.*\n\n\n");
  request.folder = dir.path();
  request.default_extension = "ncd";
  request.confirm_overwrite = true;
  request.must_exist = true;
  // "A" gets the extension and exists: refused overwrite, asked again; a
  // name in a missing folder is asked again; then a relative name.
  Terminal t("A\nn\nnofolder/B.nc\n./B\n\x1b\n");
  EXPECT_EQ(dir.path() + "/./B.ncd", t.prompts().AskSaveFile(request));
  EXPECT_EQ(std::nullopt, t.prompts().AskSaveFile(request));
  std::string shown = t.shown();
  EXPECT_NE(std::string::npos, shown.find(dir.path() + "/A.ncd は既に存在します。")) << shown;
  EXPECT_NE(std::string::npos, shown.find("種類: ＮＣプログラム(*.ncd), 全ファイル(*.*)")) << shown;
  EXPECT_NE(std::string::npos, shown.find("フォルダが見つかりません。")) << shown;
}

TEST(TerminalPrompts, OpenFile) {
  TempDirForTest dir;
  std::string err;
  ASSERT_TRUE(WriteFileAtomically(dir.File("m.tlv"), "x", &err));
  FileDialogRequest request;
  request.folder = dir.path();
  request.must_exist = true;
  request.initial_name = "m.tlv";
  Terminal t("missing.tlv\n\n" + dir.File("m.tlv") + "\n");
  EXPECT_EQ(dir.File("m.tlv"), t.prompts().AskOpenFile(request));  // Enter takes the initial name
  EXPECT_EQ(dir.File("m.tlv"), t.prompts().AskOpenFile(request));  // absolute
  // At end of input a missing file is no answer.
  request.end_of_input_answer = "gone.tlv";
  EXPECT_EQ(std::nullopt, t.prompts().AskOpenFile(request));
}

TEST(Prompts, FilterList) {
  std::vector<FileFilter> filters = ParseFileFilters("TLV Files (*.tlv)|*.tlv|All|*.*||");
  ASSERT_EQ(2u, filters.size());
  EXPECT_EQ("TLV Files (*.tlv)", filters[0].label);
  EXPECT_EQ("*.*", filters[1].pattern);
  EXPECT_TRUE(ParseFileFilters("").empty());
  EXPECT_TRUE(ParseFileFilters("label only").empty());
}

TEST(Prompts, FrontEndChoice) {
  std::string saved = std::getenv("TLV_UI") ? std::getenv("TLV_UI") : "";
  static int window_made = 0;
  setenv("TLV_UI", "gui", 1);
  // Asked for windows without a window front end: the terminal, with a notice.
  EXPECT_NE(nullptr, dynamic_cast<TerminalPrompts*>(MakePrompts().get()));
  SetWindowPromptsFactory([] {
    ++window_made;
    return std::make_unique<TerminalPrompts>(nullptr, stderr);
  });
  std::unique_ptr<Prompts> chosen = MakePrompts();
  EXPECT_EQ(1, window_made);
  EXPECT_TRUE(chosen->AskYesNo("", ""));  // no input at all is its end
  EXPECT_TRUE(chosen->AtEndOfInput());
  setenv("TLV_UI", "tty", 1);
  MakePrompts();
  EXPECT_EQ(1, window_made);
  SetWindowPromptsFactory(nullptr);
  setenv("TLV_UI", saved.c_str(), 1);
}

}  // namespace
}  // namespace tlv
