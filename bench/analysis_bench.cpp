// What is worked out from a read, each beside one plain pass over the same data in the same run:
// the good region of a 1,000-base read against summing its qualities.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "analysis/trim.h"
#include "ratio_reporter.h"

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

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark("sum_of_qualities/1000", sumOfQualities);
  benchmark::RegisterBenchmark("trim_region/1000", trimRegionOfRead);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter("ratio to one pass over the same data", [](const std::string& name) {
    return name == "trim_region/1000" ? std::string("sum_of_qualities/1000") : std::string();
  });
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
