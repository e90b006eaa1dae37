// What an edit or a move of the selection must show: scrolling a base into view, and repainting
// only the stretch of the base row that changed.
#pragma once

#include <optional>

#include "analysis/trim.h"
#include "edit/edit_state.h"

namespace vistrel {

/// Scrolls so that sample `p` lies at least `margin` samples inside the view, centring it when
/// it does not; repaints the trace area then. True when it scrolled. In fit mode the whole trace
/// is in view and nothing scrolls.
bool bringIntoView(const Chromatogram& document, const ViewSettings& settings, ViewState& view,
                   Platform& platform, int p, int margin);

/// Moves the view so that it starts at sample `position`, as far as the trace allows, and
/// repaints the trace area.
void showFromSample(const Chromatogram& document, const ViewSettings& settings, ViewState& view,
                    Platform& platform, int position);

/// After an edit or a move of the selection: brings the selected base into view, or else
/// repaints the letters from base `first` to base `last` (an index outside the bases stands
/// for that edge of the window) and, when `renumber`, the numbers from there to the right edge.
void refreshBaseRange(EditContext& c, int first, int last, bool renumber);

/// The good region and the mixed bases of the shown set of `document` by `settings`, and its
/// tallest sample.
ReadMarks readMarksOf(const Chromatogram& document, const ViewSettings& settings);

/// What the shown set's marks and alignment are worked out from, as it stands.
ShownReadKey shownReadKey(const EditContext& c);

/// The good region of the shown set, taken before an edit for `refreshQualityMarks`.
std::optional<TrimRegion> shownRegion(const EditContext& c);

/// After an edit of base `edited` of the shown set (a base placed, replaced or taken away):
/// repaints the quality marks from its left to its right neighbour's peak, or the whole trace
/// area when the good region is no longer `before`. Nothing when no marks are shown.
void refreshQualityMarks(EditContext& c, const std::optional<TrimRegion>& before, int edited);

/// Repaints the number row and the letter row across the whole width.
void repaintBaseRows(const ViewState& view, Platform& platform);

/// True when base `i` of `calls` has both a letter and a peak.
bool hasLetterAndPeak(const BaseCalls& calls, int i);

}  // namespace vistrel
