#include "post_windows/window_prompts.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include "platform/paths.h"
#include "post/testing/temp_folder.h"
#include "post_windows/prompt_dialogs.h"
#include "post_windows/qt_test_support.h"

namespace tlv {
namespace {

using testing::TempFolder;
using testing::WriteTestFile;

class WindowPromptsTest : public ::testing::Test {
 protected:
  WindowPromptsTest() { TestApp(); }
  WindowPrompts prompts_;
};

void Press(QMessageBox* box, QMessageBox::StandardButton button) {
  box->button(button)->click();
}

TEST_F(WindowPromptsTest, MessageAndYesNoBoxes) {
  QString title, text;
  bool has_ok = false;
  ModalScript script;
  script.Then<QMessageBox>([&](QMessageBox* box) {
    title = box->windowTitle();
    text = box->text();
    has_ok = box->button(QMessageBox::Ok) != nullptr;
    Press(box, QMessageBox::Ok);
  });
  prompts_.ShowMessage("error", "重複するファイルが存在します。");
  EXPECT_TRUE(script.done());
  EXPECT_EQ("error", title.toStdString());
  EXPECT_EQ("重複するファイルが存在します。", text.toStdString());
  EXPECT_TRUE(has_ok);

  ModalScript yes_no;
  QPushButton* default_button = nullptr;
  QAbstractButton* yes_button = nullptr;
  yes_no
      .Then<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        default_button = box->defaultButton();
        yes_button = box->button(QMessageBox::Yes);
        Press(box, QMessageBox::Yes);
      })
      .Then<QMessageBox>([](QMessageBox* box) { Press(box, QMessageBox::No); })
      .Then<QMessageBox>([](QMessageBox* box) { box->reject(); });  // Escape
  EXPECT_TRUE(prompts_.AskYesNo("確認", "出力ファイルを上書きしてもいいですか?"));
  EXPECT_EQ("確認", title.toStdString());
  EXPECT_EQ(yes_button, static_cast<QAbstractButton*>(default_button));
  EXPECT_FALSE(prompts_.AskYesNo("確認", "?"));
  EXPECT_FALSE(prompts_.AskYesNo("確認", "?"));
  EXPECT_TRUE(yes_no.done());
}

TEST_F(WindowPromptsTest, InputPromptGivesTypedOrDefaultTextAndCancels) {
  QString message, shown_default, selected;
  ModalScript script;
  script
      .Then<InputDialog>([&](InputDialog* d) {
        message = d->message();
        shown_default = d->field()->text();
        selected = d->field()->selectedText();
        d->field()->setText("250");
        d->accept();
      })
      .Then<InputDialog>([](InputDialog* d) { d->accept(); })
      .Then<InputDialog>([](InputDialog* d) {
        d->field()->setText("typed, then cancelled");
        d->reject();
      })
      .Then<InputDialog>([](InputDialog* d) {
        d->field()->clear();
        d->accept();
      });
  EXPECT_EQ("250", prompts_.AskText("入力", "分割する加工長を指定してください。", "100"));
  EXPECT_EQ("分割する加工長を指定してください。", message.toStdString());
  EXPECT_EQ("100", shown_default.toStdString());
  EXPECT_EQ("100", selected.toStdString());  // typing replaces the default
  EXPECT_EQ("7", prompts_.AskText("入力", "行", "7"));
  EXPECT_EQ(std::nullopt, prompts_.AskText("入力", "行", "7"));
  EXPECT_EQ("", prompts_.AskText("入力", "行", "7"));  // an emptied field is empty
  EXPECT_TRUE(script.done());
}

TEST_F(WindowPromptsTest, ChoiceListStartsOnDefaultAndCancels) {
  int shown_row = -2;
  int count = 0;
  ModalScript script;
  script
      .Then<ChoiceDialog>([&](ChoiceDialog* d) {
        shown_row = d->list()->currentRow();
        count = d->list()->count();
        d->list()->setCurrentRow(2);
        d->accept();
      })
      .Then<ChoiceDialog>([](ChoiceDialog* d) { d->accept(); })
      .Then<ChoiceDialog>([](ChoiceDialog* d) { d->reject(); });
  const std::vector<std::string> choices = {"[1] line one", "[2] line two", "ｷｬﾝｾﾙ"};
  EXPECT_EQ(2, prompts_.AskChoice("t", "出力先を選んでください。", choices, 1));
  EXPECT_EQ(1, shown_row);
  EXPECT_EQ(3, count);
  EXPECT_EQ(1, prompts_.AskChoice("t", "", choices, 1));
  EXPECT_EQ(-1, prompts_.AskChoice("t", "", choices, 1));
  EXPECT_TRUE(script.done());
}

TEST(WindowFileDialogs, FiltersKeepTheirLabelsAndStarStarMeansEveryFile) {
  QStringList filters = QtNameFilters(ParseFileFilters(
      "ＮＣプログラム(*.ncd)\n*.ncd\n全ファイル(*.*)\n*.*\nboth\n*.a;*.b\n\n\n"));
  ASSERT_EQ(3, filters.size());
  EXPECT_EQ("ＮＣプログラム(*.ncd) (*.ncd)", filters[0].toStdString());
  EXPECT_EQ("全ファイル(*.*) (*)", filters[1].toStdString());
  EXPECT_EQ("both (*.a *.b)", filters[2].toStdString());
}

TEST_F(WindowPromptsTest, OpenFileDialogStartsWhereAskedAndReturnsTheChoice) {
  TempFolder dir;
  WriteTestFile(dir / "mill.tlv", "x");
  FileDialogRequest request;
  request.title = "TLV ファイルの指定";
  request.filters = ParseFileFilters("TLV Files (*.tlv)\n*.tlv\n");
  request.folder = dir.path();
  request.must_exist = true;
  QString title, folder, shown_filter;
  QStringList filters;
  QFileDialog::FileMode mode = QFileDialog::AnyFile;
  ModalScript script;
  script
      .Then<QFileDialog>([&](QFileDialog* d) {
        title = d->windowTitle();
        folder = d->directory().absolutePath();
        filters = d->nameFilters();
        if (auto* kinds = d->findChild<QComboBox*>("fileTypeCombo")) {
          shown_filter = kinds->itemText(0);
        }
        mode = d->fileMode();
        ChooseFile(d, QString::fromStdString(dir / "mill.tlv"));
        Accept(d);
      })
      .Then<QFileDialog>([](QFileDialog* d) { d->reject(); });
  EXPECT_EQ(dir / "mill.tlv", prompts_.AskOpenFile(request));
  EXPECT_EQ(std::nullopt, prompts_.AskOpenFile(request));
  EXPECT_TRUE(script.done());
  EXPECT_EQ("TLV ファイルの指定", title.toStdString());
  EXPECT_EQ(dir.path(), folder.toStdString());
  EXPECT_EQ(QStringList{"TLV Files (*.tlv) (*.tlv)"}, filters);
  EXPECT_EQ("TLV Files (*.tlv)", shown_filter.toStdString());  // the label as it stands
  EXPECT_EQ(QFileDialog::ExistingFile, mode);
}

TEST_F(WindowPromptsTest, SaveFileDialogAddsExtensionAndConfirmsOverwrite) {
  TempFolder dir;
  WriteTestFile(dir / "old.ncd", "x");
  FileDialogRequest request;
  request.title = "保存ファイルの指定";
  request.folder = dir.path();
  request.initial_name = "first.ncd";
  request.default_extension = "ncd";
  request.confirm_overwrite = true;
  request.must_exist = true;
  QString initial;
  QString confirm_text;
  ModalScript script;
  script
      .Then<QFileDialog>([&](QFileDialog* d) {
        initial = d->findChild<QLineEdit*>("fileNameEdit")->text();
        ChooseFile(d, "next");
        Accept(d);
      })
      .Then<QFileDialog>([](QFileDialog* d) {
        ChooseFile(d, "old.ncd");
        Accept(d);  // asks before overwriting
      })
      .Then<QMessageBox>([&](QMessageBox* box) {
        confirm_text = box->text();
        Press(box, QMessageBox::Yes);
      });
  EXPECT_EQ(dir / "next.ncd", prompts_.AskSaveFile(request));
  EXPECT_EQ("first.ncd", initial.toStdString());
  EXPECT_EQ(dir / "old.ncd", prompts_.AskSaveFile(request));
  EXPECT_TRUE(confirm_text.contains("old.ncd")) << confirm_text.toStdString();
  EXPECT_TRUE(script.done());
}

}  // namespace
}  // namespace tlv
