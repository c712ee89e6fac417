#ifndef TLV_EXPORTER_WINDOWS_GET_DIRECTORY_H_
#define TLV_EXPORTER_WINDOWS_GET_DIRECTORY_H_

#include <QFileDialog>

namespace tlv {

/// The folder picker: shows `comment` above a folder view and gives the
/// chosen folder, or "" when the user cancels.
class GetDirectory : public QFileDialog {
  Q_OBJECT

 public:
  GetDirectory(const QString& comment, QWidget* parent = nullptr);

  /// Runs the picker modally.
  static QString Choose(const QString& comment, QWidget* parent = nullptr);
};

}  // namespace tlv

#endif  // TLV_EXPORTER_WINDOWS_GET_DIRECTORY_H_
