// The number-format controls (checks, digits, formula) shared by the
// sheet's "ﾌｫｰﾏｯﾄ" page and the output-format dialog of one variable, and
// that dialog itself.
#ifndef TLV_EDITOR_OUTPUT_FORMAT_DIALOG_H_
#define TLV_EDITOR_OUTPUT_FORMAT_DIALOG_H_

#include <array>
#include <string>

#include <QDialog>
#include <QWidget>

#include "editor/settings_sheet_logic.h"

class QCheckBox;
class QLineEdit;

namespace tlv {

class EditorPrompter;
class TriCheckBox;
class VariableDictionary;

/// The checks of the format page, the two digit edits and the formula.
/// With `three_state` a check can show the grey state of a mixed selection;
/// without, it is an ordinary check (one variable).
class FormatControls : public QWidget {
  Q_OBJECT
 public:
  FormatControls(QWidget* parent, bool three_state);

  /// Shows a selection; `any` false (nothing selected) disables everything.
  void Show(const SelectionView& view, bool any);
  /// The controls as "適用" takes them.
  FormatEdits Read() const;
  /// Shows edits (after "標準").
  void ShowEdits(const FormatEdits& edits);
  void FocusControl(const std::string& control);

  TriCheckBox* check(FormatFlag flag) const { return checks_[static_cast<int>(flag)]; }
  QLineEdit* integer_digits() const { return integer_digits_; }
  QLineEdit* decimal_digits() const { return decimal_digits_; }
  TriCheckBox* formula_check() const { return formula_check_; }
  QLineEdit* formula() const { return formula_; }

 private:
  void UpdateEnabled();

  std::array<TriCheckBox*, kFlagCount> checks_{};
  QLineEdit* integer_digits_;
  QLineEdit* decimal_digits_;
  TriCheckBox* formula_check_;
  QLineEdit* formula_;
  bool any_ = false;
  bool formula_allowed_ = true;
};

/// The output-format dialog "ﾌｫｰﾏｯﾄ" of one variable.  Works on a copy of
/// `setting`; OK checks and writes it back (61450 for a bad formula, the
/// range message for digits; the dialog then stays open).
class OutputFormatDialog : public QDialog {
  Q_OBJECT
 public:
  OutputFormatDialog(QWidget* parent, EditorPrompter& prompter,
                     const VariableDictionary& dict, VariableSetting* setting);

  FormatControls* controls() const { return controls_; }
  /// Whether OK changed the setting.
  bool changed() const { return changed_; }

  void accept() override;

 private:
  EditorPrompter& prompter_;
  VariableSetting* setting_;
  FormatControls* controls_;
  bool changed_ = false;
};

/// Whether the output-format dialog may open for `setting` (not text-only).
bool CanEditOutputFormat(const VariableSetting* setting);

}  // namespace tlv

#endif  // TLV_EDITOR_OUTPUT_FORMAT_DIALOG_H_
