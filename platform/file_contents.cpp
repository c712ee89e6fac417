#include "platform/file_contents.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/paths.h"

namespace tlv {

namespace {

std::string Reason(const std::string& path, int error) {
  return path + ": " + std::strerror(error);
}

// Where a write of `path` really lands: the file a symbolic link points to,
// so that replacing the file does not replace the link.
std::string ResolveTarget(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) != nullptr) return resolved;
  // A dangling link: write to the name it points at.
  ssize_t n = ::readlink(path.c_str(), resolved, sizeof(resolved) - 1);
  if (n <= 0) return path;
  std::string link(resolved, static_cast<std::size_t>(n));
  if (link.front() == '/') return link;
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? link : path.substr(0, slash + 1) + link;
}

}  // namespace

bool ReadFileBytes(const std::string& path, std::string* content,
                   std::string* err) {
  content->clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (err) *err = Reason(path, errno);
    return false;
  }
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    if (err) *err = path + ": is a directory";
    return false;
  }
  if (st.st_size > 0) content->reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof(buffer));
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      if (err) *err = Reason(path, errno);
      ::close(fd);
      return false;
    }
    content->append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return true;
}

AtomicFileWriter::~AtomicFileWriter() { Abandon(); }

void AtomicFileWriter::Abandon() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
}

bool AtomicFileWriter::Open(const std::string& path, std::string* err,
                            bool make_dirs) {
  Abandon();
  write_error_ = 0;
  target_ = ResolveTarget(path);
  std::size_t slash = target_.find_last_of('/');
  std::string dir = slash == std::string::npos ? std::string(".")
                    : slash == 0               ? std::string("/")
                                               : target_.substr(0, slash);
  if (make_dirs && !MakeDirectories(dir, err)) return false;

  // The temporary is the target's name and six random characters; a name
  // near the file system's limit is cut so that the temporary still fits.
  // mkostemp creates it exclusively, so it never replaces another file.
  constexpr std::size_t kRandomPart = 7;  // ".XXXXXX"
  const std::size_t name_at = slash == std::string::npos ? 0 : slash + 1;
  long name_max = ::pathconf(dir.c_str(), _PC_NAME_MAX);
  if (name_max <= 0) name_max = NAME_MAX;
  std::string temp = target_;
  const std::size_t name_room = static_cast<std::size_t>(name_max) - kRandomPart;
  if (temp.size() - name_at > name_room) temp.resize(name_at + name_room);
  temp += ".XXXXXX";
  fd_ = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd_ < 0) {
    if (err) *err = Reason(path, errno);
    return false;
  }
  temp_ = temp;
  // mkstemp creates 0600; give the file the mode a plain create would (or the
  // old file's mode), so a settings file stays readable by others as before.
  struct stat st;
  if (::stat(target_.c_str(), &st) == 0) {
    ::fchmod(fd_, st.st_mode & 07777);
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd_, 0666 & ~mask);
  }
  return true;
}

bool AtomicFileWriter::Write(std::string_view bytes) {
  if (fd_ < 0) {
    if (write_error_ == 0) write_error_ = EBADF;
    return false;
  }
  if (write_error_ != 0) return false;
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd_, data, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      write_error_ = errno;
      return false;
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

bool AtomicFileWriter::Commit(std::string* err) {
  int error = write_error_;
  if (fd_ < 0 && error == 0) error = EBADF;
  if (error == 0 && ::fsync(fd_) != 0) error = errno;
  if (fd_ >= 0) {
    if (::close(fd_) != 0 && error == 0) error = errno;
    fd_ = -1;
  }
  if (error == 0 && ::rename(temp_.c_str(), target_.c_str()) != 0) error = errno;
  if (error != 0) {
    if (err) *err = Reason(target_, error);
    Abandon();
    return false;
  }
  temp_.clear();
  return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view content,
                         std::string* err, bool make_dirs) {
  AtomicFileWriter writer;
  if (!writer.Open(path, err, make_dirs)) return false;
  // A failed write is reported by Commit, which says why.
  writer.Write(content);
  return writer.Commit(err);
}

}  // namespace tlv
