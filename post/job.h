// The interface through which the run entry runs one job of a run.
#pragma once

namespace tlv {

class RunMessages;
struct RunSettings;

/// One job: turns the tool-path data file (settings.input_path) into the NC
/// program of one job slot.  The run entry calls it once for each enabled
/// slot whose definition file exists, in slot order.
class Job {
 public:
  virtual ~Job() = default;

  /// Runs the job of `slot_index` (0 to 2).  True when the NC program was
  /// made.  The job reports its own errors through `messages` and may
  /// change `settings` for the jobs after it (the rapid feed rate, starting
  /// the spreadsheet exporter).
  virtual bool Run(RunSettings& settings, int slot_index,
                   RunMessages& messages) = 0;
};

}  // namespace tlv
