#ifndef TLV_EXPORTER_WORKBOOK_H_
#define TLV_EXPORTER_WORKBOOK_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "exporter/worksheet.h"
#include "exporter/xlsx_reader.h"
#include "exporter/zip_package.h"

namespace pugi {
class xml_document;
}

namespace tlv {

/// A workbook opened from an .xlsx file or a CSV file: its sheets can be read,
/// changed and saved as an .xlsx file.  Parts of the file the workbook does
/// not interpret (styles, drawings, printer settings ...) are saved with the
/// bytes they were read with; only changed sheets are written anew.
///
/// **Example**
///   Workbook book;
///   if (!book.OpenXlsx(path, &err)) ...
///   book.sheet(0)->SetText(3, 2, "ＯＰ１０");
///   if (!book.Save(out_path, &err)) ...
class Workbook {
 public:
  Workbook();
  ~Workbook();
  Workbook(Workbook&&) noexcept;
  Workbook& operator=(Workbook&&) noexcept;

  /// Opens the .xlsx file at `path`.  False with `err` ("<path>: <reason>")
  /// when the file is missing, unreadable or not a workbook.
  bool OpenXlsx(const std::string& path, std::string* err);
  /// The same from the file's bytes; `name` is used in messages.
  bool LoadXlsx(std::string_view bytes, std::string_view name, std::string* err);

  /// Opens the CSV file at `path` as a workbook of one sheet named after the
  /// file (see csv_reader.h).  False with `err` when it cannot be read.
  bool OpenCsv(const std::string& path, std::string* err);
  /// The same from the file's bytes.
  void LoadCsv(std::string_view bytes, std::string_view name);

  /// The file the workbook came from, as given.
  const std::string& name() const { return name_; }

  int sheet_count() const { return static_cast<int>(sheets_.size()); }
  /// Sheet `index` counted from 0, or nullptr.
  Worksheet* sheet(int index);
  const Worksheet* sheet(int index) const;

  /// The workbook as .xlsx bytes.
  bool Serialize(std::string* bytes, std::string* err);

  /// Writes the workbook to `path` as .xlsx, through a temporary file and a
  /// rename, so an existing file is replaced whole or not at all.  False
  /// with `err` ("<path>: <reason>").
  bool Save(const std::string& path, std::string* err);

 private:
  struct SheetPart {
    std::string part;
    std::unique_ptr<Worksheet> sheet;
    std::unique_ptr<pugi::xml_document> skeleton;
  };
  void Reset();

  std::string name_;
  ZipPackage package_;
  WorkbookLayout layout_;
  std::vector<SheetPart> sheets_;
};

}  // namespace tlv

#endif  // TLV_EXPORTER_WORKBOOK_H_
