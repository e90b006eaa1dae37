// Alignment of a read to its reference: the whole read against any stretch of the reference, on
// both strands, with the differences between them. A small reference is searched whole; on a
// large one the read is seeded first and aligned exactly only where its seeds lie.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

class SeedIndex;

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

/// A reference made ready for aligning many reads to it, and shared read-only by any number of
/// threads. A large one gets a seed index, built once by the first read that needs it.
class PreparedReference {
 public:
  /// Holds a view of `letters` (upper-case IUPAC letters), which must outlive it and stay where
  /// they are. `threads` may build the seed index together.
  explicit PreparedReference(std::string_view letters, int threads = 1);
  PreparedReference(const PreparedReference&) = delete;
  PreparedReference& operator=(const PreparedReference&) = delete;
  ~PreparedReference();

  std::string_view letters() const { return letters_; }
  /// Whether reads are seeded before they are aligned exactly.
  bool seeded() const;
  /// The seed index, built on the first call while other callers wait; nullptr when the
  /// reference is not seeded.
  const SeedIndex* seedIndex() const;

 private:
  std::string_view letters_;
  int threads_;
  mutable std::once_flag indexBuilt_;
  mutable std::unique_ptr<SeedIndex> index_;
};

/// Positions are counted in 32 bits; a longer reference is refused.
inline constexpr std::int64_t kMaxReferenceLetters = 2147483647;

enum class AlignmentFailure { None, DoesNotAlign, NoMemory, ReferenceTooLong };

struct AlignmentResult {
  std::optional<ReadAlignment> alignment;  ///< nothing when it failed
  AlignmentFailure failure = AlignmentFailure::None;
};

/// Aligns `read` (any letters; those that are not IUPAC bases count as N) globally against a
/// local stretch of `reference`, on both strands, and keeps the strand of the higher score (the
/// forward one on a tie). Gaps in runs of a repeated letter sit at their leftmost place. Fails
/// with DoesNotAlign when either is empty, when no alignment scores above zero, and when the
/// seeds of a read on a large reference lie nowhere and the reference is too large to search
/// whole for it; with NoMemory when memory runs out; with ReferenceTooLong past
/// `kMaxReferenceLetters`.
AlignmentResult alignToReference(std::string_view read, const PreparedReference& reference);

/// Whether an aligned column is a difference: a gap on either side, or letters that differ once
/// upper-cased.
bool isDifference(const AlignedColumn& column);

/// Moves each run of gaps as far left as the letters allow without changing any aligned pair,
/// so that a gap in a run of repeated letters stands at the run's start. The aligner's own
/// choice among equal placements is not something to rely on.
void leftAlignGaps(std::vector<AlignedColumn>& columns);

/// A read letter as the aligner takes it: upper case, U as T, anything that is no IUPAC base as N.
char alignableLetter(char letter);

/// The reverse complement of upper-case IUPAC letters.
std::string reverseComplementOf(std::string_view letters);

}  // namespace vistrel
