#ifndef TLV_EXPORTER_SHEET_PUMP_H_
#define TLV_EXPORTER_SHEET_PUMP_H_

#include <string>
#include <string_view>

#include "exporter/page_layout.h"
#include "exporter/workbook.h"
#include "platform/settings_store.h"

namespace tlv {

// What the exporter keeps between runs and the export itself, apart from
// its windows.

/// The exporter's key in the settings store.  `TLVP` writes "CSVfile" (and
/// "TLVPath") here before it starts the exporter.
inline constexpr std::string_view kSheetPumpSettingsKey =
    "HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\SheetPump\\SettingFile";
inline constexpr std::string_view kCsvFileValue = "CSVfile";
inline constexpr std::string_view kExcelFileValue = "Exlfile";
inline constexpr std::string_view kComboFileValue = "Combofile";

inline constexpr std::string_view kCsvNameMissingMessage = "CSV ファイル名が見つかりません。";
inline constexpr std::string_view kExcelNameMissingMessage = "エクセルファイル名が見つかりません。";
inline constexpr std::string_view kChooseLayoutFolderComment =
    "書式定義の項目を保存するフォルダを選択してください。　　この設定は一度しか必要ありません。";

/// The three paths of the settings store; empty when absent.
struct SheetPumpPaths {
  std::string csv_file;
  std::string excel_file;
  std::string combo_folder;
};

SheetPumpPaths ReadSheetPumpPaths(const SettingsStore& store);

/// The workbook after the page layout, ready to be saved.
struct LaidOutWorkbook {
  bool ok = false;
  std::string error;     ///< the reason, naming the file, when !ok
  PageSetResult layout;  ///< counts and notices of the page layout
  Workbook workbook;     ///< the template with the CSV laid into its first sheet
};

/// Opens the workbook template and the CSV file and lays the CSV's first
/// sheet into the template's first sheet (S_PageSet).
LaidOutWorkbook LayOutWorkbook(const std::string& template_path, const std::string& csv_path,
                               const PageLayout& layout);

}  // namespace tlv

#endif  // TLV_EXPORTER_SHEET_PUMP_H_
