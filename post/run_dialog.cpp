#include "post/run_dialog.h"

#include "platform/paths.h"
#include "platform/prompts.h"
#include "post/command_line.h"
#include "post/own_file_naming.h"
#include "post/run_messages.h"
#include "post/run_settings.h"
#include "sheet/process_database.h"

namespace tlv {
namespace {

constexpr std::string_view kDialogTitle = "ﾊﾟﾗﾒｰﾀ入力 (Rev4.24)";

// The dialog's buttons, then one entry per slot to change it; the
// database controls of the slots in database mode follow those.
enum Choice { kRun = 0, kRunAndRegister = 1, kCancel = 2, kEditSlot1 = 3 };

// The slot's database target as a save point.
DbSavePoint SavePointOf(const JobSlot& slot) {
  return DbSavePoint{slot.database_target, slot.database_row,
                     slot.database_insert_mode};
}

// The target text of the database controls.
std::string DescribeTarget(const JobSlot& slot, DatabaseTargets* database) {
  if (slot.database_target == -1) return "DB 出力なし";
  return database ? database->Describe(SavePointOf(slot))
                  : DescribeSavePoint(DbMaster{}, SavePointOf(slot));
}

// The dialog's content in text form: one block per slot.
std::string DescribeSlots(const RunSettings& settings,
                          DatabaseTargets* database) {
  std::string text;
  for (int i = 0; i < kJobSlotCount; ++i) {
    const JobSlot& slot = settings.slots[i];
    text += std::to_string(i + 1) + ": " + slot.name + "  [" +
            (slot.enabled ? "x" : " ") + "] この設定を利用する\n";
    text += "   ＴＬＶﾌｧｲﾙ名: " + slot.definition_path + "\n";
    text += "   出力ﾌｧｲﾙ名:   " + slot.output_path + "\n";
    if (slot.database_mode) {
      text += "   工程ＤＢ -> " + DescribeTarget(slot, database) + "\n";
    }
  }
  return text;
}

// A typed name without a folder is taken relative to `directory`, as on
// the command line.
std::string ResolveTyped(const std::string& name, const std::string& directory) {
  return HasSeparator(name) ? name : directory + name;
}

// A typed path over its limit is refused with a box; the slot keeps its
// old path.
bool FitsPathLimit(const std::string& path, std::size_t limit,
                   Prompts& prompts) {
  if (SystemTextLength(path) <= limit) return true;
  prompts.ShowMessage("error", "パスが長すぎます(" + std::to_string(limit) +
                                   " 文字まで)。");
  return false;
}

// Changes one slot the way the dialog's controls do: the enabled check box,
// the definition path (its database mode read again and own-file naming run
// again, as after the definition picker) and the output path.
void EditSlot(RunSettings* settings, int index, Prompts& prompts,
              RunMessages& messages) {
  JobSlot& slot = settings->slots[index];
  std::string title = std::to_string(index + 1) + ": " + slot.name;
  int use = prompts.AskChoice(title, "この設定を利用する", {"はい", "いいえ"},
                              slot.enabled ? 0 : 1);
  if (use == 0 || use == 1) slot.enabled = use == 0;

  std::optional<std::string> definition =
      prompts.AskText(title, "ＴＬＶﾌｧｲﾙ名", slot.definition_path);
  if (definition && *definition != slot.definition_path) {
    std::string path = definition->empty()
                           ? std::string()
                           : ResolveTyped(*definition, settings->start_directory);
    if (FitsPathLimit(path, kMaxSlotDefinitionPathLength, prompts)) {
      SetDefinitionPath(&slot, std::move(path));
      std::vector<std::string> warnings;
      ApplyOwnFileNaming(settings, &warnings);
      for (const std::string& warning : warnings) messages.Both(warning);
    }
  }

  std::optional<std::string> output =
      prompts.AskText(title, "出力ﾌｧｲﾙ名", slot.output_path);
  if (output && *output != slot.output_path) {
    std::string path = output->empty()
                           ? std::string()
                           : ResolveTyped(*output, settings->save_directory);
    if (FitsPathLimit(path, kMaxSlotOutputPathLength, prompts)) {
      slot.output_path = std::move(path);
    }
  }
}

// One database control of the dialog: the target choice ("ＤＢ設定") or
// clearing the target ("X") of a slot in database mode.
struct DatabaseControl {
  int slot = 0;
  bool clear = false;
};

// Appends the entries of the database controls, shown only for slots in
// database mode; the target choice needs the database.
void AddDatabaseControls(const RunSettings& settings, bool have_database,
                         std::vector<std::string>* choices,
                         std::vector<DatabaseControl>* controls) {
  controls->clear();
  for (int i = 0; i < kJobSlotCount; ++i) {
    if (!settings.slots[i].database_mode) continue;
    std::string number = std::to_string(i + 1);
    if (have_database) {
      choices->push_back(number + " のＤＢ設定");
      controls->push_back({i, false});
    }
    choices->push_back(number + " のＤＢ出力を解除 (X)");
    controls->push_back({i, true});
  }
}

// The database settings button and the "X" button of one slot.
void UseDatabaseControl(RunSettings* settings, const DatabaseControl& control,
                        Prompts& prompts, DatabaseTargets* database) {
  JobSlot& slot = settings->slots[control.slot];
  if (control.clear) {
    slot.database_target = -1;
    return;
  }
  DbSavePoint point = SavePointOf(slot);
  if (!database || !database->ChooseTarget(prompts, &point)) return;
  slot.database_mode = true;
  slot.database_target = point.target;
  slot.database_row = point.row;
  slot.database_insert_mode = point.mode;
}

SlotValidation Fail(int slot, std::string message) {
  return SlotValidation{false, slot, std::move(message)};
}

SlotValidation CheckSlots(const RunSettings& settings, Prompts& prompts,
                          DatabaseTargets* database) {
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
    if (database && slot.database_mode && slot.database_target != -1 &&
        database->CheckFolder(slot.database_target,
                              FileNamePart(slot.output_path)) ==
            FolderCheck::kFileExists) {
      return Fail(i, "工程表の管理するディレクトリに同一ファイルが存在します。");
    }
  }
  return SlotValidation{true, -1, {}};
}

}  // namespace

SlotValidation ValidateSlots(const RunSettings& settings, Prompts& prompts,
                             bool with_window, DatabaseTargets* database) {
  SlotValidation result = CheckSlots(settings, prompts, database);
  if (!result.valid && with_window) prompts.ShowMessage("error", result.message);
  return result;
}

bool RunDialogStep(RunSettings* settings, SettingsStore* store,
                   Prompts& prompts, RunMessages& messages,
                   DatabaseTargets* database) {
  bool proceed = false;
  if (settings->skip_run_dialog &&
      ValidateSlots(*settings, prompts, false, database).valid) {
    proceed = true;
  } else {
    settings->skip_run_dialog = false;
    std::vector<std::string> fixed = {"実行", "実行 (デフォルトとして登録)",
                                      "ｷｬﾝｾﾙ"};
    for (int i = 0; i < kJobSlotCount; ++i) {
      fixed.push_back(std::to_string(i + 1) + " を変更");
    }
    std::vector<std::string> choices;
    std::vector<DatabaseControl> controls;
    for (;;) {
      // A slot's database mode can change with its definition, so the
      // database entries are made afresh each time.
      choices = fixed;
      AddDatabaseControls(*settings, database != nullptr, &choices, &controls);
      int choice = prompts.AskChoice(kDialogTitle,
                                     DescribeSlots(*settings, database),
                                     choices, kRun);
      if (choice >= kEditSlot1 && choice < kEditSlot1 + kJobSlotCount) {
        EditSlot(settings, choice - kEditSlot1, prompts, messages);
        continue;
      }
      int control = choice - (kEditSlot1 + kJobSlotCount);
      if (control >= 0 && control < static_cast<int>(controls.size())) {
        UseDatabaseControl(settings, controls[control], prompts, database);
        continue;
      }
      if (choice != kRun && choice != kRunAndRegister) return false;
      if (choice == kRunAndRegister) settings->save_job_settings = true;
      if (ValidateSlots(*settings, prompts, true, database).valid) break;
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
