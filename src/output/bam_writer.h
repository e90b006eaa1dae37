// BAM output: reads aligned to one reference, written through htslib, sorted by position and
// indexed, so that samtools, genome browsers and variant callers take the file.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "output/output_error.h"

namespace vistrel {

/// One read's alignment, as BAM holds it: on the reference's strand.
struct BamRead {
  std::string name;
  bool reverse = false;        ///< the read's reverse complement aligned
  bool supplementary = false;  ///< a further part of a read whose primary record is another
  std::int64_t position = 0;   ///< 0-based reference position of the first aligned base
  /// The CIGAR operations in order, each an operation letter (M, I, D, S) and its length.
  std::vector<std::pair<char, std::uint32_t>> cigar;
  std::string letters;                  ///< as on the reference's strand, soft clips included
  std::vector<std::uint8_t> qualities;  ///< one per letter, or empty when the read has none
};

/// Writes `reads` as a BAM file at `path` against the one reference `referenceName` of
/// `referenceLength` letters, sorted by position, with its index beside it at `path` + ".bai".
/// Nothing is left at either path when it fails.
OutputError writeBam(const std::string& path, const std::string& referenceName,
                     std::int64_t referenceLength, std::vector<BamRead> reads);

}  // namespace vistrel
