// The quality marks. A base's bar reaches half-way to each neighbouring peak, so the bars of a
// read tile the trace area without gaps; the good region's edges are those of its end bars.
#include "view/quality_marks.h"

#include <algorithm>
#include <optional>

namespace vistrel {

namespace {

/// The columns of the bars of the bases that have a letter and a peak.
class BarColumns {
 public:
  BarColumns(const BaseCalls& calls, const SampleAxis& axis)
      : calls_(calls), axis_(axis), count_(std::min(calls.baseCount, calls.peakCount)) {}

  int count() const { return count_; }

  /// The first column of base `i`'s bar. The end bars reach as far out as they reach in.
  int left(int i) const {
    if (i > 0) return between(i - 1, i);
    return count_ > 1 ? 2 * peakX(0) - between(0, 1) : peakX(0);
  }

  /// The column after base `i`'s bar; at least one column past its left edge.
  int right(int i) const {
    int edge = 0;
    if (i + 1 < count_) {
      edge = between(i, i + 1);
    } else {
      edge = count_ > 1 ? 2 * peakX(i) - between(i - 1, i) : peakX(i) + 1;
    }
    return std::max(edge, left(i) + 1);
  }

 private:
  int peakX(int i) const { return axis_.x(calls_.peak(i)); }
  int between(int a, int b) const { return (peakX(a) + peakX(b)) >> 1; }

  const BaseCalls& calls_;
  const SampleAxis& axis_;
  int count_;
};

/// The good region's columns: its first (none when the read's start is good) and the one after
/// its last (none when the read's end is good). `none` when no column is good.
struct GoodColumns {
  bool none = false;
  std::optional<int> from;
  std::optional<int> to;
};

GoodColumns goodColumns(const BaseCalls& calls, const BarColumns& bars, TrimRegion region) {
  // A region that starts past the last peak has no columns: all of the read is trimmed.
  if (region.empty() || region.start >= bars.count()) return {true, {}, {}};
  GoodColumns good;
  if (region.start > 0) good.from = bars.left(region.start);
  if (region.end < calls.baseCount) good.to = bars.right(std::min(region.end, bars.count()) - 1);
  return good;
}

/// Fills columns `from` to `to` of the trace area, as far as they lie in the area.
void fillColumns(const MarkArea& area, int from, int to, Rgb colour, Canvas& canvas) {
  from = std::max(from, area.left);
  to = std::min(to, area.right);
  if (from < to) canvas.fillRect({from, area.top, to, area.baseline}, colour);
}

void shadeTrimmedEnds(const GoodColumns& good, const MarkArea& area, Rgb colour, Canvas& canvas) {
  if (good.none) fillColumns(area, area.left, area.right, colour, canvas);
  if (good.from) fillColumns(area, area.left, *good.from, colour, canvas);
  if (good.to) fillColumns(area, *good.to, area.right, colour, canvas);
}

void boundaryLine(const MarkArea& area, int x, Rgb colour, Canvas& canvas) {
  if (x >= area.left && x < area.right) canvas.drawLine({x, area.top}, {x, area.baseline}, colour);
}

/// A line on the good region's first and last columns, over the bars.
void drawBoundaries(const GoodColumns& good, const MarkArea& area, Rgb colour, Canvas& canvas) {
  if (good.from) boundaryLine(area, *good.from, colour, canvas);
  if (good.to) boundaryLine(area, *good.to - 1, colour, canvas);
}

void paintBars(const BaseCalls& calls, const BarColumns& bars, const MarkArea& area,
               const MarkColours& colours, Canvas& canvas) {
  const int height = area.baseline - area.top;
  int i = 0;
  while (i < bars.count() && bars.right(i) <= area.left) ++i;
  for (; i < bars.count() && bars.left(i) < area.right; ++i) {
    const int q = std::min<int>(calls.quality(i), kFullBarQuality);
    const int top = area.baseline - q * height / kFullBarQuality;
    if (top < area.baseline) {
      canvas.fillRect({bars.left(i), top, bars.right(i), area.baseline}, colours.bar);
      canvas.fillRect({bars.left(i), top, bars.right(i), top + 1}, colours.barTop);
    }
  }
  const int guide = area.baseline - kGuideQuality * height / kFullBarQuality;
  canvas.drawLine({area.left, guide}, {area.right, guide}, colours.guide);
}

}  // namespace

void paintQualityMarks(const BaseCalls& calls, const std::optional<TrimRegion>& goodRegion,
                       const ViewSettings& settings, const MarkArea& area,
                       const MarkColours& colours, Canvas& canvas) {
  if (!calls.hasQualities || area.left >= area.right) return;
  const BarColumns bars(calls, area.axis);
  std::optional<GoodColumns> good;
  if (settings.showTrimmed != 0 && goodRegion) {
    good = goodColumns(calls, bars, *goodRegion);
    shadeTrimmedEnds(*good, area, colours.shade, canvas);
  }
  if (settings.qualityValues != 0) paintBars(calls, bars, area, colours, canvas);
  if (good) drawBoundaries(*good, area, colours.boundary, canvas);
}

}  // namespace vistrel
