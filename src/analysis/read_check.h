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

/// A read's check. Read bases before the first or after the last reference letter of the
/// alignment (a read that runs past an end of the reference, or an end that matches nothing
/// beside the stretch) are clipped: they are in no column and no difference, only counted.
struct ReadCheck {
  ReadAlignment alignment;  ///< from the first reference letter aligned to the last
  TrimRegion region;  ///< the bases aligned: the good region, or the whole read without qualities
  std::vector<ReadDifference> differences;
  std::int32_t mixedInRegion = 0;
  std::int32_t clippedLeft = 0;   ///< read bases clipped before the stretch, in reference order
  std::int32_t clippedRight = 0;  ///< and after it
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

/// The bases of `calls` a check aligns, as letters: its good region at `trimCutoff`, or all of
/// it without quality values. `failure` is NoBases or RegionEmpty when there is nothing to align.
struct ReadToAlign {
  TrimRegion region;
  std::string letters;
  ReadCheckFailure failure = ReadCheckFailure::None;
};
ReadToAlign readToAlign(const BaseCalls& calls, double trimCutoff);

/// The check of `calls` of `document` from `aligned`, the alignment of the letters of `region`:
/// its overhangs clipped and its differences described, or the alignment's failure. Apart from
/// the aligning, which may run elsewhere, this is `checkRead`.
ReadCheckResult checkAlignedRead(const Chromatogram& document, const BaseCalls& calls,
                                 const TrimRegion& region, AlignmentResult aligned,
                                 const ReadCheckOptions& options);

/// Checks `calls` of `document` against `reference`; on failure says why.
ReadCheckResult checkRead(const Chromatogram& document, const BaseCalls& calls,
                          const PreparedReference& reference, const ReadCheckOptions& options);

}  // namespace vistrel
