#include "editor/preview_pane.h"

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <functional>
#include <gtest/gtest.h>

#include "editor/backplot_widget.h"
#include "editor/editor_test_support.h"
#include "editor/main_window.h"
#include "editor/nc_text_view.h"
#include "editor/section_view.h"
#include "platform/settings_store.h"
#include "platform/temp_dir_for_test.h"
#include "platform/text_encoding.h"

namespace tlv {
namespace {

const std::string kShippedPost = TLV_BIN_DIR "/samples/mc3axis.tlv";
const std::string kSample = TLV_BIN_DIR "/samples/plate.tlvstx";

std::string ReadAll(const std::string& path) {
  std::string bytes, err;
  ReadFileBytes(path, &bytes, &err);
  return bytes;
}

// Lets events through until `done` holds; false after `ms` without.
bool WaitFor(const std::function<bool()>& done, int ms = 30000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QTest::qWait(10);
  }
  return true;
}

class PreviewPaneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    // The user's settings as the shipped sample's reviewed run has them.
    ASSERT_TRUE(WriteFileAtomically(dir_.File("registry.reg"),
                                    "Windows Registry Editor Version 5.00\n\n"
                                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]\n"
                                    "\"PrmDeleteNullLine\"=dword:00000001\n" +
                                        extra_settings_,
                                    nullptr));
    settings_.Load(dir_.File("registry.reg"), nullptr);
    window_ = std::make_unique<MainWindow>(ShippedDictionary(), settings_, prompter_);
    PreviewPaths paths;
    paths.tlvp_program = TLV_BIN_DIR "/TLVP";
    paths.samples_folder = TLV_BIN_DIR "/samples";
    paths.dictionary_path = TLV_BIN_DIR "/TOLvek.ini";
    paths.user_settings_path = settings_.path();
    pane()->set_paths(paths);
    ASSERT_TRUE(window_->OpenFromCommandLine(QString::fromStdString(kShippedPost)));
  }

  PreviewPane* pane() { return window_->preview(); }

  // Shows the window and waits for the preview of what it holds now.
  void ShowAndWait() {
    window_->show();
    Settle();
  }
  void Settle() {
    ASSERT_TRUE(WaitFor([this] { return pane()->runs_started() > 0 && !pane()->busy(); }));
  }

  // Puts `text` before the text of section `id` and commits it.
  bool PrefixSection(int id, const QString& text) {
    EXPECT_TRUE(window_->ShowSection(id));
    QPlainTextEdit* edit = window_->view()->editor();
    edit->moveCursor(QTextCursor::Start);
    edit->insertPlainText(text);
    return window_->Commit();
  }

  std::string nc() { return pane()->nc_text().toStdString(); }

  std::string extra_settings_;
  TempDirForTest dir_;
  SettingsStore settings_;
  ScriptedPrompter prompter_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(PreviewPaneTest, ShowsTheShippedSampleAndFollowsACommittedSection) {
  ShowAndWait();
  EXPECT_EQ(pane()->sample(), QString::fromStdString(kSample));
  EXPECT_EQ(nc(), Cp932ToUtf8(ReadAll(TLV_SOURCE_DIR "/data/samples/plate.expected.nc")));
  EXPECT_EQ(pane()->message_list()->count(), 0);

  // The backplot holds the sample's path.
  const Extents box = pane()->backplot()->extents();
  EXPECT_NEAR(box.min.x, -40, 1e-9);
  EXPECT_NEAR(box.max.x, 140, 1e-9);
  EXPECT_NEAR(box.min.y, -5.2, 1e-9);
  EXPECT_NEAR(box.max.y, 85.2, 1e-9);
  EXPECT_NEAR(box.min.z, -20.5, 1e-9);
  EXPECT_NEAR(box.max.z, 50, 1e-9);

  const int runs = pane()->runs_started();
  ASSERT_TRUE(PrefixSection(8, QStringLiteral("(LIN)")));
  Settle();
  EXPECT_EQ(pane()->runs_started(), runs + 1);
  EXPECT_NE(nc().find("(LIN)X140.F800.\n"), std::string::npos) << nc();
  // The user's file is never written by a preview.
  EXPECT_TRUE(ReadAll(kShippedPost) != WriteDefinitionBytes(window_->document().definition()));
}

TEST_F(PreviewPaneTest, ARefusedSectionIsListedAndTheLastGoodPreviewStays) {
  ShowAndWait();
  const std::string good = nc();
  const int runs = pane()->runs_started();
  ASSERT_FALSE(PrefixSection(8, QStringLiteral("<NO_SUCH_NAME>")));
  ASSERT_EQ(pane()->message_list()->count(), 1);
  const QString listed = pane()->message_list()->item(0)->text();
  EXPECT_TRUE(listed.contains(prompter_.last())) << listed.toStdString();
  EXPECT_TRUE(listed.contains(QStringLiteral("コンパイル"))) << listed.toStdString();
  EXPECT_EQ(pane()->runs_started(), runs);
  EXPECT_EQ(nc(), good);

  // Put right, the message goes and the preview follows.
  window_->view()->editor()->setPlainText(QStringLiteral("(OK)G01X<X_CORD>\n"));
  ASSERT_TRUE(window_->Commit());
  Settle();
  EXPECT_EQ(pane()->message_list()->count(), 0);
  EXPECT_NE(nc().find("(OK)G01X140."), std::string::npos) << nc();
}

TEST_F(PreviewPaneTest, WarningsLeadToTheirLine) {
  ShowAndWait();
  // Feeds at or above the rapid rate draw a warning each.
  window_->document().definition().rapid_feed = 1000.0;
  window_->context().MarkModified();
  Settle();
  QListWidget* list = pane()->message_list();
  ASSERT_GT(list->count(), 0);
  QListWidgetItem* first = list->item(0);
  EXPECT_TRUE(first->text().contains(QStringLiteral("行: 送り速度"))) << first->text().toStdString();
  const int line = first->text().section(QStringLiteral("行"), 0, 0).toInt();
  ASSERT_GT(line, 0);
  pane()->ActivateMessage(first);
  EXPECT_EQ(pane()->nc_view()->CurrentLine(), line);
  EXPECT_TRUE(pane()->nc_view()->textCursor().block().text().contains(QStringLiteral("F1000.")));
  EXPECT_EQ(pane()->backplot()->marked_line(), line);
}

TEST_F(PreviewPaneTest, ANewerEditWinsOverARunStillGoing) {
  ShowAndWait();
  ASSERT_TRUE(PrefixSection(8, QStringLiteral("(A)")));
  window_->view()->editor()->moveCursor(QTextCursor::Start);
  window_->view()->editor()->insertPlainText(QStringLiteral("(B)"));
  ASSERT_TRUE(window_->Commit());
  Settle();
  EXPECT_NE(nc().find("(B)(A)X140."), std::string::npos) << nc();
}

TEST_F(PreviewPaneTest, SampleAndViewChoosers) {
  ShowAndWait();
  QComboBox* samples = pane()->sample_chooser();
  const int other = samples->count() - 1;
  // "Other..." cancelled: the sample on show stays.
  Q_EMIT samples->activated(other);
  EXPECT_EQ(pane()->sample(), QString::fromStdString(kSample));

  const std::string copy = dir_.File("copy.tlvstx");
  ASSERT_TRUE(WriteFileAtomically(copy, ReadAll(kSample), nullptr));
  prompter_.path_answers.push_back(QString::fromStdString(copy));
  const int runs = pane()->runs_started();
  samples->setCurrentIndex(other);
  Q_EMIT samples->activated(other);
  EXPECT_EQ(pane()->sample(), QString::fromStdString(copy));
  Settle();
  EXPECT_EQ(pane()->runs_started(), runs + 1);
  EXPECT_NE(nc().find("O0001"), std::string::npos);

  QComboBox* views = pane()->view_chooser();
  views->setCurrentIndex(views->findText(QStringLiteral("XZ")));
  EXPECT_EQ(pane()->backplot()->view(), PlotView::kXZ);
}

class HiddenPreviewTest : public PreviewPaneTest {
 protected:
  void SetUp() override {
    extra_settings_ = "\"EditShowPreview\"=dword:00000000\n";
    PreviewPaneTest::SetUp();
  }
};

TEST_F(HiddenPreviewTest, AHiddenPaneRunsNothingUntilShown) {
  window_->show();
  QTest::qWait(50);
  EXPECT_FALSE(window_->preview_dock()->isVisible());
  EXPECT_EQ(pane()->runs_started(), 0);
  ASSERT_TRUE(PrefixSection(8, QStringLiteral("(H)")));
  EXPECT_EQ(pane()->runs_started(), 0);

  // Shown from the menu: it runs with the committed section, and the
  // choice is remembered.
  window_->preview_action()->trigger();
  Settle();
  EXPECT_TRUE(window_->preview_dock()->isVisible());
  EXPECT_NE(nc().find("(H)X140."), std::string::npos);
  SettingsStore reread;
  reread.Load(settings_.path(), nullptr);
  EXPECT_EQ(reread.ReadFlag(kEditorSettingsKey, kPreviewShownValue), true);
}

}  // namespace
}  // namespace tlv
