// Shared by the settings dialogs' tests: a small dictionary with every kind
// of variable the pages treat differently, and a prompter that records what
// it is asked to show instead of opening a box.
#ifndef TLV_EDITOR_SETTINGS_SHEET_TEST_SUPPORT_H_
#define TLV_EDITOR_SETTINGS_SHEET_TEST_SUPPORT_H_

#include <string>
#include <vector>

#include "definition/post_definition.h"
#include "definition/variable_dictionary.h"
#include "platform/text_encoding.h"

#include "editor/editor_context.h"

namespace tlv {

inline VariableDictionary SheetTestDictionary() {
  VariableDictionary dict;
  auto put = [&](std::int32_t id, const char* name, std::int32_t kind, int modal, int flags,
                 const char* text) {
    dict.Put({name, Utf8ToCp932(text), id, kind, modal, flags});
  };
  put(10, "X_CORD", kKindNumber, 1, kDictInEveryDefinition, "Ｘ座標");
  put(14, "FEED", kKindNumber, 1, kDictInEveryDefinition, "送り速度");
  put(15, "SPINDLE", kKindInteger, 1, kDictInEveryDefinition, "主軸回転数");
  put(20, "G_ARC", kKindText, 1, kDictInEveryDefinition | kDictNoFormula, "円弧補間方向コード");
  put(30, "TOOL_NO", kKindInteger, 0, kDictInEveryDefinition | kDictNoFormula, "工具番号");
  put(40, "NOT_SET", kKindNumber, 0, 0, "設定なし");
  put(2001, "USER_IN1", kKindNumber, 0, kDictInEveryDefinition, "入力値１");
  put(2002, "USER_IN2", kKindNumber, 0, kDictInEveryDefinition, "入力値２");
  put(2101, "USER_CALC1", kKindNumber, 0, kDictInEveryDefinition, "計算値１");
  put(2102, "USER_CALC2", kKindNumber, 0, kDictInEveryDefinition, "計算値２");
  return dict;
}

/// Answers every question with `answer` and keeps every text shown.
class RecordingPrompter : public EditorPrompter {
 public:
  void Inform(QWidget*, const QString& text, Icon) override {
    shown.push_back(text.toStdString());
  }
  bool ConfirmOkCancel(QWidget*, const QString& text) override {
    shown.push_back(text.toStdString());
    return answer;
  }
  bool ConfirmYesNo(QWidget*, const QString& text) override {
    shown.push_back(text.toStdString());
    return answer;
  }
  QString AskOpenPath(QWidget*, const QString&, const QString&, const QString&) override {
    return QString();
  }
  QString AskSavePath(QWidget*, const QString&, const QString&, const QString&,
                      const QString&) override {
    return QString();
  }

  std::vector<std::string> shown;
  bool answer = true;
};

}  // namespace tlv

#endif  // TLV_EDITOR_SETTINGS_SHEET_TEST_SUPPORT_H_
