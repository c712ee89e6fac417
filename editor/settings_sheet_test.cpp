// The settings dialogs driven through their widgets, as a user would, on the
// offscreen platform.  Messages are answered by a recording prompter.
#include "editor/settings_sheet_test_support.h"

#include "editor/settings_sheet.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "editor/code_list_dialog.h"
#include "editor/coordinate_dialog.h"
#include "editor/output_format_dialog.h"
#include "editor/qt_test_app.h"
#include "editor/settings_dialogs.h"
#include "editor/settings_sheet_widgets.h"
#include "editor/sheet_settings_dialog.h"
#include "editor/split_dialog.h"
#include "platform/settings_store.h"

namespace tlv {
namespace {

class SheetDialogTest : public ::testing::Test {
 protected:
  SheetDialogTest()
      : dict_(SheetTestDictionary()),
        def_(NewPostDefinition(dict_)),
        context_{def_, dict_, settings_, prompter_, [this] { ++modified_; },
                 [this](const QString& text) { pasted_ += text; }} {
    TestApp();
  }

  std::unique_ptr<NcFormatSheet> OpenSheet() {
    auto sheet = std::make_unique<NcFormatSheet>(nullptr, context_);
    sheet->show();
    return sheet;
  }

  VariableDictionary dict_;
  PostDefinition def_;
  SettingsStore settings_;
  RecordingPrompter prompter_;
  int modified_ = 0;
  QString pasted_;
  EditorContext context_;
};

TEST_F(SheetDialogTest, FormatsOfTwoSelectedVariablesWithTheGreyState) {
  def_.variables.Find(10)->modal = 1;
  def_.variables.Find(14)->modal = 0;
  def_.variables.Find(14)->format.decimal_digits = 2;
  auto sheet = OpenSheet();
  sheet->tabs()->setCurrentWidget(sheet->format_page());
  VariableListPage* page = sheet->format_page();
  page->Select({10, 14});
  FormatControls* f = page->format();
  EXPECT_EQ(f->check(FormatFlag::kModal)->checkState(), Qt::PartiallyChecked);
  EXPECT_EQ(f->check(FormatFlag::kPlusSign)->checkState(), Qt::Unchecked);
  EXPECT_EQ(f->decimal_digits()->text(), "");
  EXPECT_FALSE(f->check(FormatFlag::kDecimalPoint)->isEnabled());

  // A click on the grey check turns it on, then off, never grey again.
  TriCheckBox* suppress = f->check(FormatFlag::kSuppressZero);
  suppress->SetState(TriState::kMixed);
  suppress->click();
  EXPECT_EQ(suppress->checkState(), Qt::Checked);
  suppress->click();
  EXPECT_EQ(suppress->checkState(), Qt::Unchecked);

  f->check(FormatFlag::kPlusSign)->click();
  f->integer_digits()->setText("4");
  QTest::mouseClick(page->apply_button(), Qt::LeftButton);
  EXPECT_TRUE(prompter_.shown.empty());
  // Applied to the sheet's copy only, until OK.
  EXPECT_EQ(def_.variables.Find(10)->format.plus_sign, 0);
  sheet->accept();
  EXPECT_EQ(modified_, 1);
  const VariableSetting& x = *def_.variables.Find(10);
  const VariableSetting& feed = *def_.variables.Find(14);
  EXPECT_EQ(x.format.plus_sign, 1);
  EXPECT_EQ(feed.format.plus_sign, 1);
  EXPECT_EQ(x.format.suppress_zero, 0);
  EXPECT_EQ(x.modal, 1);  // the grey check left both as they were
  EXPECT_EQ(feed.modal, 0);
  EXPECT_EQ(x.format.integer_digits, 4u);
  EXPECT_EQ(feed.format.integer_digits, 4u);
  EXPECT_EQ(x.format.decimal_digits, 3u);
  EXPECT_EQ(feed.format.decimal_digits, 2u);
}

TEST_F(SheetDialogTest, VariablePageAppliesFlagsSeenByTheFormatPage) {
  auto sheet = OpenSheet();
  VariableListPage* vars = sheet->variables_page();
  EXPECT_EQ(vars->SelectedIds().size(), 1u);  // the first one selected at start
  vars->Select({10, 20});
  vars->reset_at_file_head()->click();
  vars->apply_button()->click();
  sheet->tabs()->setCurrentWidget(sheet->format_page());
  sheet->format_page()->Select({10});
  EXPECT_EQ(sheet->format_page()->format()->check(FormatFlag::kResetAtFileHead)->checkState(),
            Qt::Checked);
  EXPECT_EQ(sheet->scratch().variables.Find(20)->reset_at_file_head, 1);
  // The format page lists numeric variables only.
  for (int i = 0; i < sheet->format_page()->list()->count(); ++i)
    EXPECT_NE(sheet->format_page()->list()->item(i)->text(), "G_ARC");
  EXPECT_FALSE(vars->used_only()->isEnabled());  // no section uses a variable
}

TEST_F(SheetDialogTest, DecimalPointAndFormulaOnTheFormatPage) {
  auto sheet = OpenSheet();
  VariableListPage* page = sheet->format_page();
  page->Select({10});
  FormatControls* f = page->format();
  EXPECT_FALSE(f->check(FormatFlag::kDecimalPoint)->isEnabled());
  f->decimal_digits()->setText("0");
  EXPECT_TRUE(f->check(FormatFlag::kDecimalPoint)->isEnabled());

  EXPECT_FALSE(f->formula()->isEnabled());
  f->formula_check()->click();
  EXPECT_TRUE(f->formula()->isEnabled());
  f->formula()->setText("*");
  page->apply_button()->click();
  ASSERT_EQ(prompter_.shown.size(), 1u);
  EXPECT_EQ(prompter_.shown[0], "不正な計算式が指定されています。");
  EXPECT_EQ(sheet->scratch().variables.Find(10)->format.decimal_digits, 3u);  // nothing applied
  f->formula()->setText("*2");
  page->apply_button()->click();
  EXPECT_EQ(sheet->scratch().variables.Find(10)->format.calc_mode, 1);
  EXPECT_EQ(sheet->scratch().variables.Find(10)->format.formula, "*2");

  // A variable that may take no formula has the check disabled.
  page->Select({30});
  EXPECT_FALSE(f->formula_check()->isEnabled());
}

TEST_F(SheetDialogTest, UserDefinedFormulaRejectedWith61451) {
  auto sheet = OpenSheet();
  sheet->tabs()->setCurrentWidget(sheet->user_page());
  UserPage* page = sheet->user_page();
  EXPECT_EQ(page->SelectedId(), 2001);
  EXPECT_EQ(page->first_label()->text(), "表示メッセージ");
  EXPECT_EQ(page->use_value()->text(), "固定値を設定");
  EXPECT_TRUE(page->format_button()->isHidden());
  EXPECT_FALSE(page->second_text()->isEnabled());
  page->use_value()->click();
  EXPECT_TRUE(page->second_text()->isEnabled());

  ASSERT_TRUE(page->Select(2101));
  EXPECT_EQ(page->first_label()->text(), "計算式");
  EXPECT_EQ(page->every_time()->text(), "都度計算を実行");
  EXPECT_EQ(page->second_label()->text(), "ﾒｯｾｰｼﾞ");
  EXPECT_EQ(page->internal_code()->text(), " _2101");
  EXPECT_FALSE(page->format_button()->isHidden());

  QTest::keyClicks(page->first_text(), "_2101 = _10 * ;");
  page->every_time()->click();
  QTest::mouseClick(page->apply_button(), Qt::LeftButton);
  ASSERT_EQ(prompter_.shown.size(), 1u);
  EXPECT_EQ(prompter_.shown[0], "不正な計算式が入力されています。");
  EXPECT_EQ(sheet->scratch().variables.Find(2101)->value, "");
  EXPECT_EQ(sheet->scratch().variables.Find(2101)->ask_mode, 2);

  page->first_text()->setText("_2101 = _10 * 2;");
  page->apply_button()->click();
  EXPECT_EQ(prompter_.shown.size(), 1u);
  sheet->accept();
  EXPECT_EQ(def_.variables.Find(2101)->value, "_2101 = _10 * 2;");
  EXPECT_EQ(def_.variables.Find(2101)->ask_mode, 1);
}

TEST_F(SheetDialogTest, CancelLeavesTheDefinitionAndItsFlag) {
  const PostDefinition before = def_;
  auto sheet = OpenSheet();
  sheet->codes_page()->edit("G00_CODE")->setText("G0");
  sheet->format_page()->format()->check(FormatFlag::kPlusSign)->click();
  sheet->format_page()->apply_button()->click();
  sheet->reject();
  EXPECT_TRUE(def_ == before);
  EXPECT_EQ(modified_, 0);
}

TEST_F(SheetDialogTest, OkRefusesBadPagesAndStaysOnThem) {
  auto sheet = OpenSheet();
  sheet->codes_page()->edit("G00_CODE")->setText("G0");
  sheet->cycles_page()->rigid_tap()->click();
  sheet->coordinate_page()->min_unit_digits()->setText("9");
  sheet->accept();
  ASSERT_EQ(prompter_.shown.size(), 1u);
  EXPECT_EQ(prompter_.shown[0], "0 から 6 までの整数を入力してください。");
  EXPECT_EQ(sheet->tabs()->currentWidget(), sheet->coordinate_page());
  EXPECT_EQ(sheet->result(), 0);
  EXPECT_EQ(def_.codes.Text("G00_CODE"), "G00");
  EXPECT_EQ(modified_, 0);

  sheet->coordinate_page()->min_unit_digits()->setText("4");
  sheet->coordinate_page()->output_mode()->setCurrentIndex(1);
  sheet->accept();
  EXPECT_EQ(sheet->result(), QDialog::Accepted);
  EXPECT_EQ(def_.codes.Text("G00_CODE"), "G0");
  EXPECT_EQ(def_.rigid_tap, 1);
  EXPECT_EQ(def_.min_unit_digits, 4);
  EXPECT_EQ(def_.coordinate_mode.Pack(), 0x00040101);
  EXPECT_EQ(modified_, 1);
}

TEST_F(SheetDialogTest, SplitPageSerialNumberFollowsTheNameMethod) {
  auto sheet = OpenSheet();
  SplitPage* page = sheet->split_page();
  EXPECT_FALSE(page->serial_number()->isEnabled());
  EXPECT_FALSE(page->machining_length()->isEnabled());
  page->name_source()->setCurrentIndex(2);  // "現手続き名"
  EXPECT_TRUE(page->serial_number()->isEnabled());
  page->name_source()->setCurrentIndex(0);  // "都度入力"
  EXPECT_FALSE(page->serial_number()->isEnabled());
  page->method(1)->click();
  EXPECT_TRUE(page->machining_length()->isEnabled());
  page->machining_length()->setText("120");
  sheet->accept();
  EXPECT_EQ(def_.split_mode.Pack(), 0x00780002);
  EXPECT_EQ(def_.machining_length, 120);
}

TEST_F(SheetDialogTest, SplitDialogAloneStaysOpenOnARefusal) {
  // Should a step below fail, the modal dialog must not wait forever.
  QObject guard;
  QTimer::singleShot(5000, &guard, [] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
  });
  bool refused_while_open = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    auto* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    auto* page = dialog->findChild<SplitPage*>();
    page->findChild<QLineEdit*>("rapid_feed")->setText("fast");
    ok->click();
    refused_while_open = dialog->isVisible() && prompter_.shown.size() == 1;
    page->findChild<QLineEdit*>("rapid_feed")->setText("8000");
    page->name_source()->setCurrentIndex(4);
    ok->click();
  });
  EXPECT_TRUE(ShowSplitDialog(nullptr, context_));
  EXPECT_TRUE(refused_while_open);
  EXPECT_EQ(prompter_.shown.at(0), "数値を入力してください。");
  EXPECT_DOUBLE_EQ(def_.rapid_feed, 8000);
  EXPECT_EQ(def_.split_mode.name_source, 4);
  EXPECT_EQ(modified_, 1);

  // OK without a change changes nothing and leaves the flag alone.
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  EXPECT_FALSE(ShowSplitDialog(nullptr, context_));
  EXPECT_EQ(modified_, 1);
}

TEST_F(SheetDialogTest, ProcessSheetSettings) {
  SheetSettingsDialog dialog(nullptr, context_);
  dialog.show();
  dialog.output()->button(1)->click();
  EXPECT_FALSE(dialog.to_spreadsheet()->isEnabled());  // extension "inf"
  dialog.extension()->setCurrentIndex(0);
  EXPECT_TRUE(dialog.to_spreadsheet()->isEnabled());
  dialog.to_spreadsheet()->click();
  dialog.output()->button(2)->click();
  EXPECT_FALSE(dialog.to_spreadsheet()->isChecked());
  dialog.output()->button(1)->click();
  dialog.to_spreadsheet()->click();
  dialog.accept();
  EXPECT_TRUE(dialog.changed());
  EXPECT_EQ(def_.process_sheet.Pack(), 0x00000001);
  EXPECT_EQ(def_.sheet_to_spreadsheet, 1);
  EXPECT_EQ(modified_, 1);
}

TEST_F(SheetDialogTest, OutputFormatDialogOfOneVariable) {
  def_.variables.Find(14)->text_only = 1;
  EXPECT_FALSE(ShowOutputFormatDialog(nullptr, context_, 14));  // never opens
  EXPECT_FALSE(ShowOutputFormatDialog(nullptr, context_, 9999));

  VariableSetting* x = def_.variables.Find(10);
  OutputFormatDialog dialog(nullptr, prompter_, dict_, x);
  FormatControls* f = dialog.controls();
  EXPECT_FALSE(f->check(FormatFlag::kModal)->isTristate());
  f->integer_digits()->setText("0");
  dialog.accept();
  ASSERT_EQ(prompter_.shown.size(), 1u);
  EXPECT_EQ(prompter_.shown[0], "1 から 8 までの整数を入力してください。");
  f->integer_digits()->setText("6");
  f->check(FormatFlag::kLeadingZeros)->click();
  dialog.accept();
  EXPECT_TRUE(dialog.changed());
  EXPECT_EQ(x->format.integer_digits, 6u);
  EXPECT_EQ(x->format.leading_zeros, 1);
}

TEST_F(SheetDialogTest, CodeListIsMadeOnceAndPastesTags) {
  QWidget main_window;
  QDialog* first = ShowCodeListDialog(&main_window, context_);
  auto* list = static_cast<CodeListDialog*>(first);
  EXPECT_EQ(ShowCodeListDialog(&main_window, context_), first);
  list->list()->setCurrentRow(0);
  EXPECT_EQ(list->list()->currentItem()->text(), "FEED");
  EXPECT_EQ(list->text()->text(), "送り速度");
  QTest::mouseClick(list->paste(), Qt::LeftButton);
  EXPECT_EQ(pasted_, "<FEED>");
  list->findChild<QPushButton*>("cancel")->click();
  EXPECT_FALSE(list->isVisible());
  EXPECT_EQ(ShowCodeListDialog(&main_window, context_), first);
  EXPECT_TRUE(list->isVisible());
}

}  // namespace
}  // namespace tlv
