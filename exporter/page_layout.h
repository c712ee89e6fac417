#ifndef TLV_EXPORTER_PAGE_LAYOUT_H_
#define TLV_EXPORTER_PAGE_LAYOUT_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exporter/worksheet.h"

namespace tlv {

/// Messages of the page layout, as the user sees them.
inline constexpr std::string_view kTooManyRowsMessage = "CSVファイルの行数が多すぎます。";
inline constexpr std::string_view kCountLimitMessage = "数の制限によって終了";

/// The row and column counts stop here.
inline constexpr int kMaxCsvCount = 1000;
/// Following pages k = 0 to 99 are filled at most.
inline constexpr int kMaxFollowingPages = 100;

inline constexpr int kItemCount = 12;
/// Item type: the value goes into its cell as a number; any other type as text.
inline constexpr int kItemTypeReal = 1;

/// One information item of the main window: a value written into a fixed
/// cell of the sheet (part name, material, operator ...).
struct InformationItem {
  std::string value;     ///< `ItemValue`: the text typed in the main window
  std::string caption;   ///< `ITEMPROMP`: its label
  std::string position;  ///< target cell, such as "D2"
  bool active = false;   ///< shown in the main window and written to the sheet
  int type = 0;          ///< kItemTypeReal or text
};

/// The layout settings: where the page blocks of the template lie and which
/// template column takes each CSV column.  Names are the ones the layout
/// file and the layout dialog use.
struct PageLayout {
  std::int16_t PageLine1 = 37;  ///< rows of the first page block
  std::int16_t StrtLine1 = 6;   ///< first data row of the first page
  std::int16_t EndLine1 = 36;   ///< last data row of the first page
  std::int16_t PageLine2 = 37;  ///< rows of each following page block
  std::int16_t StrtLine2 = 6;   ///< first data row within a following page
  std::int16_t EndLine2 = 36;   ///< last data row within a following page
  std::int16_t csvHeader = 2;   ///< CSV row of the column headings; data follows it
  std::int16_t csvMain = 3;     ///< kept and written back; the layout does not use it
  std::string ColSequence = "A";  ///< column of the running row number, "" for none
  std::int16_t SwFirstPage = 1;   ///< 1 or less: the template holds the first page only
  std::int16_t ColumnNumber = 28;  ///< width of a page block in columns
  /// Entry k - 1: the template column that receives CSV column k.
  std::vector<int> columns = {1, 2, 4, 7, 9, 11, 13, 14, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 27};
  std::array<InformationItem, kItemCount> items;
};

/// What the page layout did.
struct PageSetResult {
  bool ok = false;
  std::string error;        ///< why nothing (more) was laid out, when !ok
  int columns = 0;          ///< CSV columns transferred (n)
  int rows = 0;             ///< CSV rows counted, heading row included
  int pages = 0;            ///< pages by the page formula
  int following_pages = 0;  ///< following pages filled
  int next_csv_row = 0;     ///< the CSV row after the last one taken
  /// Notices for the user, in the order they arose (too many rows, count limit).
  std::vector<std::string> messages;
};

/// The layout dialog's checks of the first page, in this order.
inline constexpr std::string_view kStartBeyondPageMessage = "開始行がページ行数を越えています。";
inline constexpr std::string_view kEndBeyondPageMessage = "終了行がページ行数を越えています。";
inline constexpr std::string_view kStartBeyondEndMessage = "開始行が終了行を越えています。";

/// The first of the three messages above that `layout` violates, "" when
/// none: PageLine1 < StrtLine1, PageLine1 < EndLine1, EndLine1 < StrtLine1.
std::string_view CheckFirstPageLines(const PageLayout& layout);

/// The number of pages for `rows` counted rows: 1 below r1, else
/// (rows - r1) / r2 + 2 rounded to the nearest integer, ties to even.
/// `r2` must be at least 1.
int PageCount(int rows, int r1, int r2);

/// Checks the settings that would put a cell outside the sheet or divide by
/// zero; "" when the layout can run, else a message for the user.
std::string CheckPageLayout(const PageLayout& layout);

/// Lays the CSV sheet into the template sheet: the information items, the
/// first page, and following pages copied from the continuation block, each
/// data row with its running number and the CSV columns put where the column
/// table says.  The target is changed even when a failure is reported
/// part way (as far as the layout got).
PageSetResult S_PageSet(const Worksheet& csv, Worksheet* target, const PageLayout& layout);

}  // namespace tlv

#endif  // TLV_EXPORTER_PAGE_LAYOUT_H_
