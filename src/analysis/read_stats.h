// The figures that judge a read at a glance: its good region, how good the calls are, how long
// it reads cleanly, how many peaks are mixed and how strong the signal is.
#pragma once

#include <cstdint>
#include <optional>

#include "analysis/mixed_peaks.h"
#include "analysis/trim.h"
#include "document/chromatogram.h"

namespace vistrel {

/// The window of the contiguous read length and the mean quality each window must reach.
inline constexpr std::int32_t kCrlWindow = 20;
inline constexpr std::int32_t kCrlQuality = 20;

struct ReadStats {
  std::int32_t bases = 0;
  bool hasQualities = false;
  TrimRegion region;          ///< the good region; the whole read without quality values
  double meanQuality = 0.0;   ///< over the region
  std::int32_t q20Bases = 0;  ///< bases of quality 20 or more in the whole read
  std::int32_t crl = 0;       ///< contiguous read length
  std::int32_t mixed = 0;     ///< mixed bases in the region
  double signal = 0.0;        ///< mean height of the called peaks in the region
};

/// The longest stretch of bases in which every run of 20 has a mean quality of 20 or more: the
/// union of consecutive such runs. 0 when there is none (and for fewer than 20 bases).
std::int32_t contiguousReadLength(const std::uint8_t* qualities, std::int32_t count);

/// The figures of `calls` of `document`.
ReadStats readStats(const Chromatogram& document, const BaseCalls& calls, double trimCutoff,
                    int mixedRatio);

}  // namespace vistrel
