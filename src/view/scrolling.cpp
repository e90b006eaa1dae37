// Scrolling and zoom over the state of the view.
#include "view/scrolling.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "view/layout.h"

namespace vistrel {

namespace {

constexpr int kWheelNotch = 120;
constexpr int kLinesPerNotch = 3;
/// A larger turn in one event is taken as this much, so one event cannot loop for long.
constexpr int kLargestWheelTurn = 100 * kWheelNotch;

int traceLength(const Chromatogram& document) {
  return document.loaded ? document.maxSampleCount : 0;
}

/// Samples to pixels for a line scroll.
int scrollPixels(const ViewSettings& s, int samples) {
  return s.xZoomMode == kMagnify ? samples * (1 << s.xZoomLevel) : samples >> s.xZoomLevel;
}

void takeClientSize(ViewState& view, Platform& platform) {
  Rect client = platform.clientRect();
  view.clientWidth = client.width();
  view.clientHeight = client.height();
}

/// Level of fit mode: enough samples per pixel for the whole trace. A zero width (a minimized
/// window) keeps the previous level rather than dividing by it.
void fitLevel(const Chromatogram& document, ViewSettings& settings, const ViewState& view) {
  if (!document.loaded) {
    settings.xZoomLevel = 1;
  } else if (view.clientWidth > 0) {
    settings.xZoomLevel = document.maxSampleCount / view.clientWidth + 1;
  }
}

/// The rows above the traces changed height by `change`: the window follows, and the traces
/// keep their height.
void growWindow(ViewState& view, Platform& platform, int change) {
  const Rect outer = platform.windowRect();
  platform.moveWindow({outer.left, outer.top, outer.right, outer.bottom + change});
  takeClientSize(view, platform);
  platform.invalidate(view.clientArea());
}

/// Whole steps of `unit` in what the wheel has turned so far; the rest waits for the next turn.
int wheelSteps(int& rest, int delta, int unit) {
  rest += std::clamp(delta, -kLargestWheelTurn, kLargestWheelTurn);
  const int steps = rest / unit;
  rest -= steps * unit;
  return steps;
}

}  // namespace

void moveView(ViewState& view, Platform& platform, int position) {
  view.scrollPos = position;
  platform.setScrollPosition(position, true);
}

void updateScrollRange(const Chromatogram& document, const ViewSettings& settings,
                       const ViewState& view, Platform& platform, bool redraw) {
  const int n = traceLength(document);
  const int w = visibleSpan(settings, view.clientWidth);
  // Fit mode shows the whole trace: nothing to scroll, whatever the width.
  const bool scrollable = settings.xZoomMode != kFit && w < n;
  platform.setScrollRange(scrollable ? n - w : 0, redraw);
}

void setXZoom(const Chromatogram& document, ViewSettings& settings, ViewState& view,
              Platform& platform, int value) {
  applyXZoomValue(settings, value);
  if (document.loaded) {
    updateScrollRange(document, settings, view, platform, true);
    const int n = traceLength(document);
    const int w = visibleSpan(settings, view.clientWidth);
    if (view.scrollPos + w >= n) moveView(view, platform, std::max(n - w, 0));
    platform.enableScrollBar(true);
  }
  platform.invalidate(view.traceRect());
}

void fitToWindow(const Chromatogram& document, ViewSettings& settings, ViewState& view,
                 Platform& platform) {
  moveView(view, platform, 0);
  if (document.loaded) {
    platform.enableScrollBar(false);
    platform.invalidate(view.traceRect());
    fitLevel(document, settings, view);
  }
  settings.xZoomMode = kFit;
}

void setYZoom(ViewSettings& settings, const ViewState& view, Platform& platform, int zoom) {
  settings.yZoom = zoom;
  settings.fitPeaks = 0;
  platform.invalidate(view.traceRect());
}

void fitPeaks(ViewSettings& settings, const ViewState& view, Platform& platform) {
  settings.fitPeaks = 1;
  platform.invalidate(view.traceRect());
}

void fitTracesToWindow(ViewSettings& settings, const ViewState& view, Platform& platform) {
  settings.fitWindow = 1;
  platform.invalidate(view.traceRect());
}

void setYScale(ViewSettings& settings, ViewState& view, Platform& platform, bool small,
               const std::optional<Placement>& placement) {
  settings.yScaleShift = small ? 4 : 3;
  Rect outer = platform.windowRect();
  Rect client = platform.clientRect();
  const int height =
      (outer.height() - client.height()) + view.layout.neededClientHeight(settings.traceHeight());
  int top = outer.top;
  if (placement) {
    // In 64 bits: the row comes from the command line and may be any int.
    const std::int64_t row = placement->row;
    const std::int64_t screen = platform.screenHeight();
    top = static_cast<int>(placement->above ? std::max<std::int64_t>(row - height, 0)
                                            : std::min<std::int64_t>(row, screen - height));
  }
  platform.moveWindow({outer.left, top, outer.right, top + height});
  takeClientSize(view, platform);
  platform.invalidate(view.clientArea());
}

void setFittedWindowHeight(const ViewSettings& settings, ViewState& view, Platform& platform) {
  const Rect outer = platform.windowRect();
  const Rect desk = platform.desktopRect();
  const int frame = outer.height() - platform.clientRect().height();
  const int least = frame + view.layout.neededClientHeight(kLeastFittedTraceHeight);
  const int stored = settings.windowHeight;
  const int height =
      stored >= least && stored <= desk.height() ? stored : std::max(desk.height() * 2 / 3, least);
  platform.moveWindow({outer.left, outer.top, outer.right, outer.top + height});
  takeClientSize(view, platform);
  platform.invalidate(view.clientArea());
}

void setFontSize(ViewSettings& settings, ViewState& view, Platform& platform, bool large) {
  settings.largeFonts = large ? 1 : 0;
  const int before = view.layout.neededClientHeight(0);
  createViewFonts(view.layout, platform, large);
  growWindow(view, platform, view.layout.neededClientHeight(0) - before);
}

void showReferenceRow(ViewState& view, Platform& platform, bool shown) {
  ViewLayout& l = view.layout;
  if (l.withReference == shown) return;
  const int before = l.neededClientHeight(0);
  l.withReference = shown;
  growWindow(view, platform, l.neededClientHeight(0) - before);
}

void resizeClient(const Chromatogram& document, ViewSettings& settings, ViewState& view,
                  Platform& platform, int width, int height) {
  view.clientWidth = width;
  view.clientHeight = height;
  if (settings.xZoomMode == kFit) fitLevel(document, settings, view);
  // The traces fitted to the window stretch with it.
  if (!document.loaded || settings.fitWindow != 0) platform.invalidate(view.clientArea());
  if (!document.loaded) return;
  updateScrollRange(document, settings, view, platform, false);
}

void scrollView(const Chromatogram& document, const ViewSettings& settings, ViewState& view,
                Platform& platform, ScrollAction action, int position) {
  const ViewSettings& s = settings;
  const int n = traceLength(document);
  const int w = visibleSpan(settings, view.clientWidth);
  int pos = view.scrollPos;
  switch (action) {
    case ScrollAction::LineRight:
      if (pos + w < n) {
        const int d = std::min(s.scrollStep, n - pos - w);
        platform.scroll(-scrollPixels(s, d), view.traceRect());
        pos += d;
      }
      break;
    case ScrollAction::LineLeft:
      if (pos > 0) {
        const int d = std::min(pos, s.scrollStep);
        platform.scroll(scrollPixels(s, d), view.traceRect());
        pos = std::max(pos - s.scrollStep, 0);
      }
      break;
    case ScrollAction::PageRight: {
      int d = w - s.scrollStep;
      if (pos + 2 * w - s.scrollStep > n) d = n - pos - w;
      pos = std::max(pos + d, 0);  // a trace narrower than the view has nowhere to go
      platform.invalidate(view.traceRect());
      break;
    }
    case ScrollAction::PageLeft:
      pos = std::max(pos - (w - s.scrollStep), 0);
      platform.invalidate(view.traceRect());
      break;
    case ScrollAction::ThumbPosition:
      if (position != pos) {
        pos = position;
        platform.invalidate(view.traceRect());
      }
      break;
  }
  if (pos != view.scrollPos) moveView(view, platform, pos);
}

void wheelScroll(const Chromatogram& document, const ViewSettings& settings, ViewState& view,
                 Platform& platform, int delta) {
  const int steps = wheelSteps(view.wheelScrollRest, delta, kWheelNotch / kLinesPerNotch);
  const ScrollAction action = steps > 0 ? ScrollAction::LineLeft : ScrollAction::LineRight;
  for (int i = 0; i < std::abs(steps); ++i) {
    scrollView(document, settings, view, platform, action);
  }
}

void zoomAbout(const Chromatogram& document, ViewSettings& settings, ViewState& view,
               Platform& platform, int value, int anchorX) {
  const bool fitted = settings.xZoomMode == kFit;
  const int sample = view.scrollPos + xToSampleOffset(settings, anchorX);
  setXZoom(document, settings, view, platform, value);
  if (!document.loaded || fitted) return;
  const int n = traceLength(document);
  const int w = visibleSpan(settings, view.clientWidth);
  moveView(view, platform,
           std::clamp(sample - xToSampleOffset(settings, anchorX), 0, std::max(n - w, 0)));
  platform.invalidate(view.traceRect());
}

void zoomSteps(const Chromatogram& document, ViewSettings& settings, ViewState& view,
               Platform& platform, int steps, int anchorX) {
  constexpr int kSmallest = -2, kLargest = 2;
  if (steps == 0) return;
  int value = xZoomValue(settings);
  if (settings.xZoomMode == kFit) {
    if (steps < 0) return;
    value = kSmallest - 1;
  }
  const int zoomed = std::clamp(value + steps, kSmallest, kLargest);
  if (zoomed != value) zoomAbout(document, settings, view, platform, zoomed, anchorX);
}

void wheelZoom(const Chromatogram& document, ViewSettings& settings, ViewState& view,
               Platform& platform, int delta, int anchorX) {
  zoomSteps(document, settings, view, platform, wheelSteps(view.wheelZoomRest, delta, kWheelNotch),
            anchorX);
}

void resetScrolling(const Chromatogram& document, ViewSettings& settings, ViewState& view,
                    Platform& platform) {
  if (settings.xZoomMode == kFit) {
    fitToWindow(document, settings, view, platform);
  } else {
    platform.enableScrollBar(true);
  }
  updateScrollRange(document, settings, view, platform, false);
  moveView(view, platform, 0);
}

}  // namespace vistrel
