// Whatever reads also writes: the written SCF file reads back with the same letters and peaks
// (a letter past the last peak at the last peak), an SCF document keeps its samples exactly,
// and a resave keeps the number of EDIT lines (its own date line always starts a line of its
// own).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "document/trace_file.h"
#include "output/raw_export.h"
#include "output/scf_writer.h"
#include "output/sequence_export.h"

namespace {

using namespace vistrel;

constexpr CalendarDate kDate{2026, 12, 8};

void require(bool condition) {
  if (!condition) std::abort();
}

std::uint32_t be32(const Block& b, std::size_t at) {
  const std::uint8_t* p = b.data() + at;
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

/// Lines of the written comment section that begin with "EDIT".
int editLines(const Block& image) {
  const std::uint8_t* text = image.data() + be32(image, 32);
  const std::size_t size = be32(image, 28);
  int count = 0;
  for (std::size_t line = 0; line + 4 <= size;) {
    if (std::memcmp(text + line, "EDIT", 4) == 0) ++count;
    const void* feed = std::memchr(text + line, '\n', size - line);
    if (feed == nullptr) break;
    line = static_cast<std::size_t>(static_cast<const std::uint8_t*>(feed) - text) + 1;
  }
  return count;
}

bool readBack(const Block& image, Chromatogram& document) {
  Block copy;
  require(copy.assign(image.data(), image.size()));
  std::string name;
  return !readTraceImage(std::move(copy), false, document, name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Block input;
  if (!input.assign(data, size)) return 0;
  Chromatogram first;
  std::string name;
  if (readTraceImage(std::move(input), false, first, name)) return 0;
  // Keep the work per input small; huge sample counts only slow the search down.
  if (first.maxSampleCount > (1 << 20)) return 0;

  (void)sequenceExportText(first, kExportFasta);
  (void)rawDataText(first);

  Block written;
  require(tidyComments(first) && buildScfImage(first, kDate, written));
  Chromatogram second;
  require(readBack(written, second));
  const BaseCalls& a = first.shown();
  const BaseCalls& b = second.shown();
  require(b.baseCount == a.baseCount && b.peakCount == a.baseCount);
  require(a.baseCount == 0 ||
          std::memcmp(a.bases.data(), b.bases.data(), static_cast<std::size_t>(a.baseCount)) == 0);
  for (std::int32_t i = 0; i < b.peakCount; ++i) {
    require(b.peak(i) == a.peakOrLast(i));
  }
  require(second.maxSampleCount == first.maxSampleCount);

  Block rewritten;
  require(tidyComments(second) && buildScfImage(second, kDate, rewritten));
  require(editLines(written) >= 1 && editLines(rewritten) == editLines(written));
  if (first.isScf) {
    // Samples scaled to 1600 (or all zero) are kept exactly.
    std::size_t samples = 8 * static_cast<std::size_t>(first.maxSampleCount);
    require(std::memcmp(written.data() + 128, rewritten.data() + 128, samples) == 0);
  }
  return 0;
}
