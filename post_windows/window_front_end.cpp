#include "post_windows/window_front_end.h"

#include <QApplication>
#include <QByteArray>
#include <QGuiApplication>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

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

// True when the platform plugin needs a display server (X11 or Wayland).
bool NeedsDisplayServer() {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM").split(':').front();
  return platform.isEmpty() || platform == "xcb" || platform.startsWith("wayland");
}

// Qt ends the program when the display server that DISPLAY or
// WAYLAND_DISPLAY names cannot be reached (a stale DISPLAY over ssh, a
// server that has gone).  A child process tries the connection first, so a
// run never dies there and takes the terminal instead.
bool DisplayServerAnswers() {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    const int null_fd = open("/dev/null", O_WRONLY);
    if (null_fd >= 0) dup2(null_fd, STDERR_FILENO);
    int argc = 1;
    char name[] = "TLVP";
    char* argv[] = {name, nullptr};
    { QGuiApplication probe(argc, argv); }
    _exit(0);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

QApplication* EnsureWindowApplication() {
  if (QCoreApplication* existing = QCoreApplication::instance()) {
    return qobject_cast<QApplication*>(existing);
  }
  // Without a display, Qt would end the program: fall back instead.
  if (!HasDisplay()) return nullptr;
  if (NeedsDisplayServer() && !DisplayServerAnswers()) return nullptr;
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
