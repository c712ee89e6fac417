// The run dialog step: the user checks the three job slots before the jobs
// run, unless the settings allow skipping it and the slots are valid.
#pragma once

#include <string>

namespace tlv {

class DatabaseTargets;
class Prompts;
class RunMessages;
class SettingsStore;
struct RunSettings;

/// The outcome of ValidateSlots.
struct SlotValidation {
  bool valid = false;
  int bad_slot = -1;    ///< index (0 to 2) of the first bad slot
  std::string message;  ///< what was wrong with it
};

/// Checks each enabled slot in order: a definition path is set, the output
/// path has a file-name part, and an existing output file may be
/// overwritten (asked through `prompts` as a Yes/No box, window or not),
/// and, for a slot in database mode with a target, that the target's folder
/// holds no file of the output's name (asked of `database`; skipped without
/// one, and passed when the database cannot be read: the job then runs
/// without database output).  The first failed check ends the validation;
/// with `with_window` its message is shown in a box titled "error".
SlotValidation ValidateSlots(const RunSettings& settings, Prompts& prompts,
                             bool with_window,
                             DatabaseTargets* database = nullptr);

/// The run dialog step.  When skipping is allowed and the slots are valid
/// the dialog is not shown; otherwise skipping is switched off and the
/// dialog shows the three slots and asks to run, to run and register the
/// slots as default, to cancel, or to change a slot (its enabled flag,
/// definition path and output path; a name without a folder is taken
/// relative to the start or save directory).  A slot in database mode
/// shows its database target and offers to choose one through `database`
/// (insert or append, and the row) or to clear it.  Run validates the slots:
/// invalid ones keep the dialog open, except at end of input, where the
/// dialog cancels (nothing could change them any more).  When the slots are to be registered they
/// are written back to `store` before proceeding.  True to proceed.
bool RunDialogStep(RunSettings* settings, SettingsStore* store,
                   Prompts& prompts, RunMessages& messages,
                   DatabaseTargets* database = nullptr);

}  // namespace tlv
