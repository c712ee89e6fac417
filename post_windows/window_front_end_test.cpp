#include "post_windows/window_front_end.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <cstdlib>

#include "platform/prompts.h"
#include "platform/run_log.h"
#include "platform/settings_store.h"
#include "post/run_dialog.h"
#include "post/run_messages.h"
#include "post/run_settings.h"
#include "post/testing/temp_folder.h"
#include "post_windows/qt_test_support.h"
#include "post_windows/run_dialog_window.h"
#include "post_windows/window_prompts.h"

namespace tlv {
namespace {

using testing::ReadTestFile;
using testing::TempFolder;

// Sets TLV_UI for one scope.
class UiChoice {
 public:
  explicit UiChoice(const char* value) {
    if (const char* old = std::getenv("TLV_UI")) saved_ = old;
    setenv("TLV_UI", value, 1);
  }
  ~UiChoice() { setenv("TLV_UI", saved_.c_str(), 1); }

 private:
  std::string saved_;
};

TEST(WindowFrontEnd, ChosenByTheUiSettingOnceRegistered) {
  TestApp();  // offscreen: a display that needs no server
  RegisterWindowFrontEnd();
  EXPECT_EQ(&TestApp(), EnsureWindowApplication());
  {
    UiChoice gui("gui");
    std::unique_ptr<Prompts> prompts = MakePrompts();
    EXPECT_NE(nullptr, dynamic_cast<WindowPrompts*>(prompts.get()));
    EXPECT_TRUE(prompts->ShowsWindows());
    EXPECT_FALSE(prompts->AtEndOfInput());
  }
  {
    UiChoice tty("tty");
    std::unique_ptr<Prompts> prompts = MakePrompts();
    EXPECT_NE(nullptr, dynamic_cast<TerminalPrompts*>(prompts.get()));
    EXPECT_FALSE(prompts->ShowsWindows());
  }
}

// In a fresh process (this one may have its application already): asks for
// windows with the given DISPLAY (nullptr: none) and ends with status 0 when
// the terminal front end was given instead of an abort.
[[noreturn]] void ExitZeroWhenTheTerminalIsChosen(const char* display) {
  if (display) {
    setenv("DISPLAY", display, 1);
  } else {
    unsetenv("DISPLAY");
  }
  unsetenv("WAYLAND_DISPLAY");
  unsetenv("QT_QPA_PLATFORM");
  setenv("TLV_UI", "gui", 1);
  RegisterWindowFrontEnd();
  std::unique_ptr<Prompts> prompts = MakePrompts();
  const bool terminal = dynamic_cast<TerminalPrompts*>(prompts.get()) != nullptr;
  std::exit(terminal && EnsureWindowApplication() == nullptr ? 0 : 1);
}

TEST(WindowFrontEndDeathTest, WithoutADisplayTheTerminalIsUsedInsteadOfAnAbort) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(ExitZeroWhenTheTerminalIsChosen(nullptr), ::testing::ExitedWithCode(0),
              "no window front end is available");
}

TEST(WindowFrontEndDeathTest, AnUnreachableDisplayServerGivesTheTerminalInsteadOfAnAbort) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // No X server answers on display 987 on a test machine.
  EXPECT_EXIT(ExitZeroWhenTheTerminalIsChosen(":987"), ::testing::ExitedWithCode(0),
              "no window front end is available");
}

class WindowRunDialogStepTest : public ::testing::Test {
 protected:
  WindowRunDialogStepTest() : messages_(&log_, nullptr) {
    TestApp();
    RegisterWindowFrontEnd();
    log_.Open(dir_ / "run.log");
    std::string err;
    store_.Load(dir_ / "registry.reg", &err);
    for (int i = 0; i < kJobSlotCount; ++i) {
      s_.slots[i].name = "job" + std::to_string(i + 1);
      s_.slots[i].definition_path = dir_ / ("def" + std::to_string(i + 1) + ".tlv");
      s_.slots[i].output_path = dir_ / ("out" + std::to_string(i + 1) + ".nc");
    }
    s_.slots[0].enabled = true;
  }
  ~WindowRunDialogStepTest() override {
    SetWindowPromptsFactory(nullptr);
    SetWindowRunDialogFactory(nullptr);
  }

  TempFolder dir_;
  RunLog log_;
  RunMessages messages_;
  SettingsStore store_;
  WindowPrompts prompts_;
  RunSettings s_;
};

TEST_F(WindowRunDialogStepTest, CancelInTheWindowCancelsTheRun) {
  s_.skip_run_dialog = true;
  s_.slots[1].enabled = true;
  s_.slots[1].definition_path.clear();
  // Skipping is refused without a box: the window opens at once.
  ModalScript script;
  script.Then<RunDialogWindow>([](RunDialogWindow* w) {
    qobject_cast<QPushButton*>(w->control(kCancelButton))->click();
  });
  EXPECT_FALSE(RunDialogStep(&s_, &store_, prompts_, messages_));
  EXPECT_TRUE(script.done());
  EXPECT_FALSE(s_.skip_run_dialog);
  EXPECT_EQ("<missing>", ReadTestFile(dir_ / "registry.reg"));
}

TEST_F(WindowRunDialogStepTest, RunAndRegisterWritesTheSlotsBack) {
  ModalScript script;
  script.Then<RunDialogWindow>([](RunDialogWindow* w) {
    qobject_cast<QCheckBox*>(w->control(kRegisterCheck))->setChecked(true);
    qobject_cast<QPushButton*>(w->control(kRunButton))->click();
  });
  EXPECT_TRUE(RunDialogStep(&s_, &store_, prompts_, messages_));
  EXPECT_TRUE(script.done());
  SettingsStore again;
  std::string err;
  ASSERT_TRUE(again.Load(dir_ / "registry.reg", &err)) << err;
  EXPECT_EQ("job2", again.ReadText(std::string(kMainKey) + "\\PSet2", "Name"));
  EXPECT_EQ(s_.slots[0].output_path,
            again.ReadText(std::string(kMainKey) + "\\PSet1", "OutDataFile"));
}

}  // namespace
}  // namespace tlv
