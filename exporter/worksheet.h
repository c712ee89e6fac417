#ifndef TLV_EXPORTER_WORKSHEET_H_
#define TLV_EXPORTER_WORKSHEET_H_

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "exporter/cell_ref.h"

namespace tlv {

/// What a cell shows: nothing, a number or a text (UTF-8).
struct CellValue {
  enum class Kind { kEmpty, kNumber, kText };
  Kind kind = Kind::kEmpty;
  double number = 0.0;
  std::string text;

  static CellValue Number(double value) { return {Kind::kNumber, value, {}}; }
  static CellValue Text(std::string value) { return {Kind::kText, 0.0, std::move(value)}; }
  bool empty() const { return kind == Kind::kEmpty || (kind == Kind::kText && text.empty()); }
  bool operator==(const CellValue&) const = default;
};

using XmlAttributes = std::vector<std::pair<std::string, std::string>>;

/// One cell as the sheet part stores it.  Attributes and the formula we do
/// not interpret are carried as they stood, so a cell we never touch is
/// written back unchanged.
struct SheetCell {
  int column = 0;
  std::string style;        ///< the "s" attribute (style index), "" = default
  std::string type;         ///< the "t" attribute as stored: "", "n", "s", "str", "inlineStr", "b", "e"
  std::string value;        ///< the <v> text; for "inlineStr" the plain text
  std::string formula_xml;  ///< the <f> element as stored, "" when none
  std::string formula_text;  ///< the formula itself ("" for a cell borrowing a shared one)
  bool array_formula = false;  ///< an array formula (its range is not adjusted)
  int shared_formula = -1;  ///< "si" of a shared formula, -1 when none
  bool shared_master = false;  ///< the cell holding the shared formula's text
  XmlAttributes extra_attributes;  ///< any other attributes
};

/// One row: its own attributes (height, style, hidden ...) without "r" and
/// "spans", and its cells in column order.
struct SheetRow {
  XmlAttributes attributes;
  std::vector<SheetCell> cells;
};

/// The cells, rows and merged areas of one sheet.  Texts read through the
/// workbook's shared-string table; texts written here are stored inline.
class Worksheet {
 public:
  using SharedStrings = std::vector<std::string>;

  explicit Worksheet(std::string name,
                     std::shared_ptr<const SharedStrings> shared_strings = nullptr);

  const std::string& name() const { return name_; }

  /// The value at (row, column); kEmpty for a missing cell or one holding no
  /// value.  A shared-string index outside the table reads as an empty text.
  CellValue Value(int row, int column) const;

  /// True when the cell shows something (not empty, not an empty text).
  bool HasValue(int row, int column) const { return !Value(row, column).empty(); }

  /// Store a value, keeping the cell's style.  A formula in the cell is
  /// replaced by the value; an empty text empties the cell, as a
  /// spreadsheet does when it is given "".  Rows and columns outside the sheet's limits are
  /// ignored (callers check addresses first).
  void SetNumber(int row, int column, double value);
  void SetText(int row, int column, std::string_view text);
  /// Removes the value; the cell's style stays.
  void ClearValue(int row, int column);
  /// SetNumber, SetText or ClearValue by the value's kind.
  void SetValue(int row, int column, const CellValue& value);

  /// Copies the cells of `from` (values and styles), the attributes of its
  /// rows (heights and row styles) and the merged areas that lie wholly inside
  /// it so that its top-left corner lands on (to_row, to_column).  What the
  /// target area held is replaced; merged areas that overlap the target are
  /// removed.  Formulas move their relative references with them, as a
  /// paste does (array formulas are copied as their last values).  False
  /// (nothing changed) when the target would leave the sheet.
  bool CopyBlock(const CellRange& from, int to_row, int to_column);

  const SheetCell* FindCell(int row, int column) const;
  const SheetRow* FindRow(int row) const;
  /// The row attribute `name` ("ht", "customHeight", "s" ...), "" when absent.
  std::string RowAttribute(int row, std::string_view name) const;

  const std::vector<CellRange>& merges() const { return merges_; }
  /// True when any cell holds a formula.
  bool HasFormulas() const;
  void AddMerge(const CellRange& range);

  /// The used area (rows and cells that exist), or nothing when the sheet is
  /// empty (`found` false).
  struct UsedArea {
    bool found = false;
    CellRange range;
  };
  UsedArea Used() const;

  /// True once anything was changed after loading.
  bool modified() const { return modified_; }
  void set_modified(bool modified) { modified_ = modified; }

  /// The storage, for the part reader and writer.
  std::map<int, SheetRow>& rows() { return rows_; }
  const std::map<int, SheetRow>& rows() const { return rows_; }
  std::vector<CellRange>& mutable_merges() { return merges_; }

 private:
  SheetCell* CellForWrite(int row, int column);
  void DropValue(SheetCell* cell);
  void DropSharedFormula(int shared_index);
  void MoveFormula(SheetCell* cell, int row, int row_shift, int column_shift);

  std::string name_;
  std::shared_ptr<const SharedStrings> shared_strings_;
  std::map<int, SheetRow> rows_;
  std::vector<CellRange> merges_;
  bool modified_ = false;
};

/// Turns a formula cell into a plain value cell holding its last computed
/// value (a text result becomes an inline text).
void DropFormula(SheetCell* cell);

}  // namespace tlv

#endif  // TLV_EXPORTER_WORKSHEET_H_
