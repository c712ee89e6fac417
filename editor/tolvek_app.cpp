#include "editor/tolvek_app.h"

#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QDialog>
#include <QDir>
#include <QPixmap>
#include <QTimer>

#include "definition/variable_dictionary.h"
#include "editor/editor_context.h"
#include "editor/main_window.h"
#include "editor/nc_text_view.h"
#include "editor/preview_pane.h"
#include "editor/settings_dialogs.h"
#include "platform/settings_store.h"

namespace tlv {

namespace {

// The NC format sheet's picture, then the end of the program.
void TakeSheetScreenshot(MainWindow* window, const QString& dir) {
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

// The preview's picture: a wider window on the linear feed section, once
// the sample's run is on show (at most ten seconds later).
void TakePreviewScreenshot(MainWindow* window, const QString& dir, int waited_ms) {
  PreviewPane* preview = window->preview();
  if (waited_ms < 10000 && (preview->busy() || preview->runs_started() == 0)) {
    QTimer::singleShot(100, window, [window, dir, waited_ms] {
      TakePreviewScreenshot(window, dir, waited_ms + 100);
    });
    return;
  }
  QTimer::singleShot(300, window, [window, dir] {
    // A line of the first cut marked, as a click in the text marks it.
    window->preview()->nc_view()->ShowLine(13);
    window->grab().save(dir + QStringLiteral("/preview.png"));
    TakeSheetScreenshot(window, dir);
  });
}

// Saves pictures of the main window, the preview (when it is shown) and
// the NC format sheet, for the screenshot script, then ends the program.
void TakeScreenshots(MainWindow* window, const QString& dir) {
  QDir().mkpath(dir);
  const bool preview = window->preview_dock()->isVisible();
  // The main window's picture shows the section view alone, at the size
  // the window has without the preview.
  window->preview_dock()->hide();
  window->resize(800, 600);
  QTimer::singleShot(300, window, [window, dir, preview] {
    window->grab().save(dir + QStringLiteral("/main.png"));
    if (!preview) {
      TakeSheetScreenshot(window, dir);
      return;
    }
    window->resize(1440, 860);
    window->ShowSection(static_cast<int>(SectionId::kLinearFeed));
    window->preview_dock()->show();
    window->resizeDocks({window->preview_dock()}, {900}, Qt::Horizontal);
    QComboBox* views = window->preview()->view_chooser();
    views->setCurrentIndex(views->findText(QStringLiteral("ISO")));
    QTimer::singleShot(300, window, [window, dir] { TakePreviewScreenshot(window, dir, 0); });
  });
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
