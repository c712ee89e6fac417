#ifndef TLV_EXPORTER_CSV_READER_H_
#define TLV_EXPORTER_CSV_READER_H_

#include <string_view>

#include "exporter/worksheet.h"

namespace tlv {

// A CSV file read the way a spreadsheet opens one: fields separated by
// commas, records by CR LF, LF or CR; a field that starts with '"' is quoted
// and may hold commas, line breaks and doubled quotes (""); text after the
// closing quote is kept.  The bytes are code page 932 (a file starting with
// the UTF-8 byte-order mark is taken as UTF-8).  A field that is a decimal
// number ("12", "-0.5", "1.5E3", blanks around it allowed) becomes a number;
// every other non-empty field a text; empty fields leave the cell empty.

/// Counts of what ReadCsv stored.
struct CsvReadResult {
  int rows = 0;          ///< records read
  int columns = 0;       ///< the most fields in one record
  bool cut = false;      ///< records or fields beyond the sheet's limits were left out
};

/// Fills `sheet` (which should be empty) from the CSV bytes.
CsvReadResult ReadCsv(std::string_view bytes, Worksheet* sheet);

/// True when the text is a number as above; the number in `value`.
bool ParseCsvNumber(std::string_view text, double* value);

}  // namespace tlv

#endif  // TLV_EXPORTER_CSV_READER_H_
