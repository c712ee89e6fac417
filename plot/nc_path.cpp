#include "plot/nc_path.h"

#include <algorithm>

namespace tlv {

void Extents::Add(const Point3& p) {
  if (empty) {
    min = max = p;
    empty = false;
    return;
  }
  min.x = std::min(min.x, p.x);
  min.y = std::min(min.y, p.y);
  min.z = std::min(min.z, p.z);
  max.x = std::max(max.x, p.x);
  max.y = std::max(max.y, p.y);
  max.z = std::max(max.z, p.z);
}

Extents PathExtents(const NcPath& path) {
  Extents box;
  for (const Segment& s : path.segments) {
    box.Add(s.start);
    box.Add(s.end);
  }
  return box;
}

Extents FeedExtents(const NcPath& path) {
  Extents box;
  for (const Segment& s : path.segments) {
    if (s.kind != SegmentKind::kFeed) continue;
    box.Add(s.start);
    box.Add(s.end);
  }
  return box;
}

}  // namespace tlv
