#include "exporter/sheet_pump.h"

namespace tlv {

SheetPumpPaths ReadSheetPumpPaths(const SettingsStore& store) {
  SheetPumpPaths paths;
  paths.csv_file = store.ReadText(kSheetPumpSettingsKey, kCsvFileValue).value_or("");
  paths.excel_file = store.ReadText(kSheetPumpSettingsKey, kExcelFileValue).value_or("");
  paths.combo_folder = store.ReadText(kSheetPumpSettingsKey, kComboFileValue).value_or("");
  return paths;
}

LaidOutWorkbook LayOutWorkbook(const std::string& template_path, const std::string& csv_path,
                               const PageLayout& layout) {
  LaidOutWorkbook out;
  if (template_path.empty()) {
    out.error = std::string(kExcelNameMissingMessage);
    return out;
  }
  if (csv_path.empty()) {
    out.error = std::string(kCsvNameMissingMessage);
    return out;
  }
  if (!out.workbook.OpenXlsx(template_path, &out.error)) return out;
  Workbook csv;
  if (!csv.OpenCsv(csv_path, &out.error)) return out;
  out.layout = S_PageSet(*csv.sheet(0), out.workbook.sheet(0), layout);
  if (!out.layout.ok) {
    out.error = out.layout.error;
    return out;
  }
  out.ok = true;
  return out;
}

}  // namespace tlv
