#include "editor/settings_sheet_widgets.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editor/editor_context.h"

namespace tlv {

TriCheckBox::TriCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
  setTristate(true);
}

void TriCheckBox::SetState(TriState state) {
  switch (state) {
    case TriState::kOff: setCheckState(Qt::Unchecked); break;
    case TriState::kOn: setCheckState(Qt::Checked); break;
    case TriState::kMixed: setCheckState(Qt::PartiallyChecked); break;
  }
}

TriState TriCheckBox::State() const {
  switch (checkState()) {
    case Qt::Unchecked: return TriState::kOff;
    case Qt::Checked: return TriState::kOn;
    default: return TriState::kMixed;
  }
}

void TriCheckBox::nextCheckState() {
  setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

QButtonGroup* MakeRadioGroup(QWidget* parent, QBoxLayout* layout,
                             const QString& title, const QStringList& labels,
                             const QString& name) {
  auto* group = new QButtonGroup(parent);
  group->setObjectName(name);
  // A frame around each group (titled or not) shows which radios belong
  // together when a page holds several groups.
  auto* box = new QGroupBox(title, parent);
  auto* target = new QVBoxLayout(box);
  layout->addWidget(box);
  for (int i = 0; i < labels.size(); ++i) {
    auto* button = new QRadioButton(labels[i], box);
    button->setObjectName(name + QLatin1Char('_') + QString::number(i));
    group->addButton(button, i);
    target->addWidget(button);
  }
  return group;
}

void CheckRadio(QButtonGroup* group, int id) {
  if (QAbstractButton* button = group->button(id)) {
    button->setChecked(true);
    return;
  }
  // No button for this id: show none checked.
  const bool exclusive = group->exclusive();
  group->setExclusive(false);
  for (QAbstractButton* b : group->buttons()) b->setChecked(false);
  group->setExclusive(exclusive);
}

void ShowRefusal(EditorPrompter& prompter, QWidget* parent, const Refusal& refusal) {
  const QString text =
      refusal.message_id != 0 ? EditorMessage(refusal.message_id) : Q(refusal.text);
  prompter.Inform(parent, text, EditorPrompter::Icon::kWarning);
}

}  // namespace tlv
