// The settings of one TLVP run: the job slots and every value read from the
// settings store, built once at start and kept until exit.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace tlv {

class SettingsStore;

/// Key paths in the settings store.
inline constexpr std::string_view kMainKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV";
inline constexpr std::string_view kInstallKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Kestra\\Tolvek\\4.24";

inline constexpr int kJobSlotCount = 3;

/// Limits of the values read from the settings store.  A stored value over
/// its limit is not used (the default stays) and a warning says so.
inline constexpr std::size_t kMaxSettingsValueLength = 99;
inline constexpr std::size_t kMaxLogPathLength = 99;
inline constexpr std::size_t kMaxSlotNameLength = 29;
inline constexpr std::size_t kMaxDividedExtLength = 19;
inline constexpr std::size_t kMaxNcDefaultExtLength = 3;
inline constexpr std::size_t kMaxSlotDefinitionPathLength = 149;
inline constexpr std::size_t kMaxSlotOutputPathLength = 150;
inline constexpr std::size_t kMaxProcedureParameterPathLength = 150;

/// One of the three jobs of a run: a post definition and its NC output.
struct JobSlot {
  std::string name;
  bool enabled = false;
  std::string definition_path;
  std::string output_path;
  /// On when the definition sends its process sheet to the process database
  /// (see SetDefinitionPath).
  bool database_mode = false;
  /// The chosen database target; -1 is no database output.
  int database_target = -1;
  /// The row the next process-sheet row of the target goes to (the row
  /// counter; advanced by each row written).
  int database_row = 1;
  /// 2 inserts the rows before the target's row `database_row`; any other
  /// value appends.
  int database_insert_mode = 0;
};

/// Everything a run carries from start to exit.  The defaults here are the
/// start values, used when the main key cannot be opened.
struct RunSettings {
  std::string divided_file_ext;
  bool join_input_pieces = false;
  int initial_file_number = 1;
  int file_number_source = 1;
  int file_number_increment = 1;
  std::array<int, 4> database_comment_items{};
  bool parameter_input_before_run = false;
  int file_number_digits = 1;
  bool delete_input_at_end = true;
  bool start_exporter = false;
  int rapid_feed_rate = 10000;
  bool no_r_point_return_in_cycles = true;
  bool show_completion_message = false;
  bool set_initial_position_to_coordinates = false;
  bool delete_empty_lines = true;
  bool skip_run_dialog = false;
  /// The procedure parameter file beside the tool path; empty when none.
  std::string procedure_parameter_path;

  /// The tool-path data file; during the jobs the renamed file.
  std::string input_path;
  /// The current folder at start, ending in '/'.
  std::string start_directory;
  /// Where output names without a folder go; ends in a separator, or is
  /// empty when the main key is missing.
  std::string save_directory;
  bool own_file = false;
  int own_file_ext_type = 0;
  std::string nc_default_ext = "ncd";
  /// Set by the run dialog: write the slots back after it.
  bool save_job_settings = false;
  /// Start folder of the definition-file picker ("TLVPath"); empty if unset.
  std::string definition_folder;
  std::string log_path;
  std::string dictionary_path;

  std::array<JobSlot, kJobSlotCount> slots;
};

/// Result of reading the settings: the warnings about stored values that
/// were not used, each a line for standard output and the log.
struct SettingsReadResult {
  bool main_key_found = false;
  std::vector<std::string> warnings;
};

/// The run log's path: "TLVLog" of the main key, else "TOLvek.log" in
/// `start_directory`.
std::string RunLogPath(const SettingsStore& store,
                       std::string_view start_directory);

/// Builds the run settings: start values, `start_directory` (with a
/// separator appended when missing), the slot defaults, then the values and
/// the "PSet1".."PSet3" subkeys from `store` when the main key exists.  A
/// subkey without "DBTarget" (or with a negative one) leaves the slot
/// without database output; "DBRow" below 1 counts as 1.
/// Does not write anything (see WriteSavePath).
SettingsReadResult ReadRunSettings(const SettingsStore& store,
                                   std::string_view start_directory,
                                   RunSettings* settings);

/// Writes the save directory back as "SavePath" when the main key exists.
/// False with `err` when the write failed.
bool WriteSavePath(SettingsStore* store, const RunSettings& settings,
                   std::string* err);

/// Names of the slot values that keep the slot's process-database save
/// point, written beside "Name" and the paths so that a registered slot
/// still sends its sheet to the database when the run dialog is skipped.
/// Decimal text; an absent target is no database output.
inline constexpr std::string_view kSlotDbTargetValue = "DBTarget";
inline constexpr std::string_view kSlotDbRowValue = "DBRow";
inline constexpr std::string_view kSlotDbInsertModeValue = "DBInsertMode";

/// Writes each slot to its subkey (created when missing): "Name",
/// "Validate" (dword 0/1), "TLVDataFile", "OutDataFile", and its database
/// save point ("DBTarget", "DBRow", "DBInsertMode" as decimal text).
bool WriteJobSlots(SettingsStore* store, const RunSettings& settings,
                   std::string* err);

/// After a job that sent its rows to the process database: when the
/// settings store registers `slot`'s target for slot `slot_index` (its
/// subkey's "DBTarget"), the registered row counter ("DBRow") becomes
/// `slot.database_row`, so that the next run on the registered settings
/// goes on after this run's rows instead of inserting before them.
/// Nothing is written for a target that is not the registered one.  False
/// with `err` when the write failed.
bool AdvanceRegisteredRow(SettingsStore* store, int slot_index,
                          const JobSlot& slot, std::string* err);

/// Sets the slot's definition path and its database mode from the file.
void SetDefinitionPath(JobSlot* slot, std::string path);

/// True when the definition file opens and its process sheet goes to the
/// database: byte 0 of the process-sheet block (the third int after the
/// version tag) is 2.  A file that cannot be read gives false.
bool DefinitionUsesDatabase(const std::string& path);

}  // namespace tlv
