#include "post/run_settings.h"

#include <algorithm>
#include <optional>

#include "platform/paths.h"
#include "platform/record_file.h"
#include "platform/settings_store.h"
#include "post/command_line.h"

namespace tlv {
namespace {

// Default names of the three slots ("create NC 1/2/3").
constexpr std::array<std::string_view, kJobSlotCount> kDefaultSlotNames = {
    "ＮＣ１作成", "ＮＣ２作成", "ＮＣ３作成"};

std::string SlotKey(int index) {
  return std::string(kMainKey) + "\\PSet" + std::to_string(index + 1);
}

// Reads the settings of one key, applying the value-absent defaults and the
// length limits.
class KeyReader {
 public:
  KeyReader(const SettingsStore& store, std::string key,
            std::vector<std::string>* warnings)
      : store_(store), key_(std::move(key)), warnings_(warnings) {}

  // The text value when present and within `limit` (and the settings
  // buffer); a longer one is reported and treated as absent, since a cut
  // path or name would silently point somewhere else.
  std::optional<std::string> Text(std::string_view name,
                                  std::size_t limit) const {
    std::optional<std::string> text = store_.ReadText(key_, name);
    if (!text) return std::nullopt;
    std::size_t max = std::min(limit, kMaxSettingsValueLength);
    if (SystemTextLength(*text) > max) {
      if (warnings_) {
        warnings_->push_back("Warning: 設定 " + key_ + "\\" +
                             std::string(name) + " の値が長すぎるため使いません(" +
                             std::to_string(max) + " 文字まで)。\n");
      }
      return std::nullopt;
    }
    return text;
  }

  bool Flag(std::string_view name, bool absent) const {
    return store_.ReadFlag(key_, name).value_or(absent);
  }

  int Number(std::string_view name, int absent) const {
    return store_.ReadNumber(key_, name).value_or(absent);
  }

 private:
  const SettingsStore& store_;
  std::string key_;
  std::vector<std::string>* warnings_;
};

}  // namespace

std::string RunLogPath(const SettingsStore& store,
                       std::string_view start_directory) {
  KeyReader main(store, std::string(kMainKey), nullptr);
  if (std::optional<std::string> path = main.Text("TLVLog", kMaxLogPathLength);
      path && !path->empty()) {
    return *path;
  }
  return JoinPath(start_directory, "TOLvek.log");
}

SettingsReadResult ReadRunSettings(const SettingsStore& store,
                                   std::string_view start_directory,
                                   RunSettings* settings) {
  SettingsReadResult result;
  RunSettings& s = *settings;
  s.start_directory = std::string(start_directory);
  EnsureTrailingSeparator(&s.start_directory);
  for (int i = 0; i < kJobSlotCount; ++i) {
    s.slots[i].name = std::string(kDefaultSlotNames[i]);
    s.slots[i].enabled = i == 0;
  }

  {
    KeyReader install(store, std::string(kInstallKey), &result.warnings);
    KeyReader main(store, std::string(kMainKey), &result.warnings);
    std::optional<std::string> ini = install.Text("TLVIni", kMaxSettingsValueLength);
    if (!ini) ini = main.Text("TLVIni", kMaxSettingsValueLength);
    s.dictionary_path =
        ini ? *ini : JoinPath(s.start_directory, "TOLvek.ini");
  }
  s.log_path = RunLogPath(store, s.start_directory);

  result.main_key_found = store.KeyExists(kMainKey);
  if (!result.main_key_found) return result;

  KeyReader main(store, std::string(kMainKey), &result.warnings);
  if (auto path = main.Text("SavePath", kMaxSettingsValueLength)) {
    s.save_directory = *path;
    EnsureTrailingSeparator(&s.save_directory);
  } else {
    s.save_directory = s.start_directory;
  }
  s.own_file = main.Flag("SaveOwnFile", false);
  s.own_file_ext_type = main.Number("OwnFileExtType", 0);
  s.nc_default_ext =
      main.Text("NCDefaultExt", kMaxNcDefaultExtLength).value_or("ncd");
  s.divided_file_ext =
      main.Text("SaveDvFileExt", kMaxDividedExtLength).value_or("");
  s.skip_run_dialog = main.Flag("DontShowExecDlg", false);
  s.parameter_input_before_run = main.Flag("PrmInputBeforeRun", false);
  s.set_initial_position_to_coordinates = main.Flag("PrmSetInitPostoCord", true);
  s.no_r_point_return_in_cycles = main.Flag("PrmNoAdmitRretCycle", true);
  s.delete_empty_lines = main.Flag("PrmDeleteNullLine", false);
  s.show_completion_message = main.Flag("PrmShowCompleteMsg", true);
  s.rapid_feed_rate = main.Number("FeedAtRapid", 10000);
  s.initial_file_number = main.Number("InitFileNum", -1);
  s.file_number_source = main.Number("FileNumSource", 0);
  s.file_number_digits = main.Number("FileNumDigit", 2);
  s.file_number_increment = main.Number("FileNumIncriment", 1);
  for (int i = 0; i < 4; ++i) {
    s.database_comment_items[i] =
        main.Number("Item2DBComment" + std::to_string(i + 1), 0);
  }
  s.definition_folder =
      main.Text("TLVPath", kMaxSettingsValueLength).value_or("");

  for (int i = 0; i < kJobSlotCount; ++i) {
    std::string key = SlotKey(i);
    if (!store.KeyExists(key)) continue;
    KeyReader sub(store, key, &result.warnings);
    JobSlot& slot = s.slots[i];
    if (auto name = sub.Text("Name", kMaxSlotNameLength)) slot.name = *name;
    if (auto enabled = store.ReadFlag(key, "Validate")) slot.enabled = *enabled;
    if (auto path = sub.Text("TLVDataFile", kMaxSlotDefinitionPathLength)) {
      SetDefinitionPath(&slot, *path);
    }
    slot.output_path = sub.Text("OutDataFile", kMaxSlotOutputPathLength)
                           .value_or(s.save_directory + "tolvek.ncd");
    // The registered save point.  Settings written before it was kept have
    // none of these values: the slot then has no target, as it always had.
    const int target = sub.Number(kSlotDbTargetValue, -1);
    slot.database_target = target < 0 ? -1 : target;
    slot.database_row = std::max(1, sub.Number(kSlotDbRowValue, 1));
    slot.database_insert_mode = sub.Number(kSlotDbInsertModeValue, 0);
  }
  return result;
}

bool WriteSavePath(SettingsStore* store, const RunSettings& settings,
                   std::string* err) {
  if (!store->KeyExists(kMainKey)) return true;
  return store->WriteText(kMainKey, "SavePath", settings.save_directory, err);
}

bool WriteJobSlots(SettingsStore* store, const RunSettings& settings,
                   std::string* err) {
  for (int i = 0; i < kJobSlotCount; ++i) {
    const JobSlot& slot = settings.slots[i];
    std::vector<SettingsChange> changes = {
        SettingsChange::Text("Name", slot.name),
        SettingsChange::Dword("Validate", slot.enabled ? 1 : 0),
        SettingsChange::Text("TLVDataFile", slot.definition_path),
        SettingsChange::Text("OutDataFile", slot.output_path),
        SettingsChange::Text(std::string(kSlotDbTargetValue),
                             std::to_string(slot.database_target)),
        SettingsChange::Text(std::string(kSlotDbRowValue),
                             std::to_string(slot.database_row)),
        SettingsChange::Text(std::string(kSlotDbInsertModeValue),
                             std::to_string(slot.database_insert_mode)),
    };
    if (!store->Write(SlotKey(i), changes, err)) return false;
  }
  return true;
}

bool AdvanceRegisteredRow(SettingsStore* store, int slot_index,
                          const JobSlot& slot, std::string* err) {
  if (slot_index < 0 || slot_index >= kJobSlotCount || slot.database_target < 0) {
    return true;
  }
  const std::string key = SlotKey(slot_index);
  if (store->ReadNumber(key, kSlotDbTargetValue) != slot.database_target) return true;
  if (store->ReadNumber(key, kSlotDbRowValue) == slot.database_row) return true;
  return store->WriteText(key, kSlotDbRowValue, std::to_string(slot.database_row), err);
}

void SetDefinitionPath(JobSlot* slot, std::string path) {
  slot->definition_path = std::move(path);
  slot->database_mode = DefinitionUsesDatabase(slot->definition_path);
}

bool DefinitionUsesDatabase(const std::string& path) {
  if (path.empty()) return false;
  RecordFile file;
  if (!file.Open(path, RecordFile::Direction::kRead,
                 RecordFile::Encoding::kBinary)) {
    return false;
  }
  std::string tag;
  int32_t coordinate_mode = 0, split_mode = 0, process_sheet = 0;
  if (!file.ReadString(&tag)) return false;
  // The oldest layouts carry no process-sheet block; it is fixed to "no
  // sheet" for them when they are read.
  if (tag == "TOLvek2.0" || tag == "TOLvek2.3" || tag == "TOLvek2.7") {
    return false;
  }
  if (!file.ReadInt(&coordinate_mode) || !file.ReadInt(&split_mode) ||
      !file.ReadInt(&process_sheet)) {
    return false;
  }
  return (process_sheet & 0xFF) == 2;
}

}  // namespace tlv
