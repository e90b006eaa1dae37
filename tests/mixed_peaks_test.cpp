// Mixed peaks: the window around each peak, the primary and secondary channels, the ratio rule
// at its boundary and the two-letter calls.
#include "analysis/mixed_peaks.h"

#include <gtest/gtest.h>

#include "reading.h"

namespace vistrel::testing {
namespace {

/// 100 samples per channel (A, C, G, T), all zero but the heights given as {channel, sample,
/// value}; bases at the peaks given.
Chromatogram traceWith(const std::vector<std::array<int, 3>>& heights, const std::string& bases,
                       const std::vector<std::uint32_t>& peaks) {
  ScfSpec spec;
  for (auto& c : spec.channels) c.assign(100, 0);
  spec.channels[0][99] = 1600;  // keeps the values as given when read
  for (const auto& [c, s, v] : heights) {
    spec.channels[static_cast<std::size_t>(c)][static_cast<std::size_t>(s)] =
        static_cast<std::uint16_t>(v);
  }
  spec.bases = bases;
  spec.peaks = peaks;
  return std::move(readImage(buildScf(spec)).document);
}

TEST(MixedPeaks, WindowChannelsAndTheRatioBoundary) {
  struct Case {
    const char* what;
    std::vector<std::array<int, 3>> heights;
    std::string bases;
    std::vector<std::uint32_t> peaks;
    std::int32_t base;
    int ratio;
    std::optional<std::uint8_t> call;
  };
  const std::vector<Case> cases = {
      // Neighbours 20 samples away: the window is peak +- 5.
      {"33% is mixed", {{0, 40, 300}, {2, 45, 99}}, "GAT", {20, 40, 60}, 1, 33, 'R'},
      {"just under is not", {{0, 40, 300}, {2, 45, 98}}, "GAT", {20, 40, 60}, 1, 33, {}},
      {"outside the window", {{0, 40, 300}, {2, 46, 200}}, "GAT", {20, 40, 60}, 1, 33, {}},
      {"the letter names the primary channel, in either case",
       {{0, 40, 100}, {3, 40, 300}},
       "gaG",
       {20, 40, 60},
       1,
       33,
       'W'},
      {"N takes the highest channel",
       {{1, 40, 300}, {3, 41, 150}},
       "ANA",
       {20, 40, 60},
       1,
       50,
       'Y'},
      {"no signal is never mixed", {}, "ACG", {20, 40, 60}, 1, 1, {}},
      // A lone base looks 3 samples each way; two peaks on one sample look 1.
      {"lone base", {{1, 53, 300}, {0, 47, 200}}, "C", {50}, 0, 33, 'M'},
      {"peaks on one sample", {{1, 50, 300}, {2, 52, 300}}, "CC", {50, 50}, 0, 33, {}},
      {"window cut at the trace start", {{3, 0, 300}, {2, 2, 300}}, "T", {1}, 0, 100, 'K'},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    const Chromatogram d = traceWith(k.heights, k.bases, k.peaks);
    const std::optional<MixedBase> m = mixedBaseAt(d, d.edited, k.base, k.ratio);
    EXPECT_EQ(m ? std::optional<std::uint8_t>(m->call) : std::nullopt, k.call);
  }
}

TEST(MixedPeaks, ScanFindsEachMixedBaseOfItsRange) {
  const Chromatogram d =
      traceWith({{0, 20, 300}, {2, 20, 200}, {0, 40, 300}, {2, 40, 200}}, "AAA", {20, 40, 60});
  std::vector<std::int32_t> found;
  for (const MixedBase& m : mixedBases(d, d.edited, 33)) found.push_back(m.index);
  EXPECT_EQ(found, (std::vector<std::int32_t>{0, 1}));
  EXPECT_EQ(mixedBases(d, d.edited, 33, 1, 2).size(), 1u);
}

}  // namespace
}  // namespace vistrel::testing
