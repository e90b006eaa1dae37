// Modified Mott trimming, in one pass over the qualities.
#include "analysis/trim.h"

#include <array>
#include <cmath>

namespace vistrel {

namespace {

/// 10^(-Q/10) for every byte a quality can hold, worked out once.
const std::array<double, 256>& errorProbabilities() {
  static const std::array<double, 256> table = [] {
    std::array<double, 256> t{};
    for (int q = 0; q < 256; ++q) t[static_cast<std::size_t>(q)] = std::pow(10.0, -q / 10.0);
    return t;
  }();
  return table;
}

}  // namespace

TrimRegion goodRegion(const std::uint8_t* qualities, std::int32_t count, double cutoff) {
  const std::array<double, 256>& error = errorProbabilities();
  TrimRegion best;
  double bestSum = 0.0;
  double sum = 0.0;
  std::int32_t start = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    sum += cutoff - error[qualities[i]];
    if (sum <= 0.0) {
      sum = 0.0;
      start = i + 1;
    } else if (sum > bestSum) {
      bestSum = sum;
      best = {start, i + 1};
    }
  }
  return best;
}

std::optional<TrimRegion> trimRegion(const BaseCalls& calls, double cutoff) {
  if (!calls.hasQualities) return std::nullopt;
  return goodRegion(calls.qualities.data(), calls.baseCount, cutoff);
}

TrimRegion regionToCheck(const BaseCalls& calls, double cutoff) {
  return trimRegion(calls, cutoff).value_or(TrimRegion{0, calls.baseCount});
}

}  // namespace vistrel
