// The edit analysis against planted truth: edited traces made from real control traces as
// mixtures of allele traces with known fractions, and base-editing shares against peak heights
// read here.
#include "analysis/edit_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "analysis/alignment.h"
#include "analysis/least_squares.h"
#include "document/trace_file.h"
#include "planted_edits.h"
#include "reading.h"

namespace vistrel::testing {
namespace {

TEST(EditAnalysis, PlantedMixturesAreRecovered) {
  struct Case {
    const char* file;
    std::int32_t offset;
    bool reverse;
    std::map<int, double> planted;
  };
  const Case cases[] = {
      {"3730.ab1", 200, false, {{0, 0.5}, {-1, 0.3}, {1, 0.2}}},
      {"3730.ab1", 320, true, {{0, 0.2}, {-3, 0.5}, {2, 0.3}}},
      {"3730.ab1", 150, false, {{-20, 0.4}, {20, 0.35}, {0, 0.25}}},
      {"3100.ab1", 180, true, {{0, 0.7}, {-7, 0.3}}},
      {"A6_1-DB3.ab1", 250, false, {{-2, 0.45}, {4, 0.15}, {-11, 0.4}}},
      {"3730.ab1", 260, false, {{0, 1.0}}},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(std::string(t.file) + (t.reverse ? " -" : " +") + std::to_string(t.offset));
    Chromatogram control, edited;
    if (!readReal(t.file, control) || !readReal(t.file, edited)) {
      GTEST_SKIP() << "the test traces were not fetched";
    }
    const Site site = guideOf(control, t.offset, t.reverse);
    plantMixture(control, site.cut, t.planted, edited);
    EditRequest request;
    request.guide = site.guide;
    const EditResult result = analysed(control, edited, request);
    ASSERT_TRUE(result.analysis) << result.message;
    const EditAnalysis& a = *result.analysis;
    EXPECT_EQ(a.site.cut, site.cut);
    EXPECT_EQ(a.site.reverse, t.reverse);
    EXPECT_GE(a.rSquared, 0.95);
    double total = 0, indel = 0, frameshift = 0;
    for (const AlleleShare& s : a.alleles) {
      const auto planted = t.planted.find(s.size);
      EXPECT_NEAR(s.percent, planted == t.planted.end() ? 0.0 : 100 * planted->second, 2.0)
          << "allele " << s.size;
      total += s.percent;
      if (s.size != 0) indel += s.percent;
      if (s.size % 3 != 0) frameshift += s.percent;
    }
    EXPECT_EQ(a.alleles.size(), 41u);
    EXPECT_NEAR(total, 100.0, 1e-9);
    EXPECT_NEAR(a.indelPercent, indel, 1e-9);
    EXPECT_NEAR(a.frameshiftPercent, frameshift, 1e-9);
    EXPECT_NEAR(a.koScore, frameshift, 1e-9);  // no candidate reaches 21 bases
    EXPECT_NEAR(a.wildTypePercent, shareOf(a, 0), 1e-9);
    // The same read before the cut (its own cross-talk only); a mixture after it.
    EXPECT_LT(a.discordanceBefore, 10.0);
    if (t.planted.count(0) && t.planted.at(0) < 1) {
      EXPECT_GT(a.discordanceAfter, a.discordanceBefore + 10.0);
    }
    EXPECT_GE(a.window.start, site.cut + 20);
  }
}

TEST(EditAnalysis, ALargerMaxIndelFindsLongerIndelsAndCountsThemInTheKnockoutScore) {
  Chromatogram control, edited;
  if (!readReal("3730.ab1", control) || !readReal("3730.ab1", edited)) {
    GTEST_SKIP() << "the test traces were not fetched";
  }
  const Site site = guideOf(control, 200, false);
  plantMixture(control, site.cut, {{0, 0.4}, {-24, 0.35}, {30, 0.25}}, edited);
  EditRequest request;
  request.guide = site.guide;
  request.maxIndel = 30;
  const EditResult result = analysed(control, edited, request);
  ASSERT_TRUE(result.analysis) << result.message;
  EXPECT_NEAR(shareOf(*result.analysis, -24), 35, 2);
  EXPECT_NEAR(shareOf(*result.analysis, 30), 25, 2);
  // In frame, but long enough to break the protein.
  EXPECT_NEAR(result.analysis->koScore, 60, 2);
  EXPECT_NEAR(result.analysis->frameshiftPercent, 0, 2);
}

TEST(EditAnalysis, ReadsThatCannotBeDecomposedSayWhy) {
  Chromatogram control, other;
  if (!readReal("3730.ab1", control) || !readReal("3100.ab1", other)) {
    GTEST_SKIP() << "the test traces were not fetched";
  }
  EditRequest request;
  request.guide = guideOf(control, 200, false).guide;
  // Another amplicon altogether.
  EditResult result = analysed(control, other, request);
  EXPECT_FALSE(result.analysis);
  EXPECT_NE(result.message.find("does not match the control before the cut"), std::string::npos)
      << result.message;

  // Three letters changed: no place within two mismatches; the nearest is named.
  std::string guide = request.guide;
  for (int at : {2, 9, 15}) guide[at] = guide[at] == 'A' ? 'C' : 'A';
  request.guide = guide;
  result = analysed(control, control, request);
  EXPECT_FALSE(result.analysis);
  EXPECT_NE(result.message.find("not in the control's base calls"), std::string::npos);
  EXPECT_NE(result.message.find(guideOf(control, 200, false).guide + " at bases"),
            std::string::npos)
      << result.message;

  // Two changed letters are still found, and said.
  request.guide[2] = guideOf(control, 200, false).guide[2];
  result = analysed(control, control, request);
  ASSERT_TRUE(result.analysis) << result.message;
  EXPECT_EQ(result.analysis->site.mismatches, 2);
  EXPECT_NE(result.analysis->note.find("2 mismatches"), std::string::npos);

  // A cut too near the end of the control's good region leaves no window.
  const TrimRegion good = regionToCheck(control.edited, kDefaultTrimCutoff);
  request.guide = guideOf(control, good.end - good.start - 40, false).guide;
  result = analysed(control, control, request);
  EXPECT_FALSE(result.analysis);
  EXPECT_NE(result.message.find("the control's good region ends at base"), std::string::npos)
      << result.message;
}

TEST(EditAnalysis, DonorAlleleIsFittedBesideTheIndels) {
  Chromatogram control, edited;
  if (!readReal("3730.ab1", control) || !readReal("3730.ab1", edited)) {
    GTEST_SKIP() << "the test traces were not fetched";
  }
  const Site site = guideOf(control, 200, false);
  const std::string letters = lettersOf(control.edited);
  // The donor deletes 9 bases starting 6 after the cut: its allele is planted as the control
  // with those bases' samples cut out there, beside the unedited and a -1 allele.
  const std::int32_t from = site.cut + 6;
  const std::string donor = letters.substr(from - 40, 40) + letters.substr(from + 9, 40);
  std::vector<std::vector<double>> donorAllele;
  for (int c = 0; c < 4; ++c) donorAllele.push_back(alleleSamples(control, c, from, -9));
  plantMixture(control, site.cut, {{0, 0.5}, {-1, 0.2}}, edited);
  for (int c = 0; c < 4; ++c) {
    for (std::int32_t i = 0; i < edited.channels[c].sampleCount; ++i) {
      const double v = edited.sample(c, i) + 0.3 * donorAllele[c][i];
      edited.setSample(c, i, static_cast<std::uint16_t>(std::lround(v)));
    }
  }
  EditRequest request;
  request.guide = site.guide;
  request.donor = donor;
  const EditResult result = analysed(control, edited, request);
  ASSERT_TRUE(result.analysis) << result.message;
  ASSERT_TRUE(result.analysis->donorPercent);
  EXPECT_NEAR(*result.analysis->donorPercent, 30, 2);
  EXPECT_NEAR(result.analysis->wildTypePercent, 50, 2);
  EXPECT_NEAR(shareOf(*result.analysis, -1), 20, 2);
  EXPECT_NEAR(result.analysis->indelPercent, 20, 2);
  EXPECT_GE(result.analysis->rSquared, 0.95);

  request.donor = letters.substr(site.cut - 30, 60);
  EXPECT_NE(analysed(control, edited, request).message.find("holds no change"), std::string::npos);
}

TEST(EditAnalysis, BaseEditingSharesArePeakHeightsOnTheGuidesStrand) {
  for (bool reverse : {false, true}) {
    SCOPED_TRACE(reverse ? "-" : "+");
    Chromatogram control, edited;
    if (!readReal("3730.ab1", control) || !readReal("3730.ab1", edited)) {
      GTEST_SKIP() << "the test traces were not fetched";
    }
    const Site site = guideOf(control, 240, reverse);
    const std::int32_t first = reverse ? site.cut - 3 : site.cut + 3 - kGuideLength;
    // Protospacer positions 4 to 8 carry 40% of their base's signal in another channel.
    const BaseCalls& calls = control.edited;
    auto controlBase = [&](int position) {
      return reverse ? first + kGuideLength - position : first + position - 1;
    };
    int channelOf[4];
    for (int c = 0; c < 4; ++c) channelOf[acgtIndex(control.channels[c].letter)] = c;
    for (int position = 4; position <= 8; ++position) {
      const std::int32_t i = controlBase(position);
      const int own = channelOf[acgtIndex(calls.base(i))];
      const int into = channelOf[(acgtIndex(calls.base(i)) + 1) % 4];
      for (std::int32_t s = baseStart(calls, i); s < baseStart(calls, i + 1); ++s) {
        const double v = control.sample(own, s);
        edited.setSample(own, s, static_cast<std::uint16_t>(std::lround(0.6 * v)));
        edited.setSample(into, s, static_cast<std::uint16_t>(control.sample(into, s) + 0.4 * v));
      }
    }
    EditRequest request;
    request.guide = site.guide;
    request.baseEdit = true;
    const EditResult result = analysed(control, edited, request);
    ASSERT_TRUE(result.analysis) << result.message;
    const EditAnalysis& a = *result.analysis;
    ASSERT_EQ(a.baseEdit.size(), static_cast<std::size_t>(kGuideLength));
    for (const BaseEditPosition& p : a.baseEdit) {
      SCOPED_TRACE(p.position);
      const std::int32_t i = controlBase(p.position);
      double v[4], total = 0;
      for (int l = 0; l < 4; ++l) {
        // On the other strand A reads as T, C as G.
        v[l] = edited.sample(channelOf[reverse ? 3 - l : l], calls.peak(i));
        total += v[l];
      }
      for (int l = 0; l < 4; ++l) EXPECT_NEAR(p.percent[l], 100 * v[l] / total, 1e-9);
      const auto letter = static_cast<std::uint8_t>(calls.base(i));
      EXPECT_EQ(p.reference, static_cast<char>(reverse ? complementOf(letter) : letter));
      EXPECT_NEAR(p.nonReference, 100 - p.percent[acgtIndex(p.reference)], 1e-9);
      const bool planted = p.position >= 4 && p.position <= 8;
      EXPECT_EQ(p.edited, planted) << p.nonReference << " against " << a.noisePercent;
    }
    EXPECT_GT(a.noisePercent, 0);
    EXPECT_LT(a.noisePercent, 30);
  }
}

TEST(LeastSquares, KeepsCoefficientsNonNegative) {
  // b = 2 a0 - a1 unconstrained; with x >= 0 the best is on a0 alone.
  ColumnMatrix m{3, 2, {1, 0, 1, 0, 1, 1}};
  std::vector<double> x;
  ASSERT_TRUE(nonNegativeLeastSquares(m, {2, -1, 1}, x));
  ASSERT_EQ(x.size(), 2u);
  EXPECT_NEAR(x[0], 1.5, 1e-9);
  EXPECT_EQ(x[1], 0.0);
  EXPECT_FALSE(nonNegativeLeastSquares(m, {1, 2}, x));
  EXPECT_TRUE(x.empty());
}

}  // namespace
}  // namespace vistrel::testing
