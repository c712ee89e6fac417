// Runs a program to its end as a child process, with its output in files,
// a time limit, and a flag that stops it early.  The preview starts TLVP
// this way so that a run that crashes or hangs cannot take the editor down
// with it.
#ifndef TLV_PREVIEW_CHILD_PROCESS_H_
#define TLV_PREVIEW_CHILD_PROCESS_H_

#include <atomic>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace tlv {

/// What to start and where its streams go.
struct ChildRequest {
  std::string program;            ///< a path; never looked up on PATH
  std::vector<std::string> args;  ///< not counting argv[0]
  std::string working_directory;  ///< "" keeps ours
  /// Variables set (or replaced) in the child's environment.
  std::vector<std::pair<std::string, std::string>> set_env;
  /// Variables removed from the child's environment.
  std::vector<std::string> unset_env;
  /// Standard output and error go to these files (created or truncated);
  /// "" sends the stream to /dev/null.  Standard input is always /dev/null,
  /// so a prompt in the child takes its default instead of waiting.
  std::string stdout_path;
  std::string stderr_path;
  /// The child is killed when it runs longer than this.
  std::chrono::milliseconds timeout{std::chrono::minutes(5)};
};

/// How the child ended.
struct ChildResult {
  bool started = false;
  bool exited = false;     ///< ended by exit(); `exit_status` holds its status
  int exit_status = -1;
  int signal = 0;          ///< the signal that ended it, 0 when none
  bool cancelled = false;  ///< killed because `cancel` was set
  bool timed_out = false;  ///< killed because it ran over the time limit
  std::string error;       ///< why it did not start ("<program>: <reason>")
};

/// Starts the child and waits for it.  Returns early (after killing the
/// child and reaping it) when `*cancel` becomes true or the time limit
/// passes.  `cancel` may be null.  Never leaves a zombie behind.
ChildResult RunChild(const ChildRequest& request, const std::atomic<bool>* cancel);

}  // namespace tlv

#endif  // TLV_PREVIEW_CHILD_PROCESS_H_
