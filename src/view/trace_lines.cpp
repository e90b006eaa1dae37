// Trace lines: one polyline a channel.
#include "view/trace_lines.h"

#include <algorithm>
#include <vector>

namespace vistrel {

void drawTraceLines(const Chromatogram& d, const TraceLines& lines, Canvas& canvas) {
  std::vector<Point> points;
  for (int c = 0; c < 4; ++c) {
    const std::int32_t end = std::min(lines.end, d.channels[c].sampleCount);
    points.clear();
    for (std::int32_t p = std::max(lines.first, 0); p < end; ++p) {
      const int x = lines.axis.x(lines.mirrored ? lines.mirrorOrigin - p : p);
      points.push_back({x, lines.baseline - lines.scale.pixels(d.sample(c, p))});
    }
    if (!points.empty()) canvas.drawPolyline(points.data(), points.size(), lines.colours[c]);
  }
}

}  // namespace vistrel
