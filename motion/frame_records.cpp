#include "motion/frame_records.h"

#include "format/variable_store.h"
#include "motion/motion_core.h"
#include "platform/text_encoding.h"
#include "toolpath/tool_path_reader.h"
#include "toolpath/tool_path_record.h"

namespace tlv {
namespace {

constexpr std::int32_t kItemSpindle = 16;
constexpr std::int32_t kItemCoolant = 17;
constexpr std::int32_t kItemHomeX = 103;          // 103, 104, 105
constexpr std::int32_t kItemStartX = 106;         // 106, 107, 108
constexpr std::int32_t kItemProcessStartX = 217;  // 217, 218, 219
constexpr std::int32_t kItemToolPathName = 102;
constexpr std::int32_t kItemToolPathComment = 118;
constexpr std::int32_t kItemProcessTime = 250;    // 250, 251, 252
constexpr std::int32_t kItemToolNumber = 1504;
constexpr std::int32_t kItemToolDiameter = 1515;
constexpr std::int32_t kItemToolTipRadius = 1535;
constexpr std::int32_t kVarSideStep = 215;
constexpr std::int32_t kVarDownStep = 206;

// Procedure parameters by id into variables, each 0 when the procedure
// lacks it.
struct ParameterById {
  std::int32_t variable;
  std::int32_t id;
};
constexpr ParameterById kParametersById[] = {
    {2201, 3303}, {209, 55}, {2202, 20391}, {2203, 3201}};

bool IncrementalOutput(RunContext& ctx) {
  return ctx.variables->coordinates().mode == kCoordIncremental;
}

void StoreSpindleWord(RunContext& ctx, std::string_view word) {
  StoreCode(ctx, kVarSpindle, word == "M03" ? "M_SPINON" : "M_SPINOFF");
}

void StoreCoolantWord(RunContext& ctx, std::string_view word) {
  std::string_view key = "M_COOLOFF";
  if (word == "M08") {
    key = "M_FLOOD";
  } else if (word == "M50") {
    key = "M_AIR";
  } else if (word == "M07") {
    key = "M_MIST";
  } else if (word == "M51") {
    key = "M_INTRNL";
  }
  StoreCode(ctx, kVarCoolant, key);
}

void SelectProcedure(RunContext& ctx, int index) {
  ctx.procedure_index = index;
  if (ctx.procedures) ctx.procedures->SelectProcedure(index);
}

// X, Y, Z (51 to 53) from the three variables starting at `from`.
void CopyToEndPoint(RunContext& ctx, std::int32_t from) {
  for (int axis = 0; axis < 3; ++axis) StoreNumber(ctx, kVarEnd + axis, NumberOf(ctx, from + axis));
}

// Steps shared by process start and path start: the look-ahead flag and
// the items.
void ReadStartItems(RunContext& ctx, const ToolPathRecord& record) {
  const bool tool_change_follows =
      ctx.reader && ctx.reader->ComesBefore(RecordKind::kToolChange);
  SetChanged(ctx, kVarNoToolChange, !tool_change_follows);

  const bool start_here = ctx.start_point() == kStartAtProcessStart &&
                          ctx.set_initial_position && IncrementalOutput(ctx);
  for (int i = 1; i < record.count; ++i) {
    const RecordField& item = record.slots[i];
    if (item.id == kItemSpindle) {
      StoreSpindleWord(ctx, item.text);
    } else if (item.id == kItemCoolant) {
      StoreCoolantWord(ctx, item.text);
    } else if (item.id >= kItemProcessStartX && item.id < kItemProcessStartX + 3) {
      const int axis = item.id - kItemProcessStartX;
      if (start_here) {
        StoreNumber(ctx, kVarPrevious + axis, item.number);
        StoreQuiet(ctx, kVarEnd + axis, item.number);
      }
      StoreNumber(ctx, kVarProcessStart + axis, item.number);
      StoreNumber(ctx, item.id, item.number);
      UpdateRange(ctx, axis, item.number);
      StoreNumber(ctx, kVarEnd + axis, item.number);
    } else {
      StoreGenericItem(ctx, item);
    }
  }
}

}  // namespace

void HandleProgramStart(RunContext& ctx, const ToolPathRecord& record) {
  SelectProcedure(ctx, 0);
  // The off codes are the modal state, not something to write by itself.
  StoreCode(ctx, kVarCoolant, "M_COOLOFF");
  SetChanged(ctx, kVarCoolant, false);
  StoreCode(ctx, kVarSpindle, "M_SPINOFF");
  SetChanged(ctx, kVarSpindle, false);

  const bool range_per_process = ctx.sheet_to_file() && ctx.sheet_unit == kSheetPerProcedure;
  for (int i = 1; i < record.count; ++i) {
    const RecordField& item = record.slots[i];
    if (item.id >= kItemHomeX && item.id < kItemHomeX + 3) {
      const int axis = item.id - kItemHomeX;
      StoreNumber(ctx, kVarHome + axis, item.number);
      StoreQuiet(ctx, kVarEnd + axis, item.number);
      if (ctx.start_point() == kStartAtHome) StoreNumber(ctx, kVarPrevious + axis, item.number);
      if (range_per_process) SetRange(ctx, axis, item.number);
    } else if (item.id >= kItemStartX && item.id < kItemStartX + 3) {
      const int axis = item.id - kItemStartX;
      StoreNumber(ctx, kVarStart + axis, item.number);
      if (ctx.start_point() == kStartAtMachiningStart) {
        StoreNumber(ctx, kVarPrevious + axis, item.number);
        StoreQuiet(ctx, kVarEnd + axis, item.number);
      }
    } else {
      StoreGenericItem(ctx, item);
    }
  }
}

void HandleProcessStart(RunContext& ctx, const ToolPathRecord& record) {
  if (ctx.sheet_unit == kSheetPerProcedure) {
    ClearUnit(ctx);
    ctx.nurbs.point_seen = false;
  }
  StoreText(ctx, kVarCompensation, "");
  ctx.cycle.r = 0;
  ctx.cycle.depth = 0;

  ReadStartItems(ctx, record);

  if (ctx.procedures && ctx.procedures->loaded()) {
    if (auto v = ctx.procedures->ValueByName(kSideStepName)) StoreNumber(ctx, kVarSideStep, *v);
    if (auto v = ctx.procedures->ValueByName(kDownStepName)) StoreNumber(ctx, kVarDownStep, *v);
    for (const ParameterById& p : kParametersById) {
      StoreNumber(ctx, p.variable, ctx.procedures->ValueById(p.id).value_or(0.0));
    }
  }

  if (ctx.set_initial_position && IncrementalOutput(ctx)) {
    if (ctx.start_point() == kStartAtHome) {
      CopyToEndPoint(ctx, kVarHome);
    } else if (ctx.start_point() == kStartAtMachiningStart) {
      CopyToEndPoint(ctx, kVarStart);
    }
  }
}

void HandlePathStart(RunContext& ctx, const ToolPathRecord& record) {
  ReadStartItems(ctx, record);
}

void HandleToolChange(RunContext& ctx, const ToolPathRecord& record) {
  SetChanged(ctx, kVarFirstTool, ctx.first_tool_change);
  SetChanged(ctx, kVarNextTool, !ctx.first_tool_change);
  const bool more = ctx.reader && ctx.reader->FindAhead(RecordKind::kToolChange, true);
  SetChanged(ctx, kVarLastTool, !more);
  SetChanged(ctx, kVarMoreTools, more);

  const bool range_per_tool = ctx.sheet_to_file() && ctx.sheet_unit == kSheetPerTool;
  for (int i = 1; i < record.count; ++i) {
    const RecordField& item = record.slots[i];
    if (item.id == kItemCoolant) {
      StoreCoolantWord(ctx, item.text);
    } else if (item.id >= kItemHomeX && item.id < kItemHomeX + 3) {
      const int axis = item.id - kItemHomeX;
      StoreNumber(ctx, item.id, item.number);
      StoreNumber(ctx, kVarEnd + axis, item.number);
      if (range_per_tool) SetRange(ctx, axis, item.number);
    } else if (item.id == kItemToolNumber) {
      if (Variable* v = Var(ctx, kItemToolNumber); !v || v->GetNumber() != item.number) {
        ctx.split_length = 0;
        ctx.split_time = 0;
      }
      StoreNumber(ctx, kItemToolNumber, item.number);
    } else if (item.id >= 1509 && item.id <= 1511) {
      // Tool values the sections never see.
    } else if (item.id == kItemToolDiameter) {
      StoreNumber(ctx, kItemToolDiameter, item.number);
    } else if (item.id == kItemToolTipRadius) {
      StoreNumber(ctx, kItemToolTipRadius, item.number);
      ctx.variables->coordinates().tool_centre_z =
          ctx.coordinate.tool_position != 0 ? item.number : 0.0;
    } else {
      StoreGenericItem(ctx, item);
    }
  }

  ctx.first_tool_change = false;
  // The interpolation code and the tool words are written again after a
  // change.
  for (std::int32_t n : {kVarMotionCode, 10, 11, 12}) SetChanged(ctx, n, true);
}

void HandleProcessEnd(RunContext& ctx, const ToolPathRecord& record) {
  // A sheet item of this process shows the codes that were in use.
  if (Variable* v = Var(ctx, kVarCoolant)) v->Snapshot();
  if (Variable* v = Var(ctx, kVarSpindle)) v->Snapshot();
  StoreCode(ctx, kVarSpindle, "M_SPINOFF");
  StoreCode(ctx, kVarCoolant, "M_COOLOFF");

  SetChanged(ctx, kItemToolPathName, false);
  SetChanged(ctx, kItemToolPathComment, false);
  for (int i = 1; i < record.count; ++i) {
    const RecordField& item = record.slots[i];
    if (item.id == kItemToolPathName || item.id == kItemToolPathComment) {
      StoreText(ctx, item.id, item.text);
    } else if (item.id >= kItemProcessTime && item.id < kItemProcessTime + 3) {
      StoreNumber(ctx, item.id, item.number * 60.0);
    }
  }

  if (ctx.set_initial_position && IncrementalOutput(ctx)) {
    if (ctx.start_point() == kStartAtHome) {
      CopyToEndPoint(ctx, kVarHome);
    } else if (ctx.start_point() == kStartAtProcessStart) {
      CopyToEndPoint(ctx, kVarProcessStart);
    } else if (ctx.start_point() == kStartAtMachiningStart) {
      CopyToEndPoint(ctx, kVarStart);
    }
  }

  if (ctx.sheet_unit == kSheetPerProcedure) StoreNumber(ctx, kVarTapeLength, 0.0);

  ++ctx.procedure_index;
  if (ctx.procedures) ctx.procedures->NextProcedure();
}

void HandleMessage(RunContext& ctx, const ToolPathRecord& record) {
  for (int i = 1; i < record.count; ++i) {
    const RecordField& item = record.slots[i];
    if (item.id == kVarMessage) StoreText(ctx, kVarMessage, CutCp932(item.text, kMaxMessageText));
  }
}

}  // namespace tlv
