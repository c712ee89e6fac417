// SheetPump: lays the process sheet that TLVP wrote into a workbook.  TLVP
// starts it with the argument "1"; everything else comes from the settings
// store and the layout file.
#include <QApplication>

#include "exporter/windows/form1.h"
#include "platform/settings_store.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  tlv::SettingsStore store = tlv::SettingsStore::OpenDefault();
  tlv::Form1 form(&store);
  form.Load();
  form.show();
  return app.exec();
}
