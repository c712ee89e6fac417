// How split files and the process-sheet file of a job are named from the
// job's NC output path.  Pure text work: nothing here touches a file.
#ifndef TLV_POST_SPLIT_FILE_NAMES_H_
#define TLV_POST_SPLIT_FILE_NAMES_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace tlv {

/// The longest path a split or sheet file may have (in CP932 bytes, as the
/// run's path buffers hold them).
inline constexpr std::size_t kMaxMadePathLength = 150;

/// Digits of a split number for the "FileNumDigit" setting: 0 to 5 give 1
/// to 6 digits, anything else 3.
int SplitNumberDigits(int setting);

/// `number` printed with at least `digits` digits, zero-padded.
std::string PaddedNumber(long long number, int digits);

/// Name source 1, output name plus number.  When the output path holds a
/// "." (the first of the whole path counts), the number goes before it:
/// "/nc/A.NC" -> "/nc/A001.NC".  Otherwise ".", the number and, when
/// `divided_ext` is not empty, "." and it follow the path:
/// "/nc/PART" -> "/nc/PART.1.nc".
std::string NumberedOutputName(std::string_view output_path, long long number, int digits,
                               std::string_view divided_ext);

/// The text of a name variable (CP932) as a file name: cut to `max_bytes`
/// (0 = no cut) without splitting a character, optionally without trailing
/// blanks, in UTF-8.
std::string NameFromVariable(std::string_view cp932, std::size_t max_bytes,
                             bool trim_trailing_blanks);

/// Name sources 2 to 5: `name` in the folder of the output path; with a
/// serial number (`number` >= 0) trailing blanks go and the number follows;
/// then "." and `divided_ext` when that is not empty.
std::string NamedSplitPath(std::string_view output_path, std::string_view name, long long number,
                           int digits, std::string_view divided_ext);

/// Why a made path cannot be used, or "" when it can: a name from the data
/// that is empty or holds a folder separator, or a path longer than
/// kMaxMadePathLength.
std::string CheckMadePath(std::string_view path, std::string_view name_part);

/// The process-sheet file of the output path: source 0 the path plus
/// "." `ext`; 1 and 2 the folder of the path plus `name` (CP932, every
/// blank removed) plus "." `ext`; any other source the path itself.
std::string SheetFileName(std::string_view output_path, int name_source,
                          std::string_view name, std::string_view ext);

}  // namespace tlv

#endif  // TLV_POST_SPLIT_FILE_NAMES_H_
