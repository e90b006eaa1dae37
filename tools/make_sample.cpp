// Writes the bundled sample chromatogram, sample.ab1 and sample.scf, into the given folder.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "trace_builder.h"

namespace {

bool writeFile(const std::filesystem::path& path, const vistrel::testing::Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-sample FOLDER\n");
    return 2;
  }
  using namespace vistrel::testing;
  std::filesystem::path folder = argv[1];
  std::error_code error;
  std::filesystem::create_directories(folder, error);

  AbiTrace trace = syntheticTrace(1998, 700, 11);
  trace.sampleName = "Vistrel sample";
  trace.year = 2026;
  trace.month = 12;
  trace.day = 8;
  if (!writeFile(folder / "sample.ab1", abiBuilderFor(trace).build()) ||
      !writeFile(folder / "sample.scf", buildScf(scfSpecFor(trace)))) {
    std::fprintf(stderr, "make-sample: cannot write into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
