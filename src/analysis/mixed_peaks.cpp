// Mixed peaks: in a window around the base's peak, the called channel's largest sample and the
// tallest peak of each other channel.
#include "analysis/mixed_peaks.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>

namespace vistrel {

namespace {

constexpr std::int32_t kLoneBaseDistance = 12;

/// Half the width of the window around base i's peak.
std::int32_t halfWindow(const BaseCalls& calls, std::int32_t i) {
  const std::int32_t p = calls.peak(i);
  std::int32_t d = INT32_MAX;
  if (i > 0) d = std::min(d, p - calls.peak(i - 1));
  if (i + 1 < calls.peakCount) d = std::min(d, calls.peak(i + 1) - p);
  if (d == INT32_MAX) d = kLoneBaseDistance;
  if (d <= 0) d = 1;
  return std::max(1, d / 4);
}

/// Each channel's largest sample from `from` to `to`, both included, within its own samples.
std::array<std::int32_t, 4> channelHeights(const Chromatogram& document, std::int32_t from,
                                           std::int32_t to) {
  std::array<std::int32_t, 4> heights{};
  for (int c = 0; c < 4; ++c) {
    const std::int32_t last = std::min(to, document.channels[c].sampleCount - 1);
    for (std::int32_t s = std::max(from, 0); s <= last; ++s) {
      heights[c] = std::max<std::int32_t>(heights[c], document.sample(c, s));
    }
  }
  return heights;
}

/// The height of channel c's tallest peak from `from` to `to`, or 0 when it has none there. A
/// peak is a sample at least as high as both of its neighbours, so every sample of a flat top
/// is one. The neighbours of the window's edge samples lie outside it and count, so the slope
/// of a neighbouring base's peak that rises past the edge is no peak; past the trace's own ends
/// there is no neighbour to be lower than.
std::int32_t tallestPeak(const Chromatogram& document, int c, std::int32_t from, std::int32_t to) {
  const std::int32_t count = document.channels[c].sampleCount;
  auto at = [&](std::int32_t s) { return std::int32_t{document.sample(c, s)}; };
  std::int32_t tallest = 0;
  for (std::int32_t s = std::max(from, 0); s <= std::min(to, count - 1); ++s) {
    const std::int32_t v = at(s);
    if ((s == 0 || at(s - 1) <= v) && (s + 1 == count || at(s + 1) <= v)) {
      tallest = std::max(tallest, v);
    }
  }
  return tallest;
}

/// The channel named by `letter` (case folded), or -1.
int channelOfLetter(const Chromatogram& document, std::uint8_t letter) {
  const int wanted = std::toupper(letter);
  for (int c = 0; c < 4; ++c) {
    if (std::toupper(static_cast<unsigned char>(document.channels[c].letter)) == wanted) return c;
  }
  return -1;
}

/// The channels in the order A, C, G, T of their letters (any other letter after them), so
/// that a tie is broken the same way whatever order the file stores its channels in.
std::array<int, 4> channelsInBaseOrder(const Chromatogram& document) {
  std::array<int, 4> order{0, 1, 2, 3};
  auto rank = [&](int c) {
    const int i = acgtIndex(static_cast<std::uint8_t>(document.channels[c].letter));
    return i < 0 ? 4 : i;
  };
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return rank(a) < rank(b); });
  return order;
}

/// The channel other than `skip` of greatest height, the first in base order on a tie.
int highestChannel(const std::array<std::int32_t, 4>& heights, const std::array<int, 4>& order,
                   int skip) {
  int best = -1;
  for (int c : order) {
    if (c != skip && (best < 0 || heights[c] > heights[best])) best = c;
  }
  return best;
}

}  // namespace

PeakPair peakPairAt(const Chromatogram& document, const BaseCalls& calls, std::int32_t i) {
  const std::int32_t p = calls.peak(i);
  const std::int32_t h = halfWindow(calls, i);
  const std::array<int, 4> order = channelsInBaseOrder(document);
  PeakPair pair;
  const std::array<std::int32_t, 4> heights = channelHeights(document, p - h, p + h);
  pair.primaryChannel = channelOfLetter(document, calls.base(i));
  if (pair.primaryChannel < 0) pair.primaryChannel = highestChannel(heights, order, -1);
  std::array<std::int32_t, 4> peaks{};
  for (int c = 0; c < 4; ++c) {
    if (c != pair.primaryChannel) peaks[c] = tallestPeak(document, c, p - h, p + h);
  }
  pair.secondaryChannel = highestChannel(peaks, order, pair.primaryChannel);
  pair.primary = heights[pair.primaryChannel];
  pair.secondary = peaks[pair.secondaryChannel];
  return pair;
}

bool isMixed(const PeakPair& peaks, int ratioPercent) {
  return peaks.primary > 0 &&
         100 * std::int64_t{peaks.secondary} >= std::int64_t{ratioPercent} * peaks.primary;
}

std::uint8_t iupacCode(char first, char second) {
  const int a = acgtIndex(static_cast<std::uint8_t>(first));
  const int b = acgtIndex(static_cast<std::uint8_t>(second));
  if (a < 0 || b < 0 || a == b) return 'N';
  return static_cast<std::uint8_t>(iupacLetter(1u << a | 1u << b));
}

std::optional<MixedBase> mixedBaseAt(const Chromatogram& document, const BaseCalls& calls,
                                     std::int32_t i, int ratioPercent) {
  if (i < 0 || i >= calls.baseCount || i >= calls.peakCount) return std::nullopt;
  const PeakPair peaks = peakPairAt(document, calls, i);
  if (!isMixed(peaks, ratioPercent)) return std::nullopt;
  const char first = document.channels[peaks.primaryChannel].letter;
  const char second = document.channels[peaks.secondaryChannel].letter;
  return MixedBase{i, iupacCode(first, second), peaks};
}

std::vector<MixedBase> mixedBases(const Chromatogram& document, const BaseCalls& calls,
                                  int ratioPercent, std::int32_t first, std::int32_t end) {
  std::vector<MixedBase> found;
  const std::int32_t last = std::min({end, calls.baseCount, calls.peakCount});
  for (std::int32_t i = std::max(first, 0); i < last; ++i) {
    if (std::optional<MixedBase> m = mixedBaseAt(document, calls, i, ratioPercent)) {
      found.push_back(*m);
    }
  }
  return found;
}

}  // namespace vistrel
