// What the view marks on the shown set beside its letters and traces, and the height Fit Peaks
// fits: worked out above the view, only after a change, and handed down as plain values, so
// that painting never analyses.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "document/chromatogram.h"

namespace vistrel {

struct ReadMarks {
  /// The shown set's good region; nothing without quality values.
  std::optional<TrimRegion> goodRegion;
  /// One flag per base of the shown set: 1 when its peak is mixed.
  std::vector<std::uint8_t> mixed;
  /// The greatest sample of the trace, which Fit Peaks stretches to the top.
  std::int32_t tallestSample = 0;

  bool isMixed(std::int32_t i) const {
    return i >= 0 && static_cast<std::size_t>(i) < mixed.size() &&
           mixed[static_cast<std::size_t>(i)] != 0;
  }
};

}  // namespace vistrel
