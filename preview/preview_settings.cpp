#include "preview/preview_settings.h"

#include <vector>

#include "platform/file_contents.h"
#include "platform/paths.h"
#include "platform/settings_store.h"
#include "post/run_settings.h"
#include "sheet/process_database.h"

namespace tlv {

bool WritePreviewSettings(const PreviewSettingsPlan& plan, std::string* err) {
  // Start from the user's bytes so that every value we do not replace is
  // read by the run exactly as the user's own runs read it.
  std::string user_bytes;
  if (!plan.user_settings_path.empty() && FileExists(plan.user_settings_path)) {
    if (!ReadFileBytes(plan.user_settings_path, &user_bytes, err)) return false;
  } else {
    user_bytes = std::string(kSettingsFileHeader) + "\n";
  }
  if (!WriteFileAtomically(plan.settings_path, user_bytes, err, true)) return false;

  SettingsStore store;
  if (!store.Load(plan.settings_path, err)) return false;

  std::string save_dir(DirectoryPart(plan.output_path));
  EnsureTrailingSeparator(&save_dir);
  const std::vector<SettingsChange> main = {
      SettingsChange::Text("TLVIni", plan.dictionary_path),
      SettingsChange::Text("TLVLog", plan.log_path),
      SettingsChange::Text("SavePath", save_dir),
      SettingsChange::Dword("DontShowExecDlg", 1),
      SettingsChange::Dword("PrmShowCompleteMsg", 0),
      // Own-file naming would move the program beside the tool path under
      // another name; the preview reads it where it put it.
      SettingsChange::Dword("SaveOwnFile", 0),
  };
  if (!store.Write(kMainKey, main, err)) return false;
  if (!store.WriteText(kProcessDbKey, kProcessDbValue, plan.database_path, err)) return false;
  // The installation's dictionary path wins over the main key's when set.
  if (store.KeyExists(kInstallKey) &&
      !store.WriteText(kInstallKey, "TLVIni", plan.dictionary_path, err)) {
    return false;
  }
  for (int i = 0; i < kJobSlotCount; ++i) {
    const std::string key = std::string(kMainKey) + "\\PSet" + std::to_string(i + 1);
    std::vector<SettingsChange> slot = {SettingsChange::Dword("Validate", i == 0 ? 1 : 0)};
    if (i == 0) {
      slot.push_back(SettingsChange::Text("Name", "PREVIEW"));
      slot.push_back(SettingsChange::Text("TLVDataFile", plan.definition_path));
      slot.push_back(SettingsChange::Text("OutDataFile", plan.output_path));
    }
    if (!store.Write(key, slot, err)) return false;
  }
  return true;
}

}  // namespace tlv
