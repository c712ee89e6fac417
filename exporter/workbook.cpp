#include "exporter/workbook.h"

#include <pugixml.hpp>

#include "exporter/csv_reader.h"
#include "exporter/xlsx_writer.h"
#include "platform/file_contents.h"
#include "platform/paths.h"

namespace tlv {

Workbook::Workbook() = default;
Workbook::~Workbook() = default;
Workbook::Workbook(Workbook&&) noexcept = default;
Workbook& Workbook::operator=(Workbook&&) noexcept = default;

void Workbook::Reset() {
  name_.clear();
  package_ = {};
  layout_ = {};
  sheets_.clear();
}

Worksheet* Workbook::sheet(int index) {
  return index >= 0 && index < sheet_count() ? sheets_[static_cast<std::size_t>(index)].sheet.get()
                                             : nullptr;
}

const Worksheet* Workbook::sheet(int index) const {
  return index >= 0 && index < sheet_count() ? sheets_[static_cast<std::size_t>(index)].sheet.get()
                                             : nullptr;
}

bool Workbook::OpenXlsx(const std::string& path, std::string* err) {
  std::string bytes;
  if (!ReadFileBytes(path, &bytes, err)) return false;
  return LoadXlsx(bytes, path, err);
}

bool Workbook::LoadXlsx(std::string_view bytes, std::string_view name, std::string* err) {
  Reset();
  name_ = name;
  const std::string prefix = std::string(name) + ": ";
  if (!ReadZipPackage(bytes, name, &package_, err)) return false;
  std::string why;
  if (!ReadWorkbookLayout(package_, &layout_, &why)) {
    *err = prefix + why;
    return false;
  }
  auto shared = std::make_shared<Worksheet::SharedStrings>();
  if (!layout_.shared_strings_part.empty()) {
    if (const ZipPackage::Entry* entry = package_.Find(layout_.shared_strings_part)) {
      if (!ReadSharedStrings(entry->data, shared.get(), &why)) {
        *err = prefix + why;
        return false;
      }
    }
  }
  for (const WorkbookLayout::Sheet& info : layout_.sheets) {
    const ZipPackage::Entry* entry = package_.Find(info.part);
    if (!entry) {
      *err = prefix + "part " + info.part + " of sheet " + info.name + " is missing";
      return false;
    }
    SheetPart part{info.part, std::make_unique<Worksheet>(info.name, shared),
                   std::make_unique<pugi::xml_document>()};
    if (!ReadSheetPart(entry->data, part.sheet.get(), part.skeleton.get(), &why)) {
      *err = prefix + why;
      return false;
    }
    sheets_.push_back(std::move(part));
  }
  return true;
}

bool Workbook::OpenCsv(const std::string& path, std::string* err) {
  std::string bytes;
  if (!ReadFileBytes(path, &bytes, err)) return false;
  LoadCsv(bytes, path);
  return true;
}

void Workbook::LoadCsv(std::string_view bytes, std::string_view name) {
  Reset();
  name_ = name;
  // A spreadsheet names the sheet of a CSV file after the file.
  std::string sheet_name(WithoutExtension(FileNamePart(name)));
  if (sheet_name.empty()) sheet_name = "Sheet1";
  package_ = MinimalPackage(sheet_name);
  std::string why;
  ReadWorkbookLayout(package_, &layout_, &why);
  SheetPart part{layout_.sheets.front().part, std::make_unique<Worksheet>(sheet_name),
                 std::make_unique<pugi::xml_document>()};
  ReadSheetPart(package_.Find(part.part)->data, part.sheet.get(), part.skeleton.get(), &why);
  ReadCsv(bytes, part.sheet.get());
  // Not read from a workbook file: every sheet must be written on save.
  part.sheet->set_modified(true);
  sheets_.push_back(std::move(part));
}

bool Workbook::Serialize(std::string* bytes, std::string* err) {
  if (sheets_.empty()) {
    *err = "no workbook is open";
    return false;
  }
  bool changed = false;
  for (SheetPart& part : sheets_) {
    if (!part.sheet->modified()) continue;
    changed = true;
    if (ZipPackage::Entry* entry = package_.Find(part.part))
      entry->data = WriteSheetPart(part.skeleton.get(), *part.sheet);
  }
  if (changed) {
    DropCalculationChain(&package_, layout_);
    for (const SheetPart& part : sheets_) {
      if (part.sheet->HasFormulas()) {
        RequestFullCalculation(&package_, layout_);
        break;
      }
    }
  }
  return WriteZipPackage(package_, bytes, err);
}

bool Workbook::Save(const std::string& path, std::string* err) {
  std::string bytes, why;
  if (!Serialize(&bytes, &why)) {
    *err = path + ": " + why;
    return false;
  }
  return WriteFileAtomically(path, bytes, err);
}

}  // namespace tlv
