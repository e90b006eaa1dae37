// A base inserted and deleted at the front of a 100,000-base set, beside memmove of the same
// bytes in the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "app/app_state.h"
#include "edit/edit_model.h"
#include "fake_platform.h"
#include "ratio_reporter.h"
#include "view/layout.h"

namespace {

using namespace vistrel;

constexpr int kBases = 100000;

/// A set of `kBases` letters, each block with room for one more, as after a first insertion.
Chromatogram longSet() {
  Chromatogram d;
  d.loaded = true;
  d.isScf = true;
  d.maxSampleCount = 32000;
  BaseCalls& calls = d.edited;
  calls.bases.allocate(kBases + 16);
  calls.peaks.allocate(2 * (kBases + 8));
  calls.baseCount = calls.peakCount = kBases;
  for (int i = 0; i < kBases; ++i) {
    calls.setBase(i, static_cast<std::uint8_t>("ACGT"[i % 4]));
    calls.setPeak(i, static_cast<std::int16_t>(i / 4 + 1));
  }
  return d;
}

void insertAndDeleteAtFront(benchmark::State& state) {
  AppState app;
  testing::FakePlatform platform;
  createFonts(app.view.layout, platform, false);
  app.view.clientWidth = 1600;
  app.document = longSet();
  EditContext c = editContext(app, platform);
  for (auto _ : state) {
    app.view.insertCaret = 1;
    app.edit.insertIndex = 0;
    insertBase(c, 'A');
    deleteBase(c, false);
    platform.invalidated.clear();
    benchmark::DoNotOptimize(app.document.edited.bases.data());
  }
}

/// The same bytes moved as the insertion and the deletion move them.
void memmoveSameBytes(benchmark::State& state) {
  std::vector<std::uint8_t> letters(kBases + 1, 'A'), peaks(2 * (kBases + 1), 1);
  for (auto _ : state) {
    std::memmove(letters.data() + 1, letters.data(), kBases);
    std::memmove(peaks.data() + 2, peaks.data(), 2 * kBases);
    std::memmove(letters.data(), letters.data() + 1, kBases);
    std::memmove(peaks.data(), peaks.data() + 2, 2 * kBases);
    benchmark::DoNotOptimize(letters.data());
    benchmark::DoNotOptimize(peaks.data());
    benchmark::ClobberMemory();
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark("memmove_same_bytes", memmoveSameBytes)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("insert_delete_at_front", insertAndDeleteAtFront)
      ->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter("ratio to memmove of the same bytes", [](const std::string& name) {
    return name == "insert_delete_at_front" ? std::string("memmove_same_bytes") : std::string();
  });
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
