// Scrolling and zoom: the Options commands that change the X zoom, Y zoom, Y scale and font
// size, the horizontal scroll bar, the mouse wheel, and the reaction to a resize.
#pragma once

#include <optional>

#include "document/chromatogram.h"
#include "platform/platform.h"
#include "view/settings.h"
#include "view/view_state.h"

namespace vistrel {

/// Where a placement switch puts the window: its bottom edge (`above`) or its top edge at
/// screen row `row`.
struct Placement {
  bool above = false;
  int row = 0;
};

/// Moves the view to `position`. Every change of `scrollPos` goes through here, so that the
/// scroll bar's thumb always stands where the view does.
void moveView(ViewState& view, Platform& platform, int position);

/// Sets the scroll bar's range for the current zoom: 0 to N - W while the trace is wider than
/// the view and not fitted to it, else 0 to 0.
void updateScrollRange(const Chromatogram& document, const ViewSettings& settings,
                       const ViewState& view, Platform& platform, bool redraw);

/// X zoom 0.25 to 4 (`value` -2 to 2); the sample at the left edge stays unless the view would
/// run past the end.
void setXZoom(const Chromatogram& document, ViewSettings& settings, ViewState& view,
              Platform& platform, int value);
void fitToWindow(const Chromatogram& document, ViewSettings& settings, ViewState& view,
                 Platform& platform);
/// Y zoom 1 to 64 (`zoom` 0 to 6), leaving Fit Peaks.
void setYZoom(ViewSettings& settings, const ViewState& view, Platform& platform, int zoom);
/// Fit Peaks: the tallest sample fills the trace area. The Y zoom is kept for when it is left.
void fitPeaks(ViewSettings& settings, const ViewState& view, Platform& platform);
/// Fit Window: the trace area takes the client area's height, now and after every resize. The
/// window keeps its size; choosing Small or Large leaves it.
void fitTracesToWindow(ViewSettings& settings, const ViewState& view, Platform& platform);
/// The window at start-up with Fit Window chosen: the stored height when it is of use (at least
/// the rows above the traces and the least fitted trace, at most the work area), else two
/// thirds of the work area.
void setFittedWindowHeight(const ViewSettings& settings, ViewState& view, Platform& platform);
/// Y scale Small or Large: the window takes the height the layout needs, placed by `placement`
/// when a start-up switch asks for it.
void setYScale(ViewSettings& settings, ViewState& view, Platform& platform, bool small,
               const std::optional<Placement>& placement = std::nullopt);
void setFontSize(ViewSettings& settings, ViewState& view, Platform& platform, bool large);
/// Shows or hides the reference row: the window grows or shrinks by its height, so that the
/// traces keep theirs.
void showReferenceRow(ViewState& view, Platform& platform, bool shown);

/// The client area took a new size.
void resizeClient(const Chromatogram& document, ViewSettings& settings, ViewState& view,
                  Platform& platform, int width, int height);

/// A scroll-bar action; `position` is the thumb's position for ThumbPosition.
void scrollView(const Chromatogram& document, const ViewSettings& settings, ViewState& view,
                Platform& platform, ScrollAction action, int position = 0);

/// The mouse wheel turned by `delta` (120 a notch, less from touchpads; positive away from the
/// user): three line steps a notch, towards the start for positive turns.
void wheelScroll(const Chromatogram& document, const ViewSettings& settings, ViewState& view,
                 Platform& platform, int delta);

/// X Zoom `value` with the sample at pixel column `anchorX` kept there, as far as the trace
/// allows.
void zoomAbout(const Chromatogram& document, ViewSettings& settings, ViewState& view,
               Platform& platform, int value, int anchorX);

/// `steps` X zoom steps through 0.25, 0.5, 1, 2 and 4 (in for positive ones) about pixel column
/// `anchorX`. From Fit To Window a step in goes to 0.25.
void zoomSteps(const Chromatogram& document, ViewSettings& settings, ViewState& view,
               Platform& platform, int steps, int anchorX);

/// Ctrl and the wheel: one zoom step a notch about the pointer's column `anchorX`.
void wheelZoom(const Chromatogram& document, ViewSettings& settings, ViewState& view,
               Platform& platform, int delta, int anchorX);

/// After a load: the view starts at sample 0 with the scroll bar set for the new trace.
void resetScrolling(const Chromatogram& document, ViewSettings& settings, ViewState& view,
                    Platform& platform);

}  // namespace vistrel
