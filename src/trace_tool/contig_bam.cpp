// BAM records of a contig's reads: the layout's columns read as CIGAR operations (a reference
// column is M or D, an insertion column I or nothing), split where a read wraps past the origin.
#include "trace_tool/contig_bam.h"

#include <algorithm>

namespace vistrel {

namespace {

using Cigar = std::vector<std::pair<char, std::uint32_t>>;

void append(Cigar& cigar, char op, std::uint32_t length) {
  if (length == 0) return;
  if (!cigar.empty() && cigar.back().first == op) {
    cigar.back().second += length;
  } else {
    cigar.push_back({op, length});
  }
}

/// One side of a read's alignment, without its clips.
struct Piece {
  std::int64_t position = 0;  ///< of its first column
  Cigar operations;
  std::uint32_t readBases = 0;  ///< in M and I
  std::uint32_t aligned = 0;    ///< in M
};

/// The record of `piece` with `before` and `after` read bases clipped around it. A record
/// starts and ends on an aligned base: an insertion at either end is clipped too, and a
/// deletion there dropped.
BamRead recordOf(Piece piece, std::uint32_t before, std::uint32_t after) {
  Cigar& ops = piece.operations;
  while (!ops.empty() && ops.front().first != 'M') {
    if (ops.front().first == 'D') {
      piece.position += ops.front().second;
    } else {
      before += ops.front().second;
    }
    ops.erase(ops.begin());
  }
  while (!ops.empty() && ops.back().first != 'M') {
    if (ops.back().first == 'I') after += ops.back().second;
    ops.pop_back();
  }
  BamRead record;
  record.position = piece.position;
  append(record.cigar, 'S', before);
  for (const auto& [op, length] : ops) append(record.cigar, op, length);
  append(record.cigar, 'S', after);
  return record;
}

}  // namespace

std::vector<BamRead> bamReadsOf(const Contig& contig, const std::vector<ContigInput>& reads) {
  std::vector<BamRead> records;
  const std::size_t columns = contig.columns.size();
  for (const PlacedRead& placed : contig.reads) {
    const ContigInput& read = reads[static_cast<std::size_t>(placed.input)];
    if (placed.bases.empty() || columns == 0) continue;
    Piece pieces[2];
    std::size_t side = 0;
    pieces[0].position =
        contig.columns[static_cast<std::size_t>(placed.firstColumn)].referenceIndex;
    std::int32_t firstBase = -1;
    for (std::size_t k = 0; k < placed.bases.size(); ++k) {
      const std::size_t column = static_cast<std::size_t>(placed.firstColumn) + k;
      if (column >= columns && side == 0) side = 1;  // past the origin: position 0 on
      const std::int32_t base = placed.bases[k];
      if (base >= 0 && firstBase < 0) firstBase = base;
      const bool insertion = contig.columns[column % columns].insertion;
      if (insertion && base < 0) continue;
      const char op = insertion ? 'I' : base >= 0 ? 'M' : 'D';
      Piece& piece = pieces[side];
      append(piece.operations, op, 1);
      piece.readBases += base >= 0 ? 1 : 0;
      piece.aligned += op == 'M' ? 1 : 0;
    }

    // The read on the reference's strand, and its bases before and after the aligned ones.
    std::string letters;
    for (const char c : read.letters) letters += alignableLetter(c);
    std::vector<std::uint8_t> qualities = read.qualities;
    if (qualities.size() != letters.size()) qualities.clear();
    if (placed.reverse) {
      letters = reverseComplementOf(letters);
      std::reverse(qualities.begin(), qualities.end());
    }
    const auto length = static_cast<std::uint32_t>(letters.size());
    const auto before = static_cast<std::uint32_t>(
        placed.reverse ? length - 1 - static_cast<std::uint32_t>(firstBase) : firstBase);
    const std::uint32_t after = length - before - pieces[0].readBases - pieces[1].readBases;

    std::vector<BamRead> own;
    if (side == 0) {
      own.push_back(recordOf(pieces[0], before, after));
    } else {
      const bool secondPrimary = pieces[1].aligned > pieces[0].aligned;
      if (pieces[0].aligned > 0) {
        own.push_back(recordOf(pieces[0], before, after + pieces[1].readBases));
        own.back().supplementary = secondPrimary;
      }
      if (pieces[1].aligned > 0) {
        own.push_back(recordOf(pieces[1], before + pieces[0].readBases, after));
        own.back().supplementary = !secondPrimary;
      }
    }
    for (BamRead& record : own) {
      record.name = read.name;
      record.reverse = placed.reverse;
      record.letters = letters;
      record.qualities = qualities;
      records.push_back(std::move(record));
    }
  }
  return records;
}

}  // namespace vistrel
