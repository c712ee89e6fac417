// A TLVP run from start to exit.
#pragma once

#include <cstdio>
#include <string>

namespace tlv {

class Job;
class Prompts;
class SettingsStore;

/// What a run takes from its surroundings.
struct RunEnvironment {
  /// The raw command line (JoinArguments).
  std::string command_line;
  /// The current folder at start.
  std::string start_directory;
  /// Standard output.
  std::FILE* out = stdout;
  Prompts* prompts = nullptr;
  SettingsStore* store = nullptr;
};

/// The second banner line.
inline constexpr const char* kBannerNotice =
    "CNC post-processor for machining centres. Provided as is, without "
    "warranty.\n";

/// Runs TLVP: the run log, the settings, the command line, the run dialog,
/// joining and renaming the tool-path file, `job` for each enabled slot,
/// the result lines, deleting or renaming back the tool-path file, and
/// starting the spreadsheet exporter or the completion message.  Returns
/// the exit status: 0 when the run result is success; 1 when the command
/// line was rejected, the run was cancelled, no job ran or the last job
/// that ran failed.
int RunTlvp(const RunEnvironment& env, Job& job);

}  // namespace tlv
