// The state of the view from start-up to exit: its fonts and rows, the client size, where it
// stands in the trace, and the marks that editing puts on the base row.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

#include "platform/types.h"
#include "view/layout.h"
#include "view/read_marks.h"
#include "view/reference_row.h"

namespace vistrel {

struct ViewState {
  ViewLayout layout;
  std::int32_t scrollPos = 0;
  int clientWidth = 0;
  int clientHeight = 0;

  // The base row's marks: the selected base (-1 none), the insertion caret's sample (0 none)
  // and the x of the position tick (-1 none).
  std::int32_t selectedBase = -1;
  std::int32_t insertCaret = 0;
  std::int32_t positionTickX = -1;
  /// A range of bases: from `selectionAnchor` to the selected base, while the selected base is
  /// still `rangeEnd` (whatever moves the selection otherwise ends the range).
  std::int32_t selectionAnchor = -1;
  std::int32_t rangeEnd = -1;

  /// The selected range, first and last base, when two or more bases are selected.
  std::optional<std::pair<std::int32_t, std::int32_t>> selectedRange() const {
    if (selectionAnchor < 0 || selectedBase < 0 || selectedBase != rangeEnd ||
        selectionAnchor == selectedBase) {
      return std::nullopt;
    }
    return std::pair{std::min(selectionAnchor, selectedBase),
                     std::max(selectionAnchor, selectedBase)};
  }

  /// The pointer's column over the view, -1 when it is elsewhere: what the zoom keys zoom about.
  int pointerX = -1;

  // What the wheel has turned and not yet scrolled or zoomed, in the wheel's units.
  int wheelScrollRest = 0;
  int wheelZoomRest = 0;

  /// Counts the documents shown, so that what is worked out from one is never taken for
  /// another's.
  std::int64_t documentNumber = 0;

  /// What the reference row shows over each base; empty without an aligned reference.
  ReferenceRow referenceRow;
  /// The good region and the mixed bases of the shown set.
  ReadMarks readMarks;

  /// The client area below the info band: what most view changes repaint.
  Rect traceRect() const { return {0, layout.referenceRowTop(), clientWidth, clientHeight}; }
  Rect clientArea() const { return {0, 0, clientWidth, clientHeight}; }
  /// The client area above the reference and number rows.
  Rect infoBand() const { return {0, 0, clientWidth, layout.referenceRowTop()}; }
  /// The reference row, positions and letters.
  Rect referenceBand() const {
    return {0, layout.referenceRowTop(), clientWidth, layout.numberRowTop()};
  }
};

/// The fewest rows Fit Window leaves the traces in a window too low for them.
inline constexpr int kLeastFittedTraceHeight = 20;

/// The trace area's height: the Y scale's, or with Fit Window all that the client area leaves
/// under the info band and the base rows, less the margin the Y scales keep.
inline int traceAreaHeight(const ViewSettings& settings, const ViewState& view) {
  if (settings.fitWindow == 0) return settings.traceHeight();
  const int left = view.clientHeight - view.layout.neededClientHeight(0);
  return left > kLeastFittedTraceHeight ? left : kLeastFittedTraceHeight;
}

}  // namespace vistrel
