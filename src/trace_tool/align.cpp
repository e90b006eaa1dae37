// vistrel-trace align: reads the reference once, checks each read, and prints or writes what it
// found; the VCF gathers the variants of all reads before it is written.
#include "trace_tool/align.h"

#include <bit>
#include <cctype>
#include <map>
#include <new>
#include <optional>
#include <set>
#include <tuple>

#include "document/reference.h"
#include "document/trace_file.h"
#include "output/output_error.h"
#include "platform/paths.h"
#include "trace_tool/parallel.h"
#include "trace_tool/tool_text.h"

namespace vistrel {

namespace {

constexpr const char kTableHeader[] =
    "file\treference\tstrand\tref_pos\tref\tread\tread_base\tquality\tmixed\n";
constexpr const char kSummaryHeader[] =
    "file\treference\tstrand\tref_start\tref_end\taligned_length\tidentity\tdifferences\tmixed\n";

struct CheckedFile {
  std::string path;
  std::optional<ReadCheck> check;  ///< nothing when the file failed
};

char strandOf(const ReadCheck& c) {
  return c.alignment.reverse ? '-' : '+';
}

void printDifferences(const std::string& path, const std::string& reference, const ReadCheck& c,
                      std::FILE* out) {
  for (const ReadDifference& d : c.differences) {
    const std::string quality = d.quality >= 0 ? std::to_string(d.quality) : "";
    std::fprintf(out, "%s\t%s\t%c\t%d\t%c\t%c\t%d\t%s\t%d\n", path.c_str(), reference.c_str(),
                 strandOf(c), d.referencePosition, d.reference, d.read, d.readBase, quality.c_str(),
                 d.mixed ? 1 : 0);
  }
}

void printSummary(const std::string& path, const std::string& reference, const ReadCheck& c,
                  std::FILE* out) {
  const ReadAlignment& a = c.alignment;
  std::fprintf(out, "%s\t%s\t%c\t%d\t%d\t%zu\t%.4f\t%zu\t%d\n", path.c_str(), reference.c_str(),
               strandOf(c), a.referenceStart + 1, a.referenceEnd, a.columns.size(), a.identity(),
               c.differences.size(), c.mixedInRegion);
}

/// A VCF record's place and alleles; records sort by them.
using Variant = std::tuple<std::int32_t, std::string, std::string>;  // POS, REF, ALT

/// The bases an IUPAC letter of one or two bases stands for, as letters; empty for any other.
std::string basesOf(char letter) {
  const unsigned bases = iupacBases(letter);
  if (std::popcount(bases) > 2) return {};
  std::string letters;
  for (int b = 0; b < 4; ++b) {
    if ((bases & 1u << b) != 0) letters += "ACGT"[b];
  }
  return letters;
}

/// The variants of one read with whether each is heterozygous. A substitution by a two-base
/// code or at a mixed peak is heterozygous; N and wider codes say nothing and are left out.
std::map<Variant, bool> variantsOf(const ReadCheck& c, const std::string& reference) {
  std::map<Variant, bool> found;
  const std::vector<AlignedColumn>& columns = c.alignment.columns;
  std::map<std::int32_t, bool> mixedAt;  // reference index -> mixed, of the differences
  for (const ReadDifference& d : c.differences) mixedAt[d.referencePosition - 1] = d.mixed;
  for (std::size_t i = 0; i < columns.size();) {
    const AlignedColumn& col = columns[i];
    if (col.reference != '-' && col.read != '-') {
      const std::string alleles = basesOf(static_cast<char>(std::toupper(col.read)));
      std::string alt;
      for (char b : alleles) {
        if (b != col.reference) alt += alt.empty() ? std::string(1, b) : std::string(",") + b;
      }
      if (!alleles.empty() && !alt.empty()) {
        const bool het = alleles.size() == 2 || mixedAt[col.referenceIndex];
        found[{col.referenceIndex + 1, std::string(1, col.reference), alt}] = het;
      }
      ++i;
      continue;
    }
    // A run of gaps on one side, anchored on the reference letter before it.
    const bool deletion = col.read == '-';
    std::size_t end = i;
    std::string letters;
    while (end < columns.size() && (deletion ? columns[end].read : columns[end].reference) == '-') {
      letters +=
          deletion ? columns[end].reference : static_cast<char>(std::toupper(columns[end].read));
      ++end;
    }
    const std::int32_t anchor =
        deletion ? col.referenceIndex - 1 : (i > 0 ? columns[i - 1].referenceIndex : -1);
    if (anchor >= 0) {
      const std::string base(1, reference[static_cast<std::size_t>(anchor)]);
      if (deletion) {
        found[{anchor + 1, base + letters, base}] = false;
      } else {
        for (char& l : letters) l = basesOf(l).size() == 1 ? l : 'N';
        found[{anchor + 1, base, base + letters}] = false;
      }
    }
    i = end;
  }
  return found;
}

/// Names that tell the samples apart: the file's name without its folder and extension, or its
/// whole path when two files share a name.
std::vector<std::string> sampleNames(const std::vector<CheckedFile>& files) {
  std::vector<std::string> names;
  std::map<std::string, int> uses;
  for (const CheckedFile& f : files) {
    names.push_back(fileStemOf(f.path));
    ++uses[names.back()];
  }
  std::set<std::string> taken;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (uses[names[i]] > 1) names[i] = files[i].path;
    std::string unique = names[i];
    for (int n = 2; !taken.insert(unique).second; ++n) unique = names[i] + "#" + std::to_string(n);
    names[i] = unique;
  }
  return names;
}

/// A contig name VCF readers accept: no blanks, commas, angle brackets or equals signs.
std::string contigId(std::string name) {
  for (char& c : name) {
    if (std::isspace(static_cast<unsigned char>(c)) != 0 || c == ',' || c == '<' || c == '>' ||
        c == '=') {
      c = '_';
    }
  }
  return name.empty() ? "reference" : name;
}

std::string vcfText(const Reference& reference, const std::string& referencePath,
                    const std::vector<CheckedFile>& files) {
  const std::string contig = contigId(reference.name);
  std::string text = "##fileformat=VCFv4.2\n##source=vistrel-trace\n##reference=" + referencePath +
                     "\n##contig=<ID=" + contig +
                     ",length=" + std::to_string(reference.sequence.size()) +
                     ">\n##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
                     "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT";
  for (const std::string& name : sampleNames(files)) text += "\t" + name;
  text += "\n";

  std::vector<std::map<Variant, bool>> perFile;
  std::set<Variant> all;
  for (const CheckedFile& f : files) {
    perFile.push_back(f.check ? variantsOf(*f.check, reference.sequence)
                              : std::map<Variant, bool>{});
    for (const auto& entry : perFile.back()) all.insert(entry.first);
  }
  for (const Variant& v : all) {
    const auto& [position, ref, alt] = v;
    text += contig + "\t" + std::to_string(position) + "\t.\t" + ref + "\t" + alt + "\t.\t.\t.\tGT";
    const bool twoAlts = alt.find(',') != std::string::npos;
    for (std::size_t i = 0; i < files.size(); ++i) {
      const auto call = perFile[i].find(v);
      const std::optional<ReadCheck>& check = files[i].check;
      const bool covered = check && position - 1 >= check->alignment.referenceStart &&
                           position - 1 < check->alignment.referenceEnd;
      if (call != perFile[i].end()) {
        text += twoAlts ? "\t1/2" : call->second ? "\t0/1" : "\t1/1";
      } else {
        text += covered ? "\t0/0" : "\t./.";
      }
    }
    text += "\n";
  }
  return text;
}

/// The check of one file, or why there is none.
struct FileOutcome {
  std::optional<ReadCheck> check;
  std::string failure;
};

FileOutcome checkFile(const AlignRequest& request, const PreparedReference& reference,
                      const std::string& path) {
  Chromatogram document;
  std::string sampleName;
  const LoadError error = readTraceFile(path, request.showOriginalSequence, document, sampleName);
  if (error) return {std::nullopt, loadFailureText(error)};
  ReadCheckResult checked = checkRead(document, document.shown(), reference, request.options);
  return {std::move(checked.check), checked.message()};
}

}  // namespace

int alignAll(const AlignRequest& request, std::FILE* out, std::FILE* errors) {
  std::string error;
  const Reference reference = readReferenceFile(request.referencePath, request.recordName, error);
  const int total = static_cast<int>(request.inputs.size());
  if (!error.empty()) {
    std::fprintf(errors, "%s: %s\n", request.referencePath.c_str(), error.c_str());
    return total;
  }
  const PreparedReference prepared(reference.sequence, request.jobs);
  std::fputs(request.summary ? kSummaryHeader : kTableHeader, out);
  int failures = 0;
  std::vector<CheckedFile> files;
  runInOrder<FileOutcome>(
      request.inputs.size(), request.jobs,
      [&](std::size_t i) {
        try {
          return checkFile(request, prepared, request.inputs[i]);
        } catch (const std::bad_alloc&) {
          return FileOutcome{std::nullopt, kNoMemoryMessage};
        }
      },
      [&](std::size_t i, FileOutcome& outcome) {
        const std::string& path = request.inputs[i];
        if (!outcome.check) {
          std::fprintf(errors, "%s: %s\n", path.c_str(), outcome.failure.c_str());
          ++failures;
        } else if (request.summary) {
          printSummary(path, reference.name, *outcome.check, out);
        } else {
          printDifferences(path, reference.name, *outcome.check, out);
        }
        files.push_back({path, std::move(outcome.check)});
      });
  if (!request.vcfPath.empty()) {
    const std::string vcf = vcfText(reference, request.referencePath, files);
    const OutputError written = writeOutputFile(request.vcfPath, vcf.data(), vcf.size());
    if (written) {
      std::fprintf(errors, "%s: %s\n", request.vcfPath.c_str(),
                   outputErrorMessage(written).c_str());
      return total;
    }
  }
  return failures;
}

}  // namespace vistrel
