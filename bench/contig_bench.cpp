// The contig of 96 reads on a 10 kb reference against aligning the same reads one by one as
// `align` does, in the same run: the layout, the votes and the consensus on top of the aligning.
// The reads are real ones (3730, 3100, A6_1-DB3 and 310 from TEST_DATA/abi, each good region
// planted in a random reference), repeated 24 times, every other copy reverse-complemented.
// usage: contig_bench TEST_DATA [benchmark options]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "analysis/contig.h"
#include "analysis/trim.h"
#include "document/trace_file.h"
#include "ratio_reporter.h"

namespace {

constexpr int kReads = 96;
constexpr std::size_t kReferenceLetters = 10000;

struct Clone {
  std::string reference;
  std::vector<vistrel::ContigInput> reads;
};

vistrel::ContigInput reversed(vistrel::ContigInput read) {
  read.letters = vistrel::reverseComplementOf(read.letters);
  std::reverse(read.qualities.begin(), read.qualities.end());
  const auto length = static_cast<std::int32_t>(read.letters.size());
  read.region = {length - read.region.end, length - read.region.start};
  return read;
}

bool loadClone(const std::string& data, Clone& clone) {
  std::mt19937 random(5);
  for (std::size_t i = 0; i < kReferenceLetters; ++i) clone.reference += "ACGT"[random() % 4];
  std::vector<vistrel::ContigInput> real;
  std::size_t at = 300;
  for (const char* name : {"3730.ab1", "3100.ab1", "A6_1-DB3.ab1", "310.ab1"}) {
    vistrel::Chromatogram d;
    std::string sample;
    const std::string path = data + "/abi/" + name;
    if (vistrel::readTraceFile(path, false, d, sample)) return false;
    const vistrel::BaseCalls& calls = d.shown();
    vistrel::ContigInput read;
    read.name = path;
    read.letters.assign(reinterpret_cast<const char*>(calls.bases.data()),
                        static_cast<std::size_t>(calls.baseCount));
    if (calls.hasQualities) {
      read.qualities.assign(calls.qualities.data(), calls.qualities.data() + calls.baseCount);
    }
    read.region = vistrel::regionToCheck(calls, vistrel::kDefaultTrimCutoff);
    std::string planted;
    for (std::int32_t k = read.region.start; k < read.region.end; ++k) {
      planted += vistrel::alignableLetter(read.letters[static_cast<std::size_t>(k)]);
    }
    if (at + planted.size() > kReferenceLetters) return false;
    clone.reference.replace(at, planted.size(), planted);
    at += planted.size() + 200;
    real.push_back(std::move(read));
  }
  for (int i = 0; i < kReads; ++i) {
    const vistrel::ContigInput& read = real[static_cast<std::size_t>(i) % real.size()];
    clone.reads.push_back(i % 2 == 0 ? read : reversed(read));
  }
  return true;
}

void alignOneByOne(benchmark::State& state, const Clone* clone) {
  const vistrel::PreparedReference reference(clone->reference);
  for (auto _ : state) {
    for (const vistrel::ContigInput& read : clone->reads) {
      const std::string_view letters =
          std::string_view(read.letters)
              .substr(static_cast<std::size_t>(read.region.start),
                      static_cast<std::size_t>(read.region.end - read.region.start));
      benchmark::DoNotOptimize(vistrel::alignToReference(letters, reference));
    }
  }
}

void contigOfAll(benchmark::State& state, const Clone* clone) {
  const vistrel::PreparedReference reference(clone->reference);
  for (auto _ : state) {
    const vistrel::ContigSet set = vistrel::buildContigs(clone->reads, &reference, "ref", {});
    if (set.contigs[0].reads.size() != clone->reads.size()) state.SkipWithError("reads left out");
    benchmark::DoNotOptimize(set.contigs[0].consensusLetters());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') {
    std::fputs("usage: contig_bench TEST_DATA [benchmark options]\n", stderr);
    return 2;
  }
  static Clone clone;
  if (!loadClone(argv[1], clone)) {
    std::fprintf(stderr, "contig_bench: the real reads in %s/abi cannot be read\n", argv[1]);
    return 1;
  }
  std::memmove(argv + 1, argv + 2, sizeof(char*) * static_cast<std::size_t>(argc - 1));
  --argc;
  benchmark::RegisterBenchmark("align_one_by_one/96x10000", alignOneByOne, &clone)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("contig/96x10000", contigOfAll, &clone)
      ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter("ratio to the floor in the same run", [](const std::string& name) {
    return name == "contig/96x10000" ? std::string("align_one_by_one/96x10000") : std::string();
  });
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
