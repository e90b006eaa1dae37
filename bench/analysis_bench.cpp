// What is worked out from a read, each beside a floor measured in the same run: the good region
// of a 1,000-base read against summing its qualities, and the mixed-peak scan of a 16,000-sample
// trace against one pass over its samples. Aligning a 1,000-base read to a 10,000-base
// reference on both strands is timed too; bench/align_vs_biopython.py sets it beside Biopython.
// usage: analysis_bench [SEQUENCES] [benchmark options]; SEQUENCES holds the read and the
// reference on two lines (made up here when not given).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "analysis/alignment.h"
#include "analysis/mixed_peaks.h"
#include "analysis/trim.h"
#include "ratio_reporter.h"
#include "reading.h"

namespace {

constexpr int kBases = 1000;

/// Qualities as a read has them: low at both ends, high with dips in between.
std::vector<std::uint8_t> readQualities() {
  std::vector<std::uint8_t> q(kBases);
  for (int i = 0; i < kBases; ++i) {
    const int edge = std::min(i, kBases - 1 - i);
    q[static_cast<std::size_t>(i)] =
        static_cast<std::uint8_t>(edge < 30 ? edge : (i % 37 == 0 ? 8 : 45 + i % 15));
  }
  return q;
}

void trimRegionOfRead(benchmark::State& state) {
  const std::vector<std::uint8_t> q = readQualities();
  for (auto _ : state) {
    benchmark::DoNotOptimize(vistrel::goodRegion(q.data(), kBases, vistrel::kDefaultTrimCutoff));
  }
}

void sumOfQualities(benchmark::State& state) {
  const std::vector<std::uint8_t> q = readQualities();
  for (auto _ : state) {
    benchmark::DoNotOptimize(q.data());
    unsigned sum = 0;
    for (std::uint8_t v : q) sum += v;
    benchmark::DoNotOptimize(sum);
  }
}

/// A synthetic read of about 16,000 samples: 1,300 bases 12 samples apart.
const vistrel::Chromatogram& longTrace() {
  static const vistrel::Chromatogram document =
      vistrel::testing::readImage(
          vistrel::testing::abiBuilderFor(vistrel::testing::syntheticTrace(5, 1300, 12)).build())
          .document;
  return document;
}

void mixedPeakScan(benchmark::State& state) {
  const vistrel::Chromatogram& d = longTrace();
  for (auto _ : state) {
    benchmark::DoNotOptimize(vistrel::mixedBases(d, d.edited, vistrel::kDefaultMixedRatio));
  }
}

/// The largest of each channel over all its samples: one pass over the same data.
void passOverSamples(benchmark::State& state) {
  const vistrel::Chromatogram& d = longTrace();
  for (auto _ : state) {
    std::uint16_t largest[4] = {};
    for (int c = 0; c < 4; ++c) {
      const std::int32_t n = d.channels[c].sampleCount;
      for (std::int32_t i = 0; i < n; ++i) largest[c] = std::max(largest[c], d.sample(c, i));
    }
    benchmark::DoNotOptimize(largest);
  }
}

struct Sequences {
  std::string read, reference;
};

Sequences sequencesFrom(const char* path) {
  Sequences s;
  if (path != nullptr) {
    std::ifstream in(path);
    std::getline(in, s.read);
    std::getline(in, s.reference);
    return s;
  }
  std::mt19937 random(3);
  for (int i = 0; i < 10000; ++i) s.reference += "ACGT"[random() % 4];
  s.read = s.reference.substr(4000, kBases);
  return s;
}

void alignBothStrands(benchmark::State& state, const Sequences* s) {
  const vistrel::PreparedReference reference(s->reference);
  for (auto _ : state) {
    benchmark::DoNotOptimize(vistrel::alignToReference(s->read, reference));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* sequencesPath = nullptr;
  if (argc > 1 && argv[1][0] != '-') {
    sequencesPath = argv[1];
    std::memmove(argv + 1, argv + 2, sizeof(char*) * static_cast<std::size_t>(argc - 1));
    --argc;
  }
  static const Sequences sequences = sequencesFrom(sequencesPath);
  benchmark::RegisterBenchmark("sum_of_qualities/1000", sumOfQualities);
  benchmark::RegisterBenchmark("trim_region/1000", trimRegionOfRead);
  benchmark::RegisterBenchmark("pass_over_samples/16000", passOverSamples);
  benchmark::RegisterBenchmark("mixed_peak_scan/16000", mixedPeakScan);
  benchmark::RegisterBenchmark("align_both_strands/1000x10000", alignBothStrands, &sequences)
      ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter("ratio to the floor in the same run", [](const std::string& name) {
    if (name == "trim_region/1000") return std::string("sum_of_qualities/1000");
    if (name == "mixed_peak_scan/16000") return std::string("pass_over_samples/16000");
    return std::string();
  });
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
