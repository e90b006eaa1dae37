// Mixed peaks: bases under which a second channel rises nearly as high as the called one, as at
// a heterozygous position or in a mixed template.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "document/chromatogram.h"

namespace vistrel {

/// How high the second channel must rise, in percent of the first, by default.
inline constexpr int kDefaultMixedRatio = 33;

/// The two highest channels under one base.
struct PeakPair {
  int primaryChannel = -1;
  int secondaryChannel = -1;
  std::int32_t primary = 0;    ///< the primary channel's largest sample in the window
  std::int32_t secondary = 0;  ///< the tallest peak of the other channels in the window

  double ratio() const { return primary > 0 ? static_cast<double>(secondary) / primary : 0.0; }
};

/// A base found mixed, with its two-letter (IUPAC) call.
struct MixedBase {
  std::int32_t index = 0;
  std::uint8_t call = 'N';
  PeakPair peaks;
};

/// The channels under base `i` of `calls`, which must have a peak. The window reaches a quarter
/// of the way to the nearer neighbouring peak on each side; the primary channel is the one named
/// by the base's letter, or the highest one for any other letter, and its height its largest
/// sample there. The secondary channel is the other channel with the tallest peak in the window
/// (a local maximum, not a neighbour's slope). Ties go to the first of A, C, G, T.
PeakPair peakPairAt(const Chromatogram& document, const BaseCalls& calls, std::int32_t i);

/// Whether the secondary channel reaches `ratioPercent` percent of the primary one.
bool isMixed(const PeakPair& peaks, int ratioPercent);

/// The IUPAC code of two base letters (R for A and G, and so on), or 'N' when they are not two
/// different bases among A, C, G and T.
std::uint8_t iupacCode(char first, char second);

/// The mixed base `i`, or nothing when it is not mixed or has no peak.
std::optional<MixedBase> mixedBaseAt(const Chromatogram& document, const BaseCalls& calls,
                                     std::int32_t i, int ratioPercent);

/// Every mixed base of `calls` from `first` up to `end` (excluded).
std::vector<MixedBase> mixedBases(const Chromatogram& document, const BaseCalls& calls,
                                  int ratioPercent, std::int32_t first = 0,
                                  std::int32_t end = INT32_MAX);

}  // namespace vistrel
