// The settings store of a preview run: a scratch copy of the user's store
// with the values that would make the run touch anything outside its
// scratch folder, wait for an answer or start another program replaced.
#ifndef TLV_PREVIEW_PREVIEW_SETTINGS_H_
#define TLV_PREVIEW_PREVIEW_SETTINGS_H_

#include <string>

namespace tlv {

/// The paths of one preview run.  Every path but `user_settings_path` lies
/// in the run's scratch folder.
struct PreviewSettingsPlan {
  /// The user's settings file; "" or a missing file is an empty store.  It
  /// is only read.
  std::string user_settings_path;
  /// Where the scratch store is written.
  std::string settings_path;
  std::string dictionary_path;
  std::string definition_path;
  /// The NC program; its folder receives split files and the process sheet.
  std::string output_path;
  std::string log_path;
  std::string database_path;
};

/// Writes the scratch store: the user's values (number formats, empty-line
/// removal, rapid rate, user name and the rest that shape the NC text), then
/// the run's own: dictionary, log, save folder, process database, no run
/// dialog, no completion box, no naming after the tool path, and job slot 1
/// alone enabled with the scratch definition and output.  False with `err`
/// when the user's file exists but cannot be read or the scratch file
/// cannot be written.
bool WritePreviewSettings(const PreviewSettingsPlan& plan, std::string* err);

}  // namespace tlv

#endif  // TLV_PREVIEW_PREVIEW_SETTINGS_H_
