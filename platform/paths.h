#ifndef TLV_PLATFORM_PATHS_H_
#define TLV_PLATFORM_PATHS_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace tlv {

// Path text.  Paths come from settings files written on other machines, from
// definition files and from the command line, so both '/' and '\' separate
// directories wherever a path is split.  Paths we build use '/'.

/// True for '/' and '\'.
inline bool IsPathSeparator(char c) { return c == '/' || c == '\\'; }

/// Index of the last '/' or '\' in `path`, or std::string_view::npos.
std::size_t FindLastSeparator(std::string_view path);

/// True when `path` holds a '/' or '\' (a name "without a separator" is taken
/// relative to some folder by the callers).
bool HasSeparator(std::string_view path);

/// The text before the last separator: "a/b/c.nc" gives "a/b", "c.nc" gives
/// "" and "/c.nc" gives "" (the root).
std::string_view DirectoryPart(std::string_view path);

/// The text after the last separator ("a\b.nc" gives "b.nc"); the whole path
/// when it has none; "" when it ends in a separator.
std::string_view FileNamePart(std::string_view path);

/// The extension of the file-name part without its dot ("x/a.b.nc" gives
/// "nc"); "" when the name has no dot.  A leading dot (".profile") is not an
/// extension.
std::string_view ExtensionPart(std::string_view path);

/// `path` without the extension and its dot ("x/a.b.nc" gives "x/a.b").
std::string_view WithoutExtension(std::string_view path);

/// Joins with '/': `dir` + "/" + `name`, no separator doubled; an empty `dir`
/// gives `name`, and an absolute `name` ('/' first) is returned unchanged.
std::string JoinPath(std::string_view dir, std::string_view name);

/// Appends '/' unless `path` is empty or already ends in '/' or '\'.
void EnsureTrailingSeparator(std::string* path);

/// Position of the first occurrence of `marker` in `text` compared without
/// regard to ASCII case, or std::string_view::npos.  Used to find ".tolvek" and
/// the like in a path while keeping the path's own case.
std::size_t FindIgnoreCase(std::string_view text, std::string_view marker);

/// ASCII-only case-insensitive equality.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// File system.  Paths are UTF-8 names; '\' in them is an ordinary character
// to the file system (callers that take paths from Windows-style settings
// convert them where the format says so).

/// True when something (file, folder, ...) exists at `path`.
bool PathExists(const std::string& path);

/// True when `path` names an existing regular file (or a link to one).
bool FileExists(const std::string& path);

/// True when `path` names an existing folder.
bool IsDirectory(const std::string& path);

/// Deletes the file; false (with `err` filled when given) when it fails,
/// also when the file did not exist.
bool RemoveFile(const std::string& path, std::string* err = nullptr);

/// Renames `from` to `to`, replacing `to`.  False with `err` when it fails.
bool RenameFile(const std::string& from, const std::string& to,
                std::string* err = nullptr);

/// Copies the bytes of `from` to `to` through a temporary file beside `to`
/// and a rename, so `to` is never left half written.
bool CopyFile(const std::string& from, const std::string& to,
              std::string* err = nullptr);

/// Creates `path` and any missing parent folders.  True when the folder
/// exists afterwards.
bool MakeDirectories(const std::string& path, std::string* err = nullptr);

/// The current working directory, "" when it cannot be read.
std::string CurrentDirectory();

/// The folder that holds the running executable (from /proc/self/exe), ""
/// when unknown.
std::string ExecutableDirectory();

/// The process-sheet data folder's default: $XDG_DATA_HOME/kestra/TLVData,
/// else ~/.local/share/kestra/TLVData ($HOME, else the password database).
std::string DefaultDataFolder();

/// The user's home folder: $HOME, else the password database entry; "" when
/// neither is known.
std::string HomeDirectory();

}  // namespace tlv

#endif  // TLV_PLATFORM_PATHS_H_
