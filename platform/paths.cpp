#include "platform/paths.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/file_contents.h"

namespace tlv {

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }

void SetError(std::string* err, const std::string& path, int error) {
  if (err) *err = path + ": " + std::strerror(error);
}

}  // namespace

std::size_t FindLastSeparator(std::string_view path) {
  return path.find_last_of("/\\");
}

bool HasSeparator(std::string_view path) {
  return path.find_first_of("/\\") != std::string_view::npos;
}

std::string_view DirectoryPart(std::string_view path) {
  std::size_t sep = FindLastSeparator(path);
  if (sep == std::string_view::npos) return {};
  return path.substr(0, sep);
}

std::string_view FileNamePart(std::string_view path) {
  std::size_t sep = FindLastSeparator(path);
  if (sep == std::string_view::npos) return path;
  return path.substr(sep + 1);
}

std::string_view ExtensionPart(std::string_view path) {
  std::string_view name = FileNamePart(path);
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return {};
  return name.substr(dot + 1);
}

std::string_view WithoutExtension(std::string_view path) {
  std::string_view name = FileNamePart(path);
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return path;
  return path.substr(0, path.size() - (name.size() - dot));
}

std::string JoinPath(std::string_view dir, std::string_view name) {
  if (dir.empty() || (!name.empty() && name.front() == '/')) {
    return std::string(name);
  }
  std::string out(dir);
  if (!IsPathSeparator(out.back())) out.push_back('/');
  std::size_t skip = 0;
  while (skip < name.size() && IsPathSeparator(name[skip])) ++skip;
  out.append(name.substr(skip));
  return out;
}

void EnsureTrailingSeparator(std::string* path) {
  if (!path->empty() && !IsPathSeparator(path->back())) path->push_back('/');
}

std::size_t FindIgnoreCase(std::string_view text, std::string_view marker) {
  if (marker.empty()) return 0;
  if (marker.size() > text.size()) return std::string_view::npos;
  for (std::size_t i = 0; i + marker.size() <= text.size(); ++i) {
    std::size_t k = 0;
    while (k < marker.size() && FoldAscii(text[i + k]) == FoldAscii(marker[k])) ++k;
    if (k == marker.size()) return i;
  }
  return std::string_view::npos;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

bool PathExists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool RemoveFile(const std::string& path, std::string* err) {
  if (::unlink(path.c_str()) == 0) return true;
  SetError(err, path, errno);
  return false;
}

bool RenameFile(const std::string& from, const std::string& to,
                std::string* err) {
  if (::rename(from.c_str(), to.c_str()) == 0) return true;
  if (err) *err = from + " -> " + to + ": " + std::strerror(errno);
  return false;
}

bool CopyFile(const std::string& from, const std::string& to,
              std::string* err) {
  int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    SetError(err, from, errno);
    return false;
  }
  AtomicFileWriter out;
  if (!out.Open(to, err)) {
    ::close(in);
    return false;
  }
  // Streamed in chunks: NC programs can be far larger than memory allows.
  std::vector<char> buffer(1 << 20);
  for (;;) {
    ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      SetError(err, from, errno);
      ::close(in);
      return false;
    }
    if (!out.Write(std::string_view(buffer.data(), static_cast<std::size_t>(n)))) break;
  }
  ::close(in);
  return out.Commit(err);
}

bool MakeDirectories(const std::string& path, std::string* err) {
  if (path.empty()) return true;
  if (IsDirectory(path)) return true;
  // Climb only through '/': a '\' is part of a Linux file name.
  std::size_t slash = path.find_last_of('/');
  std::string parent = slash == std::string::npos ? std::string() : path.substr(0, slash);
  if (!parent.empty() && parent != path && !MakeDirectories(parent, err)) {
    return false;
  }
  if (::mkdir(path.c_str(), 0777) == 0 || (errno == EEXIST && IsDirectory(path))) {
    return true;
  }
  SetError(err, path, errno);
  return false;
}

std::string CurrentDirectory() {
  std::vector<char> buffer(PATH_MAX + 1);
  if (::getcwd(buffer.data(), buffer.size()) == nullptr) return {};
  return std::string(buffer.data());
}

std::string ExecutableDirectory() {
  std::vector<char> buffer(PATH_MAX + 1);
  ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return {};
  std::string exe(buffer.data(), static_cast<std::size_t>(n));
  std::size_t slash = exe.find_last_of('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? std::string("/") : exe.substr(0, slash);
}

std::string HomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  struct passwd pw;
  struct passwd* result = nullptr;
  std::vector<char> buffer(16384);
  if (::getpwuid_r(::geteuid(), &pw, buffer.data(), buffer.size(), &result) == 0 &&
      result && result->pw_dir) {
    return result->pw_dir;
  }
  return {};
}

std::string DefaultDataFolder() {
  const char* data_home = std::getenv("XDG_DATA_HOME");
  std::string base;
  // An XDG variable that is not an absolute path is to be ignored.
  if (data_home && data_home[0] == '/') {
    base = data_home;
  } else {
    base = JoinPath(HomeDirectory(), ".local/share");
  }
  return JoinPath(base, "kestra/TLVData");
}

}  // namespace tlv
