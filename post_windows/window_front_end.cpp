#include "post_windows/window_front_end.h"

#include <QApplication>
#include <QByteArray>
#include <memory>

#include "platform/prompts.h"
#include "post/run_dialog.h"
#include "post_windows/run_dialog_window.h"
#include "post_windows/window_prompts.h"

namespace tlv {

namespace {

bool HasDisplay() {
  if (!qEnvironmentVariableIsEmpty("DISPLAY") ||
      !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    return true;
  }
  // A platform plugin chosen by name that draws without a display server.
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM").split(':').front();
  return !platform.isEmpty() && platform != "xcb" && !platform.startsWith("wayland");
}

}  // namespace

QApplication* EnsureWindowApplication() {
  if (QCoreApplication* existing = QCoreApplication::instance()) {
    return qobject_cast<QApplication*>(existing);
  }
  // Without a display, Qt would end the program: fall back instead.
  if (!HasDisplay()) return nullptr;
  static int argc = 1;
  static char name[] = "TLVP";
  static char* argv[] = {name, nullptr};
  // Kept to the end: the prompts and dialogs may be made at any time.
  static QApplication* app = new QApplication(argc, argv);
  return app;
}

void RegisterWindowFrontEnd() {
  SetWindowPromptsFactory([]() -> std::unique_ptr<Prompts> {
    if (!EnsureWindowApplication()) return nullptr;
    return std::make_unique<WindowPrompts>();
  });
  SetWindowRunDialogFactory([]() -> std::unique_ptr<RunDialogView> {
    if (!EnsureWindowApplication()) return nullptr;
    return std::make_unique<WindowRunDialogView>();
  });
}

}  // namespace tlv
