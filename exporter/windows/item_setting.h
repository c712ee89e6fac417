#ifndef TLV_EXPORTER_WINDOWS_ITEM_SETTING_H_
#define TLV_EXPORTER_WINDOWS_ITEM_SETTING_H_

#include <QDialog>

#include "exporter/page_layout.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace tlv {

/// The item dialog: caption, target cell, shown or hidden, number or text
/// for one information item.  The value itself is typed in the main window.
class ITEMSETTING : public QDialog {
  Q_OBJECT

 public:
  /// `number` counts from 1 and only labels the dialog.
  ITEMSETTING(const InformationItem& item, int number, QWidget* parent = nullptr);

  /// The item as the dialog's controls hold it now (the value unchanged).
  InformationItem item() const;

  QLineEdit* ItemName;
  QLineEdit* ItemPosition;
  QCheckBox* ItemActive;
  QRadioButton* ITEMTYPE_REAL;
  QRadioButton* ITEMTYPE_STRING;

 private:
  InformationItem item_;
};

}  // namespace tlv

#endif  // TLV_EXPORTER_WINDOWS_ITEM_SETTING_H_
