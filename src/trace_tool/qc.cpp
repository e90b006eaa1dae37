// vistrel-trace qc: reads each file once, works out its figures and status, and prints the rows
// in the order of the files however many are read at once.
#include "trace_tool/qc.h"

#include <unistd.h>

#include <cctype>
#include <cstring>
#include <new>
#include <optional>

#include "analysis/read_stats.h"
#include "document/trace_file.h"
#include "output/output_error.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "trace_tool/qc_html.h"
#include "trace_tool/tool_text.h"

namespace vistrel {

namespace {

constexpr int kProfileBins = 40;
constexpr int kProgressWidth = 40;

/// The value of `key` in an SCF file's comments ("NAME=clone 7"), or empty.
std::string commentValue(const Chromatogram& d, const std::string& key) {
  const std::string text(reinterpret_cast<const char*>(d.comments.data()),
                         static_cast<std::size_t>(d.commentsSize));
  const std::string wanted = key + "=";
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    if (text.compare(at, wanted.size(), wanted) == 0) {
      const std::string value = text.substr(at + wanted.size(), end - at - wanted.size());
      return value.substr(0, value.find('\0'));
    }
    at = end + 1;
  }
  return {};
}

/// The mean quality of each of 40 equal stretches of the read, for the report's pictures.
std::string profileOf(const BaseCalls& calls) {
  if (!calls.hasQualities || calls.baseCount == 0) return {};
  std::string profile;
  for (int bin = 0; bin < kProfileBins; ++bin) {
    const std::int64_t from = std::int64_t{calls.baseCount} * bin / kProfileBins;
    const std::int64_t to =
        std::max(from + 1, std::int64_t{calls.baseCount} * (bin + 1) / kProfileBins);
    std::int64_t sum = 0;
    for (std::int64_t i = from; i < to && i < calls.baseCount; ++i) {
      sum += calls.quality(static_cast<std::int32_t>(i));
    }
    if (bin > 0) profile += ',';
    profile += std::to_string(sum / (to - from));
  }
  return profile;
}

std::string statusOf(const ReadStats& s, const QcThresholds& t) {
  const std::int32_t length = s.region.end - s.region.start;
  if (length < t.minLength) return "fail";
  const bool tooMixed = 100.0 * s.mixed > t.maxMixedPercent * length;
  if (!s.hasQualities || s.crl < t.minCrl || tooMixed) return "weak";
  return "pass";
}

/// The row of a file that could not be read.
QcRow errorRow(const std::vector<QcColumn>& columns, const std::string& path,
               const std::string& message) {
  QcRow row(columns.size());
  const QcTable shape{columns, {}};
  row[static_cast<std::size_t>(shape.column("file"))] = cleanField(path);
  // A damaged file still has its place on the plate when its name gives the well.
  row[static_cast<std::size_t>(shape.column("well"))] = wellFromFileName(path);
  row[static_cast<std::size_t>(shape.column("status"))] = "error";
  row[static_cast<std::size_t>(shape.column("plate"))] = cleanField(parentFolderOf(path));
  row[static_cast<std::size_t>(shape.column("message"))] = cleanField(message);
  return row;
}

void fillAlignment(const Chromatogram& d, const QcRequest& request,
                   const PreparedReference& reference,
                   std::vector<std::pair<std::string, std::string>>& values) {
  const ReadCheckResult checked = checkRead(d, d.shown(), reference, request.options);
  if (checked.alignmentFailed()) {
    values.insert(values.end(), {{"status", "error"}, {"message", checked.message()}});
  }
  const std::optional<ReadCheck>& check = checked.check;
  if (!check) return;
  const ReadAlignment& a = check->alignment;
  values.insert(values.end(), {{"strand", a.reverse ? "-" : "+"},
                               {"ref_start", std::to_string(a.referenceStart + 1)},
                               {"ref_end", std::to_string(a.referenceEnd)},
                               {"identity", formatNumber(a.identity(), "%.4f")},
                               {"differences", std::to_string(check->differences.size())}});
}

void drawProgress(std::FILE* errors, std::size_t done, std::size_t total) {
  const auto filled = static_cast<int>(total == 0 ? kProgressWidth : done * kProgressWidth / total);
  std::fprintf(errors, "\r[%.*s%.*s] %zu/%zu", filled, "########################################",
               kProgressWidth - filled, "                                        ", done, total);
  if (done == total) std::fputc('\n', errors);
  std::fflush(errors);
}

/// The table of the earlier outputs named by the request, or nothing after reporting why.
std::optional<QcTable> mergedTable(const QcRequest& request, std::FILE* errors) {
  QcTable table;
  for (const std::string& path : request.inputs) {
    Block text;
    std::string error;
    if (readWholeFile(path, text).status != FileReadStatus::Ok) {
      error = "could not be read";
    } else {
      appendQcOutput(std::string(reinterpret_cast<const char*>(text.data()), text.size()), table,
                     error);
    }
    if (!error.empty()) {
      std::fprintf(errors, "%s: %s\n", path.c_str(), error.c_str());
      return std::nullopt;
    }
  }
  if (table.columns.empty()) table.columns = qcColumns(false);
  return table;
}

void printRow(const QcRequest& request, const std::vector<QcColumn>& columns, const QcRow& row,
              std::FILE* out) {
  const std::string line = request.json ? jsonLine(columns, row) : tsvLine(row);
  std::fwrite(line.data(), 1, line.size(), out);
}

/// The well the file names (written as A01 when it is a well name), else the one its name
/// gives.
std::string wellOf(const Chromatogram& d, const std::string& path) {
  if (d.wellName.empty()) return wellFromFileName(path);
  const std::string well = wellFromFileName(d.wellName);
  return well.empty() ? d.wellName : well;
}

/// Writes the page of `table` when one is asked for; false after reporting a failure.
bool writeHtml(const QcRequest& request, const QcTable& table, std::FILE* errors) {
  if (request.htmlPath.empty()) return true;
  const std::string page = qcHtml(table);
  const OutputError written = writeOutputFile(request.htmlPath, page.data(), page.size());
  if (!written) return true;
  std::fprintf(errors, "%s: %s\n", request.htmlPath.c_str(), outputErrorMessage(written).c_str());
  return false;
}

bool anyError(const QcTable& table) {
  const int status = table.column("status");
  for (const QcRow& row : table.rows) {
    if (row[static_cast<std::size_t>(status)] == "error") return true;
  }
  return false;
}

}  // namespace

std::string wellFromFileName(const std::string& path) {
  const std::string name = fileNameOf(path);
  auto apart = [&](std::size_t i) {
    return i >= name.size() || std::isalnum(static_cast<unsigned char>(name[i])) == 0;
  };
  // The last such name: the well usually follows the sample's name and a plate's ("P1_C03").
  for (std::size_t i = name.size(); i-- > 0;) {
    if (name[i] < 'A' || name[i] > 'P' || (i > 0 && !apart(i - 1))) continue;
    std::size_t end = i + 1;
    int column = 0;
    while (end < name.size() && end < i + 3 &&
           std::isdigit(static_cast<unsigned char>(name[end]))) {
      column = column * 10 + (name[end++] - '0');
    }
    if (end > i + 1 && column >= 1 && column <= 24 && apart(end)) {
      char well[4];
      std::snprintf(well, sizeof well, "%c%02d", name[i], column);
      return well;
    }
  }
  return {};
}

QcRow qcRow(const QcRequest& request, const PreparedReference* reference, const std::string& path) {
  const std::vector<QcColumn> columns = qcColumns(reference != nullptr);
  Chromatogram d;
  std::string sampleName;
  const LoadError error = readTraceFile(path, request.showOriginalSequence, d, sampleName);
  if (error) return errorRow(columns, path, loadFailureText(error));

  const BaseCalls& calls = d.shown();
  const ReadStats s = readStats(d, calls, request.options.trimCutoff, request.options.mixedRatio);
  const bool region = s.hasQualities && !s.region.empty();
  std::vector<std::pair<std::string, std::string>> values = {
      {"file", path},
      {"sample", d.isScf ? commentValue(d, "NAME") : sampleName},
      {"well", wellOf(d, path)},
      {"instrument", d.instrumentModel},
      {"run_date", d.runDate},
      {"bases", std::to_string(s.bases)},
      {"trim_start", region ? std::to_string(s.region.start + 1) : ""},
      {"trim_end", region ? std::to_string(s.region.end) : ""},
      {"trimmed_length", s.hasQualities ? std::to_string(s.region.end - s.region.start) : ""},
      {"mean_quality", region ? formatNumber(s.meanQuality, "%.1f") : ""},
      {"q20_bases", s.hasQualities ? std::to_string(s.q20Bases) : ""},
      {"crl", s.hasQualities ? std::to_string(s.crl) : ""},
      {"mixed", std::to_string(s.mixed)},
      {"signal", formatNumber(s.signal, "%.1f")},
      {"status", statusOf(s, request.thresholds)},
      {"plate", d.plateName.empty() ? parentFolderOf(path) : d.plateName},
      {"message", s.hasQualities ? "" : "no quality values"},
      {"profile", profileOf(calls)}};
  if (reference != nullptr) fillAlignment(d, request, *reference, values);

  const QcTable shape{columns, {}};
  QcRow row(columns.size());
  for (const auto& [name, value] : values) {
    row[static_cast<std::size_t>(shape.column(name))] = cleanField(value);
  }
  return row;
}

int runQc(const QcRequest& request, std::FILE* out, std::FILE* errors) {
  if (request.merge) {
    const std::optional<QcTable> table = mergedTable(request, errors);
    if (!table) return 1;
    if (!request.json) std::fputs(tsvHeader(table->columns).c_str(), out);
    for (const QcRow& row : table->rows) printRow(request, table->columns, row, out);
    const bool written = writeHtml(request, *table, errors);
    return anyError(*table) || !written ? 1 : 0;
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
  QcTable table{qcColumns(reference.has_value()), {}};
  if (!request.json) std::fputs(tsvHeader(table.columns).c_str(), out);
  const std::size_t total = request.inputs.size();
  runInOrder<QcRow>(
      total, request.jobs,
      [&](std::size_t i) {
        try {
          return qcRow(request, prepared ? &*prepared : nullptr, request.inputs[i]);
        } catch (const std::bad_alloc&) {
          // One file too large for memory need not stop the run.
          return errorRow(table.columns, request.inputs[i], kNoMemoryMessage);
        }
      },
      [&](std::size_t i, QcRow& row) {
        printRow(request, table.columns, row, out);
        table.rows.push_back(std::move(row));
        if (request.progress) drawProgress(errors, i + 1, total);
      });
  const bool written = writeHtml(request, table, errors);
  return anyError(table) || !written ? 1 : 0;
}

}  // namespace vistrel
