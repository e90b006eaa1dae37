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

std::string ReadCheckResult::message() const {
  switch (failure) {
    case ReadCheckFailure::None:
      return {};
    case ReadCheckFailure::NoBases:
      return "the read has no bases";
    case ReadCheckFailure::RegionEmpty:
      return "no part of the read passes trimming";
    case ReadCheckFailure::DoesNotAlign:
      return "the read does not align to the reference";
    case ReadCheckFailure::NoMemory:
      return "Insufficient memory";
    case ReadCheckFailure::ReferenceTooLong:
      return "the reference is longer than " + std::to_string(kMaxReferenceLetters) + " letters";
  }
  return {};
}

bool ReadCheckResult::alignmentFailed() const {
  return failure != ReadCheckFailure::None && failure != ReadCheckFailure::NoBases &&
         failure != ReadCheckFailure::RegionEmpty;
}

ReadCheckResult checkRead(const Chromatogram& document, const BaseCalls& calls,
                          const PreparedReference& reference, const ReadCheckOptions& options) {
  if (calls.baseCount == 0) return {std::nullopt, ReadCheckFailure::NoBases};
  ReadCheck check;
  check.region = regionToCheck(calls, options.trimCutoff);
  if (check.region.empty()) return {std::nullopt, ReadCheckFailure::RegionEmpty};
  const std::string read(reinterpret_cast<const char*>(calls.bases.data()) + check.region.start,
                         static_cast<std::size_t>(check.region.end - check.region.start));
  AlignmentResult aligned = alignToReference(read, reference);
  switch (aligned.failure) {
    case AlignmentFailure::None:
      break;
    case AlignmentFailure::DoesNotAlign:
      return {std::nullopt, ReadCheckFailure::DoesNotAlign};
    case AlignmentFailure::NoMemory:
      return {std::nullopt, ReadCheckFailure::NoMemory};
    case AlignmentFailure::ReferenceTooLong:
      return {std::nullopt, ReadCheckFailure::ReferenceTooLong};
  }
  check.alignment = std::move(*aligned.alignment);

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
  return {std::move(check), ReadCheckFailure::None};
}

}  // namespace vistrel
