#include "platform/process_start.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/paths.h"

namespace tlv {

namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

// Looks `name` up in the folders of PATH; "" when none holds it.
std::string SearchPath(const std::string& name) {
  const char* path_env = std::getenv("PATH");
  std::string_view dirs = path_env ? path_env : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    std::size_t colon = dirs.find(':');
    std::string_view dir = dirs.substr(0, colon);
    // An empty entry means the current directory.
    std::string candidate = JoinPath(dir.empty() ? "." : dir, name);
    if (IsExecutableFile(candidate)) return candidate;
    if (colon == std::string_view::npos) break;
    dirs.remove_prefix(colon + 1);
  }
  return {};
}

// write() that survives EINTR; only async-signal-safe calls.
void WriteAll(int fd, const void* data, std::size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = ::write(fd, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return;
    }
    p += n;
    size -= static_cast<std::size_t>(n);
  }
}

}  // namespace

StartResult StartDetached(const std::string& program,
                          const std::vector<std::string>& args) {
  StartResult result;
  if (program.empty()) {
    result.error = "no program given";
    return result;
  }
  std::string path = program.find('/') == std::string::npos ? SearchPath(program) : program;
  if (path.empty()) {
    result.error = program + ": not found";
    return result;
  }

  // Everything the child needs is built before fork: after it only
  // async-signal-safe calls are allowed.
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  // The grandchild reports a failed exec through this pipe; a successful
  // exec closes it (close-on-exec) and the parent reads end of file.
  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_CLOEXEC) != 0) {
    result.error = program + ": " + std::strerror(errno);
    return result;
  }
  pid_t child = ::fork();
  if (child < 0) {
    result.error = program + ": " + std::strerror(errno);
    ::close(pipe_fds[0]);
    ::close(pipe_fds[1]);
    return result;
  }
  if (child == 0) {
    ::close(pipe_fds[0]);
    ::setsid();
    pid_t grandchild = ::fork();
    if (grandchild < 0) {
      int error = errno;
      WriteAll(pipe_fds[1], &error, sizeof(error));
      ::_exit(1);
    }
    if (grandchild > 0) ::_exit(0);
    // The started program must not wait on our terminal's input.
    int null_fd = ::open("/dev/null", O_RDONLY);
    if (null_fd >= 0) {
      ::dup2(null_fd, 0);
      if (null_fd != 0) ::close(null_fd);
    }
    ::execv(path.c_str(), argv.data());
    int error = errno;
    WriteAll(pipe_fds[1], &error, sizeof(error));
    ::_exit(127);
  }
  ::close(pipe_fds[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t n;
  while ((n = ::read(pipe_fds[0], &error, sizeof(error))) < 0 && errno == EINTR) {
  }
  ::close(pipe_fds[0]);
  if (n == static_cast<ssize_t>(sizeof(error))) {
    result.error = program + ": " + std::strerror(error);
    return result;
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    result.error = program + ": could not be started";
    return result;
  }
  result.started = true;
  return result;
}

std::string FindProgram(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) {
    return IsExecutableFile(name) ? name : std::string();
  }
  std::string beside = ExecutableDirectory();
  if (!beside.empty()) {
    std::string candidate = JoinPath(beside, name);
    if (IsExecutableFile(candidate)) return candidate;
  }
  return SearchPath(name);
}

}  // namespace tlv
