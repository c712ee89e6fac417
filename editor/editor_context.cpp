#include "editor/editor_context.h"

#include <QFileDialog>
#include <QMessageBox>

namespace tlv {

QString EditorMessage(int id) {
  switch (id) {
    case kEdMsgEnterFileName:
      return QStringLiteral("ファイル名を入力してください。");
    case kEdMsgBadFormatFormula:
      return QStringLiteral("不正な計算式が指定されています。");
    case kEdMsgBadUserFormula:
      return QStringLiteral("不正な計算式が入力されています。");
    case kEdMsgNoDictionary:
      return QStringLiteral("初期化ファイル TOLvek.ini が存在しないか、読めません。");
    case kEdMsgInvalidFile:
      return QStringLiteral("無効なファイル、又は古いファイルが指定されました。");
    case kEdMsgDiscardChanges:
      return QStringLiteral("現在の内容を破棄してもよいですか？");
    case kEdMsgZeroIncrement:
      return QStringLiteral("増分値が０になっています。");
    case kEdMsgChangeRegistry:
      return QStringLiteral("レジストリを変更します。\n\n   よろしいですか。");
    default:
      return QString();
  }
}

namespace {

QString Caption() { return QStringLiteral("tolvek"); }

}  // namespace

void QtPrompter::Inform(QWidget* parent, const QString& text, Icon icon) {
  QMessageBox::Icon qt_icon = QMessageBox::Warning;
  switch (icon) {
    case Icon::kInformation: qt_icon = QMessageBox::Information; break;
    case Icon::kWarning: qt_icon = QMessageBox::Warning; break;
    case Icon::kError: qt_icon = QMessageBox::Critical; break;
    case Icon::kQuestion: qt_icon = QMessageBox::Question; break;
  }
  QMessageBox box(qt_icon, Caption(), text, QMessageBox::Ok, parent);
  box.exec();
}

bool QtPrompter::ConfirmOkCancel(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Warning, Caption(), text,
                  QMessageBox::Ok | QMessageBox::Cancel, parent);
  return box.exec() == QMessageBox::Ok;
}

bool QtPrompter::ConfirmYesNo(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Question, Caption(), text,
                  QMessageBox::Yes | QMessageBox::No, parent);
  return box.exec() == QMessageBox::Yes;
}

QString QtPrompter::AskOpenPath(QWidget* parent, const QString& title,
                                const QString& dir, const QString& filter) {
  return QFileDialog::getOpenFileName(parent, title, dir, filter);
}

QString QtPrompter::AskSavePath(QWidget* parent, const QString& title,
                                const QString& dir, const QString& filter,
                                const QString& default_suffix) {
  QFileDialog dialog(parent, title, dir, filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(default_suffix);
  if (dialog.exec() != QDialog::Accepted) return QString();
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.front();
}

}  // namespace tlv
