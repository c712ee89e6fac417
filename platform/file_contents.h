#ifndef TLV_PLATFORM_FILE_CONTENTS_H_
#define TLV_PLATFORM_FILE_CONTENTS_H_

#include <string>
#include <string_view>

namespace tlv {

/// Reads the whole file into `content` (bytes unchanged).  False with `err`
/// ("<path>: <reason>") when the file cannot be opened or read.
bool ReadFileBytes(const std::string& path, std::string* content,
                   std::string* err);

/// Writes `content` as the whole new content of `path`: into a temporary file
/// in the same folder, flushed to disk, then renamed over `path`.  A crash or
/// a full disk never leaves a half-written `path`; on failure the temporary
/// file is removed and `path` keeps its old content.  Missing parent folders
/// are created when `make_dirs` is true.  The new file gets mode 0666 minus
/// the umask, or the old file's mode when it existed.
bool WriteFileAtomically(const std::string& path, std::string_view content,
                         std::string* err, bool make_dirs = false);

}  // namespace tlv

#endif  // TLV_PLATFORM_FILE_CONTENTS_H_
