// The process-sheet file of a job: its name, the hand-off of that name to
// the spreadsheet exporter's settings, and the head, items and tail that
// sections 17 to 19 write into it.
#ifndef TLV_POST_SHEET_FILE_H_
#define TLV_POST_SHEET_FILE_H_

#include <string>
#include <string_view>

#include "post/record_driver.h"

namespace tlv {

class FormatEngine;
class SettingsStore;

/// The exporter's settings key, under the current user.
inline constexpr std::string_view kExporterSettingsKey =
    "HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\SheetPump\\SettingFile";

/// The process-sheet data folder: "TLVPath" of the main key (at most 99
/// bytes), else the platform's default data folder.
std::string SheetDataFolder(const SettingsStore& store);

/// What the hand-off did.
struct HandOffResult {
  bool written = false;  ///< the key existed and was updated
  std::string error;     ///< set when the key existed but the write failed
};

/// Stores the sheet file's path ("CSVfile") and the data folder
/// ("TLVPath") in the exporter's settings key, only when that key exists;
/// nothing is created when it does not.
HandOffResult HandOffToExporter(SettingsStore* store, const std::string& sheet_path);

/// Sheet output into the first stream of the job's outputs: the head,
/// item and tail sections.
class SheetFile : public SheetOutput {
 public:
  explicit SheetFile(FormatEngine& engine) : engine_(engine) {}
  void Head() override;
  void Item() override;
  void Tail() override;

 private:
  FormatEngine& engine_;
};

}  // namespace tlv

#endif  // TLV_POST_SHEET_FILE_H_
