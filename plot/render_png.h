#ifndef TLV_PLOT_RENDER_PNG_H_
#define TLV_PLOT_RENDER_PNG_H_

#include <cstdint>
#include <string>
#include <vector>

#include "plot/nc_path.h"
#include "plot/plot_view.h"

namespace tlv {

/// An 8-bit RGB picture, rows top to bottom.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  ///< width * height * 3 bytes

  std::uint32_t At(int x, int y) const;  ///< 0xRRGGBB
};

/// Draws the backplot as RenderSvg does (same layout and colours), with a
/// small built-in font for the view name, scale and extents.
RgbImage RasterizePlot(const NcPath& path, const PlotOptions& options);

/// The picture as PNG file bytes (8-bit RGB, no interlace).
std::string EncodePng(const RgbImage& image);

/// RasterizePlot then EncodePng.
std::string RenderPng(const NcPath& path, const PlotOptions& options);

}  // namespace tlv

#endif  // TLV_PLOT_RENDER_PNG_H_
