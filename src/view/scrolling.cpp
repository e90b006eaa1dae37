// Scrolling and zoom over the state of the view.
#include "view/scrolling.h"

#include <algorithm>

#include "view/layout.h"

namespace vistrel {

namespace {

int traceLength(const AppState& app) {
  return app.document.loaded ? app.document.maxSampleCount : 0;
}

int span(const AppState& app) {
  return visibleSpan(app.settings, app.view.clientWidth);
}

/// Samples to pixels for a line scroll.
int scrollPixels(const ViewSettings& s, int samples) {
  return s.xZoomMode == kMagnify ? samples * (1 << s.xZoomLevel) : samples >> s.xZoomLevel;
}

void takeClientSize(AppState& app, Platform& platform) {
  Rect client = platform.clientRect();
  app.view.clientWidth = client.width();
  app.view.clientHeight = client.height();
}

/// Level of fit mode: enough samples per pixel for the whole trace. A zero width (a minimized
/// window) keeps the previous level rather than dividing by it.
void fitLevel(AppState& app) {
  if (!app.document.loaded) {
    app.settings.xZoomLevel = 1;
  } else if (app.view.clientWidth > 0) {
    app.settings.xZoomLevel = app.document.maxSampleCount / app.view.clientWidth + 1;
  }
}

}  // namespace

void updateScrollRange(AppState& app, Platform& platform, bool redraw) {
  const int n = traceLength(app);
  const int w = span(app);
  // Fit mode shows the whole trace: nothing to scroll, whatever the width.
  const bool scrollable = app.settings.xZoomMode != kFit && w < n;
  platform.setScrollRange(scrollable ? n - w : 0, redraw);
}

void setXZoom(AppState& app, Platform& platform, int value) {
  applyXZoomValue(app.settings, value);
  if (app.document.loaded) {
    updateScrollRange(app, platform, true);
    const int n = traceLength(app);
    const int w = span(app);
    if (app.view.scrollPos + w >= n) {
      app.view.scrollPos = std::max(n - w, 0);
      platform.setScrollPosition(app.view.scrollPos, true);
    }
    platform.enableScrollBar(true);
  }
  platform.invalidate(app.view.traceRect());
}

void fitToWindow(AppState& app, Platform& platform) {
  app.view.scrollPos = 0;
  if (app.document.loaded) {
    platform.enableScrollBar(false);
    platform.invalidate(app.view.traceRect());
    fitLevel(app);
  }
  app.settings.xZoomMode = kFit;
}

void setYZoom(AppState& app, Platform& platform, int zoom) {
  app.settings.yZoom = zoom;
  platform.invalidate(app.view.traceRect());
}

void setYScale(AppState& app, Platform& platform, bool small,
               const std::optional<Placement>& placement) {
  app.settings.yScaleShift = small ? 4 : 3;
  Rect outer = platform.windowRect();
  Rect client = platform.clientRect();
  const ViewLayout& l = app.view.layout;
  const int height = (outer.height() - client.height()) + l.infoFontHeight + 2 * l.baseFontHeight +
                     app.settings.traceHeight() + 18;
  int top = outer.top;
  if (placement) {
    if (placement->above) {
      top = std::max(placement->row - height, 0);
    } else {
      top = placement->row;
      const int screen = platform.screenHeight();
      if (top + height > screen) top = screen - height;
    }
  }
  platform.moveWindow({outer.left, top, outer.right, top + height});
  takeClientSize(app, platform);
  platform.invalidate(app.view.clientArea());
}

void setFontSize(AppState& app, Platform& platform, bool large) {
  app.settings.largeFonts = large ? 1 : 0;
  ViewLayout& l = app.view.layout;
  const int before = 2 * l.baseFontHeight + l.infoFontHeight;
  createViewFonts(l, platform, large);
  const int change = 2 * l.baseFontHeight + l.infoFontHeight - before;
  Rect outer = platform.windowRect();
  platform.moveWindow({outer.left, outer.top, outer.right, outer.bottom + change});
  takeClientSize(app, platform);
  platform.invalidate(app.view.clientArea());
}

void resizeClient(AppState& app, Platform& platform, int width, int height) {
  app.view.clientWidth = width;
  app.view.clientHeight = height;
  if (app.settings.xZoomMode == kFit) fitLevel(app);
  if (!app.document.loaded) {
    platform.invalidate(app.view.clientArea());
    return;
  }
  updateScrollRange(app, platform, false);
}

void scrollView(AppState& app, Platform& platform, ScrollAction action, int position) {
  const ViewSettings& s = app.settings;
  const int n = traceLength(app);
  const int w = span(app);
  int& pos = app.view.scrollPos;
  const int before = pos;
  switch (action) {
    case ScrollAction::LineRight:
      if (pos + w < n) {
        const int d = std::min(s.scrollStep, n - pos - w);
        platform.scroll(-scrollPixels(s, d), app.view.traceRect());
        pos += d;
      }
      break;
    case ScrollAction::LineLeft:
      if (pos > 0) {
        const int d = std::min(pos, s.scrollStep);
        platform.scroll(scrollPixels(s, d), app.view.traceRect());
        pos = std::max(pos - s.scrollStep, 0);
      }
      break;
    case ScrollAction::PageRight: {
      int d = w - s.scrollStep;
      if (pos + 2 * w - s.scrollStep > n) d = n - pos - w;
      pos = std::max(pos + d, 0);  // a trace narrower than the view has nowhere to go
      platform.invalidate(app.view.traceRect());
      break;
    }
    case ScrollAction::PageLeft:
      pos = std::max(pos - (w - s.scrollStep), 0);
      platform.invalidate(app.view.traceRect());
      break;
    case ScrollAction::ThumbPosition:
      if (position != pos) {
        pos = position;
        platform.invalidate(app.view.traceRect());
      }
      break;
  }
  if (pos != before) platform.setScrollPosition(pos, true);
}

void resetScrolling(AppState& app, Platform& platform) {
  app.view.scrollPos = 0;
  if (app.settings.xZoomMode == kFit) {
    fitToWindow(app, platform);
  } else {
    platform.enableScrollBar(true);
  }
  updateScrollRange(app, platform, false);
  platform.setScrollPosition(0, true);
}

}  // namespace vistrel
