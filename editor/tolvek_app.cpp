#include "editor/tolvek_app.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPixmap>
#include <QTimer>

#include "definition/variable_dictionary.h"
#include "editor/editor_context.h"
#include "editor/main_window.h"
#include "editor/settings_dialogs.h"
#include "platform/settings_store.h"

namespace tlv {

namespace {

// Saves pictures of the main window and the NC format sheet, for the
// screenshot script, then ends the program.
void TakeScreenshots(MainWindow* window, const QString& dir) {
  QDir().mkpath(dir);
  window->grab().save(dir + QStringLiteral("/main.png"));
  QDialog* sheet = CreateNcFormatSheet(window, window->context());
  if (sheet) {
    sheet->show();
    QTimer::singleShot(500, window, [window, sheet, dir] {
      sheet->grab().save(dir + QStringLiteral("/nc_format.png"));
      sheet->reject();
      window->Exit();
      QApplication::exit(0);
    });
    return;
  }
  QApplication::exit(0);
}

}  // namespace

std::string DictionaryPath(const SettingsStore& settings) {
  const auto configured = settings.ReadText(kEditorSettingsKey, "TLVIni", 99);
  return configured && !configured->empty() ? *configured : std::string("TOLvek.ini");
}

int RunTolvek(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tolvek"));
  QApplication::setOrganizationName(QStringLiteral("KESTRA"));
  SettingsStore settings = SettingsStore::OpenDefault();
  QtPrompter prompter;

  VariableDictionary dict;
  std::string err;
  if (!LoadDictionaryFile(DictionaryPath(settings), &dict, &err)) {
    prompter.Inform(nullptr, EditorMessage(kEdMsgNoDictionary), EditorPrompter::Icon::kError);
    return 1;
  }

  MainWindow window(std::move(dict), settings, prompter);
  const QStringList args = QApplication::arguments();
  if (args.size() > 1 && !window.OpenFromCommandLine(args.at(1))) return 1;
  window.show();

  const QString shots = qEnvironmentVariable("TOLVEK_SCREENSHOT_DIR");
  if (!shots.isEmpty()) {
    window.document().set_modified(false);
    QTimer::singleShot(800, &window, [&window, shots] { TakeScreenshots(&window, shots); });
  }
  return QApplication::exec();
}

}  // namespace tlv
