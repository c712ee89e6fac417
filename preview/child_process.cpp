#include "preview/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace tlv {
namespace {

// The child's environment: ours, less the removed names, with the set
// names replaced.
std::vector<std::string> ChildEnvironment(const ChildRequest& request) {
  std::vector<std::string> env;
  for (char** e = environ; e && *e; ++e) {
    const std::string_view entry(*e);
    const std::string_view name = entry.substr(0, entry.find('='));
    bool dropped = false;
    for (const std::string& unset : request.unset_env) dropped = dropped || name == unset;
    for (const auto& [set, value] : request.set_env) dropped = dropped || name == set;
    if (!dropped) env.emplace_back(entry);
  }
  for (const auto& [name, value] : request.set_env) env.push_back(name + "=" + value);
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  out.reserve(strings.size() + 1);
  for (std::string& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

// Opens what a standard stream of the child goes to: the named file, or
// /dev/null.  -1 with `err` when it cannot be opened.
int OpenStream(const std::string& path, bool for_output, std::string* err) {
  const std::string& target = path.empty() ? std::string("/dev/null") : path;
  const int flags = for_output ? (O_WRONLY | O_CREAT | O_TRUNC) : O_RDONLY;
  const int fd = ::open(target.c_str(), flags | O_CLOEXEC, 0666);
  if (fd < 0) *err = target + ": " + std::strerror(errno);
  return fd;
}

}  // namespace

ChildResult RunChild(const ChildRequest& request, const std::atomic<bool>* cancel) {
  ChildResult result;
  std::string err;
  const int in = OpenStream("", false, &err);
  const int out = in < 0 ? -1 : OpenStream(request.stdout_path, true, &err);
  const int errfd = out < 0 ? -1 : OpenStream(request.stderr_path, true, &err);
  auto close_all = [&] {
    for (int fd : {in, out, errfd}) {
      if (fd >= 0) ::close(fd);
    }
  };
  if (errfd < 0) {
    close_all();
    result.error = err;
    return result;
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in, STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, errfd, STDERR_FILENO);
  if (!request.working_directory.empty()) {
    posix_spawn_file_actions_addchdir_np(&actions, request.working_directory.c_str());
  }
  // Its own process group, so that a kill reaches whatever it starts.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attr, 0);

  std::vector<std::string> args;
  args.push_back(request.program);
  args.insert(args.end(), request.args.begin(), request.args.end());
  std::vector<std::string> env = ChildEnvironment(request);
  std::vector<char*> argv = Pointers(args);
  std::vector<char*> envp = Pointers(env);

  pid_t pid = 0;
  const int spawned =
      ::posix_spawn(&pid, request.program.c_str(), &actions, &attr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  close_all();
  if (spawned != 0) {
    result.error = request.program + ": " + std::strerror(spawned);
    return result;
  }
  result.started = true;

  // Poll: short sleeps at first, so that a run of a few milliseconds is
  // not held up, growing to 20 ms for long runs.
  const auto start = std::chrono::steady_clock::now();
  auto pause = std::chrono::microseconds(200);
  int status = 0;
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0 && errno != EINTR) {
      result.error = request.program + ": " + std::strerror(errno);
      return result;
    }
    const bool stop = cancel && cancel->load();
    const bool late = std::chrono::steady_clock::now() - start > request.timeout;
    if (stop || late) {
      ::kill(-pid, SIGKILL);
      ::kill(pid, SIGKILL);
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      result.cancelled = stop;
      result.timed_out = !stop;
      break;
    }
    std::this_thread::sleep_for(pause);
    if (pause < std::chrono::milliseconds(20)) pause *= 2;
  }
  if (WIFEXITED(status)) {
    result.exited = true;
    result.exit_status = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
  }
  return result;
}

}  // namespace tlv
