#include "motion/straight_move.h"

#include "format/variable_store.h"
#include "motion/motion_core.h"
#include "platform/text_encoding.h"
#include "toolpath/tool_path_record.h"

namespace tlv {

namespace {

constexpr CodeKey kRapidCode = KnownCodeKey("G00_CODE");
constexpr CodeKey kLinearCode = KnownCodeKey("G01_CODE");
constexpr CodeKey kCompensationLeft = KnownCodeKey("CMP_LEFT");
constexpr CodeKey kCompensationRight = KnownCodeKey("CMP_RIGHT");
constexpr CodeKey kCompensationOff = KnownCodeKey("CMP_OFF");

}  // namespace

void HandleStraightMove(RunContext& ctx, const ToolPathRecord& record, StraightMode mode) {
  const bool feed_mode = mode == StraightMode::kFeed;

  // After an arc, NURBS span or cycle the current interpolation code goes
  // back to the rapid/linear code.
  if (Variable* line = Var(ctx, kVarLineCode)) {
    if (Variable* motion = Var(ctx, kVarMotionCode)) {
      if (line->is_text) {
        // The code text as it stands (GetText without the copy).
        line->pinned = false;
        motion->SetText(CutCp932(line->slot().text, kMaxCodeText));
      } else {
        ctx.scratch.clear();
        line->GetText(&ctx.scratch, kMaxCodeText);
        motion->SetText(ctx.scratch);
      }
    }
  }

  double length = 0;
  bool start_in_feed_range = false;
  for (int i = 1; i < record.count; ++i) {
    const RecordField& item = record.slots[i];
    switch (item.id) {
      case kItemFeed:
        ReadFeed(ctx, item.number);
        break;
      case kItemMotionWord: {
        const CodeKey code = item.text == "G00" ? kRapidCode : kLinearCode;
        StoreCode(ctx, kVarLineCode, code);
        StoreCode(ctx, kVarMotionCode, code);
        break;
      }
      case kItemCompensationWord:
        StoreCode(ctx, kVarCompensation,
                  item.text == "G41"   ? kCompensationLeft
                  : item.text == "G42" ? kCompensationRight
                                       : kCompensationOff);
        break;
      case kItemEndX:
      case kItemEndX + 1:
      case kItemEndX + 2: {
        const int axis = item.id - kItemEndX;
        UpdateRange(ctx, axis, item.number);
        if (feed_mode) {
          // The feed range covers the start of the move as well.  Once the
          // start point is in, widening by it again changes nothing (the
          // ranges only grow and the start point stays), so it goes in
          // once a record.
          if (!start_in_feed_range) {
            for (int a = 0; a < 3; ++a) UpdateFeedRange(ctx, a, NumberOf(ctx, kVarPrevious + a));
            start_in_feed_range = true;
          }
          UpdateFeedRange(ctx, axis, item.number);
        }
        StoreNumber(ctx, kVarEnd + axis, item.number);
        break;
      }
      case kItemLength:
        length = item.number;
        if (feed_mode) {
          AddCuttingLength(ctx, length);
        } else {
          AddNumber(ctx, kVarRapidLength, length);
          AddNumber(ctx, kVarTotalLength, length);
          ctx.totals.rapid_length += length;
        }
        break;
      case kItemMoveValue:
        StoreNumber(ctx, kItemMoveValue, item.number);
        break;
      default:
        break;
    }
  }

  if (feed_mode) {
    TimeFeedMove(ctx, length, /*rapid_rule=*/true);
  } else if (ctx.rapid_set()) {
    const double time = length / ctx.rapid_feed * 60.0;
    AddNumber(ctx, kVarRapidTime, time);
    AddNumber(ctx, kVarTotalTime, time);
    ctx.totals.rapid_time += time;
  }

  // The next arc writes its radius even when it equals the last one.
  SetChanged(ctx, kVarRadius, true);
}

}  // namespace tlv
