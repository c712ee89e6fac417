#include "post/sheet_file.h"

#include "format/format_engine.h"
#include "platform/paths.h"
#include "platform/settings_store.h"
#include "post/run_settings.h"

namespace tlv {
namespace {

constexpr int kSheetHeadSection = 17;
constexpr int kSheetItemSection = 18;
constexpr int kSheetTailSection = 19;

// The data folder value is read into a 100-byte buffer.
constexpr std::size_t kDataFolderBytes = 99;

}  // namespace

std::string SheetDataFolder(const SettingsStore& store) {
  if (std::optional<std::string> folder = store.ReadText(kMainKey, "TLVPath", kDataFolderBytes)) {
    return *folder;
  }
  return DefaultDataFolder();
}

HandOffResult HandOffToExporter(SettingsStore* store, const std::string& sheet_path) {
  HandOffResult result;
  if (!store || !store->KeyExists(kExporterSettingsKey)) return result;
  const std::vector<SettingsChange> changes = {
      SettingsChange::Text("CSVfile", sheet_path),
      SettingsChange::Text("TLVPath", SheetDataFolder(*store)),
  };
  result.written = store->Write(kExporterSettingsKey, changes, &result.error);
  return result;
}

void SheetFile::Head() { engine_.ExpandSection(kSheetHeadSection); }
void SheetFile::Item() { engine_.ExpandSection(kSheetItemSection); }
void SheetFile::Tail() { engine_.ExpandSection(kSheetTailSection); }

}  // namespace tlv
