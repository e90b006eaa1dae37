// The image's frame: a range of bases is widened by half of its widest number on both sides, so
// that the end bases show whole.
#include "view/png_frame.h"

#include <algorithm>
#include <string>

namespace vistrel {

ViewSettings pngSettings(const ViewSettings& stored) {
  ViewSettings settings = stored;
  if (settings.xZoomMode == kFit) applyXZoomValue(settings, 0);
  settings.yScaleShift = settings.yScaleShift == 4 ? 4 : 3;
  settings.fitWindow = 0;  // there is no window to fit
  return settings;
}

bool pngFrame(const Chromatogram& document, const ViewSettings& settings, const ViewLayout& layout,
              const std::optional<BaseRange>& bases, PngFrame& frame) {
  const bool magnify = settings.xZoomMode == kMagnify;
  const int level = settings.xZoomLevel;
  std::int64_t first = 0;
  std::int64_t end = document.maxSampleCount;  // one past the last sample shown
  if (bases) {
    const BaseCalls& calls = document.shown();
    const int count = std::min(calls.baseCount, calls.peakCount);
    if (bases->first < 1 || bases->last > count || bases->first > bases->last) return false;
    std::int64_t low = calls.peak(bases->first - 1);
    std::int64_t high = low;
    for (int i = bases->first; i < bases->last; ++i) {
      low = std::min<std::int64_t>(low, calls.peak(i));
      high = std::max<std::int64_t>(high, calls.peak(i));
    }
    // A base's number is centred on its peak and is its widest text; a pixel more keeps it
    // clear of the edge.
    const int digits = static_cast<int>(std::to_string(bases->last).size());
    const std::int64_t pixels = (std::int64_t{layout.baseCharWidth} * digits + 1) / 2 + 1;
    const std::int64_t samples =
        magnify ? (pixels + (std::int64_t{1} << level) - 1) >> level : pixels << level;
    first = std::max<std::int64_t>(low - samples, 0);
    end = high + samples + 1;
  }
  const std::int64_t span = std::max<std::int64_t>(end - first, 1);
  frame.firstSample = static_cast<std::int32_t>(first);
  frame.width = magnify ? span << level : (span + (std::int64_t{1} << level) - 1) >> level;
  frame.height = layout.neededClientHeight(settings.traceHeight());
  return true;
}

}  // namespace vistrel
