// For the editor's tests: a prompter that answers from a script and keeps
// every message it was shown, and the shipped variable dictionary.
#ifndef TLV_EDITOR_EDITOR_TEST_SUPPORT_H_
#define TLV_EDITOR_EDITOR_TEST_SUPPORT_H_

#include <QString>
#include <QStringList>
#include <deque>
#include <ostream>
#include <string>

#include "definition/variable_dictionary.h"
#include "editor/editor_context.h"
#include "editor/qt_test_app.h"
#include "platform/file_contents.h"

// Lets GoogleTest print a QString as its text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace tlv {

class ScriptedPrompter : public EditorPrompter {
 public:
  /// Every text shown, in order (Inform and both confirmations).
  QStringList shown;
  /// Answers of the confirmations, in order; true when the script runs out.
  std::deque<bool> confirm_answers;
  /// Answers of the file dialogs, in order; "" (cancel) when it runs out.
  std::deque<QString> path_answers;
  int file_dialogs = 0;

  void Inform(QWidget*, const QString& text, Icon) override { shown << text; }
  bool ConfirmOkCancel(QWidget*, const QString& text) override { return Confirm(text); }
  bool ConfirmYesNo(QWidget*, const QString& text) override { return Confirm(text); }
  QString AskOpenPath(QWidget*, const QString&, const QString&, const QString&) override {
    return NextPath();
  }
  QString AskSavePath(QWidget*, const QString&, const QString&, const QString&,
                      const QString&) override {
    return NextPath();
  }

  QString last() const { return shown.isEmpty() ? QString() : shown.back(); }

 private:
  bool Confirm(const QString& text) {
    shown << text;
    if (confirm_answers.empty()) return true;
    const bool answer = confirm_answers.front();
    confirm_answers.pop_front();
    return answer;
  }
  QString NextPath() {
    ++file_dialogs;
    if (path_answers.empty()) return QString();
    QString answer = path_answers.front();
    path_answers.pop_front();
    return answer;
  }
};

/// The dictionary built from data/dictionary.txt of the source tree.
inline VariableDictionary ShippedDictionary() {
  VariableDictionary dict;
  std::string text;
  std::string err;
  if (ReadFileBytes(std::string(TLV_SOURCE_DIR) + "/data/dictionary.txt", &text, &err)) {
    ParseDictionarySource(text, "dictionary.txt", &dict, &err);
  }
  return dict;
}

}  // namespace tlv

#endif  // TLV_EDITOR_EDITOR_TEST_SUPPORT_H_
