#include "post/file_splitter.h"

#include <optional>
#include <vector>

#include "definition/post_definition.h"
#include "format/format_engine.h"
#include "motion/motion_core.h"
#include "motion/run_context.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/text_encoding.h"
#include "post/run_messages.h"
#include "post/run_settings.h"
#include "post/split_file_names.h"

namespace tlv {
namespace {

constexpr int kSplitFileHeadSection = 15;
constexpr int kSplitFileEndSection = 16;

constexpr std::int32_t kVarNcFileName = 43;
constexpr std::int32_t kVarToolPathName = 102;
constexpr std::int32_t kVarToolPathComment = 118;
constexpr std::int32_t kVarSplitFirst = 130;
constexpr std::int32_t kVarSplitNumber = 131;
constexpr std::int32_t kVarProcedureComment = 212;
constexpr std::int32_t kVarProcedureName = 213;

// Longest texts of the name variables that go into a file name.
constexpr std::size_t kProcedureNameBytes = 20;
constexpr std::size_t kProcedureCommentBytes = 150;

constexpr double kCharactersPerMetre = 410.0;

constexpr std::string_view kInputTitle = "入力";
constexpr std::string_view kSaveTitle = "保存ファイルの指定";

std::string TextOf(RunContext& ctx, std::int32_t number) {
  Variable* v = Var(ctx, number);
  return v ? v->GetText() : std::string();
}

}  // namespace

int FileSplitter::Ask(const char* question) {
  std::optional<std::string> answer;
  if (in_.prompts) answer = in_.prompts->AskText(kInputTitle, question, "");
  // The prompt has no cancel: a cancelled one is an empty answer.
  return ParseLeadingInt(answer.value_or(""));
}

void FileSplitter::AskOpenValues() {
  RunContext& ctx = *in_.ctx;
  const int methods = ctx.split.methods;
  if ((methods & kSplitByMachiningLength) && ctx.machining_length == 0) {
    ctx.machining_length = Ask("分割する加工長を指定してください。");
  }
  if ((methods & kSplitByTapeLength) && ctx.tape_length == 0) {
    ctx.tape_length = Ask("分割するテープ長を指定してください。");
  }
  if ((methods & kSplitByMachiningTime) && ctx.machining_time == 0) {
    ctx.machining_time = Ask("分割する加工時間を指定してください。");
  }
}

void FileSplitter::AfterRecord(int rapid_class) {
  RunContext& ctx = *in_.ctx;
  const int methods = ctx.split.methods;
  if (failed_ || (methods & (kSplitByMachiningLength | kSplitByTapeLength |
                             kSplitByMachiningTime)) == 0) {
    return;
  }
  const int position = ctx.split_position;
  if (!(position == kSplitAnywhere || (position == kSplitAtRapid && rapid_class == 1) ||
        (position == kSplitAtRapidZ && rapid_class == 2))) {
    return;
  }
  if ((methods & kSplitByMachiningLength) &&
      static_cast<double>(ctx.machining_length) * 1000.0 < ctx.split_length) {
    Split();
  }
  if ((methods & kSplitByTapeLength) &&
      static_cast<double>(in_.outputs->WritePosition()) >
          kCharactersPerMetre * static_cast<double>(ctx.tape_length)) {
    Split();
  }
  if ((methods & kSplitByMachiningTime) &&
      static_cast<double>(ctx.machining_time) * 60.0 < ctx.split_time) {
    Split();
  }
}

void FileSplitter::Split() {
  EndFile();
  StartNextFile();
  in_.ctx->split_length = 0;
  in_.ctx->split_time = 0;
}

long long FileSplitter::PeekNumber() const {
  if (chosen_) return split_number_ + in_.settings->file_number_increment;
  // At the end of the input the start-number prompt answers "": 0.
  if (in_.settings->file_number_source == 0) return 0;
  return in_.settings->initial_file_number < 0 ? 1 : in_.settings->initial_file_number;
}

long long FileSplitter::NumberStep() {
  RunContext& ctx = *in_.ctx;
  const long long increment = in_.settings->file_number_increment;
  if (!chosen_) {
    long long start = in_.settings->initial_file_number < 0 ? 1 : in_.settings->initial_file_number;
    if (in_.settings->file_number_source == 0) {
      start = Ask("分割ファイルの開始番号を指定してください。");
    }
    if (Variable* v = Var(ctx, kVarSplitFirst)) v->SetInteger(static_cast<std::int32_t>(start));
    if (Variable* v = Var(ctx, kVarSplitNumber)) v->SetInteger(0);
    split_number_ = start - increment;
    chosen_ = true;
  }
  split_number_ += increment;
  if (Variable* v = Var(ctx, kVarSplitNumber)) {
    v->SetInteger(static_cast<std::int32_t>(split_number_));
  }
  return split_number_;
}

std::string FileSplitter::AskName() {
  const RunSettings& s = *in_.settings;
  const int digits = SplitNumberDigits(s.file_number_digits);
  const std::string& ext = s.nc_default_ext;
  FileDialogRequest request;
  request.title = std::string(kSaveTitle);
  request.filters = ParseFileFilters("ＮＣプログラム(*." + ext + ")\n*." + ext +
                                     "\nデータファイル(*.dat)\n*.dat\nテキストファイル(*.txt)\n"
                                     "*.txt\n全ファイル(*.*)\n*.*\n\n\n");
  request.folder = std::string(DirectoryPart(in_.output_path));
  request.default_extension = ext;
  request.confirm_overwrite = true;
  request.must_exist = true;
  // A closed input takes the name that "output name plus number" gives.
  const std::string numbered =
      NumberedOutputName(in_.output_path, PeekNumber(), digits, s.divided_file_ext);
  request.end_of_input_answer = numbered;
  for (;;) {
    std::optional<std::string> chosen;
    if (in_.prompts && !in_.prompts->AtEndOfInput()) chosen = in_.prompts->AskSaveFile(request);
    if (chosen && !(in_.prompts->AtEndOfInput() && *chosen == numbered)) return *chosen;
    if (!in_.prompts || in_.prompts->AtEndOfInput()) {
      NumberStep();
      return numbered;
    }
    // Cancelled: the dialog is shown again until a file is chosen.
  }
}

std::string FileSplitter::MakeName(std::string* why) {
  RunContext& ctx = *in_.ctx;
  const RunSettings& s = *in_.settings;
  const int digits = SplitNumberDigits(s.file_number_digits);
  const int source = ctx.split.name_source;
  if (source == 0) return AskName();
  if (source == 1) {
    const long long number = NumberStep();
    std::string path = NumberedOutputName(in_.output_path, number, digits, s.divided_file_ext);
    *why = CheckMadePath(path, "");
    return path;
  }
  std::string name;
  switch (source) {
    case 2:
      name = NameFromVariable(TextOf(ctx, kVarProcedureName), kProcedureNameBytes, true);
      break;
    case 3:
      name = NameFromVariable(TextOf(ctx, kVarProcedureComment), kProcedureCommentBytes, false);
      break;
    case 4:
      name = NameFromVariable(TextOf(ctx, kVarToolPathName), 0, false);
      break;
    case 5:
      name = NameFromVariable(TextOf(ctx, kVarToolPathComment), 0, false);
      break;
    default:
      *why = "ファイル名の作り方(" + std::to_string(source) + ")が正しくありません";
      return in_.output_path;
  }
  const long long number = ctx.serial_number ? NumberStep() : -1;
  std::string path = NamedSplitPath(in_.output_path, name, number, digits, s.divided_file_ext);
  *why = CheckMadePath(path, name);
  return path;
}

void FileSplitter::Fail(const std::string& path, const std::string& why) {
  failed_ = true;
  in_.messages->Out("Error: " + path + " を作成できません。(" + why + ")\n");
  in_.messages->Log("Error: %s を作成できません。\n", path);
}

void FileSplitter::StartNextFile() {
  if (failed_) return;
  RunContext& ctx = *in_.ctx;
  in_.engine->variables().ResetAtFileHead();
  std::string why;
  const std::string path = MakeName(&why);
  if (!why.empty()) return Fail(path, why);
  if (!in_.outputs->OpenSplit(path, &why)) return Fail(path, why);
  StoreText(ctx, kVarNcFileName, Utf8ToCp932(FileNamePart(path)));
  in_.engine->ExpandSection(kSplitFileHeadSection);
}

void FileSplitter::EndFile() {
  // Nothing to end when no program file is open (a second end marker).
  if (failed_ || !in_.outputs->has_program_output()) return;
  RunContext& ctx = *in_.ctx;
  const bool per_file = ctx.sheet_unit == kSheetPerFile;
  if (per_file && in_.sheet_item) in_.sheet_item();
  in_.engine->ExpandSection(kSplitFileEndSection);
  if (per_file) ClearUnit(ctx);
  ctx.tape_position =
      static_cast<double>(in_.outputs->WritePosition()) / kCharactersPerMetre +
      ctx.closed_split_tape;
  ctx.closed_split_tape = ctx.tape_position;
  in_.outputs->CloseCurrent();
  if (in_.outputs->has_output()) {
    StoreText(ctx, kVarNcFileName, Utf8ToCp932(FileNamePart(in_.outputs->CurrentPath())));
  }
  ctx.split_length = 0;
  ctx.split_time = 0;
}

double FileSplitter::ClosedTapeLength() const { return in_.ctx->closed_split_tape; }

}  // namespace tlv
