// The start of tolvek: the settings store, the variable dictionary (the
// program ends when it cannot be read), the main window and a definition
// named on the command line.
#ifndef TLV_EDITOR_TOLVEK_APP_H_
#define TLV_EDITOR_TOLVEK_APP_H_

#include <string>

namespace tlv {

class SettingsStore;

/// The dictionary file: the settings value "TLVIni" (at most 99 bytes),
/// else "TOLvek.ini" in the current folder.
std::string DictionaryPath(const SettingsStore& settings);

/// Runs the editor; the process exit status.  With TOLVEK_SCREENSHOT_DIR
/// set, saves main.png (and preview.png when the preview is shown, and
/// nc_format.png, the NC format sheet) there once the window is up, and
/// ends.
int RunTolvek(int argc, char** argv);

}  // namespace tlv

#endif  // TLV_EDITOR_TOLVEK_APP_H_
