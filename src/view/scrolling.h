// Scrolling and zoom: the Options commands that change the X zoom, Y zoom, Y scale and font
// size, the horizontal scroll bar, and the reaction to a resize.
#pragma once

#include <optional>

#include "app/app_state.h"
#include "platform/platform.h"

namespace vistrel {

/// Where a placement switch puts the window: its bottom edge (`above`) or its top edge at
/// screen row `row`.
struct Placement {
  bool above = false;
  int row = 0;
};

/// Sets the scroll bar's range for the current zoom: 0 to N - W while the trace is wider than
/// the view and not fitted to it, else 0 to 0.
void updateScrollRange(AppState& app, Platform& platform, bool redraw);

/// X zoom 0.25 to 4 (`value` -2 to 2); the sample at the left edge stays unless the view would
/// run past the end.
void setXZoom(AppState& app, Platform& platform, int value);
void fitToWindow(AppState& app, Platform& platform);
void setYZoom(AppState& app, Platform& platform, int zoom);
/// Y scale Small or Large: the window takes the height the layout needs, placed by `placement`
/// when a start-up switch asks for it.
void setYScale(AppState& app, Platform& platform, bool small,
               const std::optional<Placement>& placement = std::nullopt);
void setFontSize(AppState& app, Platform& platform, bool large);

/// The client area took a new size.
void resizeClient(AppState& app, Platform& platform, int width, int height);

/// A scroll-bar action; `position` is the thumb's position for ThumbPosition.
void scrollView(AppState& app, Platform& platform, ScrollAction action, int position = 0);

/// After a load: the view starts at sample 0 with the scroll bar set for the new trace.
void resetScrolling(AppState& app, Platform& platform);

}  // namespace vistrel
