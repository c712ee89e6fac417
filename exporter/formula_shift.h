#ifndef TLV_EXPORTER_FORMULA_SHIFT_H_
#define TLV_EXPORTER_FORMULA_SHIFT_H_

#include <string>
#include <string_view>

namespace tlv {

/// The formula `text` (without its leading "=") as it reads once its cell has
/// moved by `rows` and `columns`, as a spreadsheet adjusts a pasted formula:
/// relative row and column parts of each A1 reference move, parts marked
/// with '$' stay, and a reference pushed off the sheet becomes "#REF!".
/// Texts in double quotes and sheet names in single quotes are left alone;
/// so are names and function names (anything longer than an address, or an
/// address followed by '(').
///
/// **Example**
///   ShiftFormula("SUM(W6:W36)*$B$2", 37, 0) gives "SUM(W43:W73)*$B$2"
std::string ShiftFormula(std::string_view text, int rows, int columns);

}  // namespace tlv

#endif  // TLV_EXPORTER_FORMULA_SHIFT_H_
