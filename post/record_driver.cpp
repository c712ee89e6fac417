#include "post/record_driver.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <vector>

#include "definition/post_definition.h"
#include "format/format_engine.h"
#include "motion/arc.h"
#include "motion/cycle.h"
#include "motion/frame_records.h"
#include "motion/motion_core.h"
#include "motion/nurbs.h"
#include "motion/run_context.h"
#include "motion/straight_move.h"
#include "platform/paths.h"
#include "platform/progress_line.h"
#include "platform/settings_store.h"
#include "platform/text_encoding.h"
#include "platform/user_name.h"
#include "post/job.h"
#include "post/file_splitter.h"
#include "post/job_outputs.h"
#include "post/run_messages.h"
#include "post/run_settings.h"
#include "post/sheet_database.h"
#include "post/sheet_file.h"
#include "post/split_file_names.h"
#include "sheet/procedure_parameters.h"
#include "toolpath/header_value.h"
#include "toolpath/tool_path_reader.h"
#include "toolpath/tool_path_record.h"

namespace tlv {
namespace {

constexpr std::string_view kWinlogonKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

// Section slots.
enum Section : int {
  kProgramStartSection = 1,
  kProgramEndSection = 2,
  kProcessStartSection = 3,
  kProcessEndSection = 4,
  kToolChangeSection = 5,
  kRapidXYSection = 6,
  kRapidZSection = 7,
  kLinearFeedSection = 8,
  kArcFeedSection = 9,
  kCycleSection = 10,
  kCycleOffSection = 11,
  kApproachSection = 12,
  kRetractSection = 13,
  kMessageSection = 14,
  kNurbsSection = 20,
  kNurbsEndSection = 21,
};

constexpr std::int32_t kVarNcFileName = 43;
constexpr std::int32_t kVarUserName = 117;
constexpr std::int32_t kVarSplitFirst = 130;
constexpr std::int32_t kVarSplitNumber = 131;
constexpr std::int32_t kVarDefinitionPath = 140;
constexpr std::int32_t kVarEndZ = 53;

// 410 characters of NC text make one metre of punched tape.
constexpr double kCharactersPerMetre = 410.0;

// The run's procedure parameter store as the process start reads it.
class ProcedureSource : public ProcedureParameterSource {
 public:
  explicit ProcedureSource(ProcedureParameters& params) : params_(params) {}
  bool loaded() const override { return params_.loaded(); }
  void SelectProcedure(int index) override { params_.set_procedure_index(index); }
  void NextProcedure() override { params_.NextProcedure(); }
  std::optional<double> ValueById(std::int32_t id) const override {
    return params_.ValueById(id);
  }
  std::optional<double> ValueByName(std::string_view name) const override {
    return params_.ValueByName(name);
  }

 private:
  ProcedureParameters& params_;
};

EngineRunSettings EngineSettingsOf(const RunSettings& settings) {
  EngineRunSettings run;
  run.delete_null_line = settings.delete_empty_lines;
  run.no_rret_in_incremental = settings.no_r_point_return_in_cycles;
  return run;
}

class Driver {
 public:
  explicit Driver(const DriveInputs& in)
      : in_(in),
        settings_(*in.settings),
        slot_(in.settings->slots[in.slot_index]),
        messages_(*in.services->messages),
        outputs_(messages_),
        engine_(*in.definition, *in.dictionary, outputs_, in.services->prompts,
                EngineSettingsOf(*in.settings)) {
    ctx_.TakeHeader(*in.definition);
    ctx_.variables = &engine_.variables();
    ctx_.messages = &outputs_;
    ctx_.reader = &reader_;
    ctx_.set_initial_position = settings_.set_initial_position_to_coordinates;
    ctx_.no_r_return = settings_.no_r_point_return_in_cycles;
    ctx_.rapid_feed = settings_.rapid_feed_rate;
    if (in.procedures) {
      procedure_source_.emplace(*in.procedures);
      ctx_.procedures = &*procedure_source_;
    }
    if (ctx_.split.methods != 0) {
      SplitterInputs split;
      split.ctx = &ctx_;
      split.engine = &engine_;
      split.outputs = &outputs_;
      split.settings = &settings_;
      split.output_path = slot_.output_path;
      split.prompts = in.services->prompts;
      split.messages = &messages_;
      split.sheet_item = [this] { SheetItem(false, true); };
      splitter_ = std::make_unique<FileSplitter>(std::move(split));
      split_ = splitter_.get();
    }
    if (ctx_.sheet_to_file()) {
      sheet_file_.emplace(engine_);
      sheet_ = &*sheet_file_;
    }
    outputs_.set_split_policy(split_);
  }

  bool Run() {
    if (!SetUp()) return false;
    if (!Loop()) {
      reader_.Close();
      outputs_.AbandonNc();
      return false;
    }
    return Finish();
  }

 private:
  VariableStore& vars() { return engine_.variables(); }

  void Expand(int section) { engine_.ExpandSection(section); }

  bool SetUp() {
    const std::string& input = settings_.input_path;
    if (!reader_.Open(input)) {
      messages_.Out("Error: " + input + " が読めません。\n");
      messages_.Log("Error: %s が読めません。\n", input);
      return false;
    }
    auto progress = [this](std::string_view line) { messages_.Both(line); };
    constexpr std::int32_t kHeaderItems[] = {kHeaderToolPathName, kHeaderItem118,
                                             kHeaderProcedureName, kHeaderItem212};
    const std::vector<std::string> values = ReadHeaderValues(input, kHeaderItems, progress);
    for (std::size_t i = 0; i < values.size(); ++i) StoreText(ctx_, kHeaderItems[i], values[i]);

    if (ctx_.sheet.output == kSheetToDatabase && slot_.database_target >= 0 &&
        in_.services->store) {
      sheet_db_.emplace(vars(), messages_, settings_.database_comment_items);
      if (sheet_db_->Open(*in_.services->store, slot_)) {
        sheet_ = &*sheet_db_;
      } else {
        sheet_db_.reset();
      }
    }

    if (Variable* v = vars().Lookup(kVarSplitFirst)) v->SetInteger(0);
    if (Variable* v = vars().Lookup(kVarSplitNumber)) v->SetInteger(0);

    std::string err;
    if (ctx_.sheet_to_file() && !OpenSheet()) {
      reader_.Close();
      return false;
    }
    if (!outputs_.OpenNc(slot_.output_path, &err)) {
      messages_.Out("Error: " + slot_.output_path + " を作成できません。(" + err + ")\n");
      messages_.Log("Error: %s を作成できません。\n", slot_.output_path);
      reader_.Close();
      return false;
    }
    StoreText(ctx_, kVarNcFileName, Utf8ToCp932(FileNamePart(slot_.output_path)));
    StoreText(ctx_, kVarDefinitionPath, Utf8ToCp932(slot_.definition_path));

    engine_.user_variables().PrepareComputed();
    std::string user;
    if (in_.services->store) {
      user = in_.services->store->ReadText(kWinlogonKey, "DefaultUserName").value_or("");
    }
    if (user.empty()) user = CurrentUserName();
    StoreText(ctx_, kVarUserName, Utf8ToCp932(user));

    if (settings_.parameter_input_before_run) engine_.user_variables().PreAskInputs();
    ResetRanges(ctx_);
    split_->AskOpenValues();
    if (in_.procedures && !settings_.procedure_parameter_path.empty()) {
      in_.procedures->Read(settings_.procedure_parameter_path, &messages_.log());
    }
    return true;
  }

  // The process-sheet file, first in the output list; its name goes to the
  // exporter's settings before it is opened when the exporter is to start.
  bool OpenSheet() {
    std::string name;
    if (ctx_.sheet_name_source == 1 || ctx_.sheet_name_source == 2) {
      Variable* v = vars().Lookup(ctx_.sheet_name_source == 1 ? kHeaderProcedureName
                                                              : kHeaderToolPathName);
      if (v) name = v->GetText();
    }
    const std::string path =
        SheetFileName(slot_.output_path, ctx_.sheet_name_source, name,
                      SheetExtension(ctx_.sheet.extension_index));
    std::string err;
    if (path == slot_.output_path) {
      err = "NC ファイルと同じ名前です";
    } else if (std::string why = CheckMadePath(path, Cp932ToUtf8(name)); !why.empty()) {
      err = why;
    } else {
      if (settings_.start_exporter) {
        HandOffResult handed = HandOffToExporter(in_.services->store, path);
        if (!handed.error.empty()) {
          messages_.Both("Warning: " + std::string(kExporterSettingsKey) + " に書き込めません。(" +
                         handed.error + ")\n");
        }
      }
      if (outputs_.OpenSheet(path, &err)) return true;
    }
    messages_.Out("Error: " + path + " を作成できません。(" + err + ")\n");
    messages_.Log("Error: %s を作成できません。\n", path);
    return false;
  }

  // True when variable 53 (end Z) counts as set: the move changes Z.
  bool ZChanges() {
    Variable* z = vars().Lookup(kVarEndZ);
    return z && vars().IsDue(*z) != 0;
  }

  bool Loop() {
    ToolPathRecord& record = record_;
    // A long run on a terminal shows how far it has come (standard error).
    std::error_code size_error;
    const auto input_size = std::filesystem::file_size(settings_.input_path, size_error);
    ProgressLine progress(stderr, StandardErrorIsTerminal());
    std::int64_t records = 0;
    while (reader_.ReadNextRecord(&record) > 0) {
      if ((++records & 1023) == 0) {
        progress.Update(reader_.position(),
                        size_error ? 0 : static_cast<std::int64_t>(input_size), records);
      }
      int rapid_class = 0;
      switch (record.kind()) {
        case kProgramStart:
          HandleProgramStart(ctx_, record);
          Expand(kProgramStartSection);
          if (ctx_.sheet_to_file() && sheet_) sheet_->Head();
          break;
        case kProcessStart:
          HandleProcessStart(ctx_, record);
          Expand(kProcessStartSection);
          break;
        case kProcessEnd:
          vars().ArmSnapshotAll();
          HandleProcessEnd(ctx_, record);
          Expand(kProcessEndSection);
          UpdateTapeAtProcessEnd();
          SheetPointAtProcessEnd();
          break;
        case kMessage:
          HandleMessage(ctx_, record);
          Expand(kMessageSection);
          break;
        case kRapidMove: {
          HandleStraightMove(ctx_, record, StraightMode::kRapid);
          const bool z = ZChanges();
          Expand(z ? kRapidZSection : kRapidXYSection);
          rapid_class = z ? 2 : 1;
          break;
        }
        case kApproachMove:
          HandleStraightMove(ctx_, record, StraightMode::kFeed);
          Expand(kApproachSection);
          break;
        case kRetractMove:
          HandleStraightMove(ctx_, record, StraightMode::kFeed);
          Expand(kRetractSection);
          break;
        case kLinearFeed:
          HandleStraightMove(ctx_, record, StraightMode::kFeed);
          // A feed at the rapid rate counts as a rapid for splitting; Z is
          // judged before the section prints it.
          if (ctx_.rapid_set() && NumberOf(ctx_, kVarFeed) >= ctx_.rapid_feed) {
            rapid_class = ZChanges() ? 2 : 1;
          }
          Expand(kLinearFeedSection);
          break;
        case kToolPathStart:
          HandlePathStart(ctx_, record);
          if (ctx_.split.methods & kSplitPerToolPath) split_->StartNextFile();
          break;
        case kToolChange:
          SheetPointAtToolChange();
          HandleToolChange(ctx_, record);
          Expand(kToolChangeSection);
          ctx_.tool_seen = true;
          break;
        case kToolPathEnd:
          if (ctx_.split.methods & kSplitPerToolPath) split_->EndFile();
          SheetPointAtToolPathEnd();
          break;
        case kArcFeed:
          if (HandleArc(ctx_, record, [this] { Expand(kArcFeedSection); }).write_section) {
            Expand(kArcFeedSection);
          }
          break;
        case kCycleOff:
          HandleCycle(ctx_, record, CycleMode::kEnd);
          Expand(kCycleOffSection);
          ResetCycle(ctx_);
          break;
        case kCycle:
        case kCycleSecondForm:
          HandleCycle(ctx_, record,
                      record.kind() == kCycle ? CycleMode::kPoint : CycleMode::kStart);
          Expand(kCycleSection);
          FinishCycleSection(ctx_, engine_.expander().cycle_return_mode() == kReturnToR);
          break;
        case kNurbsSpan:
          HandleNurbs(ctx_, record, NurbsMode::kBlock);
          Expand(kNurbsSection);
          break;
        case kNurbsEnd:
          HandleNurbs(ctx_, record, NurbsMode::kEnd);
          Expand(kNurbsEndSection);
          break;
        default:
          break;
      }
      split_->AfterRecord(rapid_class);
      if (split_->failed()) return false;
    }
    return true;
  }

  double TapePosition() const {
    return static_cast<double>(outputs_.WritePosition()) / kCharactersPerMetre +
           split_->ClosedTapeLength();
  }

  void UpdateTapeAtProcessEnd() {
    ctx_.tape_position = TapePosition();
    StoreNumber(ctx_, kVarTapeLength, ctx_.tape_position - ctx_.tape_at_process_end);
    ctx_.tape_at_process_end = ctx_.tape_position;
  }

  // One process-sheet item from the sheet slots of the variables, taken
  // from the run slots first when `snapshot`.
  void SheetItem(bool clear_tape, bool snapshot) {
    vars().BeginSheetItem(snapshot);
    if (clear_tape) StoreNumber(ctx_, kVarTapeLength, 0.0);
    if (sheet_) sheet_->Item();
    vars().EndSheetItem();
  }

  void SheetPointAtProcessEnd() {
    switch (ctx_.sheet_unit) {
      case kSheetPerProcedure:
        SheetItem(false, true);
        break;
      case kSheetPerTool:
      case kSheetPerToolPath:
        vars().SnapshotAll();
        break;
      default:
        break;
    }
  }

  void SheetPointAtToolChange() {
    if (ctx_.sheet_unit == kSheetPerTool && ctx_.tool_seen) {
      SheetItem(false, false);
      ClearUnit(ctx_);
    }
  }

  void SheetPointAtToolPathEnd() {
    if (ctx_.sheet_unit == kSheetPerToolPath) {
      SheetItem(false, false);
      ClearUnit(ctx_);
    }
  }

  bool Finish() {
    Expand(kProgramEndSection);
    if (ctx_.tool_seen &&
        (ctx_.sheet_unit == kSheetPerTool || ctx_.sheet_unit == kSheetPerFile)) {
      SheetItem(true, true);
    }
    if (ctx_.sheet_to_file() && sheet_) {
      const RunTotals& t = ctx_.totals;
      StoreNumber(ctx_, kVarCutLength, t.cutting_length);
      StoreNumber(ctx_, kVarCutTime, t.cutting_time);
      StoreNumber(ctx_, kVarRapidLength, t.rapid_length);
      StoreNumber(ctx_, kVarRapidTime, t.rapid_time);
      StoreNumber(ctx_, kVarTotalLength, t.rapid_length + t.cutting_length);
      StoreNumber(ctx_, kVarTotalTime, t.rapid_time + t.cutting_time);
      StoreNumber(ctx_, kVarTapeLength, TapePosition());
      sheet_->Tail();
    }
    reader_.Close();
    if (split_->failed()) {
      outputs_.AbandonNc();
      return false;
    }
    std::string err;
    if (!outputs_.CommitNc(&err)) {
      // Name the file that failed: a split file or the sheet as well.
      const std::string& path =
          outputs_.failed_path().empty() ? slot_.output_path : outputs_.failed_path();
      messages_.Out("Error: " + path + " に書き込めません。(" + err + ")\n");
      messages_.Log("Error: %s に書き込めません。(%s)\n", path, err);
      return false;
    }
    if (sheet_db_) {
      // The program, and every split file of it, reaches the target's
      // folder once it is in place.
      sheet_db_->CopyPrograms(outputs_.placed_programs());
      JobSlot& ran = settings_.slots[in_.slot_index];
      ran.database_row = sheet_db_->Close();
      // A registered save point goes on after the rows of this run.
      if (std::string row_err;
          in_.services->store &&
          !AdvanceRegisteredRow(in_.services->store, in_.slot_index, ran, &row_err)) {
        messages_.Both("Warning: 工程ＤＢの行番号を保存できませんでした(" + row_err + ")。\n");
      }
    }
    return true;
  }

  const DriveInputs& in_;
  RunSettings& settings_;
  const JobSlot& slot_;
  RunMessages& messages_;
  JobOutputs outputs_;
  FormatEngine engine_;
  ToolPathReader reader_;
  ToolPathRecord record_;
  RunContext ctx_;
  std::optional<ProcedureSource> procedure_source_;
  NoSplit no_split_;
  SplitPolicy* split_ = &no_split_;
  std::unique_ptr<FileSplitter> splitter_;
  std::optional<SheetFile> sheet_file_;
  std::optional<SheetDatabase> sheet_db_;
  SheetOutput* sheet_ = nullptr;
};

}  // namespace

bool DriveRecords(const DriveInputs& in) {
  // The record and the engine's buffers are large; keep them off the stack.
  auto driver = std::make_unique<Driver>(in);
  return driver->Run();
}

}  // namespace tlv
