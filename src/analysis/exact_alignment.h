// Exact alignment over parasail: a read aligned whole against the best part of a stretch of
// the reference (both ends of the stretch free), and two reads laid on each other (all four ends
// free); NUC.4.4 scores, gap open 10, extend 1.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

/// Where the best alignment of a read within a stretch ends.
struct BestEnd {
  int score = 0;
  std::int64_t end = -1;  ///< index in the stretch of its last reference letter (the first such)
};

/// Finds the best score of `read` within `stretch` and where it ends, holding memory in the
/// read's length only. False when memory runs out.
bool findBestEnd(std::string_view read, std::string_view stretch, BestEnd& best);

/// The best alignment as two rows of letters with '-' in the gaps, from the read's first letter
/// to its last.
struct GappedAlignment {
  int score = 0;
  std::string reference, read;
  std::int64_t referenceStart = 0;  ///< index in the stretch of the rows' first reference letter
};

/// Aligns `read` within `stretch` with a traceback, which holds a cell for every pair of
/// letters. False when memory runs out or the cells would pass `kMaxTracebackCells`. When the
/// best score is not above zero the rows stay empty: no letter need pair with another then, and
/// the library leaves no traceback that can be read.
bool traceAlignment(std::string_view read, std::string_view stretch, GappedAlignment& out);

/// The most read × stretch cells that `traceAlignment` takes on.
inline constexpr std::int64_t kMaxTracebackCells = std::int64_t{1} << 28;

/// How well two sequences overlap when the gaps at all four ends are free (the end of one over
/// the start of the other, or one within the other): the score, and the columns from the first
/// pair of letters to the last with the matching ones among them.
struct OverlapScore {
  int score = 0;
  std::int32_t columns = 0;
  std::int32_t matches = 0;
};

/// Scores the best overlap of `a` and `b` with memory in their lengths. False when memory runs
/// out.
bool scoreOverlap(std::string_view a, std::string_view b, OverlapScore& out);

/// One column of an overlap: a letter of each (its index), or a letter over a gap (-1).
struct OverlapColumn {
  std::int32_t a = -1;
  std::int32_t b = -1;
};

/// The best overlap of `a` and `b` as columns, the free end gaps included, so that every letter
/// of each stands in one column, in order. False when memory runs out or the cells would pass
/// `kMaxTracebackCells`.
bool traceOverlap(std::string_view a, std::string_view b, std::vector<OverlapColumn>& out);

}  // namespace vistrel
