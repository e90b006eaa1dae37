// vistrel-trace align: reads the reference once, checks each read, and prints what it found;
// for the VCF only each read's variants and covered stretch are kept until it is written.
#include "trace_tool/align.h"

#include <new>
#include <optional>

#include "document/reference.h"
#include "document/trace_file.h"
#include "output/output_error.h"
#include "trace_tool/align_variants.h"
#include "trace_tool/parallel.h"
#include "trace_tool/tool_text.h"

namespace vistrel {

namespace {

constexpr const char kTableHeader[] =
    "file\treference\tstrand\tref_pos\tref\tread\tread_base\tquality\tmixed\n";
constexpr const char kSummaryHeader[] =
    "file\treference\tstrand\tref_start\tref_end\taligned_length\tidentity\tdifferences\tmixed\t"
    "clipped_left\tclipped_right\n";

char strandOf(const ReadCheck& c) {
  return c.alignment.reverse ? '-' : '+';
}

void printDifferences(const std::string& file, const std::string& reference, const ReadCheck& c,
                      std::FILE* out) {
  for (const ReadDifference& d : c.differences) {
    const std::string quality = d.quality >= 0 ? std::to_string(d.quality) : "";
    std::fprintf(out, "%s\t%s\t%c\t%d\t%c\t%c\t%d\t%s\t%d\n", file.c_str(), reference.c_str(),
                 strandOf(c), d.referencePosition, d.reference, d.read, d.readBase, quality.c_str(),
                 d.mixed ? 1 : 0);
  }
}

void printSummary(const std::string& file, const std::string& reference, const ReadCheck& c,
                  std::FILE* out) {
  const ReadAlignment& a = c.alignment;
  std::fprintf(out, "%s\t%s\t%c\t%d\t%d\t%zu\t%.4f\t%zu\t%d\t%d\t%d\n", file.c_str(),
               reference.c_str(), strandOf(c), a.referenceStart + 1, a.referenceEnd,
               a.columns.size(), a.identity(), c.differences.size(), c.mixedInRegion, c.clippedLeft,
               c.clippedRight);
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
    std::fprintf(errors, "%s: %s\n", cleanField(request.referencePath).c_str(),
                 oneLine(error).c_str());
    return total;
  }
  const PreparedReference prepared(reference.sequence, request.jobs);
  std::fputs(request.summary ? kSummaryHeader : kTableHeader, out);
  const std::string referenceField = cleanField(reference.name);
  const bool keepVariants = !request.vcfPath.empty();
  int failures = 0;
  std::vector<VcfSample> samples;
  runInOrder<FileOutcome>(
      request.inputs.size(), request.jobs,
      [&](std::size_t i) {
        return orWhenOutOfMemory([&] { return checkFile(request, prepared, request.inputs[i]); },
                                 [] {
                                   return FileOutcome{std::nullopt, kNoMemoryMessage};
                                 });
      },
      [&](std::size_t i, FileOutcome& outcome) {
        const std::string file = cleanField(request.inputs[i]);
        if (!outcome.check) {
          std::fprintf(errors, "%s: %s\n", file.c_str(), oneLine(outcome.failure).c_str());
          ++failures;
        } else if (request.summary) {
          printSummary(file, referenceField, *outcome.check, out);
        } else {
          printDifferences(file, referenceField, *outcome.check, out);
        }
        if (keepVariants) {
          samples.push_back(outcome.check ? vcfSampleOf(*outcome.check, reference.sequence)
                                          : VcfSample{});
        }
      });
  if (keepVariants) {
    const std::string vcf = vcfText(reference, request.referencePath, request.inputs, samples);
    const OutputError written = writeOutputFile(request.vcfPath, vcf.data(), vcf.size());
    if (written) {
      std::fprintf(errors, "%s: %s\n", cleanField(request.vcfPath).c_str(),
                   oneLine(outputErrorMessage(written)).c_str());
      return total;
    }
  }
  return failures;
}

}  // namespace vistrel
