#ifndef TLV_PLOT_NC_PATH_H_
#define TLV_PLOT_NC_PATH_H_

#include <string>
#include <vector>

namespace tlv {

/// A position in program coordinates (mm or inch, as the program is written).
struct Point3 {
  double x = 0, y = 0, z = 0;
  bool operator==(const Point3&) const = default;
};

enum class SegmentKind { kRapid, kFeed };

/// One straight piece of the tool path.  Arcs arrive as several pieces that
/// share the arc's true centre (`on_arc`), so checks need not trust the
/// chords.
struct Segment {
  Point3 start;
  Point3 end;
  SegmentKind kind = SegmentKind::kFeed;
  int tool = 0;        ///< tool in the spindle (0 before the first change)
  int line = 0;        ///< 1-based line of the block that made it
  bool on_arc = false;
  Point3 centre;       ///< arc centre when `on_arc`
};

/// A problem of the NC program that did not stop the reading.
struct NcWarning {
  int line = 0;
  std::string message;  ///< "<file>:<line>: <what>"
};

/// Axis-aligned box around points; `empty` until the first point.
struct Extents {
  Point3 min;
  Point3 max;
  bool empty = true;
  void Add(const Point3& p);
};

/// What reading an NC program gives: the path and what was odd about it.
struct NcPath {
  std::vector<Segment> segments;
  std::vector<NcWarning> warnings;
  bool truncated = false;  ///< the segment limit cut the path short
};

/// Box around every segment end (rapids included) of `path`.
Extents PathExtents(const NcPath& path);

/// Box around the feed segments only: where the tool cuts.
Extents FeedExtents(const NcPath& path);

}  // namespace tlv

#endif  // TLV_PLOT_NC_PATH_H_
