// The good region of a read: where its quality values say the calls can be trusted.
#pragma once

#include <cstdint>
#include <optional>

#include "document/chromatogram.h"

namespace vistrel {

/// The error probability a base may have on average for the region to keep it.
inline constexpr double kDefaultTrimCutoff = 0.05;

inline constexpr const char* kNoQualitiesToTrimMessage =
    "This read has no quality values, so it has no trimmed region.";
inline constexpr const char* kEmptyTrimmedRegionMessage =
    "No part of this read is good enough at the trim cutoff, so its trimmed region is empty.";

/// The modified Mott region of `count` quality values: the run of bases with the greatest sum
/// of `cutoff - 10^(-Q/10)`, the first such run when several tie. Empty when no base scores
/// above 0.
TrimRegion goodRegion(const std::uint8_t* qualities, std::int32_t count, double cutoff);

/// The good region of a set, or nothing when the set has no quality values.
std::optional<TrimRegion> trimRegion(const BaseCalls& calls, double cutoff);

/// The bases a check of the read looks at: its good region, or all of it when the set has no
/// quality values.
TrimRegion regionToCheck(const BaseCalls& calls, double cutoff);

}  // namespace vistrel
