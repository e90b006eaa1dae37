// Checking a read: align its good region, then describe each differing column.
#include "analysis/read_check.h"

#include <string>

#include "analysis/mixed_peaks.h"

namespace vistrel {

namespace {

ReadDifference describe(const Chromatogram& document, const BaseCalls& calls,
                        const AlignedColumn& column, std::int32_t referenceIndex,
                        std::int32_t readIndex, const ReadCheckOptions& options) {
  ReadDifference d;
  d.referencePosition = referenceIndex + 1;
  d.reference = column.reference;
  d.read = column.read;
  d.readBase = readIndex + 1;
  if (calls.hasQualities && readIndex >= 0) d.quality = calls.quality(readIndex);
  d.mixed = readIndex >= 0 && mixedBaseAt(document, calls, readIndex, options.mixedRatio);
  return d;
}

}  // namespace

std::optional<ReadCheck> checkRead(const Chromatogram& document, const BaseCalls& calls,
                                   const Reference& reference, const ReadCheckOptions& options) {
  ReadCheck check;
  check.region = regionToCheck(calls, options.trimCutoff);
  if (check.region.empty()) return std::nullopt;
  const std::string read(reinterpret_cast<const char*>(calls.bases.data()) + check.region.start,
                         static_cast<std::size_t>(check.region.end - check.region.start));
  std::optional<ReadAlignment> aligned = alignToReference(read, reference.sequence);
  if (!aligned) return std::nullopt;
  check.alignment = std::move(*aligned);

  // The letters on the left of each column, in reference order, anchor the gaps.
  std::int32_t referenceIndex = check.alignment.referenceStart - 1;
  std::int32_t readIndex = -1;
  for (AlignedColumn& c : check.alignment.columns) {
    if (c.readIndex >= 0) c.readIndex += check.region.start;
    if (c.referenceIndex >= 0) referenceIndex = c.referenceIndex;
    if (c.readIndex >= 0) readIndex = c.readIndex;
    if (isDifference(c)) {
      check.differences.push_back(describe(document, calls, c, referenceIndex, readIndex, options));
    }
  }
  for (std::int32_t i = check.region.start; i < check.region.end; ++i) {
    if (mixedBaseAt(document, calls, i, options.mixedRatio)) ++check.mixedInRegion;
  }
  return check;
}

}  // namespace vistrel
