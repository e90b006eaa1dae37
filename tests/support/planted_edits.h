// Edited samples with known truth, made from real control traces: each allele a copy of the
// control with an indel at the cut, the sample their weighted sum. Shared by the analysis tests
// and the tests of the window that shows an analysis.
#pragma once

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "analysis/alignment.h"
#include "analysis/edit_analysis.h"
#include "analysis/trim.h"
#include "document/trace_file.h"
#include "reading.h"

namespace vistrel::testing {

inline constexpr int kGuideLength = 20;

inline bool readReal(const std::string& name, Chromatogram& d) {
  std::string sample;
  return !readTraceFile(std::string(VISTREL_TEST_DATA "/abi/") + name, false, d, sample);
}

/// Where base i's samples begin: halfway from the peak before it.
inline std::int32_t baseStart(const BaseCalls& calls, std::int32_t i) {
  return (calls.peak(i - 1) + calls.peak(i)) / 2;
}

/// One channel of the allele with an indel of `size` after `cut` control bases: a deletion's
/// bases cut out, an insertion repeating the base before the cut; as long as the control's.
inline std::vector<double> alleleSamples(const Chromatogram& d, int channel, std::int32_t cut,
                                         int size) {
  std::vector<double> s;
  for (std::uint16_t v : samplesOf(d, channel)) s.push_back(static_cast<std::int16_t>(v));
  const std::int32_t at = baseStart(d.edited, cut);
  const auto length = s.size();
  if (size < 0) {
    s.erase(s.begin() + at, s.begin() + baseStart(d.edited, cut - size));
  } else {
    const std::vector<double> base(s.begin() + baseStart(d.edited, cut - 1), s.begin() + at);
    for (int k = 0; k < size; ++k) s.insert(s.begin() + at, base.begin(), base.end());
  }
  s.resize(length, 0.0);
  return s;
}

/// `edited` made the weighted sum of the alleles of `planted` (size to fraction).
inline void plantMixture(const Chromatogram& control, std::int32_t cut,
                         const std::map<int, double>& planted, Chromatogram& edited) {
  for (int c = 0; c < 4; ++c) {
    std::vector<double> sum(static_cast<std::size_t>(control.channels[c].sampleCount), 0.0);
    for (const auto& [size, fraction] : planted) {
      const std::vector<double> allele = alleleSamples(control, c, cut, size);
      for (std::size_t i = 0; i < sum.size(); ++i) sum[i] += fraction * allele[i];
    }
    for (std::size_t i = 0; i < sum.size(); ++i) {
      edited.setSample(c, static_cast<std::int32_t>(i),
                       static_cast<std::uint16_t>(std::lround(std::max(0.0, sum[i]))));
    }
  }
}

struct Site {
  std::string guide;
  std::int32_t cut = 0;
};

/// A guide taken from the control `offset` bases into its good region, on either strand, and
/// the cut it makes 3 bases before its 3' end.
inline Site guideOf(const Chromatogram& d, std::int32_t offset, bool reverse) {
  const TrimRegion good = regionToCheck(d.edited, kDefaultTrimCutoff);
  const std::int32_t start = good.start + offset;
  const std::string letters = lettersOf(d.edited).substr(start, kGuideLength);
  if (!reverse) return {letters, start + kGuideLength - 3};
  return {reverseComplementOf(letters), start + 3};
}

inline EditResult analysed(const Chromatogram& control, const Chromatogram& edited,
                           const EditRequest& request) {
  EditControlResult prepared = prepareControl(control, request);
  if (!prepared.control) return {std::nullopt, prepared.message};
  return analyseEdit(*prepared.control, edited, request);
}

inline double shareOf(const EditAnalysis& a, int size) {
  for (const AlleleShare& s : a.alleles) {
    if (!s.donor && s.size == size) return s.percent;
  }
  return -1;
}

}  // namespace vistrel::testing
