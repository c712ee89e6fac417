#ifndef TLV_EXPORTER_XLSX_WRITER_H_
#define TLV_EXPORTER_XLSX_WRITER_H_

#include <string>

#include <pugixml.hpp>

#include "exporter/worksheet.h"
#include "exporter/xlsx_reader.h"
#include "exporter/zip_package.h"

namespace tlv {

/// The sheet part for `sheet`: `skeleton` (as ReadSheetPart left it) with the
/// sheet's rows, cells and merged areas put back and its used area in the
/// dimension.  The skeleton is left as it was.
std::string WriteSheetPart(pugi::xml_document* skeleton, const Worksheet& sheet);

/// Removes the calculation chain (its part, its relationship and its content
/// type).  A spreadsheet rebuilds it; a stale one that names cells which no
/// longer hold formulas makes it report the file as damaged.
void DropCalculationChain(ZipPackage* package, const WorkbookLayout& layout);

/// Marks the workbook for a full calculation when it is opened, so that
/// formulas show results for the values written into their cells rather than
/// the results stored with the template.
void RequestFullCalculation(ZipPackage* package, const WorkbookLayout& layout);

/// A package of one empty sheet with a minimal style table, for a workbook
/// that did not come from a workbook file.
ZipPackage MinimalPackage(const std::string& sheet_name);

}  // namespace tlv

#endif  // TLV_EXPORTER_XLSX_WRITER_H_
