// The dialog "レジストリ設定": the run settings that the post-processor reads
// at start, edited and written back to the settings store in one go.
#ifndef TLV_EDITOR_REGISTRY_DIALOG_H_
#define TLV_EDITOR_REGISTRY_DIALOG_H_

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

#include "platform/settings_store.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace tlv {

class EditorPrompter;

/// The values the dialog edits, as shown.
struct RegistryValues {
  QString save_path;             // "SavePath", shown with a trailing separator
  QString tlv_path;              // "TLVPath"
  bool save_own_file = false;    // "SaveOwnFile"
  int own_file_ext_type = 0;     // "OwnFileExtType" 0/1
  QString divided_ext;           // "SaveDvFileExt", at most 3 characters
  QString nc_default_ext = QStringLiteral("NCD");  // "NCDefaultExt"
  int dont_show_exec_dlg = 0;    // "DontShowExecDlg" 0 show, 1 hide
  bool input_before_run = false;       // "PrmInputBeforeRun"
  bool set_init_pos_to_cord = true;    // "PrmSetInitPostoCord"
  bool no_admit_r_return = true;       // "PrmNoAdmitRretCycle"
  bool show_complete_msg = true;       // "PrmShowCompleteMsg"
  bool delete_null_line = false;       // "PrmDeleteNullLine"
  QString feed_at_rapid = QStringLiteral("10000");  // "FeedAtRapid"
  QString init_file_num = QStringLiteral("0");      // "InitFileNum"
  int file_num_source = 0;       // "FileNumSource" 0 asked, 1 registered value
  int file_num_digit = 2;        // "FileNumDigit" (list index)
  QString file_num_increment = QStringLiteral("1");  // "FileNumIncriment"
};

/// The values as the store holds them; each absent value keeps its default.
RegistryValues ReadRegistryValues(const SettingsStore& store);

/// The changes "登　録" writes, in the order it writes them.
std::vector<SettingsChange> RegistryChanges(const RegistryValues& values);

/// Longest text value the post-processor reads back whole, in bytes.
inline constexpr int kRegistryTextLimit = 99;

class RegistryDialog : public QDialog {
  Q_OBJECT

 public:
  RegistryDialog(SettingsStore& store, EditorPrompter& prompter, QWidget* parent = nullptr);

  RegistryValues Values() const;
  void SetValues(const RegistryValues& values);

  /// "登　録": checks, asks 61446, writes and closes.  Returns true when the
  /// values were written.
  bool Register();

  QLineEdit* save_path_edit() const { return save_path_; }
  QLineEdit* increment_edit() const { return increment_; }
  QLineEdit* nc_ext_edit() const { return nc_ext_; }
  QLineEdit* feed_edit() const { return feed_; }
  QComboBox* digit_list() const { return digits_; }
  QCheckBox* set_init_pos_check() const { return set_init_pos_; }
  QCheckBox* no_r_return_check() const { return no_r_return_; }
  QCheckBox* complete_msg_check() const { return complete_msg_; }
  QPushButton* register_button() const { return register_button_; }

 private:
  SettingsStore& store_;
  EditorPrompter& prompter_;
  QLineEdit* save_path_ = nullptr;
  QLineEdit* tlv_path_ = nullptr;
  QCheckBox* own_file_ = nullptr;
  QButtonGroup* own_ext_type_ = nullptr;
  QLineEdit* divided_ext_ = nullptr;
  QLineEdit* nc_ext_ = nullptr;
  QButtonGroup* exec_dlg_ = nullptr;
  QCheckBox* input_before_run_ = nullptr;
  QCheckBox* set_init_pos_ = nullptr;
  QCheckBox* no_r_return_ = nullptr;
  QCheckBox* complete_msg_ = nullptr;
  QCheckBox* delete_null_line_ = nullptr;
  QLineEdit* feed_ = nullptr;
  QLineEdit* init_num_ = nullptr;
  QButtonGroup* num_source_ = nullptr;
  QComboBox* digits_ = nullptr;
  QLineEdit* increment_ = nullptr;
  QPushButton* register_button_ = nullptr;
};

}  // namespace tlv

#endif  // TLV_EDITOR_REGISTRY_DIALOG_H_
