#ifndef TLV_PLATFORM_FILE_CONTENTS_H_
#define TLV_PLATFORM_FILE_CONTENTS_H_

#include <string>
#include <string_view>

namespace tlv {

/// Reads the whole file into `content` (bytes unchanged).  False with `err`
/// ("<path>: <reason>") when the file cannot be opened or read.
bool ReadFileBytes(const std::string& path, std::string* content,
                   std::string* err);

/// Writes a file as a whole: the bytes go into a temporary file in the same
/// folder, and Commit() flushes it to disk and renames it over the target.
/// Until then the target keeps its old content; a writer destroyed without
/// Commit() removes its temporary file.  A target that is a symbolic link is
/// replaced through the link (the link stays).  The new file gets the old
/// file's mode, or 0666 minus the umask.
///
/// **Example**
///   AtomicFileWriter out;
///   if (!out.Open(path, &err) || !out.Write(text) || !out.Commit(&err)) ...
class AtomicFileWriter {
 public:
  AtomicFileWriter() = default;
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  /// Creates the temporary file for `path`; missing parent folders are
  /// created when `make_dirs` is true.  False with `err` when it cannot.
  bool Open(const std::string& path, std::string* err, bool make_dirs = false);

  /// Appends bytes.  False once any write has failed (Commit then fails too).
  bool Write(std::string_view bytes);

  /// Flushes, closes and renames into place.  False with `err` (and the
  /// temporary file removed) when any step, or an earlier Write, failed.
  bool Commit(std::string* err);

 private:
  void Abandon();

  std::string target_;
  std::string temp_;
  int fd_ = -1;
  int write_error_ = 0;
};

/// AtomicFileWriter for one block of bytes.
bool WriteFileAtomically(const std::string& path, std::string_view content,
                         std::string* err, bool make_dirs = false);

}  // namespace tlv

#endif  // TLV_PLATFORM_FILE_CONTENTS_H_
