// Reading ABI and SCF files from memory and writing SCF, each beside memcpy of the same bytes.
// usage: trace_io_bench [DATA_FOLDER] [benchmark options]; DATA_FOLDER holds abi/ and scf/ as
// scripts/fetch-test-data makes them, and defaults to test-data.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "document/scf_reader.h"
#include "document/trace_file.h"
#include "output/scf_writer.h"
#include "ratio_reporter.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using vistrel::Block;
using vistrel::Chromatogram;

Bytes slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void memcpyOf(benchmark::State& state, std::size_t size) {
  Bytes source(size, 7), target(size);
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), size);
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
}

/// The document owns its file image, so reading from memory starts with copying the bytes.
void readAbi(benchmark::State& state, const Bytes& file) {
  for (auto _ : state) {
    Block image;
    image.assign(file.data(), file.size());
    Chromatogram document;
    std::string name;
    if (vistrel::readTraceImage(std::move(image), false, document, name))
      state.SkipWithError("unreadable");
    benchmark::DoNotOptimize(document.traceBlock.data());
  }
}

void readScf(benchmark::State& state, const Bytes& file) {
  for (auto _ : state) {
    Chromatogram document;
    if (vistrel::readScf(file.data(), file.size(), document)) state.SkipWithError("unreadable");
    benchmark::DoNotOptimize(document.traceBlock.data());
  }
}

void writeScf(benchmark::State& state, const Chromatogram* document) {
  for (auto _ : state) {
    Block image;
    vistrel::buildScfImage(*document, {2026, 12, 8}, image);
    benchmark::DoNotOptimize(image.data());
  }
}

std::vector<std::unique_ptr<Chromatogram>> keptDocuments;

void registerFile(const fs::path& path) {
  Bytes file = slurp(path);
  Block image;
  image.assign(file.data(), file.size());
  auto document = std::make_unique<Chromatogram>();
  std::string name;
  if (vistrel::readTraceImage(std::move(image), false, *document, name)) return;
  const std::string label = path.filename().string();
  if (document->isScf) {
    benchmark::RegisterBenchmark(("read_scf/" + label).c_str(), readScf, file);
  } else {
    benchmark::RegisterBenchmark(("read_abi/" + label).c_str(), readAbi, file);
  }
  benchmark::RegisterBenchmark(("memcpy/" + label).c_str(), memcpyOf, file.size());

  Block written;
  vistrel::buildScfImage(*document, {2026, 12, 8}, written);
  benchmark::RegisterBenchmark(("write_scf/" + label + ".out").c_str(), writeScf, document.get());
  benchmark::RegisterBenchmark(("memcpy/" + label + ".out").c_str(), memcpyOf, written.size());
  keptDocuments.push_back(std::move(document));
}

}  // namespace

int main(int argc, char** argv) {
  fs::path data = "test-data";
  if (argc > 1 && argv[1][0] != '-') {
    data = argv[1];
    std::memmove(argv + 1, argv + 2, sizeof(char*) * static_cast<std::size_t>(argc - 1));
    --argc;
  }
  std::vector<fs::path> files;
  for (const char* folder : {"abi", "scf"}) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(data / folder, error))
      files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) registerFile(file);
  if (files.empty()) std::cerr << "no trace files under " << data << "\n";

  benchmark::Initialize(&argc, argv);
  // "read_abi/x.ab1" against "memcpy/x.ab1": the same bytes copied.
  RatioReporter reporter("ratio to memcpy of the same bytes", [](const std::string& name) {
    const std::size_t slash = name.find('/');
    return slash == std::string::npos ? std::string() : "memcpy" + name.substr(slash);
  });
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
