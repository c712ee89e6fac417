// The machine settings dialog "機械設定" (rotary axes of 4- and 5-axis
// machines) with the table-axis dialog "テーブル軸設定", loading and saving
// machine data files (.mch).
#ifndef TLV_EDITOR_MACHINE_DIALOG_H_
#define TLV_EDITOR_MACHINE_DIALOG_H_

#include <QDialog>
#include <array>

#include "definition/machine_data.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tlv {

class EditorPrompter;

/// The captions of the two axes for a machine type ("基礎軸"/"従属軸" for
/// table-table and head-head ...), empty where the type has none.
std::array<QString, 2> AxisCaptions(int machine_type);

/// The dialog "テーブル軸設定": X, Y and Z of one rotary table's axis.
class TableAxisDialog : public QDialog {
  Q_OBJECT

 public:
  TableAxisDialog(double x, double y, double z, QWidget* parent = nullptr);
  double x() const;
  double y() const;
  double z() const;
  std::array<QLineEdit*, 3> edits() const { return edits_; }

 private:
  std::array<QLineEdit*, 3> edits_{};
};

class MachineDialog : public QDialog {
  Q_OBJECT

 public:
  /// Shows `machine`; the caller copies Data() back on OK.
  MachineDialog(const MachineData& machine, EditorPrompter& prompter, QWidget* parent = nullptr);

  MachineData Data() const;
  void SetData(const MachineData& data);

  /// "ファイルから読込" with the file already chosen.  A file that cannot
  /// be opened is ignored.
  void LoadFrom(const QString& path);
  /// "ファイルに保存" with the file already chosen; failures are shown.
  bool SaveTo(const QString& path);

  QComboBox* type_list() const { return type_; }
  QLabel* first_caption() const { return captions_[0]; }
  QLabel* second_caption() const { return captions_[1]; }
  QPushButton* first_table_button() const { return table_buttons_[0]; }
  QPushButton* second_table_button() const { return table_buttons_[1]; }
  QCheckBox* limit_check(int axis) const { return limited_[axis]; }
  QLineEdit* max_edit(int axis) const { return max_[axis]; }
  QLineEdit* min_edit(int axis) const { return min_[axis]; }
  QPushButton* load_button() const { return load_; }
  QPushButton* save_button() const { return save_; }

 private:
  void UpdateEnabled();
  void EditTable(int table);

  EditorPrompter& prompter_;
  QComboBox* type_ = nullptr;
  std::array<QLabel*, 2> captions_{};
  std::array<QComboBox*, 2> axis_{};
  std::array<QButtonGroup*, 2> direction_{};
  std::array<QCheckBox*, 2> limited_{};
  std::array<QLineEdit*, 2> max_{};
  std::array<QLineEdit*, 2> min_{};
  std::array<QPushButton*, 2> table_buttons_{};
  QPushButton* load_ = nullptr;
  QPushButton* save_ = nullptr;
  /// Table axis positions, edited through TableAxisDialog.
  std::array<std::array<double, 3>, 2> tables_{};
};

}  // namespace tlv

#endif  // TLV_EDITOR_MACHINE_DIALOG_H_
