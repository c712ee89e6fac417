// The small dialogs of TLVP's window front end: the input prompt and the
// choice list.  WindowPrompts shows them; tests find them by type.
#ifndef TLV_POST_WINDOWS_PROMPT_DIALOGS_H_
#define TLV_POST_WINDOWS_PROMPT_DIALOGS_H_

#include <QDialog>
#include <QString>
#include <QStringList>

class QLabel;
class QLineEdit;
class QListWidget;

namespace tlv {

/// The input prompt "NcInpDlg": a prompt line, one edit field holding the
/// default text (selected, with the focus) and OK / Cancel.
class InputDialog : public QDialog {
  Q_OBJECT
 public:
  InputDialog(const QString& title, const QString& message,
              const QString& default_text, QWidget* parent = nullptr);

  QString message() const;
  QLineEdit* field() const { return field_; }
  QString text() const;

 private:
  QLabel* message_;
  QLineEdit* field_;
};

/// A choice among texts: the question above a list, OK / Cancel.  A double
/// click (or Enter) on an entry takes it.
class ChoiceDialog : public QDialog {
  Q_OBJECT
 public:
  ChoiceDialog(const QString& title, const QString& text,
               const QStringList& choices, int default_choice,
               QWidget* parent = nullptr);

  QListWidget* list() const { return list_; }
  /// The chosen row; -1 when none is selected.
  int chosen() const;

 private:
  QListWidget* list_;
};

}  // namespace tlv

#endif  // TLV_POST_WINDOWS_PROMPT_DIALOGS_H_
