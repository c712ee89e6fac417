// Arbitrary bytes as an NC program: the reader must neither crash nor run
// away (arc pieces, cycle repeats and the whole path are bounded), every
// point it gives must be finite, and both pictures must draw.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "plot/nc_reader.h"
#include "plot/render_png.h"
#include "plot/render_svg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  tlv::NcReadOptions options;
  options.max_segments = 200000;
  const tlv::NcPath path = tlv::ReadNcProgram(text, "fuzz.nc", options);
  if (path.segments.size() > options.max_segments) __builtin_trap();
  for (const tlv::Segment& s : path.segments) {
    if (!std::isfinite(s.start.x + s.start.y + s.start.z + s.end.x + s.end.y + s.end.z)) {
      __builtin_trap();
    }
    if (s.line < 1) __builtin_trap();
  }
  tlv::PlotOptions small;
  small.width = 160;
  small.height = 200;
  small.view = size % 2 ? tlv::PlotView::kIso : tlv::PlotView::kXZ;
  if (tlv::RenderSvg(path, small).empty()) __builtin_trap();
  if (tlv::RenderPng(path, small).size() < 8) __builtin_trap();
  return 0;
}
