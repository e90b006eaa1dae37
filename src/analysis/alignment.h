// Alignment of a read to its reference: the whole read against any stretch of the reference, on
// both strands, with the differences between them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

/// One aligned column: a read letter over a reference letter, or a gap ('-') on either side.
struct AlignedColumn {
  char reference = '-';
  char read = '-';
  std::int32_t referenceIndex = -1;  ///< 0-based, -1 in a gap of the reference
  std::int32_t readIndex = -1;       ///< 0-based in the read as given, -1 in a gap of the read
};

struct ReadAlignment {
  bool reverse = false;  ///< the read's reverse complement matched
  int score = 0;
  std::vector<AlignedColumn> columns;  ///< from the first read letter to the last
  std::int32_t referenceStart = 0;     ///< 0-based, first reference letter aligned
  std::int32_t referenceEnd = 0;       ///< excluded

  std::int32_t matches() const;
  std::int32_t differenceCount() const;
  double identity() const;
};

/// Whether an aligned column is a difference: a gap on either side, or letters that differ once
/// upper-cased.
bool isDifference(const AlignedColumn& column);

/// Aligns `read` (any letters; those that are not IUPAC bases count as N) globally against a
/// local stretch of `reference` (upper-case IUPAC letters), on both strands, and keeps the
/// strand of the higher score (the forward one on a tie). Gaps in runs of a repeated letter sit
/// at their leftmost place. Nothing when either is empty or memory runs out.
std::optional<ReadAlignment> alignToReference(std::string_view read, std::string_view reference);

/// Moves each run of gaps as far left as the letters allow without changing any aligned pair,
/// so that a gap in a run of repeated letters stands at the run's start. The aligner's own
/// choice among equal placements is not something to rely on.
void leftAlignGaps(std::vector<AlignedColumn>& columns);

/// The reverse complement of upper-case IUPAC letters.
std::string reverseComplementOf(std::string_view letters);

}  // namespace vistrel
