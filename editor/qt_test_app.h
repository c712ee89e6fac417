// For the editor's tests: one QApplication on the offscreen platform, made
// on first use, so that widgets can be built without a display.
#ifndef TLV_EDITOR_QT_TEST_APP_H_
#define TLV_EDITOR_QT_TEST_APP_H_

#include <QApplication>
#include <QByteArray>
#include <cstdlib>

namespace tlv {

inline QApplication& TestApp() {
  static int argc = 1;
  static char name[] = "tolvek_tests";
  static char* argv[] = {name, nullptr};
  if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Never destroyed: objects that Qt Test keeps in statics (its input
  // devices) must not outlive the application at exit.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

}  // namespace tlv

#endif  // TLV_EDITOR_QT_TEST_APP_H_
