// vistrel-trace qc: reads each file once, works out its figures and status, and prints the rows
// in the order of the files however many are read at once.
#include "trace_tool/qc.h"

#include <filesystem>
#include <optional>

#include "analysis/read_stats.h"
#include "document/trace_file.h"
#include "output/output_error.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "trace_tool/interruption.h"
#include "trace_tool/qc_html.h"
#include "trace_tool/tool_text.h"
#include "trace_tool/wells.h"

namespace vistrel {

namespace {

constexpr int kProfileBins = 40;
constexpr int kProgressWidth = 40;

/// The mean quality of each of 40 equal stretches of the read, for the report's pictures.
std::vector<int> profileOf(const BaseCalls& calls) {
  if (!calls.hasQualities || calls.baseCount == 0) return {};
  std::vector<int> profile;
  for (int bin = 0; bin < kProfileBins; ++bin) {
    const std::int64_t from = std::int64_t{calls.baseCount} * bin / kProfileBins;
    const std::int64_t to =
        std::max(from + 1, std::int64_t{calls.baseCount} * (bin + 1) / kProfileBins);
    std::int64_t sum = 0;
    for (std::int64_t i = from; i < to && i < calls.baseCount; ++i) {
      sum += calls.quality(static_cast<std::int32_t>(i));
    }
    profile.push_back(static_cast<int>(sum / (to - from)));
  }
  return profile;
}

QcStatus statusOf(const ReadStats& s, const QcThresholds& t) {
  const std::int32_t length = s.region.end - s.region.start;
  if (length < t.minLength) return QcStatus::Fail;
  const bool tooMixed = 100.0 * s.mixed > t.maxMixedPercent * length;
  if (!s.hasQualities || s.crl < t.minCrl || tooMixed) return QcStatus::Weak;
  return QcStatus::Pass;
}

/// The row of a file that could not be read.
QcRecord errorRecord(const std::string& path, const std::string& message) {
  QcRecord record;
  record.file = cleanField(path);
  // A damaged file still has its place on the plate when its name gives the well.
  record.well = wellFromFileName(path);
  record.status = QcStatus::Error;
  record.plate = cleanField(parentFolderOf(path));
  record.message = cleanField(message);
  return record;
}

void fillAlignment(const Chromatogram& d, const QcRequest& request,
                   const PreparedReference& reference, QcRecord& record) {
  const ReadCheckResult checked = checkRead(d, d.shown(), reference, request.options);
  if (checked.alignmentFailed()) {
    record.status = QcStatus::Error;
    record.message = cleanField(checked.message());
  }
  const std::optional<ReadCheck>& check = checked.check;
  if (!check) return;
  const ReadAlignment& a = check->alignment;
  record.strand = std::string(1, a.reverse ? '-' : '+');
  record.refStart = QcNumber::whole(a.referenceStart + 1);
  record.refEnd = QcNumber::whole(a.referenceEnd);
  record.identity = QcNumber::decimal(a.identity(), 4);
  record.differences = QcNumber::whole(static_cast<std::int64_t>(check->differences.size()));
}

void drawProgress(std::FILE* errors, std::size_t done, std::size_t total) {
  const auto filled = static_cast<int>(total == 0 ? kProgressWidth : done * kProgressWidth / total);
  std::fprintf(errors, "\r[%.*s%.*s] %zu/%zu", filled, "########################################",
               kProgressWidth - filled, "                                        ", done, total);
  if (done == total) std::fputc('\n', errors);
  std::fflush(errors);
}

/// Why the part at `path` cannot be read, or an empty text.
std::string partReadFailure(const std::string& path, Block& text) {
  if (readWholeFile(path, text).status == FileReadStatus::Ok) return {};
  std::error_code error;
  return std::filesystem::file_size(path, error) == 0 && !error ? "it is empty"
                                                                : "could not be read";
}

/// The table of the earlier outputs named by the request, or nothing after reporting why.
std::optional<QcTable> mergedTable(const QcRequest& request, std::FILE* errors) {
  std::optional<QcTable> table;
  for (const std::string& path : request.inputs) {
    Block text;
    std::string error = partReadFailure(path, text);
    if (error.empty()) {
      appendQcOutput(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()),
                     table, error);
    }
    if (!error.empty()) {
      std::fprintf(errors, "%s: %s\n", path.c_str(), oneLine(error).c_str());
      return std::nullopt;
    }
  }
  return table;
}

/// Where the rows go as they come: the table on the output, and what the end needs of them.
class RowSink {
 public:
  RowSink(const QcRequest& request, bool withReference, std::FILE* out)
      : request_(request), out_(out), table_{withReference, {}} {
    if (!request.json) std::fputs(tsvHeader(withReference).c_str(), out);
  }

  void add(QcRecord record) {
    const std::string line = request_.json ? jsonLine(record, table_.withReference)
                                           : tsvLine(record, table_.withReference);
    std::fwrite(line.data(), 1, line.size(), out_);
    anyError_ = anyError_ || record.status == QcStatus::Error;
    // Only the page needs the rows again; without one, memory does not grow with the run.
    if (!request_.htmlPath.empty()) table_.rows.push_back(std::move(record));
  }

  /// The exit status, once the page is written when one is asked for.
  int finish(std::FILE* errors) {
    const bool written = writeHtml(errors);
    return anyError_ || !written ? 1 : 0;
  }

 private:
  /// Writes the page when one is asked for; false after reporting a failure.
  bool writeHtml(std::FILE* errors) {
    if (request_.htmlPath.empty()) return true;
    const std::string page = qcHtml(table_);
    BatchWrites writes;
    const Interruption interruption(writes);
    OutputError written = writeOutputFile(request_.htmlPath, page.data(), page.size(), &writes);
    if (!written && !writes.flushFolders().empty()) written = {OutputError::WriteFailed};
    if (!written) return true;
    std::fprintf(errors, "%s: %s\n", request_.htmlPath.c_str(),
                 outputErrorMessage(written).c_str());
    return false;
  }

  const QcRequest& request_;
  std::FILE* out_;
  QcTable table_;
  bool anyError_ = false;
};

}  // namespace

QcRecord qcRecord(const QcRequest& request, const PreparedReference* reference,
                  const std::string& path) {
  Chromatogram d;
  std::string sampleName;
  const LoadError error = readTraceFile(path, request.showOriginalSequence, d, sampleName);
  if (error) return errorRecord(path, loadFailureText(error));

  const BaseCalls& calls = d.shown();
  const ReadStats s = readStats(d, calls, request.options.trimCutoff, request.options.mixedRatio);
  const bool region = s.hasQualities && !s.region.empty();
  QcRecord r;
  r.file = cleanField(path);
  // The name the window's title and dump show: an SCF file gives none.
  r.sample = cleanField(sampleName);
  r.well = cleanField(wellOfRead(d.wellName, path));
  r.instrument = cleanField(d.instrumentModel);
  r.runDate = cleanField(d.runDate);
  r.bases = QcNumber::whole(s.bases);
  if (region) {
    r.trimStart = QcNumber::whole(s.region.start + 1);
    r.trimEnd = QcNumber::whole(s.region.end);
    r.meanQuality = QcNumber::decimal(s.meanQuality, 1);
  }
  if (s.hasQualities) {
    r.trimmedLength = QcNumber::whole(s.region.end - s.region.start);
    r.q20Bases = QcNumber::whole(s.q20Bases);
    r.crl = QcNumber::whole(s.crl);
  }
  r.mixed = QcNumber::whole(s.mixed);
  r.signal = QcNumber::decimal(s.signal, 1);
  r.status = statusOf(s, request.thresholds);
  r.plate = cleanField(d.plateName.empty() ? parentFolderOf(path) : d.plateName);
  r.message = !d.hasBaseCalls ? "no base calls" : s.hasQualities ? "" : "no quality values";
  r.profile = profileOf(calls);
  if (reference != nullptr) fillAlignment(d, request, *reference, r);
  return r;
}

int runQc(const QcRequest& request, std::FILE* out, std::FILE* errors) {
  if (request.merge) {
    const std::optional<QcTable> table = mergedTable(request, errors);
    if (!table) return 1;
    RowSink sink(request, table->withReference, out);
    for (const QcRecord& record : table->rows) sink.add(record);
    return sink.finish(errors);
  }

  std::optional<Reference> reference;
  if (!request.referencePath.empty()) {
    std::string error;
    reference = readReferenceFile(request.referencePath, request.recordName, error);
    if (!error.empty()) {
      std::fprintf(errors, "%s: %s\n", request.referencePath.c_str(), error.c_str());
      return 1;
    }
  }
  std::optional<PreparedReference> prepared;
  if (reference) prepared.emplace(reference->sequence, request.jobs);
  RowSink sink(request, reference.has_value(), out);
  const std::size_t total = request.inputs.size();
  runInOrder<QcRecord>(
      total, request.jobs,
      [&](std::size_t i) {
        const std::string& path = request.inputs[i];
        return orWhenOutOfMemory(
            [&] { return qcRecord(request, prepared ? &*prepared : nullptr, path); },
            [&] { return errorRecord(path, kNoMemoryMessage); });
      },
      [&](std::size_t i, QcRecord& record) {
        sink.add(std::move(record));
        if (request.progress) drawProgress(errors, i + 1, total);
      });
  return sink.finish(errors);
}

}  // namespace vistrel
