// Layout metrics and the sample-to-pixel mappings of the three X zoom modes.
#include "view/layout.h"

#include <algorithm>

namespace vistrel {

void createViewFonts(ViewLayout& layout, ScreenLook& screen, bool largeFonts) {
  // The file's description reads as the rest of the window does.
  layout.infoFont = {FontSpec::Interface, 14 + 3 * (largeFonts ? 1 : 0)};
  layout.baseFont = {FontSpec::FixedPitch, 12 + 4 * (largeFonts ? 1 : 0)};
  layout.infoFontHeight = screen.measureFont(layout.infoFont).height;
  FontMetrics base = screen.measureFont(layout.baseFont);
  layout.baseFontHeight = base.height;
  layout.baseCharWidth = base.averageCharWidth;
}

void createFonts(ViewLayout& layout, ScreenLook& screen, bool largeFonts) {
  layout.titleFontHeight = screen.measureFont(layout.titleFont).height;
  layout.creditFontHeight = screen.measureFont(layout.creditFont).height;
  createViewFonts(layout, screen, largeFonts);
}

int visibleSpan(const ViewSettings& s, int clientWidth) {
  switch (s.xZoomMode) {
    case kMagnify:
      return clientWidth >> s.xZoomLevel;
    case kReduce:
      return clientWidth << s.xZoomLevel;
    default:
      return clientWidth * s.xZoomLevel;
  }
}

int sampleToX(const ViewSettings& s, int scrollPos, int p) {
  const int offset = p - scrollPos;
  switch (s.xZoomMode) {
    case kMagnify:
      return offset * (1 << s.xZoomLevel);
    case kReduce:
      return offset >> s.xZoomLevel;  // arithmetic: floor of the division
    default:
      return s.xZoomLevel > 0 ? offset / s.xZoomLevel : offset;
  }
}

int SampleAxis::x(std::int32_t sample) const {
  const std::int64_t product = (std::int64_t{sample} - first) * numerator;
  std::int64_t quotient = product / denominator;
  if (product % denominator != 0 && product < 0) --quotient;  // down, not toward zero
  return origin + static_cast<int>(quotient);
}

SampleAxis viewAxis(const ViewSettings& s, int scrollPos) {
  switch (s.xZoomMode) {
    case kMagnify:
      return {0, scrollPos, std::int64_t{1} << s.xZoomLevel, 1};
    case kReduce:
      return {0, scrollPos, 1, std::int64_t{1} << s.xZoomLevel};
    default:
      // Fit mode always stands at sample 0, where rounding down and toward zero agree.
      return {0, scrollPos, 1, std::max(s.xZoomLevel, 1)};
  }
}

int xToSampleOffset(const ViewSettings& s, int x) {
  switch (s.xZoomMode) {
    case kMagnify:
      return x >> s.xZoomLevel;
    case kReduce:
      return x * (1 << s.xZoomLevel);
    default:
      return x * s.xZoomLevel;
  }
}

namespace {

constexpr int kScaleBits = 20;

// Factors are rounded up, so that what should just fill the area (the tallest sample, or 1600
// units at zoom 1 on any height) reaches its top exactly.
std::int64_t ceiling(std::int64_t a, std::int64_t b) {
  return (a + b - 1) / b;
}

}  // namespace

int TraceScale::pixels(std::uint16_t v) const {
  // An arithmetic shift: negative values round down too.
  const std::int64_t h = (std::int64_t{static_cast<std::int16_t>(v)} * factor) >> kScaleBits;
  return h < height ? static_cast<int>(h) : height;
}

TraceScale fittedTraceScale(int height, int tallest) {
  return {height, ceiling(std::int64_t{height} << kScaleBits, std::max(tallest, 1))};
}

TraceScale traceScale(const ViewSettings& s, int height, int tallest) {
  if (s.fitPeaks != 0 && tallest > 0) return fittedTraceScale(height, tallest);
  // The Y scale stored in the settings file may be any number; the clamp keeps the products
  // within 64 bits.
  const int bits = std::clamp(s.yZoom - s.yScaleShift + kScaleBits, 0, kScaleBits + 10);
  return {height, ceiling((std::int64_t{1} << bits) * height, s.traceHeight())};
}

int sampleHeight(const ViewSettings& s, std::uint16_t v) {
  return traceScale(s, s.traceHeight(), 0).pixels(v);
}

}  // namespace vistrel
