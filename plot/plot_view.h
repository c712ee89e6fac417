#ifndef TLV_PLOT_PLOT_VIEW_H_
#define TLV_PLOT_PLOT_VIEW_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "plot/nc_path.h"

namespace tlv {

enum class PlotView { kXY, kXZ, kYZ, kIso };

/// How a backplot is drawn.
struct PlotOptions {
  PlotView view = PlotView::kXY;
  int width = 1000;   ///< picture size in pixels (SVG user units)
  int height = 750;
};

/// "xy", "xz", "yz" or "iso" (any case).  False for anything else.
bool ParsePlotView(std::string_view name, PlotView* view);

/// The view's name as shown on the picture: "XY", "XZ", "YZ", "ISO".
std::string_view PlotViewLabel(PlotView view);

/// Where the path lands on the picture: a fit of the projected path into
/// the drawing area, with room for the title and the scale bar below.
class PlotLayout {
 public:
  PlotLayout(const NcPath& path, const PlotOptions& options);

  /// Picture position of a path point (y grows downwards).
  void Map(const Point3& p, double* x, double* y) const;

  double pixels_per_unit() const { return scale_; }
  /// Length of the scale bar in program units (1, 2 or 5 times a power of 10).
  double scale_bar_units() const { return bar_units_; }
  double scale_bar_pixels() const { return bar_units_ * scale_; }
  const Extents& extents() const { return extents_; }

  static constexpr int kMargin = 30;
  static constexpr int kTop = 36;     ///< title line above the drawing
  static constexpr int kBottom = 64;  ///< scale bar and extents below it

 private:
  void Project(const Point3& p, double* u, double* v) const;

  PlotView view_;
  Extents extents_;
  double umin_ = 0, vmax_ = 0, scale_ = 1, left_ = 0, top_ = 0;
  double bar_units_ = 1;
};

/// "X -40.000 .. 140.000   Y ...   Z ..." of the whole path.
std::string ExtentsText(const Extents& box);

/// Number with up to `decimals` places, trailing zeros cut ("20", "0.5").
std::string ShortNumber(double v, int decimals = 3);

/// Colour of a tool's feed moves, as 0xRRGGBB; the same tool always gets
/// the same colour.
std::uint32_t ToolColour(int tool);

/// Colour of rapid moves.
inline constexpr std::uint32_t kRapidColour = 0x8a8a8a;

}  // namespace tlv

#endif  // TLV_PLOT_PLOT_VIEW_H_
