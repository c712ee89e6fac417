// The run dialog "ﾊﾟﾗﾒｰﾀ入力 (Rev4.24)" as a window: a thin view over
// RunDialogModel, which does what each control means for the slots.
#ifndef TLV_POST_WINDOWS_RUN_DIALOG_WINDOW_H_
#define TLV_POST_WINDOWS_RUN_DIALOG_WINDOW_H_

#include <QDialog>
#include <map>

#include "post/run_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tlv {

/// The dialog's controls by their numbers.
enum RunDialogControl {
  kRunButton = 1,
  kCancelButton = 2,
  kDefinitionField = 1000,
  kDefinitionPicker = 1001,
  kRegisterCheck = 1002,
  kOutputField = 1003,
  kOutputPicker = 1004,
  kSlotList = 1005,
  kUseSettingCheck = 1006,
  kDatabaseTarget = 1010,
  kDatabaseSettings = 1011,
  kDatabaseLabel = 1012,
  kDatabaseClear = 1013,
};

class RunDialogWindow : public QDialog {
  Q_OBJECT
 public:
  /// Opens on slot 1 of `model` (which must outlive the window).
  explicit RunDialogWindow(RunDialogModel& model, QWidget* parent = nullptr);

  /// The control numbered `id`; nullptr for an unknown number.
  QWidget* control(int id) const;

  /// Shows the model's current state: the chosen slot's values, the
  /// database controls (visible in database mode only) and the register
  /// flag.
  void Refresh();

 private:
  void CommitDefinitionField();
  void CommitOutputField();
  void Run();

  RunDialogModel& model_;
  std::map<int, QWidget*> controls_;
  QComboBox* slot_list_;
  QCheckBox* use_setting_;
  QLineEdit* definition_;
  QLineEdit* output_;
  QLabel* database_label_;
  QLabel* database_target_;
  QPushButton* database_settings_;
  QPushButton* database_clear_;
  QCheckBox* register_;
  /// Set while the view writes its controls, so their signals are not taken
  /// for the user's changes; and while a field is committed (its box may
  /// take the focus and finish the editing once more).
  bool updating_ = false;
};

/// The run dialog view of the window front end.
class WindowRunDialogView : public RunDialogView {
 public:
  bool Show(RunDialogModel& model) override;
};

}  // namespace tlv

#endif  // TLV_POST_WINDOWS_RUN_DIALOG_WINDOW_H_
