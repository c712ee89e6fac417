#include "plot/nc_reader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <cstdio>
#include <string>

#include "platform/text_encoding.h"

namespace tlv {
namespace {

constexpr double kMaxValue = 1e7;        // beyond this a word is surely garbage
constexpr double kSamePoint = 1e-7;
constexpr int kMaxCodesPerBlock = 16;

enum class Motion { kNone, kRapid, kFeed, kArcCw, kArcCcw, kSpline, kCycle };

/// The words of one block, parsed without allocating.
struct Block {
  std::array<double, 26> value{};
  std::uint32_t has = 0;  // bit per letter
  std::array<int, kMaxCodesPerBlock> g{};  // G codes in tenths (G6.2 -> 62)
  int g_count = 0;
  std::array<int, kMaxCodesPerBlock> m{};
  int m_count = 0;

  bool Has(char letter) const { return (has >> (letter - 'A')) & 1u; }
  double Get(char letter) const { return value[letter - 'A']; }
};

class Reader {
 public:
  Reader(std::string_view file_name, const NcReadOptions& options)
      : file_name_(file_name), options_(options) {}

  NcPath Read(std::string_view text);

 private:
  void Warn(const std::string& what);
  bool ParseLine(std::string_view line, Block* block);
  void Execute(const Block& block);
  void ApplyG(int code);
  Point3 Target(const Block& block) const;
  void Emit(const Point3& from, const Point3& to, SegmentKind kind,
            bool on_arc = false, const Point3& centre = {});
  void MoveTo(const Point3& to, SegmentKind kind);
  void Arc(const Block& block, const Point3& end);
  void Cycle(const Block& block);

  std::string_view file_name_;
  NcReadOptions options_;
  NcPath path_;
  std::size_t warnings_dropped_ = 0;
  int line_ = 0;

  // Modal state.
  Point3 pos_;
  // Axes whose position the program has set (bit 0 X, 1 Y, 2 Z).  Nothing
  // is drawn before all three are known: where the tool stands before the
  // first move is not in the program.
  unsigned known_ = 0;
  bool drawing_ = false;
  Point3 offset_;  // drawn = programmed + offset_ (G92 keeps the plot joined)
  Motion motion_ = Motion::kNone;
  int plane_ = 17;
  bool incremental_ = false;
  int cycle_code_ = 0;
  bool return_to_initial_ = true;  // G98 (the control's usual default)
  double initial_z_ = 0;
  double r_level_ = 0;
  double z_bottom_ = 0;
  bool have_r_ = false;
  bool have_z_ = false;
  int tool_ = 0;
  int pending_tool_ = 0;

  // Non-modal flags of the current block.
  bool preset_ = false;
  bool home_ = false;
  bool dwell_ = false;
};

void Reader::Warn(const std::string& what) {
  if (path_.warnings.size() >= options_.max_warnings) {
    ++warnings_dropped_;
    return;
  }
  path_.warnings.push_back(
      {line_, std::string(file_name_) + ":" + std::to_string(line_) + ": " + what});
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool Reader::ParseLine(std::string_view line, Block* block) {
  bool any = false;
  bool garbage_warned = false;
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '/') {
      ++i;
      continue;
    }
    if (c == ';') break;
    if (c == '(') {
      // Comments may hold CP932 text; their trail bytes never equal ')'.
      const std::size_t close = line.find(')', i + 1);
      if (close == std::string_view::npos) break;
      i = close + 1;
      continue;
    }
    if (!IsLetter(c)) {
      if (!garbage_warned) {
        Warn("unexpected character in the block, skipped");
        garbage_warned = true;
      }
      i += IsCp932LeadByte(static_cast<unsigned char>(c)) && i + 1 < line.size() ? 2 : 1;
      continue;
    }
    const char letter = static_cast<char>(c >= 'a' ? c - ('a' - 'A') : c);
    ++i;
    if (letter == 'O' || letter == 'N') {  // program and sequence numbers
      while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
      continue;
    }
    std::size_t start = i;
    bool negative = false;
    if (i < line.size() && (line[i] == '+' || line[i] == '-')) {
      negative = line[i] == '-';
      start = ++i;
    }
    while (i < line.size() && ((line[i] >= '0' && line[i] <= '9') || line[i] == '.')) ++i;
    double v = 0;
    const auto [end, ec] = std::from_chars(line.data() + start, line.data() + i, v,
                                           std::chars_format::fixed);
    if (start == i || ec != std::errc() || end != line.data() + i) {
      Warn(std::string("word ") + letter + " without a number, skipped");
      continue;
    }
    if (negative) v = -v;
    if (!(std::fabs(v) <= kMaxValue)) {
      Warn(std::string("value of ") + letter + " out of range, skipped");
      continue;
    }
    any = true;
    if (letter == 'G' || letter == 'M') {
      int& count = letter == 'G' ? block->g_count : block->m_count;
      auto& codes = letter == 'G' ? block->g : block->m;
      if (count >= kMaxCodesPerBlock) {
        Warn(std::string("too many ") + letter + " codes in one block, skipped");
        continue;
      }
      codes[count++] = static_cast<int>(std::lround(v * 10));
      continue;
    }
    switch (letter) {
      case 'X': case 'Y': case 'Z': case 'I': case 'J': case 'K': case 'R':
      case 'Q': case 'P': case 'F': case 'S': case 'T': case 'H': case 'D':
      case 'L':
        if (block->Has(letter)) Warn(std::string("word ") + letter + " twice in one block; the last counts");
        block->value[letter - 'A'] = v;
        block->has |= 1u << (letter - 'A');
        break;
      default:
        Warn(std::string("unknown word ") + letter + ", skipped");
    }
  }
  return any;
}

bool IsCycleCode(int code) {
  return code == 730 || code == 740 || code == 760 || (code >= 810 && code <= 890 && code % 10 == 0);
}

void Reader::ApplyG(int code) {
  switch (code) {
    case 0: motion_ = Motion::kRapid; return;
    case 10: motion_ = Motion::kFeed; return;
    case 20: motion_ = Motion::kArcCw; return;
    case 30: motion_ = Motion::kArcCcw; return;
    case 62: motion_ = Motion::kSpline; return;
    case 40: dwell_ = true; return;
    case 170: case 180: case 190: plane_ = code / 10; return;
    case 900: incremental_ = false; return;
    case 910: incremental_ = true; return;
    case 920: preset_ = true; return;
    case 280: home_ = true; return;
    case 800: motion_ = Motion::kNone; return;
    case 980: return_to_initial_ = true; return;
    case 990: return_to_initial_ = false; return;
    // Modal settings without motion of their own.
    case 150: case 200: case 210: case 400: case 410: case 420: case 430:
    case 440: case 490: case 540: case 550: case 560: case 570: case 580:
    case 590: case 610: case 640: case 690: case 940: case 950:
      return;
    default: break;
  }
  if (IsCycleCode(code)) {
    if (motion_ != Motion::kCycle) {
      initial_z_ = pos_.z;
      have_r_ = have_z_ = false;
    }
    motion_ = Motion::kCycle;
   
    cycle_code_ = code;
    return;
  }
  char name[32];
  if (code % 10 == 0) {
    std::snprintf(name, sizeof name, "G%d", code / 10);
  } else {
    std::snprintf(name, sizeof name, "G%d.%d", code / 10, code % 10);
  }
  Warn(std::string("unknown code ") + name + ", skipped");
}

Point3 Reader::Target(const Block& b) const {
  Point3 t = pos_;
  const auto axis = [&](char letter, double current, double off) {
    if (!b.Has(letter)) return current;
    return incremental_ ? current + b.Get(letter) : b.Get(letter) + off;
  };
  t.x = axis('X', pos_.x, offset_.x);
  t.y = axis('Y', pos_.y, offset_.y);
  t.z = axis('Z', pos_.z, offset_.z);
  return t;
}

void Reader::Emit(const Point3& from, const Point3& to, SegmentKind kind, bool on_arc,
                  const Point3& centre) {
  if (from == to || !drawing_) return;
  if (path_.segments.size() >= options_.max_segments) {
    path_.truncated = true;
    return;
  }
  path_.segments.push_back({from, to, kind, tool_, line_, on_arc, centre});
}

void Reader::MoveTo(const Point3& to, SegmentKind kind) {
  Emit(pos_, to, kind);
  pos_ = to;
}

// The plane's two arc axes (a, b) and the axis along it (c), as references
// into a point; the same order picks I/J/K.
struct PlaneAxes {
  double Point3::*a;
  double Point3::*b;
  double Point3::*c;
  char i;
  char j;
};

PlaneAxes AxesOf(int plane) {
  if (plane == 18) return {&Point3::z, &Point3::x, &Point3::y, 'K', 'I'};
  if (plane == 19) return {&Point3::y, &Point3::z, &Point3::x, 'J', 'K'};
  return {&Point3::x, &Point3::y, &Point3::z, 'I', 'J'};
}

void Reader::Arc(const Block& b, const Point3& end) {
  const PlaneAxes ax = AxesOf(plane_);
  const bool ccw = motion_ == Motion::kArcCcw;
  const double sa = pos_.*ax.a, sb = pos_.*ax.b, ea = end.*ax.a, eb = end.*ax.b;
  double ca = 0, cb = 0;
  const bool same = std::fabs(ea - sa) < kSamePoint && std::fabs(eb - sb) < kSamePoint;
  if (b.Has('R')) {
    const double r = b.Get('R');
    const double d = std::hypot(ea - sa, eb - sb);
    if (same || r == 0) {
      Warn("arc by R without distinct end point, drawn as a straight feed");
      MoveTo(end, SegmentKind::kFeed);
      return;
    }
    double h2 = r * r - d * d / 4;
    if (h2 < 0) {
      if (d / 2 - std::fabs(r) > options_.chord_tolerance) {
        Warn("arc radius is smaller than half the distance to its end point");
      }
      h2 = 0;
    }
    const double h = std::sqrt(h2) * (ccw ? 1 : -1) * (r > 0 ? 1 : -1);
    ca = (sa + ea) / 2 - h * (eb - sb) / d;
    cb = (sb + eb) / 2 + h * (ea - sa) / d;
  } else if (b.Has(ax.i) || b.Has(ax.j)) {
    ca = sa + (b.Has(ax.i) ? b.Get(ax.i) : 0);
    cb = sb + (b.Has(ax.j) ? b.Get(ax.j) : 0);
  } else {
    Warn("arc without centre (I/J/K of its plane) or R, drawn as a straight feed");
    MoveTo(end, SegmentKind::kFeed);
    return;
  }
  const double r0 = std::hypot(sa - ca, sb - cb);
  const double r1 = std::hypot(ea - ca, eb - cb);
  if (r0 < kSamePoint) {
    Warn("arc of radius zero, drawn as a straight feed");
    MoveTo(end, SegmentKind::kFeed);
    return;
  }
  if (std::fabs(r0 - r1) > std::max(0.005, 1e-4 * r0)) {
    Warn("arc end point is not on the arc (radius " + std::to_string(r0) + " at the start, " +
         std::to_string(r1) + " at the end)");
  }
  constexpr double kTwoPi = 2 * std::numbers::pi;
  const double a0 = std::atan2(sb - cb, sa - ca);
  const double a1 = std::atan2(eb - cb, ea - ca);
  double sweep = ccw ? a1 - a0 : a0 - a1;
  sweep = std::fmod(sweep, kTwoPi);
  if (sweep < 0) sweep += kTwoPi;
  if (same) sweep = kTwoPi;  // a full circle by its centre
  const double r_max = std::max(r0, r1);
  const double step =
      options_.chord_tolerance < r_max
          ? 2 * std::acos(1 - options_.chord_tolerance / r_max)
          : std::numbers::pi / 2;
  double pieces_d = std::ceil(sweep / std::max(step, 1e-9));
  if (!(pieces_d >= 1)) pieces_d = 1;
  const std::size_t pieces = static_cast<std::size_t>(
      std::min(pieces_d, static_cast<double>(std::max<std::size_t>(options_.max_arc_pieces, 1))));
  const double dir = ccw ? 1 : -1;
  Point3 centre = pos_;
  centre.*ax.a = ca;
  centre.*ax.b = cb;
  const Point3 start = pos_;
  Point3 prev = start;
  for (std::size_t i = 1; i <= pieces; ++i) {
    Point3 p = end;
    if (i < pieces) {
      const double t = static_cast<double>(i) / static_cast<double>(pieces);
      const double ang = a0 + dir * sweep * t;
      const double rad = r0 + (r1 - r0) * t;
      p.*ax.a = ca + rad * std::cos(ang);
      p.*ax.b = cb + rad * std::sin(ang);
      p.*ax.c = start.*ax.c + (end.*ax.c - start.*ax.c) * t;
    }
    centre.*ax.c = p.*ax.c;
    Emit(prev, p, SegmentKind::kFeed, true, centre);
    prev = p;
  }
  pos_ = end;
}

bool ReturnsFeeding(int code) {
  // Tapping, boring out at feed: the tool leaves the hole under feed.
  return code == 740 || code == 840 || code == 850 || code == 890;
}

void Reader::Cycle(const Block& b) {
  if (b.Has('R')) {
    r_level_ = incremental_ ? initial_z_ + b.Get('R') : b.Get('R') + offset_.z;
    have_r_ = true;
  }
  if (b.Has('Z')) {
    const double base = have_r_ ? r_level_ : initial_z_;
    z_bottom_ = incremental_ ? base + b.Get('Z') : b.Get('Z') + offset_.z;
    have_z_ = true;
  }
  if (!have_z_) {
    Warn("canned cycle without Z depth, no hole drawn");
    return;
  }
  if (!have_r_) {
    Warn("canned cycle without R level; the initial level is taken");
    r_level_ = initial_z_;
    have_r_ = true;
  }
  std::size_t repeats = 1;
  const char count_word = b.Has('K') ? 'K' : (b.Has('L') ? 'L' : 0);
  if (count_word) {
    const double k = b.Get(count_word);
    if (k < 0) {
      Warn("negative repeat count, no hole drawn");
      return;
    }
    repeats = static_cast<std::size_t>(std::llround(k));
    if (repeats > options_.max_cycle_repeats) {
      Warn("repeat count above " + std::to_string(options_.max_cycle_repeats) + ", cut");
      repeats = options_.max_cycle_repeats;
    }
  }
  const double retract = return_to_initial_ ? initial_z_ : r_level_;
  const SegmentKind out = ReturnsFeeding(cycle_code_) ? SegmentKind::kFeed : SegmentKind::kRapid;
  for (std::size_t n = 0; n < repeats && !path_.truncated; ++n) {
    Point3 hole = pos_;
    if (b.Has('X')) hole.x = incremental_ ? pos_.x + b.Get('X') : b.Get('X') + offset_.x;
    if (b.Has('Y')) hole.y = incremental_ ? pos_.y + b.Get('Y') : b.Get('Y') + offset_.y;
    MoveTo(hole, SegmentKind::kRapid);
    MoveTo({hole.x, hole.y, r_level_}, SegmentKind::kRapid);
    MoveTo({hole.x, hole.y, z_bottom_}, SegmentKind::kFeed);
    MoveTo({hole.x, hole.y, r_level_}, out);
    MoveTo({hole.x, hole.y, retract}, SegmentKind::kRapid);
  }
}

void Reader::Execute(const Block& b) {
  preset_ = home_ = dwell_ = false;
  drawing_ = known_ == 7u;
  known_ |= (b.Has('X') ? 1u : 0u) | (b.Has('Y') ? 2u : 0u) | (b.Has('Z') ? 4u : 0u);
  if (b.Has('T')) pending_tool_ = static_cast<int>(b.Get('T'));
  for (int i = 0; i < b.g_count; ++i) ApplyG(b.g[i]);
  for (int i = 0; i < b.m_count; ++i) {
    if (b.m[i] == 60) tool_ = pending_tool_;
    if (b.m[i] == 980) Warn("subprogram call is not followed by the plot");
  }
  const bool axes = b.Has('X') || b.Has('Y') || b.Has('Z');
  if (preset_) {
    if (b.Has('X')) offset_.x = pos_.x - b.Get('X');
    if (b.Has('Y')) offset_.y = pos_.y - b.Get('Y');
    if (b.Has('Z')) offset_.z = pos_.z - b.Get('Z');
    return;
  }
  if (home_) {
    // The move to the intermediate point is drawn; the given axes then go
    // to the reference point, which the program does not tell.
    MoveTo(Target(b), SegmentKind::kRapid);
    known_ &= ~((b.Has('X') ? 1u : 0u) | (b.Has('Y') ? 2u : 0u) | (b.Has('Z') ? 4u : 0u));
    return;
  }
  if (dwell_) return;
  switch (motion_) {
    case Motion::kRapid:
      if (axes) MoveTo(Target(b), SegmentKind::kRapid);
      return;
    case Motion::kFeed:
    case Motion::kSpline:  // spline points joined by straight feeds
      if (axes) MoveTo(Target(b), SegmentKind::kFeed);
      return;
    case Motion::kArcCw:
    case Motion::kArcCcw: {
      const PlaneAxes ax = AxesOf(plane_);
      if (axes || b.Has(ax.i) || b.Has(ax.j) || b.Has('R')) Arc(b, Target(b));
      return;
    }
    case Motion::kCycle:
      if (axes || b.Has('R')) Cycle(b);
      return;
    case Motion::kNone:
      if (axes) {
        Warn("axis words without a motion code, drawn as a rapid move");
        MoveTo(Target(b), SegmentKind::kRapid);
      }
      return;
  }
}

NcPath Reader::Read(std::string_view text) {
  bool started = false;
  std::size_t at = 0;
  while (at < text.size() && !path_.truncated) {
    std::size_t nl = text.find('\n', at);
    if (nl == std::string_view::npos) nl = text.size();
    std::string_view line = text.substr(at, nl - at);
    at = nl + 1;
    ++line_;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t first = line.find_first_not_of(" \t");
    if (first != std::string_view::npos && line[first] == '%') {
      if (started) break;  // the tape's end mark
      started = true;
      continue;
    }
    Block block;
    if (!ParseLine(line, &block)) continue;
    started = true;
    Execute(block);
  }
  if (path_.truncated) Warn("the path has more segments than the plot keeps; the rest is left out");
  if (warnings_dropped_ > 0) {
    path_.warnings.push_back({line_, std::string(file_name_) + ": " +
                                         std::to_string(warnings_dropped_) +
                                         " more warnings not shown"});
  }
  return std::move(path_);
}

}  // namespace

NcPath ReadNcProgram(std::string_view text, std::string_view file_name,
                     const NcReadOptions& options) {
  Reader reader(file_name, options);
  return reader.Read(text);
}

}  // namespace tlv
