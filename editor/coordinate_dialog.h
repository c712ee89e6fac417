// The coordinate page "座標値切替" (cG9091Dlg) of the NC format sheet: output
// mode, tool position, start point, minimum setting unit and the arc
// switches.
#ifndef TLV_EDITOR_COORDINATE_DIALOG_H_
#define TLV_EDITOR_COORDINATE_DIALOG_H_

#include <optional>
#include <string>

#include <QWidget>

#include "editor/settings_sheet_logic.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;

namespace tlv {

struct PostDefinition;

/// The page's controls as values.
struct CoordinateEdits {
  /// List "座標値出力": 0 G90, 1 G91, 2 G92; -1 (a stored value outside
  /// 0..2) leaves the stored byte alone.
  int output_mode = 0;
  /// Radio: 0 "工具先端位置", 1 "工具中心位置".
  int tool_position = 0;
  /// Radio: 0 "基準位置", 1 "加工開始位置", 2 "機械座標原点".
  int start_point = 0;
  /// Edit "最小設定単位（小数点以下の桁数）", 0..6.
  std::string min_unit_digits;
  bool split_large_arcs = false;
  bool tiny_arc_as_circle = true;
};

/// The controls for `def`.  Start point 1 shows the first radio, 3 the
/// third and any other value the second.
CoordinateEdits CoordinateEditsFrom(const PostDefinition& def);

/// Writes the controls back: byte 0, byte 1 (1, 2 or 3), byte 3 (0, or the
/// stored non-zero value for the tool centre), the minimum unit both in
/// byte 2 and in min_unit_digits, and the two arc switches.  Refuses a
/// minimum unit outside 0..6 ("min_unit_digits"); nothing is written then.
std::optional<Refusal> ApplyCoordinateEdits(const CoordinateEdits& edits,
                                            PostDefinition* def);

/// The page as a widget.
class CoordinatePage : public QWidget {
  Q_OBJECT
 public:
  explicit CoordinatePage(QWidget* parent = nullptr);

  void Load(const CoordinateEdits& edits);
  CoordinateEdits Read() const;
  /// Gives the focus to the control a refusal names.
  void FocusControl(const std::string& control);

  QComboBox* output_mode() const { return output_mode_; }
  QLineEdit* min_unit_digits() const { return min_unit_digits_; }

 private:
  QComboBox* output_mode_;
  QButtonGroup* tool_position_;
  QButtonGroup* start_point_;
  QLineEdit* min_unit_digits_;
  QCheckBox* split_large_arcs_;
  QCheckBox* tiny_arc_as_circle_;
};

}  // namespace tlv

#endif  // TLV_EDITOR_COORDINATE_DIALOG_H_
