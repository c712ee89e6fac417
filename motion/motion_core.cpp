#include "motion/motion_core.h"

#include "format/engine_output.h"
#include "format/variable_store.h"
#include "platform/text_encoding.h"
#include "toolpath/tool_path_record.h"

namespace tlv {

void RunContext::TakeHeader(const PostDefinition& def) {
  coordinate = def.coordinate_mode;
  split = def.split_mode;
  sheet = def.process_sheet;
  sheet_unit = def.sheet_unit;
  sheet_name_source = def.sheet_name_source;
  tape_length = def.tape_length;
  machining_time = def.machining_time;
  machining_length = def.machining_length;
  split_position = def.split_position;
  tiny_arc_as_circle = def.tiny_arc_as_circle;
  rigid_tap = def.rigid_tap;
  min_unit_digits = def.min_unit_digits;
  split_large_arcs = def.split_large_arcs;
  serial_number = def.serial_number;
  codes = &def.codes;
  ResolveCodes();
}

void RunContext::ResolveCodes() {
  resolved_codes = codes;
  for (std::size_t i = 0; i < code_texts.size(); ++i) {
    const std::string_view text = codes ? codes->Text(kDefaultCodes[i].key) : std::string_view();
    code_texts[i].assign(CutCp932(text, kMaxCodeText));
  }
}

void StoreCode(RunContext& ctx, std::int32_t number, std::string_view key) {
  Variable* v = Var(ctx, number);
  if (!v) return;
  std::string_view text = ctx.codes ? ctx.codes->Text(key) : std::string_view();
  v->SetText(CutCp932(text, kMaxCodeText));
}

void StoreCode(RunContext& ctx, std::int32_t number, CodeKey key) {
  if (ctx.codes == nullptr || ctx.resolved_codes != ctx.codes) {
    StoreCode(ctx, number, key.name());
    return;
  }
  if (Variable* v = Var(ctx, number)) v->SetText(ctx.code_texts[key.index]);
}

void StoreText(RunContext& ctx, std::int32_t number, std::string_view text) {
  if (Variable* v = Var(ctx, number)) v->SetText(text);
}

void StoreQuiet(RunContext& ctx, std::int32_t number, double value) {
  if (Variable* v = Var(ctx, number)) {
    v->SetNumber(value);
    v->SetChanged(false);
  }
}

void StoreGenericItem(RunContext& ctx, const RecordField& field) {
  Variable* v = Var(ctx, field.id);
  if (!v) return;
  if (field.kind == FieldKind::kText) {
    v->SetText(field.text);
  } else {
    v->SetNumber(field.number);
  }
}

namespace {

constexpr double kRangeResetMin = 1000.0;
constexpr double kRangeResetMax = -1000.0;

}  // namespace

void SetRange(RunContext& ctx, int axis, double value) {
  if (axis < 0 || axis > 2) return;
  StoreNumber(ctx, kAllRangeBase + 2 * axis, value);
  StoreNumber(ctx, kAllRangeBase + 2 * axis + 1, value);
}

void ResetRanges(RunContext& ctx) {
  for (int axis = 0; axis < 3; ++axis) {
    for (std::int32_t base : {kAllRangeBase, kFeedRangeBase}) {
      StoreNumber(ctx, base + 2 * axis, kRangeResetMin);
      StoreNumber(ctx, base + 2 * axis + 1, kRangeResetMax);
    }
  }
}

void ClearUnit(RunContext& ctx) {
  for (std::int32_t n : {kVarTapeLength, kVarCutLength, kVarCutTime, kVarRapidLength,
                         kVarRapidTime, kVarTotalLength, kVarTotalTime}) {
    StoreNumber(ctx, n, 0.0);
  }
  ResetRanges(ctx);
}

void ReadFeed(RunContext& ctx, double feed) {
  StoreNumber(ctx, kVarFeed, feed);
  ctx.totals.last_feed = feed;
  if (ctx.rapid_set() && feed >= ctx.rapid_feed && ctx.messages) {
    ctx.messages->Print(kFeedAboveRapidWarning);
    ctx.messages->Log(kFeedAboveRapidWarning);
  }
}

void AddCuttingLength(RunContext& ctx, double length) {
  AddNumber(ctx, kVarCutLength, length);
  AddNumber(ctx, kVarTotalLength, length);
  ctx.totals.cutting_length += length;
  if (ctx.split_by_length()) ctx.split_length += length;
}

void TimeFeedMove(RunContext& ctx, double length, bool rapid_rule) {
  const double feed = NumberOf(ctx, kVarFeed);
  if (rapid_rule && ctx.rapid_set() && feed >= ctx.rapid_feed) {
    const double time = length / ctx.rapid_feed * 60.0;
    AddNumber(ctx, kVarRapidTime, time);
    AddNumber(ctx, kVarTotalTime, time);
    ctx.totals.rapid_time += time;
  } else if (feed > 0.9) {
    const double time = length / feed * 60.0;
    AddNumber(ctx, kVarCutTime, time);
    AddNumber(ctx, kVarTotalTime, time);
    ctx.totals.cutting_time += time;
    if (ctx.split_by_time()) ctx.split_time += time;
  }
}

void AccountRapidMove(RunContext& ctx, double length) {
  AddNumber(ctx, kVarRapidLength, length);
  AddNumber(ctx, kVarTotalLength, length);
  ctx.totals.rapid_length += length;
  if (ctx.rapid_set()) {
    const double time = length / ctx.rapid_feed * 60.0;
    AddNumber(ctx, kVarRapidTime, time);
    AddNumber(ctx, kVarTotalTime, time);
    ctx.totals.rapid_time += time;
  }
}

}  // namespace tlv
