// Writes the starting corpus of the fuzzers: valid ABI and SCF files in every layout the
// readers know, small enough for the fuzzer to mutate quickly.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "trace_builder.h"

using namespace vistrel::testing;

namespace {

void save(const std::filesystem::path& folder, const std::string& name, const Bytes& bytes) {
  std::ofstream(folder / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-fuzz-seeds FOLDER\n");
    return 2;
  }
  std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);

  AbiTrace trace = syntheticTrace(3, 12, 6);
  save(folder, "sorted.ab1", abiBuilderFor(trace).build());
  save(folder, "prefixed.ab1", abiBuilderFor(trace).build(128));
  AbiBuilder reversed = abiBuilderFor(trace);
  std::reverse(reversed.entries().begin(), reversed.entries().end());
  save(folder, "unsorted.ab1", reversed.build());

  ScfSpec spec = scfSpecFor(trace);
  spec.comments = toBytes(std::string("NAME=seed\nEDIT=Jan 1 2000\nSTOP=Thu 09 Jul 10:00\0", 47));
  for (const char* version : {"1.00", "2.00", "3.00"}) {
    for (std::uint32_t size : {1u, 2u}) {
      spec.version = version;
      spec.sampleSize = size;
      save(folder, std::string("v") + version[0] + "-" + std::to_string(size * 8) + ".scf",
           buildScf(spec));
    }
  }
  return 0;
}
