// The layout of a contig: reads aligned to one frame (the reference, or a draft of their own)
// laid in its columns, and each column's vote.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "analysis/contig.h"

namespace vistrel {

/// A read to lay: its alignment to the frame, from its first aligned base to its last.
struct LaidRead {
  std::int32_t input = 0;
  ReadAlignment alignment;
};

/// Lays `laid` on `frame`: a column for each frame position, and after each as many insertion
/// columns as the read with the most letters inserted there has, every read's inserted letters
/// placed from the first of them. Reference positions are taken modulo the frame's length.
/// Every column is voted and, with a reference, the differences are marked.
Contig layContig(const std::vector<ContigInput>& reads, const std::vector<LaidRead>& laid,
                 std::string_view frame, bool hasReference, bool circular);

/// Works out the vote of `column` from the reads that cover it.
void voteColumn(Contig& contig, const std::vector<ContigInput>& reads, std::int32_t column);

/// Sets every column's `difference` from the consensus check.
void markDifferences(Contig& contig);

}  // namespace vistrel
