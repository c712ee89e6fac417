// Small widget helpers the settings pages share: radio groups, the check
// that shows a third state for a mixed selection, and the showing of a
// refusal through the editor's prompter.
#ifndef TLV_EDITOR_SETTINGS_SHEET_WIDGETS_H_
#define TLV_EDITOR_SETTINGS_SHEET_WIDGETS_H_

#include <QCheckBox>
#include <QString>
#include <QStringList>

#include "editor/settings_sheet_logic.h"

class QBoxLayout;
class QButtonGroup;
class QWidget;

namespace tlv {

class EditorPrompter;

/// A check that can show the grey state of a mixed selection, while a click
/// only ever turns it on or off (grey goes to on).
class TriCheckBox : public QCheckBox {
 public:
  TriCheckBox(const QString& text, QWidget* parent);

  void SetState(TriState state);
  TriState State() const;

 protected:
  void nextCheckState() override;
};

/// Radio buttons `labels` (ids 0..n-1) in a group box titled `title` (a
/// bare frame when empty), added to `layout`.  The buttons are named `name` + "_" + id.
QButtonGroup* MakeRadioGroup(QWidget* parent, QBoxLayout* layout,
                             const QString& title, const QStringList& labels,
                             const QString& name);

/// Checks radio `id` of `group`; with an id the group lacks, none.
void CheckRadio(QButtonGroup* group, int id);

/// Shows a refusal: its numbered message or its own text.
void ShowRefusal(EditorPrompter& prompter, QWidget* parent, const Refusal& refusal);

/// UTF-8 helpers for std::string <-> QString.
inline QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }
inline std::string S(const QString& text) { return text.toStdString(); }

}  // namespace tlv

#endif  // TLV_EDITOR_SETTINGS_SHEET_WIDGETS_H_
