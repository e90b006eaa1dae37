// The reads of a contig as BAM records: on the reference's strand, with the bases outside the
// aligned stretch soft-clipped.
#pragma once

#include <vector>

#include "analysis/contig.h"
#include "output/bam_writer.h"

namespace vistrel {

/// One record per read of `contig` (named after its input), or two for a read across the
/// origin of a circular reference: the side with more aligned bases primary, the other
/// supplementary, each clipping the bases of the other.
std::vector<BamRead> bamReadsOf(const Contig& contig, const std::vector<ContigInput>& reads);

}  // namespace vistrel
