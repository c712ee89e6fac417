#ifndef TLV_EXPORTER_CELL_REF_H_
#define TLV_EXPORTER_CELL_REF_H_

#include <string>
#include <string_view>

namespace tlv {

// Cell addresses in the workbook's A1 form ("B7", "AA12").  Rows and columns
// count from 1, as the sheet shows them.

inline constexpr int kMaxSheetRows = 1048576;
inline constexpr int kMaxSheetColumns = 16384;

/// One cell position.
struct CellRef {
  int row = 0;
  int column = 0;
  bool operator==(const CellRef&) const = default;
};

/// A rectangle of cells, corners included.
struct CellRange {
  CellRef first;
  CellRef last;
  bool operator==(const CellRange&) const = default;
  bool Contains(const CellRef& cell) const {
    return cell.row >= first.row && cell.row <= last.row &&
           cell.column >= first.column && cell.column <= last.column;
  }
  bool Contains(const CellRange& other) const {
    return Contains(other.first) && Contains(other.last);
  }
  bool Intersects(const CellRange& other) const {
    return first.row <= other.last.row && other.first.row <= last.row &&
           first.column <= other.last.column && other.first.column <= last.column;
  }
};

/// The column letters of `column` (1 gives "A", 28 gives "AB"); "" outside
/// 1 to kMaxSheetColumns.
std::string ColumnLetters(int column);

/// The column number of letters such as "AB" (either case, '$' ignored in
/// front); 0 when `letters` is not a column within the sheet's limit.
int ParseColumnLetters(std::string_view letters);

/// Parses "B7" (either case, '$' allowed before the letters and the row).
/// False when the text is not exactly one address within the sheet's limits.
bool ParseCellRef(std::string_view text, CellRef* cell);

/// Parses "A1:C3" or a single address (a range of one cell).  Corners are put
/// in order.  False when malformed.
bool ParseCellRange(std::string_view text, CellRange* range);

/// "B7".
std::string FormatCellRef(const CellRef& cell);

/// "A1:C3", or "A1" for a range of one cell.
std::string FormatCellRange(const CellRange& range);

}  // namespace tlv

#endif  // TLV_EXPORTER_CELL_REF_H_
