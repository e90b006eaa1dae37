// The four channels of a trace drawn as lines over a stretch of samples: the trace window's
// traces and the contig window's stacked traces are both this drawing.
#pragma once

#include <array>
#include <cstdint>

#include "document/chromatogram.h"
#include "platform/platform.h"
#include "view/layout.h"

namespace vistrel {

struct TraceLines {
  SampleAxis axis;  ///< the x of a sample
  /// Shown as the other strand: sample p stands at `axis.x(mirrorOrigin - p)`, right to left.
  bool mirrored = false;
  std::int32_t mirrorOrigin = 0;
  int baseline = 0;
  TraceScale scale;
  std::int32_t first = 0;  ///< the samples drawn: `first` up to `end`, excluded
  std::int32_t end = 0;
  std::array<Rgb, 4> colours{};  ///< one per channel
};

/// Draws each channel's samples of `lines`' stretch (bounded by the channel's own length) as
/// one polyline.
void drawTraceLines(const Chromatogram& document, const TraceLines& lines, Canvas& canvas);

}  // namespace vistrel
