// VCF records: reference letters as VCF allows them, and names cleaned so that no file or
// record name can break a line or a column.
#include "trace_tool/align_variants.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <map>
#include <set>

#include "document/nucleotides.h"
#include "platform/paths.h"
#include "trace_tool/tool_text.h"

namespace vistrel {

namespace {

bool isInsertion(const ReadDifference& d) {
  return d.reference == '-';
}

bool isDeletion(const ReadDifference& d) {
  return d.read == '-';
}

/// The bases a letter stands for when it names one or two of them, as letters; empty for N,
/// wider codes and anything else.
std::string calledBases(char letter) {
  const unsigned bases =
      iupacBases(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
  if (std::popcount(bases) > 2) return {};
  std::string letters;
  for (int b = 0; b < 4; ++b) {
    if ((bases & 1u << b) != 0) letters += "ACGT"[b];
  }
  return letters;
}

/// A reference or inserted letter as a VCF allele takes it: an ambiguity code is N.
char vcfBase(char letter) {
  const std::string bases = calledBases(letter);
  return bases.size() == 1 ? bases[0] : 'N';
}

std::string vcfBases(std::span<const ReadDifference> run, char ReadDifference::*letter) {
  std::string out;
  for (const ReadDifference& d : run) out += vcfBase(d.*letter);
  return out;
}

void addSubstitution(const ReadDifference& d, VcfSample& sample) {
  const char ref = vcfBase(d.reference);
  const std::string alleles = calledBases(d.read);
  std::string alt;
  for (char b : alleles) {
    if (b == ref) continue;
    if (!alt.empty()) alt += ',';
    alt += b;
  }
  if (alt.empty()) return;  // no call, or nothing but the reference
  const char* genotype = alt.size() > 1 ? "1/2" : alleles.size() == 2 || d.mixed ? "0/1" : "1/1";
  sample.calls.push_back({{d.referencePosition, std::string(1, ref), alt}, genotype});
}

/// How many differences from `run[0]` make one indel: deleted bases at consecutive positions,
/// or inserted ones at the same position.
std::size_t indelLength(std::span<const ReadDifference> run) {
  const bool deletion = isDeletion(run[0]);
  std::size_t length = 1;
  for (; length < run.size(); ++length) {
    const ReadDifference& d = run[length];
    const auto step = deletion ? static_cast<std::int32_t>(length) : 0;
    if ((deletion ? !isDeletion(d) : !isInsertion(d)) ||
        d.referencePosition != run[0].referencePosition + step) {
      break;
    }
  }
  return length;
}

/// Adds the indel that starts at `run[0]` and returns how many differences it takes.
std::size_t addIndel(std::span<const ReadDifference> run, std::string_view reference,
                     VcfSample& sample) {
  const bool deletion = isDeletion(run[0]);
  const std::size_t length = indelLength(run);
  // A deleted base's position is its own, an inserted one's the base before it.
  const std::int32_t anchor = run[0].referencePosition - (deletion ? 2 : 1);  // 0-based
  if (anchor < 0 || static_cast<std::size_t>(anchor) >= reference.size()) return length;
  const std::string base(1, vcfBase(reference[static_cast<std::size_t>(anchor)]));
  VcfVariant v{anchor + 1, base, base};
  (deletion ? v.ref : v.alt) +=
      vcfBases(run.first(length), deletion ? &ReadDifference::reference : &ReadDifference::read);
  sample.calls.push_back({std::move(v), "1/1"});
  return length;
}

/// The genotype of `sample` at a record it has no call of its own for: "0/0" only when its read
/// covers every reference base the record spans (and, for an insertion, the base after it) with
/// a call there.
const char* referenceGenotype(const VcfSample& sample, const VcfVariant& v) {
  const std::int32_t first = v.position - 1;
  const std::int32_t last =
      first + static_cast<std::int32_t>(v.ref.size()) + (v.alt.size() > v.ref.size() ? 1 : 0);
  if (first < sample.start || last > sample.end) return "./.";
  const auto noCall = std::lower_bound(sample.noCalls.begin(), sample.noCalls.end(), first);
  return noCall != sample.noCalls.end() && *noCall < last ? "./." : "0/0";
}

bool variantBefore(const std::pair<VcfVariant, const char*>& call, const VcfVariant& v) {
  return call.first < v;
}

const char* genotypeOf(const VcfSample& sample, const VcfVariant& v) {
  const auto call = std::lower_bound(sample.calls.begin(), sample.calls.end(), v, variantBefore);
  if (call != sample.calls.end() && call->first == v) return call->second;
  return referenceGenotype(sample, v);
}

/// Names that tell the samples apart: the file's name without its folder and extension, or its
/// whole path when two files share a name, cleaned first, so that two names that clean alike
/// are told apart too.
std::vector<std::string> sampleNames(const std::vector<std::string>& paths) {
  std::vector<std::string> names;
  std::map<std::string, int> uses;
  for (const std::string& path : paths) {
    names.push_back(cleanUtf8Field(fileStemOf(path)));
    ++uses[names.back()];
  }
  std::set<std::string> taken;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (uses[names[i]] > 1 || names[i].empty()) names[i] = cleanUtf8Field(paths[i]);
    if (names[i].empty()) names[i] = "sample";
    std::string unique = names[i];
    for (int n = 2; !taken.insert(unique).second; ++n) unique = names[i] + "#" + std::to_string(n);
    names[i] = unique;
  }
  return names;
}

std::string vcfHeader(const Reference& reference, std::string_view referencePath,
                      const std::string& contig, const std::vector<std::string>& names) {
  std::string text =
      "##fileformat=VCFv4.2\n##source=vistrel-trace\n##reference=" + cleanUtf8Field(referencePath) +
      "\n##contig=<ID=" + contig + ",length=" + std::to_string(reference.sequence.size()) + ">\n";
  if (reference.sequence.find_first_not_of("ACGTN") != std::string::npos) {
    text +=
        "##reference_ambiguity=The reference's ambiguity codes are written as N in REF and "
        "in the anchor base of an indel's ALT\n";
  }
  text +=
      "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
      "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT";
  for (const std::string& name : names) {
    text += '\t';
    text += cleanUtf8Field(name);
  }
  return text + "\n";
}

}  // namespace

VcfSample vcfSampleOf(const ReadCheck& check, std::string_view referenceLetters) {
  VcfSample sample;
  sample.start = check.alignment.referenceStart;
  sample.end = check.alignment.referenceEnd;
  for (const AlignedColumn& c : check.alignment.columns) {
    if (c.referenceIndex >= 0 && calledBases(c.read).empty()) {
      sample.noCalls.push_back(c.referenceIndex);
    }
  }
  const std::span<const ReadDifference> differences(check.differences);
  for (std::size_t i = 0; i < differences.size();) {
    const ReadDifference& d = differences[i];
    if (isInsertion(d) || isDeletion(d)) {
      i += addIndel(differences.subspan(i), referenceLetters, sample);
    } else {
      addSubstitution(d, sample);
      ++i;
    }
  }
  std::sort(sample.calls.begin(), sample.calls.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  return sample;
}

std::string vcfText(const Reference& reference, std::string_view referencePath,
                    const std::vector<std::string>& paths, const std::vector<VcfSample>& samples) {
  return vcfTextOfNamedSamples(reference, referencePath, sampleNames(paths), samples);
}

std::string vcfTextOfNamedSamples(const Reference& reference, std::string_view referencePath,
                                  const std::vector<std::string>& names,
                                  const std::vector<VcfSample>& samples) {
  const std::string contig = referenceId(reference.name);
  std::string text = vcfHeader(reference, referencePath, contig, names);
  std::set<VcfVariant> all;
  for (const VcfSample& s : samples) {
    for (const auto& call : s.calls) all.insert(call.first);
  }
  for (const VcfVariant& v : all) {
    text += contig + "\t" + std::to_string(v.position) + "\t.\t" + v.ref + "\t" + v.alt +
            "\t.\t.\t.\tGT";
    for (const VcfSample& s : samples) text += std::string("\t") + genotypeOf(s, v);
    text += "\n";
  }
  return text;
}

}  // namespace vistrel
