// The marks on the base rows beside the letters: the mixed-base marks under them, and the
// reference row above the numbers.
#pragma once

#include "document/chromatogram.h"
#include "platform/platform.h"
#include "view/settings.h"
#include "view/view_state.h"

namespace vistrel {

/// The mixed-base marks and the differences with the reference, as the screen shows them.
inline constexpr Rgb kMixedMarkColour{255, 128, 0};
inline constexpr Rgb kDifferenceText{200, 0, 0};
inline constexpr Rgb kDifferenceBackground{255, 200, 200};
inline constexpr Rgb kReferenceText{90, 90, 90};

/// Bases `first` to `end` (excluded) of the shown set: those a paint request reaches.
struct BaseSpan {
  int first = 0;
  int end = 0;
};

/// A short bar under the letter of each mixed base of `bases`, at every X zoom; nothing when
/// the marks are switched off.
void paintMixedMarks(const Chromatogram& document, const ViewSettings& settings,
                     const ViewState& view, Canvas& canvas, BaseSpan bases);

/// The reference letter over each base of `bases` that the reference row covers, differences
/// in red, a red bar where the read lacks reference letters, and every tenth reference position
/// above its letter; fitted to the window, a red bar at each difference only.
void paintReferenceRow(const BaseCalls& calls, const ViewSettings& settings, const ViewState& view,
                       Canvas& canvas, BaseSpan bases);

}  // namespace vistrel
