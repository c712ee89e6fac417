#include "editor/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "definition/configuration_list.h"
#include "definition/definition_file.h"
#include "definition/section_compiler.h"
#include "definition/section_decoder.h"
#include "editor/editor_test_support.h"
#include "editor/list_export_dialog.h"
#include "editor/machine_dialog.h"
#include "editor/section_view.h"
#include "platform/settings_store.h"
#include "platform/temp_dir_for_test.h"

namespace tlv {
namespace {

std::string ReadAll(const std::string& path) {
  std::string bytes, err;
  ReadFileBytes(path, &bytes, &err);
  return bytes;
}

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    TestApp();
    settings_.Load(dir_.File("registry.reg"), nullptr);
    window_ = std::make_unique<MainWindow>(ShippedDictionary(), settings_, prompter_);
  }

  // A "TOLvek4.20" file whose program start and linear feed sections hold
  // text, written without the editor.
  std::string WriteSample(const std::string& name) {
    PostDefinition def = NewPostDefinition(window_->document().dictionary());
    EXPECT_TRUE(CompileIntoSection("%\nO1000 (<NC_FILE>)\n", window_->document().dictionary(),
                                   def.sections.Find(SectionId::kProgramStart))
                    .ok);
    EXPECT_TRUE(CompileIntoSection("G01{<X_CORD>}{<Y_CORD>}\n", window_->document().dictionary(),
                                   def.sections.Find(SectionId::kLinearFeed))
                    .ok);
    const std::string path = dir_.File(name);
    EXPECT_TRUE(SaveDefinitionFile(path, def).ok());
    return path;
  }

  void Type(const QString& text) {
    QPlainTextEdit* edit = window_->view()->editor();
    edit->moveCursor(QTextCursor::End);
    const QStringList lines = text.split(QChar('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
      if (i > 0) QTest::keyClick(edit, Qt::Key_Return);
      for (const QChar c : lines[i]) {
        if (c.unicode() < 0x80) {
          QTest::keyClick(edit, c.toLatin1());
        } else {  // what an input method delivers
          QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
      }
    }
  }

  TempDirForTest dir_;
  SettingsStore settings_;
  ScriptedPrompter prompter_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(MainWindowTest, StartsOnFirstSectionOfAnUntitledDefinition) {
  EXPECT_EQ(window_->current_section(), 1);
  EXPECT_EQ(window_->DocumentTitle(), QStringLiteral("無題  [プログラム開始]"));
  EXPECT_TRUE(window_->action(SectionCommand(1))->isChecked());
  EXPECT_FALSE(window_->HasUnsavedWork());
  EXPECT_EQ(window_->view()->status_line()->text(), QStringLiteral("Lines: 1  Col: 1"));
}

// The whole round: open, switch, a faulty template refused, fixed, saved,
// reopened with the same bytes.
TEST_F(MainWindowTest, EditCommitSaveAndReopen) {
  const std::string sample = WriteSample("sample.tlv");
  prompter_.path_answers = {QString::fromStdString(sample)};
  ASSERT_TRUE(window_->ImportDefinition());
  EXPECT_EQ(window_->view()->Text(), QStringLiteral("%\nO1000 (<NC_FILE>)\n"));
  EXPECT_EQ(window_->DocumentTitle(),
            QString::fromStdString(sample) + QStringLiteral("  [プログラム開始]"));
  EXPECT_EQ(window_->document().imported_tag(), "TOLvek4.20");
  EXPECT_FALSE(window_->document().modified());

  window_->action(SectionCommand(8))->trigger();
  EXPECT_EQ(window_->current_section(), 8);
  EXPECT_TRUE(window_->action(SectionCommand(8))->isChecked());
  EXPECT_EQ(window_->view()->Text(), QStringLiteral("G01{<X_CORD>}{<Y_CORD>}\n"));

  Type(QStringLiteral("<IF><F_CORD><THEN>F<F_CORD>\n"));
  EXPECT_TRUE(window_->HasUnsavedWork());
  const std::string stored = std::string(window_->document().definition().sections.Text(8));
  window_->action(SectionCommand(9))->trigger();
  EXPECT_EQ(prompter_.last(), QString::fromUtf8(kMsgIfNoEndIf.data()));
  EXPECT_EQ(window_->current_section(), 8);
  EXPECT_TRUE(window_->action(SectionCommand(8))->isChecked());
  EXPECT_EQ(window_->document().definition().sections.Text(8), stored);
  EXPECT_FALSE(window_->document().modified());

  Type(QStringLiteral("<ENDIF>\n"));
  ASSERT_TRUE(window_->ShowSection(9));
  EXPECT_TRUE(window_->document().modified());

  const std::string copy = dir_.File("copy.tlv");
  prompter_.path_answers = {QString::fromStdString(copy)};
  ASSERT_TRUE(window_->SaveAs());
  EXPECT_TRUE(window_->document().modified());  // save as keeps the flag
  ASSERT_TRUE(window_->Save());
  EXPECT_FALSE(window_->document().modified());
  const std::string saved = ReadAll(copy);

  MainWindow second(ShippedDictionary(), settings_, prompter_);
  ASSERT_TRUE(second.OpenFromCommandLine(QString::fromStdString(copy)));
  ASSERT_TRUE(second.ShowSection(8));
  EXPECT_EQ(second.view()->Text(),
            QStringLiteral("G01{<X_CORD>}{<Y_CORD>}\n<IF><F_CORD><THEN>F<F_CORD>\n<ENDIF>\n"));
  const std::string resaved = dir_.File("resaved.tlv");
  ASSERT_TRUE(second.document().Save(resaved).ok());
  EXPECT_EQ(ReadAll(resaved), saved);
}

TEST_F(MainWindowTest, CharacterOutsideCp932IsRefusedNotReplaced) {
  Type(QStringLiteral("G00\n(가)"));
  EXPECT_FALSE(window_->ShowSection(2));
  EXPECT_TRUE(prompter_.last().contains(QStringLiteral("U+AC00"))) << prompter_.last().toStdString();
  EXPECT_TRUE(prompter_.last().contains(QStringLiteral("2 行 2 桁")));
  EXPECT_EQ(window_->document().definition().sections.Text(1), "");
  EXPECT_EQ(window_->current_section(), 1);
}

TEST_F(MainWindowTest, SavingANewDefinitionAsksForAName) {
  Type(QStringLiteral("%\n"));
  prompter_.path_answers = {QString()};  // cancel
  EXPECT_FALSE(window_->Save());
  EXPECT_TRUE(window_->document().modified());
  EXPECT_TRUE(window_->document().path().empty());

  const std::string path = dir_.File("new.tlv");
  prompter_.path_answers = {QString::fromStdString(path)};
  ASSERT_TRUE(window_->Save());
  EXPECT_FALSE(window_->document().modified());
  EXPECT_EQ(window_->document().path(), path);
  // A second save goes to the same file without asking.
  Type(QStringLiteral("M30\n"));
  const int asked = prompter_.file_dialogs;
  ASSERT_TRUE(window_->Save());
  EXPECT_EQ(prompter_.file_dialogs, asked);
}

TEST_F(MainWindowTest, DiscardIsConfirmedAndCancelKeepsEverything) {
  Type(QStringLiteral("typed but not committed"));
  prompter_.confirm_answers = {false};
  EXPECT_FALSE(window_->NewDefinition());
  EXPECT_EQ(prompter_.last(), EditorMessage(kEdMsgDiscardChanges));
  EXPECT_EQ(window_->view()->Text(), QStringLiteral("typed but not committed"));

  // Cancelling the file dialog of import leaves the work and its flag.
  ASSERT_TRUE(window_->ShowSection(3));
  ASSERT_TRUE(window_->document().modified());
  prompter_.confirm_answers = {true};
  prompter_.path_answers = {QString()};
  EXPECT_FALSE(window_->ImportDefinition());
  EXPECT_TRUE(window_->document().modified());
  EXPECT_EQ(window_->current_section(), 3);

  prompter_.confirm_answers = {true};
  ASSERT_TRUE(window_->NewDefinition());
  EXPECT_FALSE(window_->HasUnsavedWork());
  EXPECT_EQ(window_->current_section(), 1);
  EXPECT_EQ(window_->document().definition().sections.Text(1), "");
  EXPECT_EQ(window_->view()->Text(), QString());

  // Nothing to lose: no question.
  const qsizetype asked = prompter_.shown.size();
  ASSERT_TRUE(window_->NewDefinition());
  EXPECT_EQ(prompter_.shown.size(), asked);
}

TEST_F(MainWindowTest, UnknownOrOldFilesAreRefused) {
  std::string bytes = ReadAll(WriteSample("sample.tlv"));
  bytes.replace(4, 10, "TOLvek9.99");
  const std::string unknown = dir_.File("unknown.tlv");
  ASSERT_TRUE(WriteFileAtomically(unknown, bytes, nullptr));
  prompter_.path_answers = {QString::fromStdString(unknown)};
  EXPECT_FALSE(window_->ImportDefinition());
  EXPECT_EQ(prompter_.last(), EditorMessage(kEdMsgInvalidFile));
  EXPECT_TRUE(window_->document().path().empty());

  // The command line takes the current version only.
  bytes.replace(4, 10, "TOLvek4.10");
  const std::string older = dir_.File("older.tlv");
  ASSERT_TRUE(WriteFileAtomically(older, bytes, nullptr));
  EXPECT_FALSE(window_->OpenFromCommandLine(QString::fromStdString(older)));
  EXPECT_EQ(prompter_.last(), EditorMessage(kEdMsgInvalidFile));
  EXPECT_TRUE(window_->document().path().empty());
}

TEST_F(MainWindowTest, ExitAsksOnlyWhenSomethingWouldBeLost) {
  window_->show();
  Type(QStringLiteral("X"));
  prompter_.confirm_answers = {false, false};
  EXPECT_FALSE(window_->Exit());
  EXPECT_TRUE(window_->isVisible());
  EXPECT_FALSE(window_->close());  // the close box asks as well
  EXPECT_TRUE(window_->isVisible());

  prompter_.confirm_answers = {true};
  EXPECT_TRUE(window_->Exit());
  EXPECT_FALSE(window_->isVisible());
}

TEST_F(MainWindowTest, ContextMenuOffersFormatOfNumericVariablesOnly) {
  window_->view()->SetText(QStringLiteral("G01<x_cord> <TP_NAME> text"));
  QPlainTextEdit* edit = window_->view()->editor();
  auto menu_at = [&](int position) {
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(position);
    edit->setTextCursor(cursor);
    std::unique_ptr<QMenu> menu(window_->view()->MakeContextMenu(nullptr));
    QStringList texts;
    for (QAction* action : menu->actions()) texts << action->text();
    return texts;
  };
  EXPECT_EQ(menu_at(6), (QStringList{QStringLiteral("切り取り"), QStringLiteral("ｺﾋﾟｰ"),
                                     QStringLiteral("貼り付け"),
                                     QStringLiteral("x_cord のﾌｫｰﾏｯﾄ")}));
  EXPECT_EQ(menu_at(14).size(), 3);  // TP_NAME holds text
  EXPECT_EQ(menu_at(24).size(), 3);  // plain text

  std::int32_t requested = 0;
  QObject::connect(window_->view(), &SectionView::FormatRequested,
                   [&](std::int32_t id) { requested = id; });
  QTextCursor cursor = edit->textCursor();
  cursor.setPosition(5);
  edit->setTextCursor(cursor);
  std::unique_ptr<QMenu> menu(window_->view()->MakeContextMenu(nullptr));
  QAction* format = menu->actions().back();
  EXPECT_EQ(format->data().toInt(), kFormatCommandBase + 10);
  // The main window opens the variable's output-format dialog; close it.
  bool dialog_seen = false;
  QTimer::singleShot(0, [&] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      dialog_seen = true;
      dialog->reject();
    }
  });
  format->trigger();
  EXPECT_EQ(requested, 10);
  EXPECT_TRUE(dialog_seen);
}

TEST_F(MainWindowTest, StatusLineFollowsTheCaret) {
  window_->view()->SetText(QStringLiteral("ab\n\tcd"));
  QPlainTextEdit* edit = window_->view()->editor();
  QTextCursor cursor = edit->textCursor();
  cursor.setPosition(6);
  edit->setTextCursor(cursor);
  EXPECT_EQ(window_->view()->status_line()->text(), QStringLiteral("Lines: 2  Col: 4"));
}

TEST_F(MainWindowTest, ConfigurationListThroughTheMenu) {
  WriteSample("sample.tlv");
  prompter_.path_answers = {QString::fromStdString(dir_.File("sample.tlv"))};
  ASSERT_TRUE(window_->ImportDefinition());
  // The view's faulty text stops the dialog from opening.
  Type(QStringLiteral("{"));
  window_->action(cmd::kListExport)->trigger();
  EXPECT_EQ(prompter_.last(), QString::fromUtf8(kMsgBracketOpen.data()));
  Type(QStringLiteral("}"));

  const std::string list = dir_.File("list.txt");
  bool seen = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<ListExportDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    seen = true;
    EXPECT_FALSE(dialog->WriteList());  // no file name yet
    EXPECT_EQ(prompter_.last(), EditorMessage(kEdMsgEnterFileName));
    dialog->file_edit()->setText(QString::fromStdString(list));
    dialog->part_checks()[0]->setChecked(true);
    EXPECT_TRUE(dialog->WriteList());
  });
  window_->action(cmd::kListExport)->trigger();
  ASSERT_TRUE(seen);
  const std::string text = ReadAll(list);
  EXPECT_NE(text.find("%\nO1000 (<NC_FILE>)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("G01{<X_CORD>}{<Y_CORD>}\n"), std::string::npos);
  EXPECT_TRUE(text.ends_with("\n===== End Of List ==================================\n"));
}

TEST_F(MainWindowTest, FontAndColoursAreWrittenToTheSettingsFile) {
  ASSERT_TRUE(window_->ApplyColours(QColor(0, 0, 128), QColor(255, 255, 128), QColor(0, 128, 255)));
  QFont font(QStringLiteral("IPAGothic"));
  font.setPixelSize(18);
  ASSERT_TRUE(window_->ApplyFont(font));

  SettingsStore reread;
  ASSERT_TRUE(reread.Load(dir_.File("registry.reg"), nullptr));
  const std::string_view key = kEditorSettingsKey;
  EXPECT_EQ(reread.ReadNumber(key, "EditTColor"), 0x800000);
  EXPECT_EQ(reread.ReadNumber(key, "EditBColor"), 0x80FFFF);
  EXPECT_EQ(reread.ReadNumber(key, "EditMColor"), 0xFF8000);
  EXPECT_EQ(reread.ReadNumber(key, "EditFntSize"), -18);
  EXPECT_EQ(reread.ReadText(key, "EditFntName"), "IPAGothic");
  EXPECT_NE(ReadAll(dir_.File("registry.reg")).find("\"EditFntSize\"=dword:ffffffee"),
            std::string::npos);

  // A new window starts with them.
  MainWindow second(ShippedDictionary(), reread, prompter_);
  EXPECT_EQ(second.view()->display().code, QColor(0, 128, 255));
  EXPECT_EQ(second.view()->display().font_height, -18);
}

TEST_F(MainWindowTest, NcFormatSheetOpensOnlyAfterACommit) {
  int opened = 0;
  auto close_any = [&] {
    QTimer::singleShot(0, [&] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        ++opened;
        dialog->reject();
      }
    });
  };
  Type(QStringLiteral("<NO_SUCH_NAME>"));
  close_any();
  window_->action(cmd::kNcFormat)->trigger();
  QApplication::processEvents();
  EXPECT_EQ(opened, 0);
  EXPECT_EQ(prompter_.last(), QStringLiteral("NO_SUCH_NAME : 定義されていない変数です"));

  window_->view()->SetText(QStringLiteral("<X_CORD>"));
  window_->view()->set_text_changed(true);
  close_any();
  window_->action(cmd::kNcFormat)->trigger();
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(window_->document().definition().sections.Text(1).size(), 5u);
}

// A stored section the decoder cannot read is shown as far as it goes, and
// stays as stored unless the user edits it.
TEST_F(MainWindowTest, UndecodableSectionIsKeptAsStored) {
  window_->document().definition().sections.Find(2)->text = std::string("M30\n\xF7\x09", 6);
  ASSERT_TRUE(window_->ShowSection(2));
  EXPECT_EQ(prompter_.last(), QString::fromUtf8(kMsgBadCode.data()));
  EXPECT_EQ(window_->view()->Text(), QStringLiteral("M30\n"));
  EXPECT_FALSE(window_->HasUnsavedWork());
  prompter_.path_answers = {QString::fromStdString(dir_.File("kept.tlv"))};
  ASSERT_TRUE(window_->Save());
  PostDefinition reread = NewPostDefinition(window_->document().dictionary());
  ASSERT_TRUE(ImportDefinitionFile(dir_.File("kept.tlv"), window_->document().dictionary(),
                                   10000.0, &reread)
                  .ok());
  EXPECT_EQ(reread.sections.Text(2), std::string_view("M30\n\xF7\x09", 6));
}

TEST_F(MainWindowTest, MachineSettingsFromTheMenuKeepOnlyWhatOkAccepts) {
  QAction* item = window_->action(cmd::kMachine);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text(), QStringLiteral("機械設定..."));
  auto answer = [](bool ok) {
    QTimer::singleShot(0, [ok] {
      auto* dialog = qobject_cast<MachineDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      dialog->type_list()->setCurrentIndex(3);
      ok ? dialog->accept() : dialog->reject();
    });
  };
  answer(false);
  item->trigger();
  EXPECT_EQ(window_->document().machine_data().machine_type, 0);
  answer(true);
  item->trigger();
  EXPECT_EQ(window_->document().machine_data().machine_type, 3);
  // The machine data is no part of the definition file.
  EXPECT_FALSE(window_->HasUnsavedWork());
}

}  // namespace
}  // namespace tlv
