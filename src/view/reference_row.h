// What the reference row shows over the bases of the shown set: worked out above the view from
// the read's alignment to its reference, and handed down as plain values so that painting
// never aligns.
#pragma once

#include <cstdint>
#include <vector>

namespace vistrel {

/// The reference over one base of the shown set, in the read's own orientation.
struct ReferenceMark {
  /// The reference letter aligned to the base (complemented when the read matched the other
  /// strand), '-' where the reference lacks the base, 0 outside the aligned region.
  char letter = 0;
  /// The reference position (from 1) of the letter, or of the reference letter on the left of
  /// a '-' in reference order.
  std::int32_t position = 0;
  bool differs = false;
  /// Reference letters that the read lacks stand between this base and the one before it.
  bool gapBefore = false;

  bool operator==(const ReferenceMark&) const = default;
};

/// One mark per base of the shown set.
using ReferenceRow = std::vector<ReferenceMark>;

}  // namespace vistrel
