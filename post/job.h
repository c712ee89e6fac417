// The interface through which the run entry runs one job of a run.
#pragma once

namespace tlv {

class Prompts;
class RunMessages;
class SettingsStore;
struct RunSettings;

/// What a job reaches besides the run settings: the run's messages
/// (standard output and log), its dialogs and the settings store.
struct JobServices {
  RunMessages* messages = nullptr;
  Prompts* prompts = nullptr;
  SettingsStore* store = nullptr;
};

/// One job: turns the tool-path data file (settings.input_path) into the NC
/// program of one job slot.  The run entry calls it once for each enabled
/// slot whose definition file exists, in slot order.
class Job {
 public:
  virtual ~Job() = default;

  /// Runs the job of `slot_index` (0 to 2).  True when the NC program was
  /// made.  The job reports its own errors through `services.messages` and
  /// may change `settings` for the jobs after it (the rapid feed rate,
  /// starting the spreadsheet exporter).
  virtual bool Run(RunSettings& settings, int slot_index,
                   const JobServices& services) = 0;
};

}  // namespace tlv
