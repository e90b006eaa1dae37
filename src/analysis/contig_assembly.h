// Contigs without a reference: reads joined by their overlaps, best first, each group laid on a
// draft of its own.
#pragma once

#include <vector>

#include "analysis/contig.h"

namespace vistrel {

/// Two reads overlap when their best alignment with free end gaps (either strand of the second,
/// the better kept) has at least `options.minOverlap` columns from its first pair of letters to
/// its last, at `options.minIdentity` or better. Overlaps are taken by score, best first; one
/// between reads of different groups joins them, the second read's strand fixed by it. Each
/// group, and each read that joins none, is one contig, in the order of their first reads, laid
/// on a draft made by merging its reads along their overlaps and then again on the consensus
/// that gives. A read with an empty region is left out.
ContigSet assembleContigs(const std::vector<ContigInput>& reads, const ContigOptions& options);

}  // namespace vistrel
