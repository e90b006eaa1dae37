// A read checked against its expected sequence: the alignment of its good region and each
// difference with the base's quality and whether its peak is mixed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/alignment.h"
#include "analysis/mixed_peaks.h"
#include "analysis/trim.h"
#include "document/chromatogram.h"
#include "document/reference.h"

namespace vistrel {

/// One difference, in reference order. A gap stands next to the letter on its left: a base
/// missing from the read gives the read base before it, a base added to the read the reference
/// position before it.
struct ReadDifference {
  std::int32_t referencePosition = 0;  ///< 1-based
  char reference = '-';
  char read = '-';            ///< as aligned: complemented when the read matched the other strand
  std::int32_t readBase = 0;  ///< 1-based number of the base in its set
  int quality = -1;           ///< -1 when the set has no quality values
  bool mixed = false;
};

struct ReadCheck {
  ReadAlignment alignment;
  TrimRegion region;  ///< the bases aligned: the good region, or the whole read without qualities
  std::vector<ReadDifference> differences;
  std::int32_t mixedInRegion = 0;
};

struct ReadCheckOptions {
  double trimCutoff = kDefaultTrimCutoff;
  int mixedRatio = kDefaultMixedRatio;
};

/// Why a read has no check.
enum class ReadCheckFailure {
  None,
  NoBases,
  RegionEmpty,
  DoesNotAlign,
  NoMemory,
  ReferenceTooLong
};

struct ReadCheckResult {
  std::optional<ReadCheck> check;  ///< nothing when it failed
  ReadCheckFailure failure = ReadCheckFailure::None;

  /// Why there is no check, in words for the user; empty when there is one.
  std::string message() const;
  /// Whether the read had bases to align but their alignment failed.
  bool alignmentFailed() const;
};

/// Checks `calls` of `document` against `reference`; on failure says why.
ReadCheckResult checkRead(const Chromatogram& document, const BaseCalls& calls,
                          const PreparedReference& reference, const ReadCheckOptions& options);

}  // namespace vistrel
