// Layout metrics and the sample-to-pixel mappings of the three X zoom modes.
#include "view/layout.h"

namespace vistrel {

void createViewFonts(ViewLayout& layout, ScreenLook& screen, bool largeFonts) {
  layout.infoFont = {FontSpec::Serif, 14 + 3 * (largeFonts ? 1 : 0)};
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

int sampleHeight(const ViewSettings& s, std::uint16_t v) {
  const int value = static_cast<std::int16_t>(v);
  const int shift = s.yZoom - s.yScaleShift;
  int h = shift > 0 ? value * (1 << shift) : value >> -shift;
  return h < s.traceHeight() ? h : s.traceHeight();
}

}  // namespace vistrel
