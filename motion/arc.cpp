#include "motion/arc.h"

#include <algorithm>
#include <cmath>

#include "format/engine_output.h"
#include "format/variable_store.h"
#include "motion/motion_core.h"
#include "toolpath/tool_path_record.h"

namespace tlv {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegree = kPi / 180.0;
constexpr double kFullCircle = 360.0;
/// Arcs sweeping more than this are split in two when the definition asks.
constexpr double kSplitDegrees = 180.0;
/// A corrected centre further than this from the true radius is not taken.
constexpr double kRadiusBound = 100.0;
/// Radii that differ by less than one increment agree.  Rounded values
/// carry binary noise; a difference of exactly one increment must not pass
/// by that noise.
constexpr double kWithinStep = kCentreStep * (1 - 1e-6);
/// A start this close before an axis direction still passes it.
constexpr double kDirectionSlack = 0.0001;

struct Point {
  double v[3] = {0, 0, 0};
};

// The plane's first and second axis (0 X, 1 Y, 2 Z).
struct PlaneAxes {
  int first;
  int second;
};

int PlaneOf(double value) {
  const int plane = std::isfinite(value) && std::fabs(value) < 1e9 ? static_cast<int>(value) : 0;
  return plane == kPlaneZX || plane == kPlaneYZ ? plane : kPlaneXY;
}

PlaneAxes AxesOf(int plane) {
  switch (plane) {
    case kPlaneZX: return {2, 0};
    case kPlaneYZ: return {1, 2};
    default: return {0, 1};
  }
}

std::string_view PlaneCodeKey(int plane) {
  switch (plane) {
    case kPlaneZX: return "G18_CODE";
    case kPlaneYZ: return "G19_CODE";
    default: return "G17_CODE";
  }
}

// `x` as the machine reads it back after printing it with the format of
// `format_of`: a format without a decimal point prints least increments.
double AsPrinted(Variable* format_of, double x) {
  if (!format_of) return x;
  const int decimals = std::clamp(format_of->format().decimal_digits, 0, 5);
  const double quantum = format_of->QuantumOf(x);
  if (decimals == 0) return quantum * kCentreStep;
  return quantum / std::pow(10.0, decimals);
}

// True when the arc from `start` over `sweep` degrees reaches the axis
// direction `dir` (an end exactly on it counts).
bool Passes(double start, double sweep, double dir) {
  if (std::fabs(sweep) >= kFullCircle) return true;
  double d = std::fmod(sweep >= 0 ? dir - start : start - dir, kFullCircle);
  if (d < 0) d += kFullCircle;
  if (d <= std::fabs(sweep)) return true;
  // A counter-clockwise arc starting a hair past the direction is taken to
  // start on it.
  return sweep > 0 && kFullCircle - d <= kDirectionSlack;
}

class ArcOutput {
 public:
  ArcOutput(RunContext& ctx, int plane)
      : ctx_(ctx),
        plane_(plane),
        axes_(AxesOf(plane)),
        formats_{Var(ctx, kVarCentreI), Var(ctx, kVarCentreJ), Var(ctx, kVarCentreK)} {
    CoordinateState& coord = ctx.variables->coordinates();
    if (coord.mode == kCoordOffset) {
      for (int a = 0; a < 3; ++a) offset_.v[a] += coord.g92_offset[a];
    }
    if (ctx.variables->coordinate_settings().tool_centre) offset_.v[2] += coord.tool_centre_z;
  }

  // The output frame of a tool-path point: the G92 origin offset and the
  // tool-centre Z offset added.
  Point Offset(const Point& p) const {
    Point out;
    for (int a = 0; a < 3; ++a) out.v[a] = p.v[a] + offset_.v[a];
    return out;
  }

  // One arc from `start` (output frame) about `centre` (output frame) to
  // `end` (tool-path frame): end point, plane code and I, J, K.
  void Prepare(const Point& start, const Point& centre, const Point& end) {
    for (int a = 0; a < 3; ++a) StoreNumber(ctx_, kVarEnd + a, end.v[a]);
    const Point end_out = Offset(end);
    Point s, c, e;
    for (int a = 0; a < 3; ++a) {
      s.v[a] = AsPrinted(formats_[a], start.v[a]);
      c.v[a] = AsPrinted(formats_[a], centre.v[a]);
      e.v[a] = AsPrinted(formats_[a], end_out.v[a]);
    }
    const double radius = std::hypot(end_out.v[axes_.first] - centre.v[axes_.first],
                                     end_out.v[axes_.second] - centre.v[axes_.second]);
    StoreCode(ctx_, kVarPlaneCode, PlaneCodeKey(plane_));
    CorrectCentre(s, e, radius, &c);
    StoreNumber(ctx_, kVarCentreI, c.v[0] - s.v[0]);
    StoreNumber(ctx_, kVarCentreJ, c.v[1] - s.v[1]);
    StoreNumber(ctx_, kVarCentreK, c.v[2] - s.v[2]);
  }

 private:
  // The machine checks that start and end lie on one circle about the
  // rounded centre.  Try the rounded centre and its eight neighbours one
  // increment away; keep the first that puts both on the circle.
  void CorrectCentre(const Point& s, const Point& e, double radius, Point* c) {
    static constexpr int kCandidates[9][2] = {{0, 0},  {1, 0},  {-1, 0}, {0, 1},  {0, -1},
                                              {1, 1},  {1, -1}, {-1, 1}, {-1, -1}};
    const int a = axes_.first;
    const int b = axes_.second;
    for (const auto& step : kCandidates) {
      const double ca = c->v[a] + step[0] * kCentreStep;
      const double cb = c->v[b] + step[1] * kCentreStep;
      const double r1 = std::hypot(s.v[a] - ca, s.v[b] - cb);
      const double r2 = std::hypot(e.v[a] - ca, e.v[b] - cb);
      if (std::fabs(r1 - r2) < kWithinStep && std::fabs(r1 - radius) < kRadiusBound &&
          std::fabs(r2 - radius) < kRadiusBound) {
        c->v[a] = ca;
        c->v[b] = cb;
        return;
      }
    }
    if (ctx_.messages) {
      ctx_.messages->Print(kArcCentreWarning);
      ctx_.messages->Log(kArcCentreWarning);
    }
  }

  RunContext& ctx_;
  int plane_;
  PlaneAxes axes_;
  Variable* formats_[3];
  Point offset_;
};

}  // namespace

ArcExtent ArcXYExtent(double cx, double cy, double r, double start, double sweep) {
  const double x0 = cx + r * std::cos(start * kDegree);
  const double y0 = cy + r * std::sin(start * kDegree);
  const double x1 = cx + r * std::cos((start + sweep) * kDegree);
  const double y1 = cy + r * std::sin((start + sweep) * kDegree);
  ArcExtent ext{std::min(x0, x1), std::max(x0, x1), std::min(y0, y1), std::max(y0, y1)};
  if (Passes(start, sweep, 0)) ext.max_x = std::max(ext.max_x, cx + r);
  if (Passes(start, sweep, 90)) ext.max_y = std::max(ext.max_y, cy + r);
  if (Passes(start, sweep, 180)) ext.min_x = std::min(ext.min_x, cx - r);
  if (Passes(start, sweep, 270)) ext.min_y = std::min(ext.min_y, cy - r);
  return ext;
}

ArcResult HandleArc(RunContext& ctx, const ToolPathRecord& record,
                    const ArcSectionWriter& write_first_half) {
  // The current interpolation code returns to the last arc code.
  if (Variable* arc = Var(ctx, kVarArcCode)) {
    if (Variable* motion = Var(ctx, kVarMotionCode)) {
      ctx.scratch.clear();
      arc->GetText(&ctx.scratch, kMaxCodeText);
      motion->SetText(ctx.scratch);
    }
  }

  Point start;
  for (int a = 0; a < 3; ++a) start.v[a] = NumberOf(ctx, kVarPrevious + a);
  Point centre = start;
  Point end;
  for (int a = 0; a < 3; ++a) end.v[a] = NumberOf(ctx, kVarEnd + a);
  double sweep = 0;
  double start_angle = 0;
  double radius = 0;
  double length = 0;
  bool tiny = false;
  int plane = PlaneOf(NumberOf(ctx, kVarArcPlane));

  for (int i = 1; i < record.count; ++i) {
    const RecordField& item = record.slots[i];
    switch (item.id) {
      case kVarFeed: {
        // F and the warning as for any feed, but the run's last feed comes
        // from straight moves and NURBS blocks only.
        const double last = ctx.totals.last_feed;
        ReadFeed(ctx, item.number);
        ctx.totals.last_feed = last;
        break;
      }
      case kItemArcWord: {
        const std::string_view key = item.text == "G02" ? "G02_CODE" : "G03_CODE";
        StoreCode(ctx, kVarArcCode, key);
        StoreCode(ctx, kVarMotionCode, key);
        break;
      }
      case kItemSweep:
        sweep = item.number;
        tiny = std::fabs(sweep) < kTinyArcDegrees;
        if (tiny && ctx.tiny_arc_as_circle) sweep = sweep < 0 ? -kFullCircle : kFullCircle;
        StoreNumber(ctx, kVarArcSweep, sweep);
        break;
      case kItemRadius: {
        radius = item.number;
        StoreNumber(ctx, kVarRadius, std::fabs(radius));
        const double l = std::fabs(sweep) * kPi * std::fabs(radius) / 180.0;
        AddCuttingLength(ctx, l);
        length += l;
        break;
      }
      case kItemStartAngle:
        start_angle = item.number;
        break;
      case kItemCentreX:
      case kItemCentreX + 1:
      case kItemCentreX + 2:
        centre.v[item.id - kItemCentreX] = item.number;
        break;
      case kItemArcEndX:
      case kItemArcEndX + 1:
      case kItemArcEndX + 2:
        end.v[item.id - kItemArcEndX] = item.number;
        StoreNumber(ctx, kVarEnd + item.id - kItemArcEndX, item.number);
        break;
      case kItemPlane:
        plane = PlaneOf(item.number);
        if (Variable* v = Var(ctx, kVarArcPlane)) {
          const double n = item.number;
          v->SetInteger(std::isfinite(n) && std::fabs(n) < 2e9 ? static_cast<std::int32_t>(n) : 0);
        }
        break;
      default:
        break;
    }
  }

  // A tiny arc that is not taken as a full circle keeps its length but is
  // not written.
  if (tiny && !ctx.tiny_arc_as_circle) return ArcResult{false, false};

  TimeFeedMove(ctx, length, /*rapid_rule=*/false);

  const ArcExtent ext = ArcXYExtent(centre.v[0], centre.v[1], std::fabs(radius), start_angle, sweep);
  UpdateRange(ctx, 0, ext.min_x);
  UpdateRange(ctx, 0, ext.max_x);
  UpdateRange(ctx, 1, ext.min_y);
  UpdateRange(ctx, 1, ext.max_y);
  UpdateFeedRange(ctx, 0, ext.min_x);
  UpdateFeedRange(ctx, 0, ext.max_x);
  UpdateFeedRange(ctx, 1, ext.min_y);
  UpdateFeedRange(ctx, 1, ext.max_y);

  ArcOutput out(ctx, plane);
  // The offsets go onto the centre once for the whole arc.
  const Point centre_out = out.Offset(centre);
  if (ctx.split_large_arcs && std::fabs(sweep) > kSplitDegrees) {
    const PlaneAxes axes = AxesOf(plane);
    const double mid = (start_angle + sweep / 2) * kDegree;
    const double r = NumberOf(ctx, kVarRadius);
    Point middle = centre;
    middle.v[axes.first] = centre.v[axes.first] + r * std::cos(mid);
    middle.v[axes.second] = centre.v[axes.second] + r * std::sin(mid);
    out.Prepare(start, centre_out, middle);
    if (write_first_half) write_first_half();
    out.Prepare(out.Offset(middle), centre_out, end);
    return ArcResult{true, true};
  }
  out.Prepare(start, centre_out, end);
  return ArcResult{true, false};
}

}  // namespace tlv
