#include "plot/plot_view.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace tlv {

bool ParsePlotView(std::string_view name, PlotView* view) {
  std::string low(name);
  for (char& c : low) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  if (low == "xy") *view = PlotView::kXY;
  else if (low == "xz") *view = PlotView::kXZ;
  else if (low == "yz") *view = PlotView::kYZ;
  else if (low == "iso") *view = PlotView::kIso;
  else return false;
  return true;
}

std::string_view PlotViewLabel(PlotView view) {
  switch (view) {
    case PlotView::kXY: return "XY";
    case PlotView::kXZ: return "XZ";
    case PlotView::kYZ: return "YZ";
    case PlotView::kIso: return "ISO";
  }
  return "XY";
}

void PlotLayout::Project(const Point3& p, double* u, double* v) const {
  switch (view_) {
    case PlotView::kXY: *u = p.x; *v = p.y; return;
    case PlotView::kXZ: *u = p.x; *v = p.z; return;
    case PlotView::kYZ: *u = p.y; *v = p.z; return;
    case PlotView::kIso: {
      constexpr double kCos30 = 0.86602540378443865;
      *u = (p.x - p.y) * kCos30;
      *v = (p.x + p.y) * 0.5 + p.z;
      return;
    }
  }
}

PlotLayout::PlotLayout(const NcPath& path, const PlotOptions& options)
    : view_(options.view), extents_(PathExtents(path)) {
  double umin = 0, umax = 0, vmin = 0, vmax = 0;
  bool first = true;
  for (const Segment& s : path.segments) {
    for (const Point3* p : {&s.start, &s.end}) {
      double u = 0, v = 0;
      Project(*p, &u, &v);
      if (first) {
        umin = umax = u;
        vmin = vmax = v;
        first = false;
      }
      umin = std::min(umin, u);
      umax = std::max(umax, u);
      vmin = std::min(vmin, v);
      vmax = std::max(vmax, v);
    }
  }
  const double area_w = std::max(1, options.width - 2 * kMargin);
  const double area_h = std::max(1, options.height - kTop - kBottom);
  const double du = umax - umin, dv = vmax - vmin;
  scale_ = 1;
  if (du > 0 || dv > 0) {
    scale_ = std::min(du > 0 ? area_w / du : 1e300, dv > 0 ? area_h / dv : 1e300);
  }
  if (!(scale_ > 0) || !std::isfinite(scale_)) scale_ = 1;
  umin_ = umin;
  vmax_ = vmax;
  left_ = kMargin + (area_w - du * scale_) / 2;
  top_ = kTop + (area_h - dv * scale_) / 2;

  // Scale bar: the largest 1/2/5 x 10^n that fits about a fifth of the width.
  const double want = std::max(1.0, options.width / 5.0) / scale_;
  const double decade = std::pow(10.0, std::floor(std::log10(want)));
  bar_units_ = decade;
  for (double f : {2.0, 5.0}) {
    if (f * decade <= want) bar_units_ = f * decade;
  }
  if (!(bar_units_ > 0) || !std::isfinite(bar_units_)) bar_units_ = 1;
}

void PlotLayout::Map(const Point3& p, double* x, double* y) const {
  double u = 0, v = 0;
  Project(p, &u, &v);
  *x = left_ + (u - umin_) * scale_;
  *y = top_ + (vmax_ - v) * scale_;
}

std::string ShortNumber(double v, int decimals) {
  if (std::fabs(v) < 0.5 * std::pow(10.0, -decimals)) v = 0;  // no "-0"
  std::array<char, 64> buf;
  auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), v,
                                 std::chars_format::fixed, decimals);
  if (ec != std::errc()) return "?";
  std::string s(buf.data(), end);
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  return s;
}

std::string ExtentsText(const Extents& box) {
  if (box.empty) return "no moves";
  std::string s;
  const auto axis = [&](const char* name, double lo, double hi) {
    if (!s.empty()) s += "   ";
    s += name;
    s += ' ';
    s += ShortNumber(lo);
    s += " / ";
    s += ShortNumber(hi);
  };
  axis("X", box.min.x, box.max.x);
  axis("Y", box.min.y, box.max.y);
  axis("Z", box.min.z, box.max.z);
  return s;
}

std::uint32_t ToolColour(int tool) {
  static constexpr std::array<std::uint32_t, 8> kPalette = {
      0x1f77b4, 0xd62728, 0x2ca02c, 0x9467bd, 0xff7f0e, 0x17becf, 0x8c564b, 0xe377c2};
  const unsigned index = static_cast<unsigned>(tool < 0 ? -(tool + 1) : tool);
  return kPalette[index % kPalette.size()];
}

}  // namespace tlv
