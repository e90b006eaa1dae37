// vistrel-trace convert: load with the program's reader, write with its Save As and exports.
#include "trace_tool/convert.h"

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <utility>

#include "document/trace_file.h"
#include "output/output_error.h"
#include "output/raw_export.h"
#include "output/scf_writer.h"
#include "output/sequence_export.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "trace_tool/interruption.h"
#include "trace_tool/parallel.h"
#include "trace_tool/tool_text.h"

namespace vistrel {

namespace {

constexpr std::size_t kProgressFrom = 4;
constexpr int kMaxLinkHops = 40;

const char* extensionFor(ConvertTarget target) {
  switch (target) {
    case ConvertTarget::Scf:
      return ".scf";
    case ConvertTarget::Text:
    case ConvertTarget::Fasta:
      return ".seq";
    case ConvertTarget::Fastq:
      return ".fastq";
    case ConvertTarget::Raw:
      return ".txt";
  }
  return "";
}

/// The outputs the inputs of this run have asked for, so that no two of them write one file.
class ClaimedOutputs {
 public:
  /// Claims `path` for one input; false when an earlier input claimed the same file.
  bool claim(const std::string& path) {
    if (!paths_.insert(normalisedPath(path)).second) return false;
    // A second name of an existing file (a hard link, another spelling the path does not
    // reveal) is the same file: compare what it is, not only what it is called.
    struct stat st {};
    return ::stat(path.c_str(), &st) != 0 || files_.insert({st.st_dev, st.st_ino}).second;
  }

  /// The absolute path with ".", ".." and symbolic links resolved as far as they exist, so
  /// that "./x.scf", "x.scf" and a path through a linked folder compare equal. A link at the
  /// end is followed even when it dangles: an earlier output of the run may be what it names.
  static std::string normalisedPath(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path p = fs::absolute(path, error);
    if (error) return path;
    for (int hops = 0; hops < kMaxLinkHops && fs::is_symlink(p, error); ++hops) {
      const fs::path target = fs::read_symlink(p, error);
      if (error) break;
      p = target.is_absolute() ? target : p.parent_path() / target;
    }
    fs::path resolved = fs::weakly_canonical(p, error);
    return error ? p.lexically_normal().string() : resolved.string();
  }

  std::set<std::string> paths_;
  std::set<std::pair<dev_t, ino_t>> files_;
};

/// True when something other than a folder is at `path`; a symbolic link counts, dangling or
/// not. A folder is left for the writer, which refuses it with its own message.
bool occupied(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

/// Why `output` must not be written for `input`, or an empty text when it may be.
std::string refusalFor(const ConvertRequest& request, const std::string& input,
                       const std::string& output, ClaimedOutputs& claimed) {
  // A batch tool must not replace its own input: saving rescales SCF samples for good.
  std::error_code error;
  if (std::filesystem::equivalent(input, output, error)) {
    return "the output would replace the input; choose another name with -o or -d";
  }
  if (!claimed.claim(output)) {
    return "the output " + output + " is also the output of an earlier file of this run";
  }
  if (!request.replaceExisting && occupied(output)) {
    return "the output " + output + " exists; use --force to replace it";
  }
  return {};
}

/// What became of one input: the message of a failure, and a note told even on success.
struct Outcome {
  std::string failure;
  std::string note;
};

/// The region a trimmed export writes, or nothing (the whole set) with a note saying why the
/// set has none.
std::optional<TrimRegion> regionToWrite(const ConvertRequest& request, const BaseCalls& calls,
                                        std::string& note) {
  if (!request.trim) return std::nullopt;
  std::optional<TrimRegion> region = trimRegion(calls, request.trimCutoff);
  if (!region) {
    note = std::string(kNoQualitiesToTrimMessage) + " The whole read is written.";
  } else if (region->empty()) {
    note = kEmptyTrimmedRegionMessage;
  }
  return region;
}

Outcome convertOne(const ConvertRequest& request, const std::string& input,
                   const std::string& output, const CalendarDate& today, BatchWrites& batch) {
  Chromatogram document;
  std::string sampleName;
  LoadError loadError = readTraceFile(input, request.showOriginalSequence, document, sampleName);
  if (loadError) return {loadFailureText(loadError), {}};

  Outcome outcome;
  OutputError outputError;
  switch (request.target) {
    case ConvertTarget::Scf:
      outputError = saveScf(document, output, true, today, &batch);
      break;
    case ConvertTarget::Text:
    case ConvertTarget::Fasta:
    case ConvertTarget::Fastq: {
      const int format = request.target == ConvertTarget::Text    ? kExportText
                         : request.target == ConvertTarget::Fasta ? kExportFasta
                                                                  : kExportFastq;
      if (const char* refusal = exportRefusal(document, format)) return {refusal, {}};
      const auto region = regionToWrite(request, document.shown(), outcome.note);
      outputError = exportSequence(document, output, format, region, &batch);
      break;
    }
    case ConvertTarget::Raw:
      outputError = exportRawData(document, output, &batch);
      break;
  }
  outcome.failure = outputErrorMessage(outputError);
  return outcome;
}

}  // namespace

std::string convertedPath(const ConvertRequest& request, const std::string& input) {
  if (!request.outputFile.empty()) return request.outputFile;
  const std::string name = fileStemOf(input) + extensionFor(request.target);
  if (!request.outputFolder.empty()) return request.outputFolder + "/" + name;
  const std::size_t slash = input.find_last_of('/');
  return slash == std::string::npos ? name : input.substr(0, slash + 1) + name;
}

int convertAll(const ConvertRequest& request, std::FILE* errors) {
  const CalendarDate today = localDate();
  const std::size_t total = request.inputs.size();
  // Every output is claimed, in the order of the inputs, before any is written: the files can
  // then be converted in any order and the same inputs are refused.
  ClaimedOutputs claimed;
  std::vector<std::string> outputs, refusals;
  for (const std::string& input : request.inputs) {
    outputs.push_back(convertedPath(request, input));
    refusals.push_back(refusalFor(request, input, outputs.back(), claimed));
  }
  BatchWrites batch;
  const Interruption interruption(batch);
  int failures = 0;
  runInOrder<Outcome>(
      total, request.jobs,
      [&](std::size_t i) -> Outcome {
        if (!refusals[i].empty()) return {refusals[i], {}};
        return orWhenOutOfMemory(
            [&] { return convertOne(request, request.inputs[i], outputs[i], today, batch); },
            [] {
              return Outcome{kNoMemoryMessage, {}};
            });
      },
      [&](std::size_t i, Outcome& outcome) {
        const std::string& input = request.inputs[i];
        for (const std::string* message : {&outcome.failure, &outcome.note}) {
          if (!message->empty()) std::fprintf(errors, "%s: %s\n", input.c_str(), message->c_str());
        }
        if (!outcome.failure.empty()) ++failures;
        if (request.progress && total >= kProgressFrom) {
          std::fprintf(errors, "[%zu/%zu] %s\n", i + 1, total, input.c_str());
        }
      });
  // The renames are on disk only once their folders are.
  for (const BatchWrites::FolderFailure& failed : batch.flushFolders()) {
    std::fprintf(errors, "%s: the folder could not be flushed to disk: %s\n", failed.folder.c_str(),
                 std::strerror(failed.errnoValue));
    ++failures;
  }
  return failures;
}

}  // namespace vistrel
