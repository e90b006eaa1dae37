// Mixed peaks: the window around each peak, the primary and secondary channels, the ratio rule
// at its boundary and the two-letter calls.
#include "analysis/mixed_peaks.h"

#include <gtest/gtest.h>

#include "analysis/trim.h"
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

TEST(MixedPeaks, OnlyAPeakOfAnotherChannelCounts) {
  // Bases 20 samples apart: the window of the middle base is 35 to 45.
  auto callOf = [](const std::vector<std::array<int, 3>>& heights) {
    Chromatogram d = traceWith(heights, "GAT", {20, 40, 60});
    std::optional<MixedBase> m = mixedBaseAt(d, d.edited, 1, 33);
    return m ? std::optional<std::uint8_t>(m->call) : std::nullopt;
  };
  std::vector<std::array<int, 3>> called = {{0, 40, 300}};
  auto with = [&](std::vector<std::array<int, 3>> more) {
    more.insert(more.begin(), called.begin(), called.end());
    return more;
  };
  // The slope of a neighbour's tall T peak at 50 rising through the window is no peak.
  EXPECT_EQ(callOf(with({{3, 44, 150}, {3, 45, 200}, {3, 46, 400}, {3, 50, 900}})), std::nullopt);
  // A peak on the window's edge is one when the sample beyond the edge is lower.
  EXPECT_EQ(callOf(with({{3, 44, 150}, {3, 45, 200}, {3, 46, 100}})), 'W');
  // Every sample of a flat top is one.
  EXPECT_EQ(callOf(with({{2, 41, 120}, {2, 42, 120}, {2, 43, 120}})), 'R');
}

TEST(MixedPeaks, TiesDoNotDependOnTheFilesChannelOrder) {
  // C and T equally high under an N, and G and T equally high beside an A: stored as A, C, G, T
  // and as T, G, C, A, the calls are the same.
  for (const std::string order : {"ACGT", "TGCA"}) {
    ScfSpec spec;
    for (auto& c : spec.channels) c.assign(100, 0);
    auto at = [&](char letter) -> std::vector<std::uint16_t>& {
      return spec.channels.at(order.find(letter));
    };
    at('C')[20] = at('T')[20] = 300;
    at('A')[40] = 300;
    at('G')[40] = at('T')[41] = 200;
    at('A')[99] = 1600;
    spec.bases = "NA";
    spec.peaks = {20, 40};
    // The builder writes the channels in A, C, G, T order; the letters decide which is which.
    Chromatogram d = std::move(readImage(buildScf(spec)).document);
    for (int c = 0; c < 4; ++c) d.channels[c].letter = order[c];
    SCOPED_TRACE(order);
    std::optional<MixedBase> n = mixedBaseAt(d, d.edited, 0, 33);
    std::optional<MixedBase> a = mixedBaseAt(d, d.edited, 1, 33);
    ASSERT_TRUE(n && a);
    EXPECT_EQ(d.channels[n->peaks.primaryChannel].letter, 'C');  // C before T
    EXPECT_EQ(a->call, 'R');                                     // G before T
  }
}

/// The channel of `letter`.
int channelOf(const Chromatogram& d, char letter) {
  for (int c = 0; c < 4; ++c) {
    if (d.channels[c].letter == letter) return c;
  }
  return -1;
}

/// Counts the mixed bases of `d`'s good region.
int mixedInRegion(const Chromatogram& d, const TrimRegion& region) {
  return static_cast<int>(
      mixedBases(d, d.edited, kDefaultMixedRatio, region.start, region.end).size());
}

TEST(MixedPeaks, CleanRealReadsAreNotMixedAndAPlantedMixtureIs) {
  for (const char* name : {"3730.ab1", "3100.ab1", "A6_1-DB3.ab1", "nonascii_encoding.ab1"}) {
    SCOPED_TRACE(name);
    const std::string path = std::string(VISTREL_TEST_DATA "/abi/") + name;
    Chromatogram d, planted;
    std::string sample;
    if (readTraceFile(path, false, d, sample) || readTraceFile(path, false, planted, sample)) {
      GTEST_SKIP() << "the test traces were not fetched";
    }
    const TrimRegion region = regionToCheck(d.edited, kDefaultTrimCutoff);
    EXPECT_LT(100 * mixedInRegion(d, region), region.end - region.start);

    // Half of each channel added to the next one (A to C, C to G, G to T, T to A): every base
    // gets a second peak at half the height of its own. Where the base beside it has that
    // second letter, the second peak rides on its slope and is no peak; everywhere else it
    // must be found.
    for (int c = 0; c < 4; ++c) {
      const int into = channelOf(planted, "ACGT"[(acgtIndex(d.channels[c].letter) + 1) % 4]);
      for (std::int32_t s = 0; s < d.channels[c].sampleCount; ++s) {
        const int sum = planted.sample(into, s) + d.sample(c, s) / 2;
        planted.setSample(into, s, static_cast<std::uint16_t>(std::min(sum, 32767)));
      }
    }
    int alone = 0, found = 0;
    for (std::int32_t i = std::max(region.start, 1); i + 1 < region.end; ++i) {
      const int own = acgtIndex(d.edited.base(i));
      if (own < 0) continue;
      const char second = "ACGT"[(own + 1) % 4];
      if ((d.edited.base(i - 1) | 0x20) == (second | 0x20) ||
          (d.edited.base(i + 1) | 0x20) == (second | 0x20)) {
        continue;
      }
      ++alone;
      if (mixedBaseAt(planted, planted.edited, i, kDefaultMixedRatio)) ++found;
    }
    EXPECT_GT(alone, 300);
    // The reads' far ends, where broad peaks overlap, keep a few of them hidden.
    EXPECT_GE(found, alone * 9 / 10);
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
