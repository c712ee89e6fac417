#ifndef TLV_EXPORTER_LAYOUT_FILE_H_
#define TLV_EXPORTER_LAYOUT_FILE_H_

#include <string>
#include <string_view>

#include "exporter/page_layout.h"

namespace tlv {

// The layout file "SheetPump.DAT": lines of code page 932 text in sections,
// each started by its tag line and the whole ended by "[END]".
//
//   [PAGESETTING]      11 lines: PageLine1, StrtLine1, EndLine1, PageLine2,
//                      StrtLine2, EndLine2, csvHeader, csvMain, ColSequence,
//                      SwFirstPage, ColumnNumber
//   [COLUMNSETTING]    the count n, then n template columns
//   [INFORMATION]      up to 12 lines: item values
//   [INFO ACTIVE]      up to 12 lines: "1" shown, anything else hidden
//   [INFO POSITION]    up to 12 lines: target cells
//   [INFO CAPTION]     up to 12 lines: captions
//   [INFO TYPE]        up to 12 lines: 1 number, else text
//   [END]
//
// "[MATERIAL]", "[ELECTRODE]", "[MACHINE]", "[WORKERNAME]" and "[EXCELFILE]"
// are known tags whose lines are skipped.

inline constexpr std::string_view kLayoutFileName = "SheetPump.DAT";
inline constexpr std::string_view kLayoutFileMissingMessage =
    "SheetPump.DAT ファイルが見つかりません。";

/// Reads the layout file's bytes over `layout`.  Numbers are read as leading
/// numbers rounded to a 16-bit integer.  False with `err` ("<name>:<line>:
/// <reason>") when a section ends early or a number does not fit; `layout`
/// is then unchanged.
bool ParseLayoutFile(std::string_view bytes, std::string_view name, PageLayout* layout,
                     std::string* err);

/// The layout file's bytes for `layout` (code page 932, CR LF line ends),
/// every section from "[PAGESETTING]" on.
std::string FormatLayoutFile(const PageLayout& layout);

/// Reads "SheetPump.DAT" in `folder` over `layout`.  False with `err` when
/// the file cannot be opened or read; `layout` is then unchanged.
bool GetComboData(const std::string& folder, PageLayout* layout, std::string* err);

/// Writes "SheetPump.DAT" in `folder` anew (temporary file and rename).
bool SetComboData(const std::string& folder, const PageLayout& layout, std::string* err);

}  // namespace tlv

#endif  // TLV_EXPORTER_LAYOUT_FILE_H_
