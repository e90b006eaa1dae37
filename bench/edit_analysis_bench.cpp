// One sample's edit analysis beside its floor, reading the sample's two files (the control and
// the edited trace), measured in the same run.
// usage: edit_analysis_bench CONTROL EDITED GUIDE [benchmark options];
// bench/edits_plate.sh plants the edited trace and also times a 96-sample plate.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "analysis/edit_analysis.h"
#include "document/trace_file.h"
#include "ratio_reporter.h"

namespace {

struct Inputs {
  std::string control, edited;
  vistrel::EditRequest request;
};

bool readBoth(const Inputs& in, vistrel::Chromatogram& control, vistrel::Chromatogram& edited) {
  std::string name;
  return !vistrel::readTraceFile(in.control, false, control, name) &&
         !vistrel::readTraceFile(in.edited, false, edited, name);
}

void readTwoFiles(benchmark::State& state, const Inputs* in) {
  for (auto _ : state) {
    vistrel::Chromatogram control, edited;
    benchmark::DoNotOptimize(readBoth(*in, control, edited));
  }
}

void analyseOneSample(benchmark::State& state, const Inputs* in) {
  vistrel::Chromatogram control, edited;
  if (!readBoth(*in, control, edited)) {
    state.SkipWithError("the files could not be read");
    return;
  }
  for (auto _ : state) {
    const vistrel::EditControlResult prepared = vistrel::prepareControl(control, in->request);
    if (!prepared.control) {
      state.SkipWithError(prepared.message.c_str());
      return;
    }
    benchmark::DoNotOptimize(vistrel::analyseEdit(*prepared.control, edited, in->request));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fputs("usage: edit_analysis_bench CONTROL EDITED GUIDE [benchmark options]\n", stderr);
    return 2;
  }
  static Inputs inputs{argv[1], argv[2], {}};
  inputs.request.guide = argv[3];
  argv[3] = argv[0];
  argc -= 3;
  argv += 3;
  benchmark::RegisterBenchmark("read_two_files", readTwoFiles, &inputs)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("analyse_one_sample", analyseOneSample, &inputs)
      ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter("ratio to the floor in the same run", [](const std::string& name) {
    return name == "analyse_one_sample" ? std::string("read_two_files") : std::string();
  });
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
