#include "exporter/windows/get_directory.h"

#include <QDir>

namespace tlv {

GetDirectory::GetDirectory(const QString& comment, QWidget* parent)
    : QFileDialog(parent, comment, QDir::homePath()) {
  setObjectName("GetDirectory");
  setFileMode(QFileDialog::Directory);
  setOption(QFileDialog::ShowDirsOnly, true);
  // Qt's own dialog, so the comment shows the same on every desktop.
  setOption(QFileDialog::DontUseNativeDialog, true);
  setLabelText(QFileDialog::LookIn, comment);
}

QString GetDirectory::Choose(const QString& comment, QWidget* parent) {
  GetDirectory dialog(comment, parent);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

}  // namespace tlv
