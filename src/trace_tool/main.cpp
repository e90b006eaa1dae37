// vistrel-trace: dump a trace file as JSON, convert trace files in batches, or check reads
// against their reference, with the same core as the desktop program and without a display.
#include <unistd.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "analysis/trim.h"
#include "document/trace_file.h"
#include "output/output_error.h"
#include "trace_tool/align.h"
#include "trace_tool/contig.h"
#include "trace_tool/convert.h"
#include "trace_tool/dump.h"
#include "trace_tool/edits.h"
#include "trace_tool/parallel.h"
#include "trace_tool/qc.h"
#include "trace_tool/tool_text.h"

namespace {

constexpr const char kUsage[] =
    "usage: vistrel-trace dump [--original] [--trim-cutoff P] [--mixed-ratio PERCENT] FILE\n"
    "       vistrel-trace convert --to scf|text|fasta|fastq|raw [--original] [--force]\n"
    "                             [--trim [--trim-cutoff P]] [-j N] [-o OUT | -d DIR] FILE...\n"
    "       vistrel-trace align --ref REF [--record NAME] [--summary] [--vcf OUT.vcf]\n"
    "                           [--original] [--trim-cutoff P] [--mixed-ratio PERCENT] [-j N]\n"
    "                           FILE...\n"
    "       vistrel-trace qc [--format tsv|json] [--ref REF [--record NAME]] [--min-length N]\n"
    "                        [--min-crl N] [--max-mixed-percent P] [--original]\n"
    "                        [--trim-cutoff P] [--mixed-ratio PERCENT] [-j N]\n"
    "                        [--html OUT.html] FILE...\n"
    "       vistrel-trace qc --merge [--format tsv|json] [--html OUT.html] PART...\n"
    "       vistrel-trace contig [--ref REF [--record NAME] [--circular]] [--min-aligned N]\n"
    "                            [--min-identity F] [--min-overlap N] [-o OUT]\n"
    "                            [--format fasta|fastq] [--conflicts OUT.tsv] [--vcf OUT.vcf]\n"
    "                            [--bam OUT.bam] [--summary] [-j N] FILE...\n"
    "       vistrel-trace edits --control CONTROL --guide SEQ [--cut-offset K] [--max-indel N]\n"
    "                           [--donor SEQ] [--base-edit] [--alleles OUT.tsv]\n"
    "                           [--html OUT.html] [--format tsv|json] [--original]\n"
    "                           [--trim-cutoff P] [-j N] EDITED...\n"
    "       vistrel-trace --help | --version\n"
    "\n"
    "dump     prints the document read from FILE as one JSON object\n"
    "convert  writes each FILE as SCF 3.00, as a text, FASTA or FASTQ sequence, or as a raw\n"
    "         data table; -o names the output of a single FILE, -d puts one output per FILE\n"
    "         into DIR (default: beside each FILE), named after it with .scf, .seq, .fastq or\n"
    "         .txt. A FILE is skipped, and the exit status is 1, when its output exists (unless\n"
    "         --force), would replace the FILE itself, or is the output of an earlier FILE,\n"
    "         and for fastq when it has no quality values\n"
    "--original     use the original base calls of ABI files instead of the edited ones\n"
    "--force        replace outputs that exist already\n"
    "--trim         write only the good region of the read (text, fasta and fastq); a read\n"
    "               without quality values is written whole, with a note on stderr\n"
    "--trim-cutoff  the error probability P (0 to 1, default 0.05) a base may have on average\n"
    "               in the good region\n"
    "--mixed-ratio  how high, in percent of the called peak (1 to 100, default 33), a second\n"
    "               peak must rise for the base to count as mixed\n"
    "align    aligns the good region of each FILE (all of it without quality values) to the\n"
    "         reference REF (FASTA, its first record or --record NAME; GenBank; or bare\n"
    "         letters) on both strands and prints one tab-separated line per difference,\n"
    "         or with --summary one per FILE; --vcf also writes the differences as VCF\n"
    "qc       prints one tab-separated line (or with --format json one JSON object) per FILE:\n"
    "         its figures and a status, pass, weak or fail: fail below --min-length trimmed\n"
    "         bases (100), weak below --min-crl bases of contiguous read length (400) or\n"
    "         with more than --max-mixed-percent mixed bases in the region (2); a FILE that\n"
    "         cannot be read is a row with status error (exit status 1). --ref adds the\n"
    "         alignment to REF; --merge joins the outputs of earlier qc runs into one;\n"
    "         --html also writes the table as one self-contained page with a summary,\n"
    "         a map of each plate and a sortable table with each read's quality profile\n"
    "contig   lays the good region of each FILE on REF (either strand; --circular lets reads\n"
    "         run across its origin) or, without REF, on each other, and writes the\n"
    "         consensus as FASTA (or FASTQ) to OUT or stdout; --summary prints one line per\n"
    "         contig instead, --conflicts writes the columns where the reads disagree or the\n"
    "         consensus differs from REF, --vcf its differences, --bam the reads aligned. A\n"
    "         read with fewer than --min-aligned bases aligned (50) or an identity below\n"
    "         --min-identity (0.80) is left out; without REF reads join where they overlap\n"
    "         by at least --min-overlap columns (50) at that identity\n"
    "edits    decomposes the trace of each EDITED file after the guide's cut into the\n"
    "         control's trace shifted by each indel from -N to +N (--max-indel, 20) and the\n"
    "         --donor allele, and prints one tab-separated line (or JSON object) per file;\n"
    "         the cut lies K (--cut-offset, 3) bases before the guide's 3' end. --alleles\n"
    "         writes every allele's share, --base-edit adds each protospacer position's\n"
    "         channel shares, --html a self-contained page; a failed file is a row with\n"
    "         its message (exit status 1)\n"
    "-j N     read N files at once, 1 to 256 (default: the cores this process may use)\n";

int usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

/// A number of type T from `low` to `high`, written as a decimal number and nothing else.
template <typename T>
bool parseNumber(const std::string& text, T low, T high, T& value) {
  const char* end = text.data() + text.size();
  T parsed{};
  auto [stop, error] = std::from_chars(text.data(), end, parsed);
  // Not-a-number fails both comparisons.
  if (error != std::errc() || stop != end || !(parsed >= low && parsed <= high)) return false;
  value = parsed;
  return true;
}

/// The options several sub-commands share, each parsed by one rule.
struct SharedOptions {
  enum Which : unsigned {
    kOriginal = 1,    // --original
    kTrimCutoff = 2,  // --trim-cutoff P
    kMixedRatio = 4,  // --mixed-ratio PERCENT
    kJobs = 8,        // -j N
    kReference = 16,  // --ref REF, --record NAME
  };
  bool original = false;
  vistrel::ReadCheckOptions check;
  int jobs = vistrel::coreCount();
  std::string referencePath;
  std::string recordName;
};

enum class Parsed { Taken, NotShared, Invalid };

/// Takes `args[i]` (and the value after it, moving `i` on) when it is one of the shared options
/// in `which`.
Parsed parseShared(const std::vector<std::string>& args, std::size_t& i, unsigned which,
                   SharedOptions& options) {
  using S = SharedOptions;
  const std::string& arg = args[i];
  const bool hasValue = i + 1 < args.size();
  auto valued = [&](const char* name, unsigned kind) {
    return (which & kind) != 0 && hasValue && arg == name;
  };
  bool valid = true;
  if ((which & S::kOriginal) != 0 && arg == "--original") {
    options.original = true;
  } else if (valued("--trim-cutoff", S::kTrimCutoff)) {
    valid = parseNumber(args[++i], 0.0, 1.0, options.check.trimCutoff);
  } else if (valued("--mixed-ratio", S::kMixedRatio)) {
    valid = parseNumber(args[++i], 1, 100, options.check.mixedRatio);
  } else if (valued("-j", S::kJobs)) {
    valid = parseNumber(args[++i], 1, vistrel::kMaxJobs, options.jobs);
  } else if (valued("--ref", S::kReference)) {
    options.referencePath = args[++i];
    valid = !options.referencePath.empty();
  } else if (valued("--record", S::kReference)) {
    options.recordName = args[++i];
  } else {
    return Parsed::NotShared;
  }
  return valid ? Parsed::Taken : Parsed::Invalid;
}

/// Whether `arg` is a file argument rather than an option: "-" alone and empty names are files.
bool isFileArgument(const std::string& arg) {
  return arg.empty() || arg[0] != '-' || arg == "-";
}

int dump(const std::vector<std::string>& args) {
  SharedOptions shared;
  std::string path;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const unsigned which =
        SharedOptions::kOriginal | SharedOptions::kTrimCutoff | SharedOptions::kMixedRatio;
    const Parsed parsed = parseShared(args, i, which, shared);
    if (parsed == Parsed::Invalid) return usage();
    if (parsed == Parsed::Taken) continue;
    if (!path.empty() || !isFileArgument(args[i])) return usage();
    path = args[i];
  }
  if (path.empty()) return usage();
  vistrel::Chromatogram document;
  std::string sampleName;
  vistrel::LoadError error = vistrel::readTraceFile(path, shared.original, document, sampleName);
  if (error) {
    std::fprintf(stderr, "%s\n", vistrel::loadFailureText(error).c_str());
    return 1;
  }
  const vistrel::DumpOptions options{shared.check.trimCutoff, shared.check.mixedRatio};
  std::string json = vistrel::documentJson(document, sampleName, options);
  std::fwrite(json.data(), 1, json.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

bool parseTarget(const std::string& name, vistrel::ConvertTarget& target) {
  using vistrel::ConvertTarget;
  if (name == "scf")
    target = ConvertTarget::Scf;
  else if (name == "text")
    target = ConvertTarget::Text;
  else if (name == "fasta")
    target = ConvertTarget::Fasta;
  else if (name == "fastq")
    target = ConvertTarget::Fastq;
  else if (name == "raw")
    target = ConvertTarget::Raw;
  else
    return false;
  return true;
}

bool stderrIsTerminal() {
  return isatty(fileno(stderr)) != 0;
}

int convert(const std::vector<std::string>& args) {
  vistrel::ConvertRequest request;
  SharedOptions shared;
  bool targetGiven = false;
  bool outputFileGiven = false;
  bool outputFolderGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const unsigned which =
        SharedOptions::kOriginal | SharedOptions::kTrimCutoff | SharedOptions::kJobs;
    const Parsed parsed = parseShared(args, i, which, shared);
    if (parsed == Parsed::Invalid) return usage();
    if (parsed == Parsed::Taken) continue;
    const std::string& arg = args[i];
    bool hasValue = i + 1 < args.size();
    if (arg == "--to" && hasValue) {
      if (!parseTarget(args[++i], request.target)) return usage();
      targetGiven = true;
    } else if (arg == "-o" && hasValue) {
      request.outputFile = args[++i];
      outputFileGiven = true;
    } else if (arg == "-d" && hasValue) {
      request.outputFolder = args[++i];
      outputFolderGiven = true;
    } else if (arg == "--force") {
      request.replaceExisting = true;
    } else if (arg == "--trim") {
      request.trim = true;
    } else if (!arg.empty() && arg[0] == '-') {
      return usage();
    } else {
      request.inputs.push_back(arg);
    }
  }
  request.showOriginalSequence = shared.original;
  request.trimCutoff = shared.check.trimCutoff;
  request.jobs = shared.jobs;
  // An empty name is a mistake (an unset shell variable), not a request for the default.
  bool emptyName = (outputFileGiven && request.outputFile.empty()) ||
                   (outputFolderGiven && request.outputFolder.empty());
  bool bothOutputs = outputFileGiven && outputFolderGiven;
  bool oneOutputForMany = outputFileGiven && request.inputs.size() != 1;
  // Only a sequence has a region to trim.
  bool trimWithoutSequence = request.trim && (request.target == vistrel::ConvertTarget::Scf ||
                                              request.target == vistrel::ConvertTarget::Raw);
  if (!targetGiven || request.inputs.empty() || emptyName || bothOutputs || oneOutputForMany ||
      trimWithoutSequence) {
    return usage();
  }
  request.progress = stderrIsTerminal();
  return vistrel::convertAll(request, stderr) == 0 ? 0 : 1;
}

int align(const std::vector<std::string>& args) {
  vistrel::AlignRequest request;
  SharedOptions shared;
  bool vcfGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const unsigned which = SharedOptions::kOriginal | SharedOptions::kTrimCutoff |
                           SharedOptions::kMixedRatio | SharedOptions::kJobs |
                           SharedOptions::kReference;
    const Parsed parsed = parseShared(args, i, which, shared);
    if (parsed == Parsed::Invalid) return usage();
    if (parsed == Parsed::Taken) continue;
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--vcf" && hasValue) {
      request.vcfPath = args[++i];
      vcfGiven = true;
    } else if (arg == "--summary") {
      request.summary = true;
    } else if (!arg.empty() && arg[0] == '-') {
      return usage();
    } else {
      request.inputs.push_back(arg);
    }
  }
  request.referencePath = shared.referencePath;
  request.recordName = shared.recordName;
  request.showOriginalSequence = shared.original;
  request.options = shared.check;
  request.jobs = shared.jobs;
  if (request.referencePath.empty() || request.inputs.empty() ||
      (vcfGiven && request.vcfPath.empty())) {
    return usage();
  }
  const int failures = vistrel::alignAll(request, stdout, stderr);
  return std::fflush(stdout) == 0 && failures == 0 ? 0 : 1;
}

int contig(const std::vector<std::string>& args) {
  vistrel::ContigRequest request;
  SharedOptions shared;
  bool needsReference = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const Parsed parsed =
        parseShared(args, i, SharedOptions::kJobs | SharedOptions::kReference, shared);
    if (parsed == Parsed::Invalid) return usage();
    if (parsed == Parsed::Taken) {
      needsReference = needsReference || args[i - 1] == "--record";
      continue;
    }
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    // An empty output name is a mistake (an unset shell variable), not a request for none.
    auto path = [&](std::string& into) {
      into = args[++i];
      return !into.empty();
    };
    bool valid = true;
    if (arg == "--circular") {
      request.options.circular = true;
      needsReference = true;
    } else if (arg == "--min-aligned" && hasValue) {
      valid = parseNumber(args[++i], 0, INT32_MAX, request.options.minAligned);
    } else if (arg == "--min-identity" && hasValue) {
      valid = parseNumber(args[++i], 0.0, 1.0, request.options.minIdentity);
    } else if (arg == "--min-overlap" && hasValue) {
      valid = parseNumber(args[++i], 1, INT32_MAX, request.options.minOverlap);
    } else if (arg == "-o" && hasValue) {
      valid = path(request.consensusPath);
    } else if (arg == "--format" && hasValue) {
      const std::string& format = args[++i];
      valid = format == "fasta" || format == "fastq";
      request.fastq = format == "fastq";
    } else if (arg == "--conflicts" && hasValue) {
      valid = path(request.conflictsPath);
    } else if (arg == "--vcf" && hasValue) {
      valid = path(request.vcfPath);
      needsReference = true;
    } else if (arg == "--bam" && hasValue) {
      valid = path(request.bamPath);
      needsReference = true;
    } else if (arg == "--summary") {
      request.summary = true;
    } else if (!isFileArgument(arg)) {
      valid = false;
    } else {
      request.inputs.push_back(arg);
    }
    if (!valid) return usage();
  }
  request.referencePath = shared.referencePath;
  request.recordName = shared.recordName;
  request.jobs = shared.jobs;
  if (request.inputs.empty() || (needsReference && request.referencePath.empty())) return usage();
  const int status = vistrel::runContig(request, stdout, stderr);
  return std::fflush(stdout) == 0 ? status : 1;
}

int qc(const std::vector<std::string>& args) {
  vistrel::QcRequest request;
  SharedOptions shared;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const unsigned which = SharedOptions::kOriginal | SharedOptions::kTrimCutoff |
                           SharedOptions::kMixedRatio | SharedOptions::kJobs |
                           SharedOptions::kReference;
    const Parsed parsed = parseShared(args, i, which, shared);
    if (parsed == Parsed::Invalid) return usage();
    if (parsed == Parsed::Taken) continue;
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    bool valid = true;
    if (arg == "--format" && hasValue) {
      const std::string& format = args[++i];
      valid = format == "tsv" || format == "json";
      request.json = format == "json";
    } else if (arg == "--min-length" && hasValue) {
      valid = parseNumber(args[++i], 0, INT32_MAX, request.thresholds.minLength);
    } else if (arg == "--min-crl" && hasValue) {
      valid = parseNumber(args[++i], 0, INT32_MAX, request.thresholds.minCrl);
    } else if (arg == "--max-mixed-percent" && hasValue) {
      valid = parseNumber(args[++i], 0.0, 100.0, request.thresholds.maxMixedPercent);
    } else if (arg == "--merge") {
      request.merge = true;
    } else if (arg == "--html" && hasValue) {
      request.htmlPath = args[++i];
      // An empty name is a mistake (an unset shell variable), not a request for no page.
      valid = !request.htmlPath.empty();
    } else if (!arg.empty() && arg[0] == '-') {
      valid = false;
    } else {
      request.inputs.push_back(arg);
    }
    if (!valid) return usage();
  }
  request.referencePath = shared.referencePath;
  request.recordName = shared.recordName;
  request.showOriginalSequence = shared.original;
  request.options = shared.check;
  request.jobs = shared.jobs;
  if (request.inputs.empty() || (request.merge && !request.referencePath.empty())) return usage();
  request.progress = stderrIsTerminal();
  const int status = vistrel::runQc(request, stdout, stderr);
  return std::fflush(stdout) == 0 ? status : 1;
}

int edits(const std::vector<std::string>& args) {
  vistrel::EditsRequest request;
  SharedOptions shared;
  bool controlGiven = false, guideGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const unsigned which =
        SharedOptions::kOriginal | SharedOptions::kTrimCutoff | SharedOptions::kJobs;
    const Parsed parsed = parseShared(args, i, which, shared);
    if (parsed == Parsed::Invalid) return usage();
    if (parsed == Parsed::Taken) continue;
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    vistrel::EditRequest& analysis = request.analysis;
    bool valid = true;
    // An empty value is a mistake (an unset shell variable), not a request for the default.
    auto text = [&](std::string& into) {
      into = args[++i];
      valid = !into.empty();
    };
    if (arg == "--control" && hasValue) {
      text(request.controlPath);
      controlGiven = true;
    } else if (arg == "--guide" && hasValue) {
      text(analysis.guide);
      guideGiven = true;
    } else if (arg == "--cut-offset" && hasValue) {
      valid = parseNumber(args[++i], 0, vistrel::kMaxGuideLength, analysis.cutOffset);
    } else if (arg == "--max-indel" && hasValue) {
      valid = parseNumber(args[++i], 1, vistrel::kMaxIndelLimit, analysis.maxIndel);
    } else if (arg == "--donor" && hasValue) {
      text(analysis.donor);
    } else if (arg == "--base-edit") {
      analysis.baseEdit = true;
    } else if (arg == "--alleles" && hasValue) {
      text(request.allelesPath);
    } else if (arg == "--html" && hasValue) {
      text(request.htmlPath);
    } else if (arg == "--format" && hasValue) {
      const std::string& format = args[++i];
      valid = format == "tsv" || format == "json";
      request.json = format == "json";
    } else if (!isFileArgument(arg)) {
      valid = false;
    } else {
      request.inputs.push_back(arg);
    }
    if (!valid) return usage();
  }
  if (!controlGiven || !guideGiven || request.inputs.empty()) return usage();
  const std::string problem = vistrel::guideProblem(request.analysis.guide);
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return usage();
  }
  request.showOriginalSequence = shared.original;
  request.analysis.trimCutoff = shared.check.trimCutoff;
  request.jobs = shared.jobs;
  const int status = vistrel::runEdits(request, stdout, stderr);
  return std::fflush(stdout) == 0 ? status : 1;
}

int run(int argc, char** argv) {
  if (argc < 2) return usage();
  std::string command = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "dump") return dump(args);
  if (command == "convert") return convert(args);
  if (command == "align") return align(args);
  if (command == "qc") return qc(args);
  if (command == "contig") return contig(args);
  if (command == "edits") return edits(args);
  if (command == "--help" || command == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (command == "--version") {
    std::puts("vistrel-trace " VISTREL_VERSION);
    return 0;
  }
  return usage();
}

}  // namespace

int main(int argc, char** argv) {
  // The core reports memory it cannot have; the tool's own strings and JSON throw instead.
  try {
    return run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "%s\n", vistrel::kNoMemoryMessage);
    return 1;
  }
}
