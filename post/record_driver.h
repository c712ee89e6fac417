// The record loop of a job: set-up of the variables and the output, one
// pass over the tool-path records dispatching each to its motion handler
// and expanding its section, the process-sheet points, and the end of the
// job.
#ifndef TLV_POST_RECORD_DRIVER_H_
#define TLV_POST_RECORD_DRIVER_H_

#include <string>

namespace tlv {

class ProcedureParameters;
class RunMessages;
class VariableDictionary;
struct JobServices;
struct PostDefinition;
struct RunSettings;

/// Process-sheet output as the record loop reaches it: the head, items and
/// tail are written into the sheet file or the process database.  The job
/// runs without one until the process sheet is part of the build.
class SheetOutput {
 public:
  virtual ~SheetOutput() = default;
  virtual void Head() {}
  /// One item, with the sheet slots of the variables selected.
  virtual void Item() {}
  virtual void Tail() {}
};

/// What a job drives its records with.  Everything must outlive the call.
struct DriveInputs {
  RunSettings* settings = nullptr;
  int slot_index = 0;
  const JobServices* services = nullptr;
  const PostDefinition* definition = nullptr;
  const VariableDictionary* dictionary = nullptr;
  /// The run's procedure parameters (read here once per run); may be null.
  ProcedureParameters* procedures = nullptr;
};

/// Drives the records of the tool-path file (settings->input_path) into the
/// slot's NC program.  True when the program was made; every failure is
/// reported on standard output and in the log, and leaves no partial
/// program in place of the output.
bool DriveRecords(const DriveInputs& in);

}  // namespace tlv

#endif  // TLV_POST_RECORD_DRIVER_H_
