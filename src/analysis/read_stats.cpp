// Read statistics, each in one pass over the region or the read.
#include "analysis/read_stats.h"

#include <algorithm>

namespace vistrel {

namespace {

/// The height of base i's called peak: the sample at its peak in the channel of its letter, or
/// the highest channel there for any other letter. Nothing when the peak lies outside.
std::optional<std::int32_t> calledHeight(const Chromatogram& d, const BaseCalls& calls,
                                         std::int32_t i) {
  if (i >= calls.peakCount) return std::nullopt;
  const std::int32_t p = calls.peak(i);
  const int letter = acgtIndex(calls.base(i));
  std::optional<std::int32_t> highest;
  for (int c = 0; c < 4; ++c) {
    if (p < 0 || p >= d.channels[c].sampleCount) continue;
    const std::int32_t v = d.sample(c, p);
    if (letter >= 0 && acgtIndex(static_cast<std::uint8_t>(d.channels[c].letter)) == letter) {
      return v;
    }
    highest = std::max(highest.value_or(v), v);
  }
  return highest;
}

}  // namespace

std::int32_t contiguousReadLength(const std::uint8_t* qualities, std::int32_t count) {
  std::int32_t best = 0, runStart = -1;
  std::int32_t sum = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    sum += qualities[i];
    if (i >= kCrlWindow) sum -= qualities[i - kCrlWindow];
    if (i < kCrlWindow - 1) continue;
    const std::int32_t start = i - kCrlWindow + 1;  // the window is [start, i]
    if (sum >= kCrlWindow * kCrlQuality) {
      if (runStart < 0) runStart = start;
      best = std::max(best, i + 1 - runStart);
    } else {
      runStart = -1;
    }
  }
  return best;
}

ReadStats readStats(const Chromatogram& document, const BaseCalls& calls, double trimCutoff,
                    int mixedRatio) {
  ReadStats s;
  s.bases = calls.baseCount;
  s.hasQualities = calls.hasQualities;
  s.region = trimRegion(calls, trimCutoff).value_or(TrimRegion{0, calls.baseCount});
  if (calls.hasQualities) {
    const std::uint8_t* q = calls.qualities.data();
    std::int64_t sum = 0;
    for (std::int32_t i = s.region.start; i < s.region.end; ++i) sum += q[i];
    if (!s.region.empty())
      s.meanQuality = static_cast<double>(sum) / (s.region.end - s.region.start);
    s.q20Bases = static_cast<std::int32_t>(
        std::count_if(q, q + calls.baseCount, [](std::uint8_t v) { return v >= 20; }));
    s.crl = contiguousReadLength(q, calls.baseCount);
  }
  std::int64_t heights = 0;
  std::int32_t peaks = 0;
  for (std::int32_t i = s.region.start; i < s.region.end; ++i) {
    if (mixedBaseAt(document, calls, i, mixedRatio)) ++s.mixed;
    if (std::optional<std::int32_t> h = calledHeight(document, calls, i)) {
      heights += *h;
      ++peaks;
    }
  }
  if (peaks > 0) s.signal = static_cast<double>(heights) / peaks;
  return s;
}

}  // namespace vistrel
