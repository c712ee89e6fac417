#ifndef TLV_EXPORTER_XLSX_READER_H_
#define TLV_EXPORTER_XLSX_READER_H_

#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "exporter/worksheet.h"
#include "exporter/zip_package.h"

namespace tlv {

// Reading the parts of a workbook package.  Every reader takes the part's
// text and reports a failure with a short reason; the caller adds the file
// name.

/// Where a workbook's parts lie in its package.
struct WorkbookLayout {
  std::string workbook_part;        ///< "xl/workbook.xml"
  std::string shared_strings_part;  ///< "" when the workbook has none
  struct Sheet {
    std::string name;  ///< the tab's name
    std::string part;  ///< "xl/worksheets/sheet1.xml"
  };
  std::vector<Sheet> sheets;  ///< in tab order; chart sheets left out
};

/// Finds the workbook part through the package relationships, then its
/// sheets and shared-string table through the workbook's relationships.
bool ReadWorkbookLayout(const ZipPackage& package, WorkbookLayout* layout, std::string* err);

/// The shared-string table: the plain text of each item.
bool ReadSharedStrings(std::string_view xml, std::vector<std::string>* strings,
                       std::string* err);

/// Reads a sheet part's rows, cells and merged areas into `sheet` and keeps
/// the rest of the part in `skeleton` (sheet data and merged areas removed)
/// for the writer.  Rows and cells without an address follow the one before.
bool ReadSheetPart(std::string_view xml, Worksheet* sheet, pugi::xml_document* skeleton,
                   std::string* err);

/// The relationships part of `part` ("xl/workbook.xml" gives
/// "xl/_rels/workbook.xml.rels").
std::string RelationshipsPartOf(std::string_view part);

/// A relationship target resolved against the folder of `source_part`:
/// "worksheets/sheet1.xml" from "xl/workbook.xml" gives
/// "xl/worksheets/sheet1.xml"; "/xl/x.xml" gives "xl/x.xml"; ".." steps up.
std::string ResolveTarget(std::string_view source_part, std::string_view target);

}  // namespace tlv

#endif  // TLV_EXPORTER_XLSX_READER_H_
