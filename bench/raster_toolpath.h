// A deterministic generator of finishing tool paths as a CAM system writes
// them: raster passes over a curved surface, mostly short linear feeds, arc
// links between neighbouring passes, rapids between groups of passes, and a
// chosen number of processes and tool changes spread evenly over the moves.
#ifndef TLV_BENCH_RASTER_TOOLPATH_H_
#define TLV_BENCH_RASTER_TOOLPATH_H_

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace tlv::bench {

/// What to generate.
struct RasterPlan {
  int64_t moves = 1000000;  ///< move records (rapid, approach, retract, linear, arc)
  int64_t processes = 6;    ///< process start/end pairs, spread evenly
  int64_t tool_changes = 4; ///< tool-change records, spread evenly
};

/// What was written.
struct RasterResult {
  int64_t records = 0;
  int64_t bytes = 0;
  bool ok = false;
};

/// Writes the tool path of `plan` to `out`. The same plan always gives the
/// same bytes.
class RasterToolPath {
 public:
  RasterResult Write(const RasterPlan& plan, std::FILE* out) {
    out_ = out;
    plan_ = plan;
    if (plan_.processes < 1) plan_.processes = 1;
    if (plan_.tool_changes < 1) plan_.tool_changes = 1;
    Text(".102=0 SURFACE FINISH 01\n");
    Header(100);
    Text(".102=0 SURFACE FINISH 01\n.118=0 MC-3AXIS\n");
    Text(".103=1 0.000\n.104=1 0.000\n.105=1 100.000\n");
    Text(".106=1 0.000\n.107=1 0.000\n.108=1 50.000\n");

    int64_t next_process = 0;  // index of the next process to open
    int64_t next_tool = 0;
    bool in_process = false;
    x_ = kXLow;
    y_ = kYLow;
    z_ = kSafeZ;
    while (moves_ < plan_.moves) {
      const bool process_due = next_process < plan_.processes &&
                               moves_ >= next_process * plan_.moves / plan_.processes;
      if (process_due) {
        if (in_process) EndProcess();
        StartProcess(++next_process);
        in_process = true;
      }
      if (next_tool < plan_.tool_changes &&
          moves_ >= next_tool * plan_.moves / plan_.tool_changes) {
        ToolChange(++next_tool);
        Header(1200);
        EnterPass();
        continue;
      }
      if (process_due) {
        Header(1200);
        EnterPass();
        continue;
      }
      Pass();
    }
    if (in_process) EndProcess();
    Header(700);
    Text(".701=0 END OF PROGRAM\n");
    Flush();
    RasterResult result;
    result.records = records_;
    result.bytes = bytes_;
    result.ok = !std::ferror(out_);
    return result;
  }

 private:
  static constexpr double kXLow = -100.0, kXHigh = 100.0;
  static constexpr double kYLow = -75.0, kYHigh = 75.0;
  static constexpr double kStep = 0.5;      // along a pass
  static constexpr double kStepOver = 0.4;  // between passes
  static constexpr double kSafeZ = 50.0;

  // The surface: a gentle double wave.
  static double Surface(double x, double y) {
    return -8.0 + 4.0 * std::sin(x / 31.0) * std::cos(y / 23.0) + 0.002 * x;
  }

  void StartProcess(int64_t n) {
    Header(200);
    Text(".213=0 OP");
    Int(n * 10);
    Text(" SURFACE FINISH\n.212=0 BALL R3 0.2\n.15=2 8000\n.16=0 M03\n.17=0 M08\n");
    Field(".217=1 ", kXLow);
    Field(".218=1 ", y_);
    Field(".219=1 ", kSafeZ);
  }

  void EndProcess() {
    Header(1800);
    Header(600);
    Text(".250=1 1.250\n.251=1 0.400\n.252=1 0.100\n");
  }

  void ToolChange(int64_t n) {
    Header(1500);
    Text(".1504=2 ");
    Int(n);
    Text("\n.1502=0 BALL END MILL R3\n.1515=1 6.000\n.1535=1 ");
    Real(100.0 + static_cast<double>(n % 7));
    Text("\n.16=0 M03\n.17=0 M08\n");
    Field(".103=1 ", 0.0);
    Field(".104=1 ", 0.0);
    Field(".105=1 ", 100.0);
  }

  // Rapid over the start of the current pass, approach to the surface.
  void EnterPass() {
    forward_ = true;
    x_ = kXLow;
    Move(800, "G00", x_, y_, kSafeZ, 0.0);
    Move(900, "G01", x_, y_, Surface(x_, y_), 300.0);
    feed_due_ = true;
  }

  // One raster pass along X, then a link to the next pass: two quarter arcs
  // mostly, a retract, rapid and approach every 16th pass or at the edge.
  void Pass() {
    const double target = forward_ ? kXHigh : kXLow;
    const double step = forward_ ? kStep : -kStep;
    while (moves_ < plan_.moves && (forward_ ? x_ + step <= target + 1e-9
                                             : x_ + step >= target - 1e-9)) {
      x_ += step;
      Move(1100, "G01", x_, y_, Surface(x_, y_), feed_due_ ? 2400.0 : 0.0);
      feed_due_ = false;
      if (BoundaryDue()) return;
    }
    ++passes_;
    if (y_ + kStepOver > kYHigh) {
      Move(1000, "G01", x_, y_, kSafeZ, 3000.0);
      y_ = kYLow;
      EnterPass();
      return;
    }
    if (passes_ % 16 == 0) {
      Move(1000, "G01", x_, y_, z_ + 2.0, 3000.0);
      y_ += kStepOver;
      Move(800, "G00", x_, y_, z_, 0.0);
      Move(900, "G01", x_, y_, Surface(x_, y_), 600.0);
    } else {
      ArcLink();
    }
    forward_ = !forward_;
    feed_due_ = true;
  }

  // True when a process or tool change is due before the next move.
  bool BoundaryDue() const {
    auto due = [this](int64_t count) {
      // The next boundary index k * moves / count that moves_ has reached.
      const int64_t k = (moves_ * count + plan_.moves - 1) / plan_.moves;
      return k < count && k * plan_.moves / count == moves_;
    };
    return due(plan_.processes) || due(plan_.tool_changes);
  }

  // A U-turn of two quarter arcs in the XY plane at the current Z: out
  // beyond the end of the pass and back onto the next one.
  void ArcLink() {
    const double r = kStepOver / 2.0;
    const double cx = x_, cy = y_ + r;
    if (forward_) {
      Arc("G03", 90.0, r, -90.0, cx, cy, cx + r, cy);
      Arc("G03", 90.0, r, 0.0, cx, cy, cx, cy + r);
    } else {
      Arc("G02", -90.0, r, -90.0, cx, cy, cx - r, cy);
      Arc("G02", -90.0, r, 180.0, cx, cy, cx, cy + r);
    }
    y_ += kStepOver;
  }

  void Arc(const char* code, double sweep, double r, double start, double cx, double cy,
           double ex, double ey) {
    Header(300);
    Text(".20=0 ");
    Text(code);
    Text("\n");
    Field(".14=1 ", 1800.0);
    Field(".301=1 ", sweep);
    Field(".305=1 ", r);
    Field(".306=1 ", start);
    Field(".307=1 ", cx);
    Field(".308=1 ", cy);
    Field(".309=1 ", z_);
    Field(".310=1 ", ex);
    Field(".311=1 ", ey);
    Field(".312=1 ", z_);
    Text(".313=2 1\n");
    x_ = ex;
    y_ = ey;
    ++moves_;
  }

  void Move(int kind, const char* code, double x, double y, double z, double feed) {
    const double length = std::sqrt((x - x_) * (x - x_) + (y - y_) * (y - y_) + (z - z_) * (z - z_));
    Header(kind);
    Text(".19=0 ");
    Text(code);
    Text("\n");
    if (feed > 0) Field(".14=1 ", feed);
    Field(".512=1 ", x);
    Field(".513=1 ", y);
    Field(".514=1 ", z);
    Field(".801=1 ", length);
    x_ = x;
    y_ = y;
    z_ = z;
    ++moves_;
  }

  void Header(int kind) {
    ++records_;
    Text("_");
    Int(kind);
    Text("\n");
  }
  void Field(std::string_view head, double value) {
    Text(head);
    Real(value);
    Text("\n");
  }
  void Text(std::string_view text) {
    buffer_.append(text);
    if (buffer_.size() >= (1 << 20)) Flush();
  }
  void Int(int64_t value) {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    Text(std::string_view(buf, static_cast<size_t>(r.ptr - buf)));
  }
  void Real(double value) {
    // Three decimals; a rounded -0.000 is written as 0.000.
    double rounded = std::round(value * 1000.0) / 1000.0;
    if (rounded == 0) rounded = 0;
    char buf[48];
    auto r = std::to_chars(buf, buf + sizeof buf, rounded, std::chars_format::fixed, 3);
    Text(std::string_view(buf, static_cast<size_t>(r.ptr - buf)));
  }
  void Flush() {
    bytes_ += static_cast<int64_t>(buffer_.size());
    std::fwrite(buffer_.data(), 1, buffer_.size(), out_);
    buffer_.clear();
  }

  std::FILE* out_ = nullptr;
  RasterPlan plan_;
  std::string buffer_;
  int64_t records_ = 0;
  int64_t bytes_ = 0;
  int64_t moves_ = 0;
  int64_t passes_ = 0;
  double x_ = 0, y_ = 0, z_ = 0;
  bool forward_ = true;
  bool feed_due_ = true;
};

}  // namespace tlv::bench

#endif  // TLV_BENCH_RASTER_TOOLPATH_H_
