// SheetPump: lays the process sheet that TLVP wrote into a workbook.  TLVP
// starts it with the argument "1"; everything else comes from the settings
// store and the layout file.
#include <cstdio>
#include <cstdlib>

#include <QApplication>

#include "exporter/windows/form1.h"
#include "platform/settings_store.h"

namespace {

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

}  // namespace

int main(int argc, char** argv) {
  // Without a display Qt would abort the process; say why and stop instead.
  if (!Set("DISPLAY") && !Set("WAYLAND_DISPLAY") && !Set("QT_QPA_PLATFORM")) {
    std::fprintf(stderr, "SheetPump: no display to show the window on (DISPLAY or WAYLAND_DISPLAY)\n");
    return 1;
  }
  QApplication app(argc, argv);
  tlv::SettingsStore store = tlv::SettingsStore::OpenDefault();
  tlv::Form1 form(&store);
  form.Load();
  form.show();
  return app.exec();
}
