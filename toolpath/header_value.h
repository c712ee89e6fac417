// Picking single items out of the whole tool-path data file by field id.
#ifndef TLV_TOOLPATH_HEADER_VALUE_H_
#define TLV_TOOLPATH_HEADER_VALUE_H_

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tlv {

/// The header items the run takes from the tool-path file as a whole.
inline constexpr int32_t kHeaderToolPathName = 102;
inline constexpr int32_t kHeaderItem118 = 118;
inline constexpr int32_t kHeaderItem212 = 212;
inline constexpr int32_t kHeaderProcedureName = 213;

/// Longest value a header scan returns; the rest of a longer value is left
/// out (the same limit as a tool-path line).
inline constexpr size_t kMaxHeaderValueLength = 199;

/// Receives a progress line (UTF-8, ending in "\n") of the scan for item 212,
/// for standard output and the run log.
using ProgressSink = std::function<void(std::string_view line)>;

/// Scans `text` for the first field line ".<id>=" of the given id, wherever
/// it stands (before the first record too), and returns its value: the
/// characters from the third after "=" up to CR, LF, NUL or the end, with
/// every blank left out. "" when no such line comes before the end or a NUL
/// byte. A "." only starts a field at the start of a line and the id must be
/// followed by "=", so neither a number such as "10.213" nor a longer id such
/// as ".1025=" is mistaken for the item.
std::string ScanHeaderValue(std::string_view text, int32_t field_id);

/// ScanHeaderValue over the file at `path`, read in pieces. "" when the file
/// cannot be opened. For item 212 the progress lines "file opened", "code
/// found" and "cannot open the file" go to `progress`.
std::string ReadHeaderValue(const std::string& path, int32_t field_id,
                            const ProgressSink& progress = {});

/// ReadHeaderValue for each of `field_ids`, all found in one read of the
/// file: element i of the result is what ReadHeaderValue(path, field_ids[i])
/// gives. The progress lines of item 212 (when it is among them) come as
/// that scan gives them: "file opened" first, "code found" at the end.
std::vector<std::string> ReadHeaderValues(const std::string& path,
                                          std::span<const int32_t> field_ids,
                                          const ProgressSink& progress = {});

/// The directory part of `base_path` (up to and including its last "/" or
/// "\"; nothing when it has none) followed by ReadHeaderValue(path, field_id).
std::string ReadHeaderValueBeside(const std::string& path, int32_t field_id,
                                  std::string_view base_path,
                                  const ProgressSink& progress = {});

}  // namespace tlv

#endif  // TLV_TOOLPATH_HEADER_VALUE_H_
