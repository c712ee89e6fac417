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

constexpr std::string_view kDialogTitle = kRunDialogTitle;
constexpr std::string_view kDefinitionPickerTitle = "TLV ファイルの指定";
constexpr std::string_view kOutputPickerTitle = "保存ファイルの指定";

// The dialog's buttons, then one entry per slot to change it; the
// database controls of the slots in database mode follow those.
enum Choice { kRun = 0, kRunAndRegister = 1, kCancel = 2, kEditSlot1 = 3 };

std::function<std::unique_ptr<RunDialogView>()>& WindowViewFactory() {
  static std::function<std::unique_ptr<RunDialogView>()> factory;
  return factory;
}

// The slot's database target as a save point.
DbSavePoint SavePointOf(const JobSlot& slot) {
  return DbSavePoint{slot.database_target, slot.database_row,
                     slot.database_insert_mode};
}

// The dialog's content in text form: one block per slot.
std::string DescribeSlots(const RunDialogModel& model) {
  std::string text;
  for (int i = 0; i < kJobSlotCount; ++i) {
    const JobSlot& slot = model.slot(i);
    text += std::to_string(i + 1) + ": " + slot.name + "  [" +
            (slot.enabled ? "x" : " ") + "] この設定を利用する\n";
    text += "   ＴＬＶﾌｧｲﾙ名: " + slot.definition_path + "\n";
    text += "   出力ﾌｧｲﾙ名:   " + slot.output_path + "\n";
    if (slot.database_mode) {
      text += "   工程ＤＢ -> " + model.TargetText(i) + "\n";
    }
  }
  return text;
}

// A typed name without a folder is taken relative to `directory`, as on
// the command line.
std::string ResolveTyped(const std::string& name, const std::string& directory) {
  if (name.empty()) return name;
  return HasSeparator(name) ? name : directory + name;
}

// A path over its limit is refused with a box; the slot keeps its old
// path.
bool FitsPathLimit(const std::string& path, std::size_t limit,
                   Prompts& prompts) {
  if (SystemTextLength(path) <= limit) return true;
  prompts.ShowMessage("error", "パスが長すぎます(" + std::to_string(limit) +
                                   " 文字まで)。");
  return false;
}

// Changes one slot in text form the way the dialog's controls do: the
// enabled check box, the definition path and the output path.
void EditSlot(RunDialogModel& model, int index) {
  model.SelectSlot(index);
  Prompts& prompts = model.prompts();
  const JobSlot& slot = model.slot();
  std::string title = std::to_string(index + 1) + ": " + slot.name;
  int use = prompts.AskChoice(title, "この設定を利用する", {"はい", "いいえ"},
                              slot.enabled ? 0 : 1);
  if (use == 0 || use == 1) model.SetEnabled(use == 0);

  std::optional<std::string> definition =
      prompts.AskText(title, "ＴＬＶﾌｧｲﾙ名", slot.definition_path);
  if (definition) model.EnterDefinitionPath(*definition);

  std::optional<std::string> output =
      prompts.AskText(title, "出力ﾌｧｲﾙ名", slot.output_path);
  if (output) model.EnterOutputPath(*output);
}

// One database control of the dialog: the target choice ("ＤＢ設定") or
// clearing the target ("X") of a slot in database mode.
struct DatabaseControl {
  int slot = 0;
  bool clear = false;
};

// Appends the entries of the database controls, shown only for slots in
// database mode; the target choice needs the database.
void AddDatabaseControls(const RunDialogModel& model,
                         std::vector<std::string>* choices,
                         std::vector<DatabaseControl>* controls) {
  controls->clear();
  for (int i = 0; i < kJobSlotCount; ++i) {
    if (!model.slot(i).database_mode) continue;
    std::string number = std::to_string(i + 1);
    if (model.CanChooseTarget()) {
      choices->push_back(number + " のＤＢ設定");
      controls->push_back({i, false});
    }
    choices->push_back(number + " のＤＢ出力を解除 (X)");
    controls->push_back({i, true});
  }
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


RunDialogModel::RunDialogModel(RunSettings* settings, Prompts& prompts,
                               RunMessages& messages, DatabaseTargets* database)
    : settings_(settings), prompts_(prompts), messages_(messages), database_(database) {}

const JobSlot& RunDialogModel::slot() const { return settings_->slots[current_]; }

const JobSlot& RunDialogModel::slot(int index) const { return settings_->slots[index]; }

JobSlot& RunDialogModel::mutable_slot() { return settings_->slots[current_]; }

void RunDialogModel::SelectSlot(int index) {
  if (index >= 0 && index < kJobSlotCount) current_ = index;
}

void RunDialogModel::SetEnabled(bool on) { mutable_slot().enabled = on; }

bool RunDialogModel::EnterDefinitionPath(const std::string& typed) {
  JobSlot& slot = mutable_slot();
  if (typed == slot.definition_path) return true;
  std::string path = ResolveTyped(typed, settings_->start_directory);
  if (!FitsPathLimit(path, kMaxSlotDefinitionPathLength, prompts_)) return false;
  SetDefinitionPath(&slot, std::move(path));
  std::vector<std::string> warnings;
  ApplyOwnFileNaming(settings_, &warnings);
  for (const std::string& warning : warnings) messages_.Both(warning);
  return true;
}

bool RunDialogModel::EnterOutputPath(const std::string& typed) {
  JobSlot& slot = mutable_slot();
  if (typed == slot.output_path) return true;
  std::string path = ResolveTyped(typed, settings_->save_directory);
  if (!FitsPathLimit(path, kMaxSlotOutputPathLength, prompts_)) return false;
  slot.output_path = std::move(path);
  return true;
}

FileDialogRequest RunDialogModel::DefinitionPickerRequest() const {
  FileDialogRequest request;
  request.title = std::string(kDefinitionPickerTitle);
  request.filters = ParseFileFilters("TLV Files (*.tlv)\n*.tlv\n\n");
  const std::string& path = slot().definition_path;
  if (path.empty()) {
    request.folder = settings_->definition_folder;
  } else {
    request.folder = std::string(DirectoryPart(path));
    request.initial_name = std::string(FileNamePart(path));
  }
  request.must_exist = true;
  return request;
}

FileDialogRequest RunDialogModel::OutputPickerRequest(std::string_view field_text) const {
  // The same save-file dialog that asks for split file names.
  const std::string& ext = settings_->nc_default_ext;
  FileDialogRequest request;
  request.title = std::string(kOutputPickerTitle);
  request.filters = ParseFileFilters("ＮＣプログラム(*." + ext + ")\n*." + ext +
                                     "\nデータファイル(*.dat)\n*.dat\nテキストファイル(*.txt)\n"
                                     "*.txt\n全ファイル(*.*)\n*.*\n\n\n");
  if (field_text.empty()) {
    request.folder = settings_->save_directory;
  } else {
    request.folder = std::string(DirectoryPart(field_text));
    request.initial_name = std::string(FileNamePart(field_text));
  }
  request.default_extension = ext;
  request.confirm_overwrite = true;
  request.must_exist = true;
  return request;
}

bool RunDialogModel::PickDefinition() {
  std::optional<std::string> chosen = prompts_.AskOpenFile(DefinitionPickerRequest());
  if (!chosen || chosen->empty()) return false;
  return EnterDefinitionPath(*chosen);
}

bool RunDialogModel::PickOutput(std::string_view field_text) {
  std::optional<std::string> chosen = prompts_.AskSaveFile(OutputPickerRequest(field_text));
  if (!chosen || chosen->empty()) return false;
  return EnterOutputPath(*chosen);
}

bool RunDialogModel::DatabaseControlsShown() const { return slot().database_mode; }

std::string RunDialogModel::TargetText(int index) const {
  const JobSlot& s = slot(index);
  if (s.database_target == -1) return "DB 出力なし";
  return database_ ? database_->Describe(SavePointOf(s))
                   : DescribeSavePoint(DbMaster{}, SavePointOf(s));
}

bool RunDialogModel::ChooseDatabaseTarget() {
  JobSlot& slot = mutable_slot();
  DbSavePoint point = SavePointOf(slot);
  if (!database_ || !database_->ChooseTarget(prompts_, &point)) return false;
  slot.database_mode = true;
  slot.database_target = point.target;
  slot.database_row = point.row;
  slot.database_insert_mode = point.mode;
  return true;
}

void RunDialogModel::ClearDatabaseTarget() { mutable_slot().database_target = -1; }

void RunDialogModel::SetRegister(bool on) { settings_->save_job_settings = on; }

bool RunDialogModel::registering() const { return settings_->save_job_settings; }

SlotValidation RunDialogModel::Validate() {
  SlotValidation result = ValidateSlots(*settings_, prompts_, true, database_);
  if (!result.valid) SelectSlot(result.bad_slot);
  return result;
}

bool TerminalRunDialog::Show(RunDialogModel& model) {
  std::vector<std::string> fixed = {"実行", "実行 (デフォルトとして登録)", "ｷｬﾝｾﾙ"};
  for (int i = 0; i < kJobSlotCount; ++i) {
    fixed.push_back(std::to_string(i + 1) + " を変更");
  }
  std::vector<std::string> choices;
  std::vector<DatabaseControl> controls;
  Prompts& prompts = model.prompts();
  for (;;) {
    // A slot's database mode can change with its definition, so the
    // database entries are made afresh each time.
    choices = fixed;
    AddDatabaseControls(model, &choices, &controls);
    int choice = prompts.AskChoice(kDialogTitle, DescribeSlots(model), choices, kRun);
    if (choice >= kEditSlot1 && choice < kEditSlot1 + kJobSlotCount) {
      EditSlot(model, choice - kEditSlot1);
      continue;
    }
    int control = choice - (kEditSlot1 + kJobSlotCount);
    if (control >= 0 && control < static_cast<int>(controls.size())) {
      model.SelectSlot(controls[control].slot);
      if (controls[control].clear) {
        model.ClearDatabaseTarget();
      } else {
        model.ChooseDatabaseTarget();
      }
      continue;
    }
    if (choice != kRun && choice != kRunAndRegister) return false;
    if (choice == kRunAndRegister) model.SetRegister(true);
    if (model.Validate().valid) return true;
    model.SetRegister(false);
    // Nothing can change the slots once the input has ended: asking again
    // would repeat the same failure for ever.
    if (prompts.AtEndOfInput()) return false;
  }
}

void SetWindowRunDialogFactory(std::function<std::unique_ptr<RunDialogView>()> factory) {
  WindowViewFactory() = std::move(factory);
}

bool RunDialogStep(RunSettings* settings, SettingsStore* store,
                   Prompts& prompts, RunMessages& messages,
                   DatabaseTargets* database) {
  if (settings->skip_run_dialog &&
      ValidateSlots(*settings, prompts, false, database).valid) {
    // Skipped: nothing to show.
  } else {
    settings->skip_run_dialog = false;
    std::unique_ptr<RunDialogView> view;
    if (prompts.ShowsWindows() && WindowViewFactory()) view = WindowViewFactory()();
    if (!view) view = std::make_unique<TerminalRunDialog>();
    RunDialogModel model(settings, prompts, messages, database);
    if (!view->Show(model)) return false;
  }
  if (settings->save_job_settings) {
    std::string err;
    if (!WriteJobSlots(store, *settings, &err)) {
      messages.Both("Error: ジョブの設定を保存できませんでした(" + err + ")。\n");
    }
  }
  return true;
}

}  // namespace tlv
