#ifndef TLV_PLOT_RENDER_SVG_H_
#define TLV_PLOT_RENDER_SVG_H_

#include <string>

#include "plot/nc_path.h"
#include "plot/plot_view.h"

namespace tlv {

/// The backplot as an SVG document: rapids dashed grey, feeds solid in the
/// tool's colour, the view's name and tools on top, a scale bar and the
/// path's extents below.  Joined moves of one kind and tool become one
/// <path> element.
std::string RenderSvg(const NcPath& path, const PlotOptions& options);

}  // namespace tlv

#endif  // TLV_PLOT_RENDER_SVG_H_
