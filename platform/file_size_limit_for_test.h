// Real write faults for tests: a child process runs under a file-size
// limit (RLIMIT_FSIZE), so that a write past a chosen size either fails
// with EFBIG exactly like a write to a full disk, or kills the writer with
// SIGXFSZ in the middle of its file.  The limit counts for every file the
// child (and every program it starts) writes, by file offset; files opened
// but not written past the limit are unaffected.  For tests only.
#ifndef TLV_PLATFORM_FILE_SIZE_LIMIT_FOR_TEST_H_
#define TLV_PLATFORM_FILE_SIZE_LIMIT_FOR_TEST_H_

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tlv {

/// What a write past the limit does.
enum class AtFileSizeLimit {
  kFailWrite,   ///< write() fails with EFBIG, as on a full disk
  kKillWriter,  ///< the writer dies by SIGXFSZ halfway through its file
};

/// How a child ended.
struct ChildEnd {
  bool exited = false;  ///< ended by exit(); `status` holds the status
  int status = -1;
  int signal = 0;  ///< the signal that ended it, else 0

  bool Killed() const { return !exited && signal != 0; }
};

namespace file_size_limit_detail {

inline void EnterLimit(std::int64_t limit_bytes, AtFileSizeLimit at_limit) {
  const rlimit size{static_cast<rlim_t>(limit_bytes), static_cast<rlim_t>(limit_bytes)};
  ::setrlimit(RLIMIT_FSIZE, &size);
  const rlimit no_core{0, 0};
  ::setrlimit(RLIMIT_CORE, &no_core);
  // An ignored signal stays ignored across exec, so the programs a shell
  // starts see the same fault.
  ::signal(SIGXFSZ, at_limit == AtFileSizeLimit::kFailWrite ? SIG_IGN : SIG_DFL);
}

inline ChildEnd Wait(pid_t pid) {
  ChildEnd end;
  if (pid < 0) return end;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return end;
  }
  if (WIFEXITED(status)) {
    end.exited = true;
    end.status = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    end.signal = WTERMSIG(status);
  }
  return end;
}

}  // namespace file_size_limit_detail

/// Runs `body` in a forked child whose files may not grow past
/// `limit_bytes`; the child's exit status is what `body` returns.  Only
/// async-signal-safe work is guaranteed in the child of a threaded test
/// program; ours are single-threaded, so plain library code is fine.
inline ChildEnd RunWithFileSizeLimit(std::int64_t limit_bytes, AtFileSizeLimit at_limit,
                                     const std::function<int()>& body) {
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    file_size_limit_detail::EnterLimit(limit_bytes, at_limit);
    const int status = body();
    ::_exit(status);
  }
  return file_size_limit_detail::Wait(pid);
}

/// Runs `command` with /bin/sh under the limit; every program it starts
/// inherits it.  A shell redirection to a fresh file is not affected.
inline ChildEnd RunCommandWithFileSizeLimit(const std::string& command, std::int64_t limit_bytes,
                                            AtFileSizeLimit at_limit) {
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    file_size_limit_detail::EnterLimit(limit_bytes, at_limit);
    ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  return file_size_limit_detail::Wait(pid);
}

/// The names in `dir` other than `except`, sorted: what a failed write
/// left behind beside the files a test made.
inline std::vector<std::string> NamesInFolder(const std::string& dir,
                                              const std::vector<std::string>& except = {}) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    std::string name = entry.path().filename().string();
    bool skip = false;
    for (const std::string& e : except) skip = skip || e == name;
    if (!skip) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace tlv

#endif  // TLV_PLATFORM_FILE_SIZE_LIMIT_FOR_TEST_H_
