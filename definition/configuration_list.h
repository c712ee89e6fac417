// The configuration list: a readable listing of a post definition (sections,
// number formats, modes, user-defined variables, codes) for review and
// comparison.  Nothing reads it back.
#ifndef TLV_DEFINITION_CONFIGURATION_LIST_H_
#define TLV_DEFINITION_CONFIGURATION_LIST_H_

#include <string>
#include <string_view>

namespace tlv {

struct PostDefinition;
class VariableDictionary;

/// Message when the list is asked for without a file name (UTF-8).
inline constexpr int kMsgEnterFileName = 61449;
inline constexpr std::string_view kTextEnterFileName = "ファイル名を入力してください。";

/// The parts of the list; each is written when set, always in this order.
struct ListParts {
  bool codes = false;    ///< the NC format sections ("出力コード")
  bool formats = false;  ///< number formats of the variables used
  bool coord = false;    ///< coordinate mode
  bool split = false;    ///< file split mode
  bool user1 = false;    ///< user-defined input variables
  bool user2 = false;    ///< user-defined computed variables
  bool sheet = false;    ///< process-sheet mode
  bool gm = false;       ///< G, M and canned-cycle codes

  static ListParts All();
};

/// Parses a comma-separated list of part names: codes, formats, coord,
/// split, user1, user2, sheet, gm, or all.  False with `err` naming the
/// unknown part.
bool ParseListParts(std::string_view text, ListParts* parts, std::string* err);

/// The moment written into the list's date line (local time).
struct ListDate {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;

  /// The current local time.
  static ListDate Now();
};

/// The list as CP932 bytes with LF line ends.  `path` (UTF-8) is the
/// definition's file, "" for one never saved.
///
/// Where the listing needs a sound answer: the split methods are listed as
/// the bit set they are (one line per method, "分割なし" for none); the tape
/// length line shows the tape length; a code key the definition lacks shows
/// "(未定義)"; a section that does not decode shows what decoded before the
/// bad code and then the decoder's message in parentheses; values outside
/// their tables are written as numbers.
std::string FormatConfigurationList(const PostDefinition& def,
                                    const VariableDictionary& dict,
                                    std::string_view path, const ListDate& date,
                                    const ListParts& parts);

/// Writes the list to `out_path` through a temporary file and a rename.  An
/// empty `out_path` fails with kTextEnterFileName and writes nothing.
bool SaveConfigurationList(const std::string& out_path, const PostDefinition& def,
                           const VariableDictionary& dict, std::string_view path,
                           const ListDate& date, const ListParts& parts,
                           std::string* err);

}  // namespace tlv

#endif  // TLV_DEFINITION_CONFIGURATION_LIST_H_
