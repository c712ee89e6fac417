#include "exporter/windows/item_setting.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tlv {

ITEMSETTING::ITEMSETTING(const InformationItem& item, int number, QWidget* parent)
    : QDialog(parent), item_(item) {
  setObjectName("ITEMSETTING");
  setWindowTitle(QString::fromUtf8("項目設定 %1").arg(number));
  ItemName = new QLineEdit(QString::fromStdString(item.caption), this);
  ItemName->setObjectName("ItemName");
  ItemPosition = new QLineEdit(QString::fromStdString(item.position), this);
  ItemPosition->setObjectName("ItemPosition");
  ItemActive = new QCheckBox(QString::fromUtf8("表示する"), this);
  ItemActive->setObjectName("ItemActive");
  ItemActive->setChecked(item.active);
  ITEMTYPE_REAL = new QRadioButton(QString::fromUtf8("数値"), this);
  ITEMTYPE_REAL->setObjectName("ITEMTYPE_REAL");
  ITEMTYPE_STRING = new QRadioButton(QString::fromUtf8("文字列"), this);
  ITEMTYPE_STRING->setObjectName("ITEMTYPE_STRING");
  (item.type == kItemTypeReal ? ITEMTYPE_REAL : ITEMTYPE_STRING)->setChecked(true);

  auto* form = new QFormLayout;
  form->addRow(QString::fromUtf8("項目名"), ItemName);
  form->addRow(QString::fromUtf8("セル位置"), ItemPosition);
  auto* types = new QHBoxLayout;
  types->addWidget(ITEMTYPE_REAL);
  types->addWidget(ITEMTYPE_STRING);
  form->addRow(QString::fromUtf8("種類"), types);
  form->addRow(QString(), ItemActive);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

InformationItem ITEMSETTING::item() const {
  InformationItem item = item_;
  item.caption = ItemName->text().toStdString();
  item.position = ItemPosition->text().trimmed().toStdString();
  item.active = ItemActive->isChecked();
  // A text item keeps a type other than 1 that it came with.
  if (ITEMTYPE_REAL->isChecked()) {
    item.type = kItemTypeReal;
  } else if (item.type == kItemTypeReal) {
    item.type = 0;
  }
  return item;
}

}  // namespace tlv
