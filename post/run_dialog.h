// The run dialog step: the user checks the three job slots before the jobs
// run, unless the settings allow skipping it and the slots are valid.
//
// What each control of the dialog does to the slots is RunDialogModel's;
// a RunDialogView only shows the model and hands the user's actions to it.
// The terminal view is built in; a window view registers itself with
// SetWindowRunDialogFactory and is used when the prompts show windows.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tlv {

class DatabaseTargets;
class Prompts;
class RunMessages;
class SettingsStore;
struct FileDialogRequest;
struct JobSlot;
struct RunSettings;

/// The run dialog's caption.
inline constexpr std::string_view kRunDialogTitle = "ﾊﾟﾗﾒｰﾀ入力 (Rev4.24)";

/// The outcome of ValidateSlots.
struct SlotValidation {
  bool valid = false;
  int bad_slot = -1;    ///< index (0 to 2) of the first bad slot
  std::string message;  ///< what was wrong with it
};

/// Checks each enabled slot in order: a definition path is set, the output
/// path has a file-name part, and an existing output file may be
/// overwritten (asked through `prompts` as a Yes/No box, window or not),
/// and, for a slot in database mode with a target, that the target's folder
/// holds no file of the output's name (asked of `database`; skipped without
/// one, and passed when the database cannot be read: the job then runs
/// without database output).  The first failed check ends the validation;
/// with `with_window` its message is shown in a box titled "error".
SlotValidation ValidateSlots(const RunSettings& settings, Prompts& prompts,
                             bool with_window,
                             DatabaseTargets* database = nullptr);

/// The run dialog's state and what its controls do: one slot is shown at a
/// time; changes go straight into the slots of `settings`.  Messages (path
/// over its limit, validation failures) go through `prompts`.
class RunDialogModel {
 public:
  RunDialogModel(RunSettings* settings, Prompts& prompts, RunMessages& messages,
                 DatabaseTargets* database);

  RunSettings& settings() { return *settings_; }
  Prompts& prompts() { return prompts_; }
  /// The slot shown (0 to 2).
  int current() const { return current_; }
  const JobSlot& slot() const;
  const JobSlot& slot(int index) const;

  /// The slot drop-down: shows slot `index` (ignored when out of range).
  void SelectSlot(int index);
  /// "この設定を利用する": the shown slot's enabled flag.
  void SetEnabled(bool on);
  /// A definition path entered for the shown slot (typed or picked).  A
  /// name without a folder is taken relative to the start directory; an
  /// unchanged path does nothing.  A path over its limit is refused with a
  /// box and false.  Otherwise the slot's database mode is read from the
  /// file again and own-file naming runs again (its warnings go to the
  /// messages).
  bool EnterDefinitionPath(const std::string& typed);
  /// An output path entered for the shown slot; a name without a folder is
  /// taken relative to the save directory.  Over its limit: refused with a
  /// box, false, the slot keeps its path.
  bool EnterOutputPath(const std::string& typed);

  /// The definition picker's request: "TLV ファイルの指定", the .tlv filter,
  /// starting at the shown slot's definition path, or at the "TLVPath"
  /// folder when that is empty.
  FileDialogRequest DefinitionPickerRequest() const;
  /// The output picker's request: the NC save-file dialog, starting at
  /// `field_text` (the output field), or at the save directory when empty.
  FileDialogRequest OutputPickerRequest(std::string_view field_text) const;
  /// "ﾌｧｲﾙ選択" of the definition: asks through the prompts; a chosen file
  /// is entered as by EnterDefinitionPath.  True when the slot changed.
  bool PickDefinition();
  /// "ﾌｧｲﾙ選択" of the output.  True when the slot changed.
  bool PickOutput(std::string_view field_text);

  /// The database controls are shown for a slot in database mode only.
  bool DatabaseControlsShown() const;
  /// "ＤＢ設定" needs a database to choose from.
  bool CanChooseTarget() const { return database_ != nullptr; }
  /// The target text of slot `index`: "DB 出力なし" without a target, else
  /// the target's name, the row and ") へ" with "挿入" or "追加".
  std::string TargetText(int index) const;
  std::string TargetText() const { return TargetText(current_); }
  /// "ＤＢ設定": the selection of the database; on a choice the shown slot
  /// gets database mode, the target, the row and insert/append.  True when
  /// the user chose a target.
  bool ChooseDatabaseTarget();
  /// "X": the shown slot's target becomes -1 (no database output).
  void ClearDatabaseTarget();

  /// "デフォルトとして登録": the save-job-settings flag.
  void SetRegister(bool on);
  bool registering() const;

  /// "実行": validates the slots with the dialog as window.  When invalid
  /// the bad slot becomes the shown one.
  SlotValidation Validate();

 private:
  JobSlot& mutable_slot();

  RunSettings* settings_;
  Prompts& prompts_;
  RunMessages& messages_;
  DatabaseTargets* database_;
  int current_ = 0;
};

/// One way of showing the run dialog.
class RunDialogView {
 public:
  virtual ~RunDialogView() = default;
  /// Shows the dialog over `model` until the user runs with valid slots
  /// (true) or cancels (false).
  virtual bool Show(RunDialogModel& model) = 0;
};

/// The run dialog in text form on the terminal prompts: the three slots in
/// one choice list, with entries to run, run and register, cancel, change
/// a slot, and the database controls.  At end of input a refused run
/// cancels (nothing could change the slots any more).
class TerminalRunDialog : public RunDialogView {
 public:
  bool Show(RunDialogModel& model) override;
};

/// The window front end registers its view here; RunDialogStep uses it
/// when the prompts show windows.  nullptr removes it.
void SetWindowRunDialogFactory(
    std::function<std::unique_ptr<RunDialogView>()> factory);

/// The run dialog step.  When skipping is allowed and the slots are valid
/// the dialog is not shown; otherwise skipping is switched off and the
/// dialog shows the three slots and asks to run, to run and register the
/// slots as default, to cancel, or to change a slot (its enabled flag,
/// definition path and output path; a name without a folder is taken
/// relative to the start or save directory).  A slot in database mode
/// shows its database target and offers to choose one through `database`
/// (insert or append, and the row) or to clear it.  Run validates the slots:
/// invalid ones keep the dialog open, except at end of input, where the
/// dialog cancels (nothing could change them any more).  When the slots are to be registered they
/// are written back to `store` before proceeding.  True to proceed.
bool RunDialogStep(RunSettings* settings, SettingsStore* store,
                   Prompts& prompts, RunMessages& messages,
                   DatabaseTargets* database = nullptr);

}  // namespace tlv
