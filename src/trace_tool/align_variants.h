// What vistrel-trace align reports of a checked read as VCF: its variants with their genotypes,
// and the whole file of them.
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

/// `vcfText` with the sample columns named `names` as they are (cleaned), not after files.
std::string vcfTextOfNamedSamples(const Reference& reference, std::string_view referencePath,
                                  const std::vector<std::string>& names,
                                  const std::vector<VcfSample>& samples);

}  // namespace vistrel
