// Checking a read: align its good region, then describe each differing column.
#include "analysis/read_check.h"

#include <algorithm>
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

/// Takes the columns of read bases outside the reference stretch out of the alignment, counting
/// them.
void clipOverhangs(ReadCheck& check) {
  std::vector<AlignedColumn>& columns = check.alignment.columns;
  auto onReference = [](const AlignedColumn& c) { return c.referenceIndex >= 0; };
  const auto first = std::find_if(columns.begin(), columns.end(), onReference);
  const auto last = std::find_if(columns.rbegin(), columns.rend(), onReference).base();
  if (first >= last) return;  // an alignment always holds a reference letter
  check.clippedLeft = static_cast<std::int32_t>(first - columns.begin());
  check.clippedRight = static_cast<std::int32_t>(columns.end() - last);
  columns = std::vector<AlignedColumn>(first, last);
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

ReadToAlign readToAlign(const BaseCalls& calls, double trimCutoff) {
  ReadToAlign read;
  if (calls.baseCount == 0) {
    read.failure = ReadCheckFailure::NoBases;
    return read;
  }
  read.region = regionToCheck(calls, trimCutoff);
  if (read.region.empty()) {
    read.failure = ReadCheckFailure::RegionEmpty;
    return read;
  }
  read.letters.assign(reinterpret_cast<const char*>(calls.bases.data()) + read.region.start,
                      static_cast<std::size_t>(read.region.end - read.region.start));
  return read;
}

ReadCheckResult checkAlignedRead(const Chromatogram& document, const BaseCalls& calls,
                                 const TrimRegion& region, AlignmentResult aligned,
                                 const ReadCheckOptions& options) {
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
  ReadCheck check;
  check.region = region;
  check.alignment = std::move(*aligned.alignment);
  clipOverhangs(check);

  // The letters on the left of each column, in reference order, anchor the gaps.
  std::int32_t referenceIndex = check.alignment.referenceStart - 1;
  std::int32_t readIndex = -1;
  for (AlignedColumn& c : check.alignment.columns) {
    if (c.readIndex >= 0) c.readIndex += region.start;
    if (c.referenceIndex >= 0) referenceIndex = c.referenceIndex;
    if (c.readIndex >= 0) readIndex = c.readIndex;
    if (isDifference(c)) {
      check.differences.push_back(describe(document, calls, c, referenceIndex, readIndex, options));
    }
  }
  for (std::int32_t i = region.start; i < region.end; ++i) {
    if (mixedBaseAt(document, calls, i, options.mixedRatio)) ++check.mixedInRegion;
  }
  return {std::move(check), ReadCheckFailure::None};
}

ReadCheckResult checkRead(const Chromatogram& document, const BaseCalls& calls,
                          const PreparedReference& reference, const ReadCheckOptions& options) {
  ReadToAlign read = readToAlign(calls, options.trimCutoff);
  if (read.failure != ReadCheckFailure::None) return {std::nullopt, read.failure};
  return checkAlignedRead(document, calls, read.region, alignToReference(read.letters, reference),
                          options);
}

}  // namespace vistrel
