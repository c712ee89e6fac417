#include "plot/render_svg.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <set>

namespace tlv {
namespace {

void AppendNumber(std::string* out, double v) {
  std::array<char, 48> buf;
  auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), v,
                                 std::chars_format::fixed, 2);
  if (ec != std::errc()) {
    *out += '0';
    return;
  }
  out->append(buf.data(), end);
}

std::string Colour(std::uint32_t rgb) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%06x", static_cast<unsigned>(rgb & 0xffffff));
  return buf;
}

void OpenPath(std::string* out, const Segment& s) {
  if (s.kind == SegmentKind::kRapid) {
    *out += "<path class=\"rapid\" stroke=\"" + Colour(kRapidColour) +
            "\" stroke-width=\"1\" stroke-dasharray=\"6 4\" d=\"M";
  } else {
    *out += "<path class=\"feed\" data-tool=\"" + std::to_string(s.tool) + "\" stroke=\"" +
            Colour(ToolColour(s.tool)) + "\" stroke-width=\"1.5\" d=\"M";
  }
}

}  // namespace

std::string RenderSvg(const NcPath& path, const PlotOptions& requested) {
  // The same bounds as the PNG, so a bad size cannot give a broken document.
  PlotOptions options = requested;
  options.width = std::clamp(options.width, 64, 16384);
  options.height = std::clamp(options.height, 64 + PlotLayout::kTop + PlotLayout::kBottom, 16384);
  const PlotLayout layout(path, options);
  const int w = options.width, h = options.height;
  std::string out;
  out.reserve(1024 + path.segments.size() * 16);
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(w) +
         "\" height=\"" + std::to_string(h) + "\" viewBox=\"0 0 " + std::to_string(w) + " " +
         std::to_string(h) + "\">\n";
  out += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";

  std::set<int> tools;
  for (const Segment& s : path.segments) {
    if (s.kind == SegmentKind::kFeed) tools.insert(s.tool);
  }
  out += "<text x=\"" + std::to_string(PlotLayout::kMargin) +
         "\" y=\"22\" font-family=\"sans-serif\" font-size=\"14\">";
  out += PlotViewLabel(options.view);
  for (int t : tools) {
    out += " <tspan fill=\"" + Colour(ToolColour(t)) + "\">T" + std::to_string(t) + "</tspan>";
  }
  out += "</text>\n";

  out += "<g fill=\"none\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n";
  const Segment* run = nullptr;  // the last segment of the open <path>
  for (const Segment& s : path.segments) {
    const bool joins = run && run->kind == s.kind && run->tool == s.tool && run->end == s.start;
    double x, y;
    if (!joins) {
      if (run) out += "\"/>\n";
      OpenPath(&out, s);
      layout.Map(s.start, &x, &y);
      AppendNumber(&out, x);
      out += ' ';
      AppendNumber(&out, y);
    }
    layout.Map(s.end, &x, &y);
    out += " L";
    AppendNumber(&out, x);
    out += ' ';
    AppendNumber(&out, y);
    run = &s;
  }
  if (run) out += "\"/>\n";
  out += "</g>\n";

  // Plunges seen end-on (drilled holes in XY) would vanish: mark them.
  for (const Segment& s : path.segments) {
    if (s.kind != SegmentKind::kFeed) continue;
    double x0, y0, x1, y1;
    layout.Map(s.start, &x0, &y0);
    layout.Map(s.end, &x1, &y1);
    if (std::hypot(x1 - x0, y1 - y0) >= 1) continue;
    out += "<circle class=\"hole\" r=\"2.5\" fill=\"" + Colour(ToolColour(s.tool)) + "\" cx=\"";
    AppendNumber(&out, x0);
    out += "\" cy=\"";
    AppendNumber(&out, y0);
    out += "\"/>\n";
  }

  // Scale bar with its length, then the extents.
  const double bar_y = h - PlotLayout::kBottom + 24;
  const double bar_x = PlotLayout::kMargin;
  std::string bar = "<path class=\"scale\" stroke=\"#000000\" stroke-width=\"2\" fill=\"none\" d=\"M";
  AppendNumber(&bar, bar_x);
  bar += ' ';
  AppendNumber(&bar, bar_y - 5);
  bar += " V";
  AppendNumber(&bar, bar_y);
  bar += " H";
  AppendNumber(&bar, bar_x + layout.scale_bar_pixels());
  bar += " V";
  AppendNumber(&bar, bar_y - 5);
  bar += "\"/>\n";
  out += bar;
  out += "<text class=\"scale\" x=\"";
  AppendNumber(&out, bar_x + layout.scale_bar_pixels() + 8);
  out += "\" y=\"";
  AppendNumber(&out, bar_y);
  out += "\" font-family=\"sans-serif\" font-size=\"12\">" +
         ShortNumber(layout.scale_bar_units()) + "</text>\n";
  out += "<text class=\"extents\" x=\"" + std::to_string(PlotLayout::kMargin) + "\" y=\"";
  AppendNumber(&out, bar_y + 24);
  out += "\" font-family=\"sans-serif\" font-size=\"12\">" + ExtentsText(layout.extents()) +
         "</text>\n";
  out += "</svg>\n";
  return out;
}

}  // namespace tlv
