#include "post/run_entry.h"

#include <vector>

#include "platform/paths.h"
#include "platform/process_start.h"
#include "platform/prompts.h"
#include "platform/run_log.h"
#include "platform/settings_store.h"
#include "post/command_line.h"
#include "post/input_file.h"
#include "post/job.h"
#include "post/own_file_naming.h"
#include "post/run_dialog.h"
#include "post/run_messages.h"
#include "post/run_settings.h"
#include "sheet/process_database.h"

namespace tlv {
namespace {

constexpr std::string_view kBanner = "TLVP Ver.4.24 (2008/5/9)\n";
constexpr std::string_view kDashLine = "----------------------------------\n";
constexpr std::string_view kCancelled = "処理がキャンセルされました。\n";

void ReportAll(RunMessages& messages, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) messages.Both(line);
}

void ReportResult(RunMessages& messages, bool success) {
  messages.Both(success ? "Execution Successfully Finished.\n"
                        : "プログラムを作成できませんでした｡\n");
  messages.Both(kDashLine);
}

// Applies an accepted command line over the settings read from the store.
void ApplyCommandLine(const CommandLine& line, RunSettings* settings) {
  settings->input_path = line.input_path;
  if (line.has_definition_path) {
    SetDefinitionPath(&settings->slots[0], line.definition_path);
  }
  if (line.has_output_path) settings->slots[0].output_path = line.output_path;
  if (line.join_input_pieces) settings->join_input_pieces = true;
  if (line.keep_input) settings->delete_input_at_end = false;
  if (line.start_exporter) settings->start_exporter = true;
}

void StartExporter(RunMessages& messages) {
  std::string program = FindProgram("SheetPump");
  StartResult started;
  if (program.empty()) {
    started.error = "SheetPump: 実行ファイルが見つかりません";
  } else {
    started = StartDetached(program, {"1"});
  }
  if (!started.started) {
    messages.Both("Error: SheetPump を起動できませんでした(" + started.error +
                  ")。\n");
  }
}

}  // namespace

int RunTlvp(const RunEnvironment& env, Job& job) {
  SettingsStore& store = *env.store;
  Prompts& prompts = *env.prompts;

  RunLog log;
  std::string log_error;
  bool log_opened = log.Open(RunLogPath(store, env.start_directory), &log_error);
  RunMessages messages(&log, env.out);
  messages.Both(kBanner);
  messages.Both(kBannerNotice);
  // The run goes on without its log, but not without saying so.
  if (!log_opened) {
    messages.Out("Warning: ログファイルを作成できません(" + log_error + ")。\n");
  }

  RunSettings settings;
  ReportAll(messages,
            ReadRunSettings(store, env.start_directory, &settings).warnings);
  if (std::string err; !WriteSavePath(&store, settings, &err)) {
    messages.Both("Error: SavePath を保存できませんでした(" + err + ")。\n");
  }

  CommandLine line = ParseCommandLine(env.command_line,
                                      settings.start_directory,
                                      settings.save_directory);
  if (!line.accepted) {
    messages.Out(line.out_text);
    log.Write(line.log_text);
    messages.Both("ファイルの指定に失敗しました。終了します。\n");
    return 1;
  }
  ApplyCommandLine(line, &settings);
  settings.procedure_parameter_path =
      ProcedureParameterPath(settings.input_path);
  std::vector<std::string> warnings;
  ApplyOwnFileNaming(&settings, &warnings);
  ReportAll(messages, warnings);

  messages.Out(settings.input_path + "\n");

  // The process database as the run dialog reaches it: each use opens the
  // file the settings name and closes it again.
  SqliteDatabaseTargets database(ProcessDatabasePath(store));
  if (!RunDialogStep(&settings, &store, prompts, messages, &database)) {
    messages.Log(kCancelled);
    // With "-sgl" the user asked to keep the tool-path file: a cancelled
    // run must not take it.
    if (settings.delete_input_at_end) RemoveFile(settings.input_path);
    messages.Log(kCancelled);
    return 1;
  }

  if (!FileExists(settings.input_path)) {
    messages.Out("Error: " + settings.input_path + " が存在しません。\n");
    messages.Log("Error: %s が存在しません。\n", settings.input_path);
    return 1;
  }

  if (settings.join_input_pieces) {
    JoinResult joined = JoinInputPieces(settings.input_path);
    if (!joined.ok) {
      // The tool path is incomplete: no job may run on it, and the file and
      // its pieces stay as they are.
      messages.Both(joined.error);
      ReportResult(messages, false);
      return 1;
    }
  }

  const std::string original_path = settings.input_path;
  const std::string temp_path = TempInputPath(original_path);
  std::string rename_error;
  bool renamed = RenameFile(original_path, temp_path, &rename_error);
  if (renamed) {
    settings.input_path = temp_path;
  } else {
    messages.Both("Error: " + original_path + " の名前を " + temp_path +
                  " に変更できませんでした(" + rename_error +
                  ")。元の名前のまま処理します。\n");
  }

  JobServices services{&messages, &prompts, &store};
  bool success = false;
  for (int i = 0; i < kJobSlotCount; ++i) {
    const JobSlot& slot = settings.slots[i];
    if (!slot.enabled) continue;
    messages.Out(">> " + slot.name + " の処理を始めます。\n");
    messages.Log(">> %s の処理を始めます。\n", slot.name);
    if (!FileExists(slot.definition_path)) {
      messages.Out("Error: " + slot.definition_path + " が存在しません。\n");
      messages.Log("Error: %s が存在しません。\n", slot.definition_path);
      continue;
    }
    success = job.Run(settings, i, services);
    // The job may have changed the slot's paths; report what it used.
    const JobSlot& ran = settings.slots[i];
    messages.Out("  TLV   File: " + ran.definition_path + "\n");
    messages.Out("  Out   File: " + ran.output_path + "\n");
    messages.Log("  TLV   File: %s\n", ran.definition_path);
    messages.Log("  Out   File: %s\n", ran.output_path);
  }
  ReportResult(messages, success);

  // When the rename failed the file never was ours to remove or rename.
  if (renamed) {
    if (settings.delete_input_at_end) {
      if (std::string err; !RemoveFile(temp_path, &err)) {
        messages.Both("Error: " + temp_path + " を削除できませんでした(" + err +
                      ")。\n");
      }
    } else if (!RenameFile(temp_path, original_path)) {
      messages.Both("ファイル名の変更に失敗しました。\n");
    }
    settings.input_path = original_path;
  }

  if (settings.start_exporter) {
    StartExporter(messages);
  } else if (settings.show_completion_message) {
    prompts.ShowMessage("TLVP", "処理を完了しました。");
  }
  return success ? 0 : 1;
}

}  // namespace tlv
