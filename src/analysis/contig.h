// Contigs: the reads of one clone laid on a reference, or on each other, with their consensus,
// its quality values, and the columns where the reads disagree or the consensus differs from
// the reference.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/alignment.h"
#include "analysis/read_check.h"
#include "document/chromatogram.h"

namespace vistrel {

/// A read as a contig takes it, in the read's own orientation.
struct ContigInput {
  std::string name;                     ///< how reports name it: its file's name
  std::string letters;                  ///< every base of the shown set
  std::vector<std::uint8_t> qualities;  ///< one per letter; empty without quality values
  TrimRegion region;  ///< the bases laid: the good region, or all of them without qualities
};

/// `document`'s shown set as a contig takes it, named `name`: its letters, its qualities and the
/// region a read's check takes.
ContigInput contigInputOf(const Chromatogram& document, std::string name);

struct ContigOptions {
  std::int32_t minAligned = 50;  ///< a read with fewer bases aligned is left out
  double minIdentity = 0.80;     ///< and one of lower identity over its aligned columns
  std::int32_t minOverlap = 50;  ///< without a reference: the shortest overlap that joins reads
  bool circular = false;         ///< reads may run across the reference's origin
};

/// One column of a layout: a reference position, or an insertion column after one.
struct ContigColumn {
  /// The 0-based reference position; for an insertion column the one on its left (-1 before
  /// the first).
  std::int32_t referenceIndex = -1;
  bool insertion = false;
  char reference = 0;         ///< the reference letter, '-' in an insertion column, 0 without one
  char consensus = 'N';       ///< upper case; '-' where the reads say the column is a gap
  std::uint8_t quality = 0;   ///< the best total weight less the second best, at most 93
  std::int32_t coverage = 0;  ///< the reads that cover the column
  bool bothStrands = false;   ///< covered by a read of each strand
  bool conflict = false;
  bool difference = false;  ///< the consensus differs from the reference letter
};

/// A read laid in a layout. It covers the columns from `firstColumn` on, one after the other,
/// from its first aligned base to its last; on a circular layout the run may wrap past the last
/// column to the first.
struct PlacedRead {
  std::int32_t input = 0;  ///< its place among the inputs
  bool reverse = false;    ///< its reverse complement lies on the layout
  std::int32_t firstColumn = 0;
  /// For each column covered, in layout order: the read's base there (its index in the read's
  /// letters, own orientation), or -1 where the read has a gap.
  std::vector<std::int32_t> bases;
  std::int32_t alignedBases = 0;
  double identity = 0.0;  ///< over its aligned columns, against the reference
};

/// A read left out of every contig, with why in words for the user ("identity 0.62 below
/// 0.80", "12 bases aligned, fewer than 50", "no good region", "does not align to the
/// reference").
struct UnplacedRead {
  std::int32_t input = 0;
  std::string reason;
};

struct Contig {
  std::string name;  ///< the reference's name, or without one the first read's
  bool hasReference = false;
  bool circular = false;
  /// The letters the columns' reference positions index: the reference, or without one the
  /// layout's own draft, which no difference is counted against.
  std::string frame;
  std::vector<ContigColumn> columns;
  std::vector<PlacedRead> reads;

  /// The columns the consensus runs over, in order: from the first covered column to the last
  /// (on a circular layout the shortest run, which may wrap, that holds every covered column).
  std::vector<std::int32_t> consensusColumns() const;
  /// The consensus letters over those columns, '-' columns left out, and their qualities.
  std::string consensusLetters() const;
  std::vector<std::uint8_t> consensusQualities() const;
};

struct ContigSet {
  /// With a reference, one contig (empty of reads when none aligns); without, one per group of
  /// reads joined by their overlaps, a read that joins none standing alone.
  std::vector<Contig> contigs;
  std::vector<UnplacedRead> unplaced;
};

/// Lays `reads` on `reference` (when given; each read's region aligned on either strand, as a
/// read is checked against it) or on each other, and works out every column's consensus. A
/// read whose region is empty, or that aligns too little or too poorly, is left out.
ContigSet buildContigs(const std::vector<ContigInput>& reads, const PreparedReference* reference,
                       const std::string& referenceName, const ContigOptions& options);

/// Works out column `column` of `contig` again from the reads' letters and qualities as they
/// are now (after a read's letter was replaced), and with it every column's `difference`.
void updateColumn(Contig& contig, const std::vector<ContigInput>& reads, std::int32_t column);

/// What one read votes in a column: its letter there as laid (complemented for a reversed read,
/// '-' for a gap) and the weight's quality (-1 for a read without quality values).
struct ColumnVote {
  std::int32_t read = 0;  ///< its place among the contig's reads
  char letter = '-';
  int quality = -1;
};

/// The votes of the reads covering `column`, in the order of the contig's reads.
std::vector<ColumnVote> columnVotes(const Contig& contig, const std::vector<ContigInput>& reads,
                                    std::int32_t column);

/// The consensus against the reference as a read's check is: the alignment over the consensus
/// columns (read indices count the consensus letters), each indel at its leftmost place, and
/// its differences (`quality` the column's), none where no read covers the reference. The
/// layout column of each difference goes to `differenceColumns` when given. Empty without a
/// reference.
ReadCheck consensusCheck(const Contig& contig,
                         std::vector<std::int32_t>* differenceColumns = nullptr);

// Laying reads on a reference in two steps, so that the reads can be aligned many at once.

/// The letters the reads of a contig are aligned to: `reference`, or for a circular one the
/// reference with its first letters appended, so that a read across the origin aligns whole.
std::string contigSearchLetters(std::string_view reference, bool circular);

/// A read aligned to the reference on its own.
struct ContigAlignment {
  /// From the read's first aligned base to its last, read indices in its letters, reference
  /// indices on the searched letters (past the origin at or beyond the reference's length);
  /// nothing when the read is left out.
  std::optional<ReadAlignment> alignment;
  std::string reason;  ///< why it is left out
};

/// Aligns the region of `read` to `searched`, made ready from `contigSearchLetters` of a
/// reference of `referenceLength` letters. A read whose region is empty, that does not align,
/// or that aligns too little or too poorly for `options`, is left out with the reason.
ContigAlignment alignContigRead(const ContigInput& read, const PreparedReference& searched,
                                std::int32_t referenceLength, const ContigOptions& options);

/// The contig of `reads` on `reference` from their alignments (`aligned[i]` of `reads[i]`): what
/// buildContigs does once the reads are aligned.
ContigSet layOnReference(const std::vector<ContigInput>& reads,
                         const std::vector<ContigAlignment>& aligned, std::string_view reference,
                         const std::string& referenceName, bool circular);

}  // namespace vistrel
