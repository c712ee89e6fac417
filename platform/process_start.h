#ifndef TLV_PLATFORM_PROCESS_START_H_
#define TLV_PLATFORM_PROCESS_START_H_

#include <string>
#include <vector>

namespace tlv {

/// The outcome of StartDetached.
struct StartResult {
  bool started = false;
  std::string error;  ///< why not, when !started ("<program>: <reason>")
};

/// Starts `program` with `args` (not counting argv[0], which is the program
/// name) in a new session, detached: we never wait for it and it outlives
/// us.  Its standard input is /dev/null; standard output and error are
/// inherited.  A program without '/' is looked up on PATH.  `started` is
/// true only when the program really began to run: a missing or
/// non-executable file is reported as a failure.
StartResult StartDetached(const std::string& program,
                          const std::vector<std::string>& args);

/// Finds the executable `name`: beside the running executable first, else on
/// PATH.  "" when neither holds an executable file of that name.
std::string FindProgram(const std::string& name);

}  // namespace tlv

#endif  // TLV_PLATFORM_PROCESS_START_H_
