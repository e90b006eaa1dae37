// vistrel-trace contig: reads and aligns the files on the worker pool, lays the contigs once all
// are in, then writes each output asked for.
#include "trace_tool/contig.h"

#include <optional>

#include "analysis/contig_report.h"
#include "analysis/trim.h"
#include "document/reference.h"
#include "document/trace_file.h"
#include "output/bam_writer.h"
#include "output/output_error.h"
#include "trace_tool/align_variants.h"
#include "trace_tool/contig_bam.h"
#include "trace_tool/tool_text.h"

namespace vistrel {

namespace {

constexpr const char kSummaryHeader[] =
    "contig\treference\treads\tunaligned\tref_start\tref_end\tlength\tcovered\t"
    "covered_both_strands\tlow_quality\tconflicts\tdifferences\tidentity\n";
constexpr int kLowQuality = 20;

/// One file read, and aligned when there is a reference; or why it could not be read.
struct ReadFile {
  std::optional<ContigInput> input;
  ContigAlignment aligned;
  std::string failure;
};

ReadFile readFile(const std::string& path, const PreparedReference* searched,
                  std::int32_t referenceLength, const ContigOptions& options) {
  Chromatogram document;
  std::string sampleName;
  const LoadError error = readTraceFile(path, false, document, sampleName);
  if (error) return {std::nullopt, {}, loadFailureText(error)};
  ContigInput input = contigInputOf(document, cleanField(path));
  ReadFile read{std::move(input), {}, {}};
  if (searched != nullptr) {
    read.aligned = alignContigRead(*read.input, *searched, referenceLength, options);
  }
  return read;
}

std::string summaryLine(const Contig& contig, std::size_t unaligned) {
  const std::vector<std::int32_t> span = contig.consensusColumns();
  std::int64_t covered = 0, both = 0, lowQuality = 0, conflicts = 0, laid = 0;
  for (const std::int32_t c : span) {
    const ContigColumn& column = contig.columns[static_cast<std::size_t>(c)];
    if (column.consensus != '-' && column.quality < kLowQuality) ++lowQuality;
    if (column.conflict) ++conflicts;
    if (column.coverage > 0 && !(column.insertion && column.consensus == '-')) ++laid;
    if (column.insertion || column.coverage == 0) continue;
    ++covered;
    if (column.bothStrands) ++both;
  }
  std::string start, end, differences, identity;
  if (contig.hasReference && !span.empty()) {
    start = contigPositionText(contig.columns[static_cast<std::size_t>(span.front())]);
    end = contigPositionText(contig.columns[static_cast<std::size_t>(span.back())]);
    const auto found = static_cast<std::int64_t>(consensusCheck(contig).differences.size());
    differences = std::to_string(found);
    char text[16];
    std::snprintf(text, sizeof text, "%.4f", laid == 0 ? 0.0 : 1.0 - double(found) / laid);
    identity = text;
  }
  const std::string fields[] = {consensusRecordName(contig),
                                cleanField(contig.hasReference ? contig.name : ""),
                                std::to_string(contig.reads.size()),
                                std::to_string(unaligned),
                                start,
                                end,
                                std::to_string(contig.consensusLetters().size()),
                                std::to_string(covered),
                                std::to_string(both),
                                std::to_string(lowQuality),
                                std::to_string(conflicts),
                                differences,
                                identity};
  std::string line;
  for (const std::string& f : fields) line += (line.empty() ? "" : "\t") + f;
  return line + "\n";
}

/// Writes `text` to `path`; false after telling why it could not.
bool writeText(const std::string& path, const std::string& text, std::FILE* errors) {
  const OutputError written = writeOutputFile(path, text.data(), text.size());
  if (!written) return true;
  std::fprintf(errors, "%s: %s\n", cleanField(path).c_str(),
               oneLine(outputErrorMessage(written)).c_str());
  return false;
}

/// The outputs of a laid set; false when any could not be written.
bool writeOutputs(const ContigRequest& request, const ContigSet& set,
                  const std::vector<ContigInput>& reads, const Reference* reference, std::FILE* out,
                  std::FILE* errors) {
  bool ok = true;
  if (request.summary) {
    std::fputs(kSummaryHeader, out);
    for (const Contig& contig : set.contigs) {
      std::fputs(summaryLine(contig, set.unplaced.size()).c_str(), out);
    }
  }
  const std::string consensus = consensusText(set.contigs, request.fastq);
  if (!request.consensusPath.empty()) {
    ok = writeText(request.consensusPath, consensus, errors) && ok;
  } else if (!request.summary) {
    std::fwrite(consensus.data(), 1, consensus.size(), out);
  }
  if (!request.conflictsPath.empty()) {
    ok = writeText(request.conflictsPath, conflictsText(set.contigs, reads), errors) && ok;
  }
  if (reference == nullptr) return ok;
  const Contig& contig = set.contigs.front();
  if (!request.vcfPath.empty()) {
    const std::vector<VcfSample> samples = {
        vcfSampleOf(consensusCheck(contig), reference->sequence)};
    ok = writeText(request.vcfPath,
                   vcfTextOfNamedSamples(*reference, request.referencePath,
                                         {consensusRecordName(contig)}, samples),
                   errors) &&
         ok;
  }
  if (!request.bamPath.empty()) {
    const OutputError written =
        writeBam(request.bamPath, reference->name,
                 static_cast<std::int64_t>(reference->sequence.size()), bamReadsOf(contig, reads));
    if (written) {
      std::fprintf(errors, "%s: %s\n", cleanField(request.bamPath).c_str(),
                   oneLine(outputErrorMessage(written)).c_str());
      ok = false;
    }
  }
  return ok;
}

}  // namespace

int runContig(const ContigRequest& request, std::FILE* out, std::FILE* errors) {
  std::optional<Reference> reference;
  ContigOptions options = request.options;
  if (!request.referencePath.empty()) {
    std::string error;
    reference = readReferenceFile(request.referencePath, request.recordName, error);
    if (!error.empty()) {
      std::fprintf(errors, "%s: %s\n", cleanField(request.referencePath).c_str(),
                   oneLine(error).c_str());
      return 1;
    }
    options.circular = options.circular || reference->circular;
  }
  std::string searchLetters;
  std::optional<PreparedReference> searched;
  if (reference) {
    searchLetters = contigSearchLetters(reference->sequence, options.circular);
    searched.emplace(searchLetters, request.jobs);
  }
  const auto referenceLength = static_cast<std::int32_t>(
      reference ? std::min<std::size_t>(reference->sequence.size(), kMaxReferenceLetters) : 0);

  bool failed = false;
  std::vector<ContigInput> reads;
  std::vector<ContigAlignment> aligned;
  runInOrder<ReadFile>(
      request.inputs.size(), request.jobs,
      [&](std::size_t i) {
        return orWhenOutOfMemory(
            [&] {
              return readFile(request.inputs[i], searched ? &*searched : nullptr, referenceLength,
                              options);
            },
            [] {
              return ReadFile{std::nullopt, {}, kNoMemoryMessage};
            });
      },
      [&](std::size_t i, ReadFile& read) {
        if (!read.input) {
          std::fprintf(errors, "%s: %s\n", cleanField(request.inputs[i]).c_str(),
                       oneLine(read.failure).c_str());
          failed = true;
          return;
        }
        reads.push_back(std::move(*read.input));
        aligned.push_back(std::move(read.aligned));
      });

  const ContigSet set = reference ? layOnReference(reads, aligned, reference->sequence,
                                                   reference->name, options.circular)
                                  : buildContigs(reads, nullptr, {}, options);
  for (const UnplacedRead& u : set.unplaced) {
    std::fprintf(errors, "%s: %s\n", reads[static_cast<std::size_t>(u.input)].name.c_str(),
                 oneLine(u.reason).c_str());
    failed = true;
  }
  const bool written =
      writeOutputs(request, set, reads, reference ? &*reference : nullptr, out, errors);
  return failed || !written ? 1 : 0;
}

}  // namespace vistrel
