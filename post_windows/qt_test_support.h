// For the window front end's tests: one QApplication on the offscreen
// platform, and a script that answers the modal dialogs a call opens.
#ifndef TLV_POST_WINDOWS_QT_TEST_SUPPORT_H_
#define TLV_POST_WINDOWS_QT_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/record_file.h"
#include "post/testing/temp_folder.h"

namespace tlv {

inline QApplication& TestApp() {
  static int argc = 1;
  static char name[] = "post_windows_tests";
  static char* argv[] = {name, nullptr};
  if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Never destroyed: objects that Qt Test keeps in statics must not outlive
  // the application at exit.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

/// Answers the modal dialogs that appear, in order: step k acts on the
/// k-th modal dialog of its type once step k-1 has acted, and never on the
/// dialog step k-1 acted on while that one is still open (a step that
/// failed to close its dialog must not let the next step take it).  Each
/// step polls from the event loop, so it also runs inside the nested loop
/// of a dialog opened by the step before.  A step that never finds its
/// dialog within a few seconds gives up and closes what is open, and a
/// dialog left open after the last step is closed the same way, so a
/// missing or extra dialog fails the test instead of hanging it.
class ModalScript {
 public:
  ModalScript() : state_(std::make_shared<State>()) {
    // Closes a dialog that no step is left to answer.
    auto* guard = new QTimer;
    state_->guard = guard;
    auto idle_ticks = std::make_shared<int>(0);
    std::shared_ptr<State> state = state_;
    QObject::connect(guard, &QTimer::timeout, [state, idle_ticks] {
      QWidget* open = QApplication::activeModalWidget();
      if (state->next < state->timers.size() || !open) {
        *idle_ticks = 0;
        return;
      }
      if (++*idle_ticks > 500) {
        *idle_ticks = 0;
        ADD_FAILURE() << "a dialog no step answers: " << open->windowTitle().toStdString();
        CloseModalDialogs();
      }
    });
    guard->start(10);
  }
  ~ModalScript() {
    for (QTimer* timer : state_->timers) delete timer;
    delete state_->guard;
  }
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;

  template <class T>
  ModalScript& Then(std::function<void(T*)> act) {
    const std::size_t step = state_->timers.size();
    auto* timer = new QTimer;
    state_->timers.push_back(timer);
    auto ticks = std::make_shared<int>(0);
    std::shared_ptr<State> state = state_;
    QObject::connect(timer, &QTimer::timeout, [state, step, timer, ticks, act] {
      if (state->next != step) return;
      if (++*ticks > 500) {
        // Whatever is open instead would wait for ever: close it.
        timer->stop();
        ADD_FAILURE() << "dialog step " << step + 1 << " never came";
        state->next = step + 1;
        CloseModalDialogs();
        return;
      }
      T* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
      if (!dialog || !dialog->isVisible()) return;
      if (dialog == state->last_acted) return;  // still the step before's
      state->next = step + 1;
      state->last_acted = dialog;
      timer->stop();
      act(dialog);
    });
    timer->start(10);
    return *this;
  }

  /// True when every step has acted.
  bool done() const { return state_->next == state_->timers.size(); }

 private:
  struct State {
    std::vector<QTimer*> timers;
    QTimer* guard = nullptr;
    std::size_t next = 0;
    QPointer<QWidget> last_acted;
  };

  // Rejects every open modal dialog, innermost first.
  static void CloseModalDialogs() {
    for (int i = 0; i < 16; ++i) {
      auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!open) return;
      open->reject();
    }
  }
  std::shared_ptr<State> state_;
};

/// OK in a file dialog (its accept() checks the name as the button does).
inline void Accept(QFileDialog* dialog) { static_cast<QDialog*>(dialog)->accept(); }

/// Puts `name` (a file name, or a path whose folder the dialog moves to)
/// into a file dialog's name field as a user would type it.  selectFile()
/// alone leaves the field as it is while the field has the focus, which it
/// has at once when an earlier window already made the application active.
inline void ChooseFile(QFileDialog* dialog, const QString& name) {
  dialog->selectFile(name);
  const QFileInfo info(name);
  if (auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit")) {
    edit->setText(info.isAbsolute() ? info.fileName() : name);
  }
}

/// A definition file whose header says where its process sheet goes
/// (2 = the process database).
inline void WriteTestDefinition(const std::string& path, int sheet_mode) {
  std::string bytes;
  RecordFile file;
  file.OpenMemoryWriter(&bytes, RecordFile::Encoding::kBinary);
  file.WriteString("TOLvek4.20");
  file.WriteInt(0x00030100);
  file.WriteInt(0x000A0000);
  file.WriteInt(static_cast<std::int32_t>(sheet_mode));
  file.WriteInt(0);
  file.Close();
  testing::WriteTestFile(path, bytes);
}

}  // namespace tlv

#endif  // TLV_POST_WINDOWS_QT_TEST_SUPPORT_H_
