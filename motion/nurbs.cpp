#include "motion/nurbs.h"

#include <cmath>

#include "format/variable_store.h"
#include "motion/motion_core.h"
#include "motion/straight_move.h"
#include "toolpath/tool_path_record.h"

namespace tlv {

void HandleNurbs(RunContext& ctx, const ToolPathRecord& record, NurbsMode mode) {
  // The current interpolation code becomes the NURBS code.
  if (Variable* code = Var(ctx, kVarNurbsCode)) {
    if (Variable* motion = Var(ctx, kVarMotionCode)) {
      ctx.scratch.clear();
      code->GetText(&ctx.scratch, kMaxCodeText);
      motion->SetText(ctx.scratch);
    }
  }

  NurbsState& st = ctx.nurbs;
  double length_item = 0;
  bool has_point = false;
  for (int i = 1; i < record.count; ++i) {
    const RecordField& item = record.slots[i];
    switch (item.id) {
      case kItemFeed:
        ReadFeed(ctx, item.number);
        break;
      case kItemCompensationWord:
        StoreCode(ctx, kVarCompensation,
                  item.text == "G41"   ? "CMP_LEFT"
                  : item.text == "G42" ? "CMP_RIGHT"
                                       : "CMP_OFF");
        break;
      case kItemLength:
        length_item = item.number;
        AddCuttingLength(ctx, item.number);
        break;
      case kItemNurbsCode:
        StoreCode(ctx, kVarNurbsCode, "G06_CODE");
        break;
      case kItemNurbsOrder:
      case kItemNurbsWeight:
      case kItemNurbsKnot:
        StoreNumber(ctx, item.id, item.number);
        break;
      case kItemControlX:
      case kItemControlX + 1:
      case kItemControlX + 2: {
        const int axis = item.id - kItemControlX;
        // As a feed move: the feed range covers the start point as well.
        UpdateRange(ctx, axis, item.number);
        for (int a = 0; a < 3; ++a) UpdateFeedRange(ctx, a, NumberOf(ctx, kVarPrevious + a));
        UpdateFeedRange(ctx, axis, item.number);
        st.control[axis] = item.number;
        st.previous[axis] = NumberOf(ctx, kVarPrevious + axis);
        StoreNumber(ctx, kVarNurbsPoint + axis, item.number);
        has_point = true;
        break;
      }
      default:
        break;
    }
  }

  // The end record repeats no span: the last block was measured already.
  double length = 0;
  if (mode == NurbsMode::kBlock || has_point) {
    if (st.point_seen) {
      length = std::sqrt(std::pow(st.control[0] - st.previous[0], 2) +
                         std::pow(st.control[1] - st.previous[1], 2) +
                         std::pow(st.control[2] - st.previous[2], 2));
      AddNumber(ctx, kVarCutLength, length);
      AddNumber(ctx, kVarTotalLength, length);
    } else {
      st.point_seen = true;
      length = length_item;
    }
  }
  // NURBS blocks are timed at F, never at the rapid rate.
  TimeFeedMove(ctx, length, /*rapid_rule=*/false);

  SetChanged(ctx, kVarRadius, true);
  if (mode == NurbsMode::kEnd) StoreText(ctx, kVarNurbsCode, "");
}

}  // namespace tlv
