#include "post/run_dialog.h"

#include "platform/paths.h"
#include "platform/prompts.h"
#include "post/run_messages.h"
#include "post/run_settings.h"

namespace tlv {
namespace {

constexpr std::string_view kDialogTitle = "ﾊﾟﾗﾒｰﾀ入力 (Rev4.24)";

enum Choice { kRun = 0, kRunAndRegister = 1, kCancel = 2 };

// The dialog's content in text form: one block per slot.
std::string DescribeSlots(const RunSettings& settings) {
  std::string text;
  for (int i = 0; i < kJobSlotCount; ++i) {
    const JobSlot& slot = settings.slots[i];
    text += std::to_string(i + 1) + ": " + slot.name + "  [" +
            (slot.enabled ? "x" : " ") + "] この設定を利用する\n";
    text += "   ＴＬＶﾌｧｲﾙ名: " + slot.definition_path + "\n";
    text += "   出力ﾌｧｲﾙ名:   " + slot.output_path + "\n";
    if (slot.database_mode) {
      text += "   工程ＤＢ -> ";
      text += slot.database_target == -1
                  ? std::string("DB 出力なし")
                  : "DB " + std::to_string(slot.database_target);
      text += "\n";
    }
  }
  return text;
}

SlotValidation Fail(int slot, std::string message) {
  return SlotValidation{false, slot, std::move(message)};
}

SlotValidation CheckSlots(const RunSettings& settings, Prompts& prompts) {
  for (int i = 0; i < kJobSlotCount; ++i) {
    const JobSlot& slot = settings.slots[i];
    if (!slot.enabled) continue;
    if (slot.definition_path.empty()) {
      return Fail(i, "TLVファイルが定義されていません。");
    }
    if (FileNamePart(slot.output_path).empty()) {
      return Fail(i, "出力ファイルが定義されていません。");
    }
    if (PathExists(slot.output_path) &&
        !prompts.AskYesNo("確認", "出力ファイルを上書きしてもいいですか?")) {
      return Fail(i, "重複するファイルが存在します。");
    }
  }
  return SlotValidation{true, -1, {}};
}

}  // namespace

SlotValidation ValidateSlots(const RunSettings& settings, Prompts& prompts,
                             bool with_window) {
  SlotValidation result = CheckSlots(settings, prompts);
  if (!result.valid && with_window) prompts.ShowMessage("error", result.message);
  return result;
}

bool RunDialogStep(RunSettings* settings, SettingsStore* store,
                   Prompts& prompts, RunMessages& messages) {
  bool proceed = false;
  if (settings->skip_run_dialog &&
      ValidateSlots(*settings, prompts, false).valid) {
    proceed = true;
  } else {
    settings->skip_run_dialog = false;
    const std::vector<std::string> choices = {
        "実行", "実行 (デフォルトとして登録)", "ｷｬﾝｾﾙ"};
    for (;;) {
      int choice = prompts.AskChoice(kDialogTitle, DescribeSlots(*settings),
                                     choices, kRun);
      if (choice != kRun && choice != kRunAndRegister) return false;
      if (choice == kRunAndRegister) settings->save_job_settings = true;
      if (ValidateSlots(*settings, prompts, true).valid) break;
      settings->save_job_settings = false;
      // Nothing can change the slots once the input has ended: asking again
      // would repeat the same failure for ever.
      if (prompts.AtEndOfInput()) return false;
    }
    proceed = true;
  }
  if (proceed && settings->save_job_settings) {
    std::string err;
    if (!WriteJobSlots(store, *settings, &err)) {
      messages.Both("Error: ジョブの設定を保存できませんでした(" + err + ")。\n");
    }
  }
  return proceed;
}

}  // namespace tlv
