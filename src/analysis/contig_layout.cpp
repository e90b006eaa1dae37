// The layout of a contig and its votes: each read covering a column votes for its letter there
// with the weight of its quality, and the heaviest letter is the consensus.
#include "analysis/contig_layout.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <span>
#include <utility>

#include "document/nucleotides.h"

namespace vistrel {

namespace {

constexpr int kHighestQuality = 93;
/// Below this a base that alone covers its column is a conflict.
constexpr int kTrustedQuality = 20;
/// A column is a conflict when its second-best total is more than this share of the best.
constexpr std::int64_t kConflictShareDenominator = 4;

// The letters a vote can be for: A to Z, and the gap.
constexpr int kGapSlot = 26;
constexpr int kSlots = 27;

int slotOf(char letter) {
  return letter == '-' ? kGapSlot : letter - 'A';
}

char letterOf(int slot) {
  return slot == kGapSlot ? '-' : static_cast<char>('A' + slot);
}

/// The order in which tied letters win when the reference's letter is not among them: A, C, G,
/// T, the gap, then the others alphabetically.
int tieRank(int slot) {
  constexpr std::array<int, 4> kFirst = {'A' - 'A', 'C' - 'A', 'G' - 'A', 'T' - 'A'};
  for (int i = 0; i < 4; ++i) {
    if (kFirst[static_cast<std::size_t>(i)] == slot) return i;
  }
  return slot == kGapSlot ? 4 : 5 + slot;
}

bool hasQualities(const ContigInput& read) {
  return !read.qualities.empty();
}

int qualityOf(const ContigInput& read, std::int32_t base) {
  const auto i = static_cast<std::size_t>(base);
  return i < read.qualities.size() ? read.qualities[i] : 0;
}

struct Vote {
  char letter = '-';
  int weight = 0;
};

/// What `placed` votes at its `k`th column. A gap weighs as the weaker of the read's bases on
/// either side of it; every vote of a read without quality values weighs 1.
Vote voteOf(const ContigInput& read, const PlacedRead& placed, std::size_t k) {
  const std::int32_t base = placed.bases[k];
  const bool weighed = hasQualities(read);
  if (base >= 0) {
    const auto i = static_cast<std::size_t>(base);
    char letter = alignableLetter(i < read.letters.size() ? read.letters[i] : 'N');
    if (placed.reverse) letter = static_cast<char>(complementOf(static_cast<std::uint8_t>(letter)));
    return {letter, weighed ? qualityOf(read, base) : 1};
  }
  if (!weighed) return {'-', 1};
  std::size_t left = k, right = k;
  while (left > 0 && placed.bases[left - 1] < 0) --left;
  while (right + 1 < placed.bases.size() && placed.bases[right + 1] < 0) ++right;
  // A read covers the columns from one of its bases to another, so a gap has both.
  const int before = left > 0 ? qualityOf(read, placed.bases[left - 1]) : 0;
  const int after = right + 1 < placed.bases.size() ? qualityOf(read, placed.bases[right + 1]) : 0;
  return {'-', std::min(before, after)};
}

/// The column of `placed` that is layout column `column`, or -1 when it does not cover it.
std::int64_t offsetIn(const PlacedRead& placed, std::int32_t column, std::int32_t columns) {
  std::int64_t k = std::int64_t{column} - placed.firstColumn;
  if (k < 0) k += columns;  // only a run that wraps reaches back
  return k < static_cast<std::int64_t>(placed.bases.size()) ? k : -1;
}

/// A covering read of a column: its place among the contig's reads and the column's place in it.
struct Cover {
  std::int32_t read = 0;
  std::int64_t offset = 0;
};

/// The reads that cover `column` (none when it is no column), found by looking at each read.
std::vector<Cover> coversOf(const Contig& contig, const std::vector<ContigInput>& reads,
                            std::int32_t column) {
  const auto columns = static_cast<std::int32_t>(contig.columns.size());
  std::vector<Cover> covers;
  if (column < 0 || column >= columns) return covers;
  for (std::size_t r = 0; r < contig.reads.size(); ++r) {
    const PlacedRead& placed = contig.reads[r];
    if (placed.input < 0 || static_cast<std::size_t>(placed.input) >= reads.size()) continue;
    const std::int64_t k = offsetIn(placed, column, columns);
    if (k >= 0) covers.push_back({static_cast<std::int32_t>(r), k});
  }
  return covers;
}

void settle(ContigColumn& column, const std::vector<ContigInput>& reads, const Contig& contig,
            std::span<const Cover> covers) {
  std::array<std::int64_t, kSlots> totals{};
  std::array<bool, kSlots> voted{};
  bool forward = false, reverse = false;
  Vote only;
  for (const Cover& c : covers) {
    const PlacedRead& placed = contig.reads[static_cast<std::size_t>(c.read)];
    only = voteOf(reads[static_cast<std::size_t>(placed.input)], placed,
                  static_cast<std::size_t>(c.offset));
    const auto slot = static_cast<std::size_t>(slotOf(only.letter));
    totals[slot] += only.weight;
    voted[slot] = true;
    (placed.reverse ? reverse : forward) = true;
  }
  column.coverage = static_cast<std::int32_t>(covers.size());
  column.bothStrands = forward && reverse;
  column.consensus = 'N';
  column.quality = 0;
  column.conflict = false;
  if (covers.empty()) return;

  const char reference =
      static_cast<char>(std::toupper(static_cast<unsigned char>(column.reference)));
  const int referenceSlot =
      reference == '-' || (reference >= 'A' && reference <= 'Z') ? slotOf(reference) : -1;
  auto wins = [&](int a, int b) {
    if (totals[a] != totals[b]) return totals[a] > totals[b];
    if (a == referenceSlot || b == referenceSlot) return a == referenceSlot;
    return tieRank(a) < tieRank(b);
  };
  int best = -1;
  for (int s = 0; s < kSlots; ++s) {
    if (voted[static_cast<std::size_t>(s)] && (best < 0 || wins(s, best))) best = s;
  }
  std::int64_t second = 0;
  for (int s = 0; s < kSlots; ++s) {
    if (s != best && voted[static_cast<std::size_t>(s)]) {
      second = std::max(second, totals[static_cast<std::size_t>(s)]);
    }
  }
  const std::int64_t top = totals[static_cast<std::size_t>(best)];
  column.consensus = letterOf(best);
  column.quality = static_cast<std::uint8_t>(std::min<std::int64_t>(kHighestQuality, top - second));
  if (covers.size() >= 2) {
    column.conflict = kConflictShareDenominator * second > top;
  } else {
    const PlacedRead& placed = contig.reads[static_cast<std::size_t>(covers[0].read)];
    column.conflict = hasQualities(reads[static_cast<std::size_t>(placed.input)]) &&
                      only.weight < kTrustedQuality;
  }
}

/// Walks `alignment` in reference order: `onReference(position, readIndex)` at each reference
/// column (its position modulo `length`; readIndex -1 in a gap of the read), and before the next
/// one `onInsertion(position, readIndices)` with the read's letters inserted after it, none
/// when it has none there (nothing after its last column).
template <typename OnReference, typename OnInsertion>
void walk(const ReadAlignment& alignment, std::int64_t length, OnReference onReference,
          OnInsertion onInsertion) {
  std::vector<std::int32_t> inserted;
  std::int64_t position = -1;
  for (const AlignedColumn& c : alignment.columns) {
    if (c.referenceIndex < 0) {
      inserted.push_back(c.readIndex);
      continue;
    }
    if (position >= 0) onInsertion(position, inserted);
    inserted.clear();
    position = c.referenceIndex % length;
    onReference(position, c.readIndex);
  }
}

PlacedRead place(const LaidRead& laid, const std::vector<std::int32_t>& columnOf,
                 const std::vector<std::int32_t>& insertions) {
  PlacedRead placed;
  placed.input = laid.input;
  placed.reverse = laid.alignment.reverse;
  bool first = true;
  walk(
      laid.alignment, static_cast<std::int64_t>(columnOf.size()),
      [&](std::int64_t position, std::int32_t readIndex) {
        if (first) placed.firstColumn = columnOf[static_cast<std::size_t>(position)];
        first = false;
        placed.bases.push_back(readIndex);
      },
      [&](std::int64_t position, const std::vector<std::int32_t>& inserted) {
        placed.bases.insert(placed.bases.end(), inserted.begin(), inserted.end());
        placed.bases.resize(
            placed.bases.size() +
                static_cast<std::size_t>(insertions[static_cast<std::size_t>(position)]) -
                inserted.size(),
            -1);
      });
  for (const AlignedColumn& c : laid.alignment.columns) {
    if (c.referenceIndex >= 0 && c.readIndex >= 0) ++placed.alignedBases;
  }
  placed.identity = laid.alignment.identity();
  return placed;
}

}  // namespace

Contig layContig(const std::vector<ContigInput>& reads, const std::vector<LaidRead>& laid,
                 std::string_view frame, bool hasReference, bool circular) {
  Contig contig;
  contig.hasReference = hasReference;
  contig.circular = circular;
  contig.frame = std::string(frame);
  const auto length = static_cast<std::int64_t>(frame.size());
  if (length == 0) return contig;

  std::vector<std::int32_t> insertions(static_cast<std::size_t>(length), 0);
  for (const LaidRead& r : laid) {
    walk(
        r.alignment, length, [](std::int64_t, std::int32_t) {},
        [&](std::int64_t position, const std::vector<std::int32_t>& inserted) {
          std::int32_t& most = insertions[static_cast<std::size_t>(position)];
          most = std::max(most, static_cast<std::int32_t>(inserted.size()));
        });
  }
  std::vector<std::int32_t> columnOf(static_cast<std::size_t>(length));
  for (std::int64_t p = 0; p < length; ++p) {
    const auto position = static_cast<std::int32_t>(p);
    columnOf[static_cast<std::size_t>(p)] = static_cast<std::int32_t>(contig.columns.size());
    ContigColumn column;
    column.referenceIndex = position;
    column.reference = hasReference ? frame[static_cast<std::size_t>(p)] : '\0';
    contig.columns.push_back(column);
    column.insertion = true;
    column.reference = hasReference ? '-' : '\0';
    contig.columns.insert(contig.columns.end(),
                          static_cast<std::size_t>(insertions[static_cast<std::size_t>(p)]),
                          column);
  }
  for (const LaidRead& r : laid) contig.reads.push_back(place(r, columnOf, insertions));

  // Each column's covering reads, gathered in one pass over the reads: `starts[c]` is where
  // column c's run of `covers` begins.
  const auto columns = static_cast<std::size_t>(contig.columns.size());
  std::vector<std::size_t> starts(columns + 1, 0);
  auto eachBase = [&](auto onBase) {
    for (std::size_t r = 0; r < contig.reads.size(); ++r) {
      const PlacedRead& placed = contig.reads[r];
      for (std::size_t k = 0; k < placed.bases.size(); ++k) {
        onBase((static_cast<std::size_t>(placed.firstColumn) + k) % columns,
               Cover{static_cast<std::int32_t>(r), static_cast<std::int64_t>(k)});
      }
    }
  };
  eachBase([&](std::size_t column, const Cover&) { ++starts[column + 1]; });
  for (std::size_t c = 0; c < columns; ++c) starts[c + 1] += starts[c];
  std::vector<Cover> covers(starts[columns]);
  std::vector<std::size_t> filled(starts.begin(), starts.end() - 1);
  eachBase([&](std::size_t column, const Cover& cover) { covers[filled[column]++] = cover; });
  for (std::size_t c = 0; c < columns; ++c) {
    settle(contig.columns[c], reads, contig,
           std::span<const Cover>(covers).subspan(starts[c], starts[c + 1] - starts[c]));
  }
  if (hasReference) markDifferences(contig);
  return contig;
}

void voteColumn(Contig& contig, const std::vector<ContigInput>& reads, std::int32_t column) {
  if (column < 0 || static_cast<std::size_t>(column) >= contig.columns.size()) return;
  settle(contig.columns[static_cast<std::size_t>(column)], reads, contig,
         coversOf(contig, reads, column));
}

std::vector<ColumnVote> columnVotes(const Contig& contig, const std::vector<ContigInput>& reads,
                                    std::int32_t column) {
  std::vector<ColumnVote> votes;
  for (const Cover& c : coversOf(contig, reads, column)) {
    const PlacedRead& placed = contig.reads[static_cast<std::size_t>(c.read)];
    const ContigInput& read = reads[static_cast<std::size_t>(placed.input)];
    const Vote v = voteOf(read, placed, static_cast<std::size_t>(c.offset));
    votes.push_back({c.read, v.letter, hasQualities(read) ? v.weight : -1});
  }
  return votes;
}

void markDifferences(Contig& contig) {
  for (ContigColumn& c : contig.columns) c.difference = false;
  std::vector<std::int32_t> columns;
  consensusCheck(contig, &columns);
  for (const std::int32_t c : columns)
    contig.columns[static_cast<std::size_t>(c)].difference = true;
}

}  // namespace vistrel
