#include "platform/file_contents.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/paths.h"

namespace tlv {

namespace {

std::string Reason(const std::string& path) {
  return path + ": " + std::strerror(errno);
}

}  // namespace

bool ReadFileBytes(const std::string& path, std::string* content,
                   std::string* err) {
  content->clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (err) *err = Reason(path);
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
      if (err) *err = Reason(path);
      ::close(fd);
      return false;
    }
    content->append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view content,
                         std::string* err, bool make_dirs) {
  std::size_t slash = path.find_last_of('/');
  std::string dir = slash == std::string::npos ? std::string(".")
                    : slash == 0                ? std::string("/")
                                                : path.substr(0, slash);
  if (make_dirs && !MakeDirectories(dir, err)) return false;

  std::string temp = path + ".XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    if (err) *err = Reason(path);
    return false;
  }
  // mkstemp creates 0600; give the file the mode a plain create would (or the
  // old file's mode) so a settings file stays readable by others as before.
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) {
    ::fchmod(fd, st.st_mode & 07777);
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
  const char* data = content.data();
  std::size_t left = content.size();
  bool ok = true;
  while (left > 0) {
    ssize_t n = ::write(fd, data, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  if (ok) {
    if (::close(fd) != 0) ok = false;
  } else {
    int saved = errno;
    ::close(fd);
    errno = saved;
  }
  if (ok && ::rename(temp.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) {
    if (err) *err = Reason(path);
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace tlv
