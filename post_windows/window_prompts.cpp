#include "post_windows/window_prompts.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include "post_windows/prompt_dialogs.h"
#include "post_windows/qt_text.h"

namespace tlv {

namespace {

QString Q(std::string_view text) { return ToQString(text); }
std::string S(const QString& text) { return ToUtf8(text); }

}  // namespace

QWidget* DialogParent() { return QApplication::activeModalWidget(); }

QStringList QtNameFilters(const std::vector<FileFilter>& filters) {
  QStringList result;
  for (const FileFilter& filter : filters) {
    QStringList patterns;
    for (const QString& part : Q(filter.pattern).split(';', Qt::SkipEmptyParts)) {
      QString pattern = part.trimmed();
      if (pattern == "*.*") pattern = "*";
      if (!pattern.isEmpty()) patterns << pattern;
    }
    if (patterns.isEmpty()) patterns << "*";
    result << Q(filter.label) + " (" + patterns.join(' ') + ")";
  }
  return result;
}

void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request,
                         bool save) {
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  dialog.setWindowTitle(Q(request.title));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(!save && request.must_exist ? QFileDialog::ExistingFile
                                                 : QFileDialog::AnyFile);
  if (save && !request.confirm_overwrite) {
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  }
  QStringList filters = QtNameFilters(request.filters);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  if (!request.default_extension.empty()) {
    dialog.setDefaultSuffix(Q(request.default_extension));
  }
  QString folder = request.folder.empty() ? QDir::currentPath() : Q(request.folder);
  dialog.setDirectory(folder);
  if (!request.initial_name.empty()) dialog.selectFile(Q(request.initial_name));
}

void WindowPrompts::ShowMessage(std::string_view title, std::string_view text) {
  QMessageBox box(title == "error" ? QMessageBox::Critical : QMessageBox::Information,
                  Q(title), Q(text), QMessageBox::Ok, DialogParent());
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

bool WindowPrompts::AskYesNo(std::string_view title, std::string_view text) {
  QMessageBox box(QMessageBox::Question, Q(title), Q(text),
                  QMessageBox::Yes | QMessageBox::No, DialogParent());
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> WindowPrompts::AskText(std::string_view title,
                                                  std::string_view message,
                                                  std::string_view default_text) {
  InputDialog dialog(Q(title), Q(message), Q(default_text), DialogParent());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return S(dialog.text());
}

int WindowPrompts::AskChoice(std::string_view title, std::string_view text,
                             const std::vector<std::string>& choices,
                             int default_choice) {
  QStringList items;
  for (const std::string& choice : choices) items << Q(choice);
  ChoiceDialog dialog(Q(title), Q(text), items, default_choice, DialogParent());
  if (dialog.exec() != QDialog::Accepted) return -1;
  int chosen = dialog.chosen();
  return chosen >= 0 ? chosen : default_choice;
}

std::optional<std::string> WindowPrompts::AskOpenFile(const FileDialogRequest& request) {
  return AskFile(request, false);
}

std::optional<std::string> WindowPrompts::AskSaveFile(const FileDialogRequest& request) {
  return AskFile(request, true);
}

std::optional<std::string> WindowPrompts::AskFile(const FileDialogRequest& request,
                                                  bool save) {
  QFileDialog dialog(DialogParent());
  ConfigureFileDialog(dialog, request, save);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty() || files.front().isEmpty()) return std::nullopt;
  return S(QDir::toNativeSeparators(files.front()));
}

}  // namespace tlv
