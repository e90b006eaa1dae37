// What vistrel-trace align reports of a checked read: its differences without the read bases
// that overhang the aligned stretch of the reference, and its variants as VCF records.
#pragma once

#include <compare>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/read_check.h"
#include "document/reference.h"

namespace vistrel {

/// A read's differences inside the stretch of the reference it aligns to. Read bases before the
/// first or after the last reference base of the alignment (past an end of the reference, or
/// not matching what lies beyond the stretch) are clipped: no difference in any output.
struct AlignedDifferences {
  std::span<const ReadDifference> differences;
  std::int32_t clippedLeft = 0;   ///< read bases clipped before the stretch, in reference order
  std::int32_t clippedRight = 0;  ///< and after it
};

AlignedDifferences alignedDifferencesOf(const ReadCheck& check);

/// The read bases aligned to the stretch, gaps included: what identity is counted over.
std::int32_t alignedLengthOf(const ReadCheck& check, const AlignedDifferences& aligned);

/// One VCF record's place and alleles (A, C, G, T or N); records sort by them.
struct VcfVariant {
  std::int32_t position = 0;  ///< 1-based
  std::string ref, alt;
  auto operator<=>(const VcfVariant&) const = default;
};

/// What the VCF needs of one read: the reference stretch it covers, the places in it where the
/// read makes no call, and its variants with their genotypes. Nothing covered for a failed read.
struct VcfSample {
  std::int32_t start = 0;             ///< 0-based, first reference base covered
  std::int32_t end = 0;               ///< excluded
  std::vector<std::int32_t> noCalls;  ///< 0-based, ascending: N, wider codes, bases missing
  std::vector<std::pair<VcfVariant, const char*>> calls;  ///< sorted, with "1/1", "0/1", "1/2"
};

/// The VCF sample of a read checked against `referenceLetters`. A substitution is "1/1", or
/// "0/1" at a mixed peak or a two-base code ("1/2" when neither base is the reference's); a
/// read letter for more than two bases makes no call. Indels are "1/1", anchored on the
/// reference base before them.
VcfSample vcfSampleOf(const ReadCheck& check, std::string_view referenceLetters);

/// The whole VCF 4.2 text: the reference as its one contig, one sample column per file (named
/// after `paths`, which `samples` follow), the variants of every sample as records.
std::string vcfText(const Reference& reference, std::string_view referencePath,
                    const std::vector<std::string>& paths, const std::vector<VcfSample>& samples);

}  // namespace vistrel
