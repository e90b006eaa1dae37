// vistrel-trace edits: reads the control once, decomposes each edited file against it on as
// many threads as asked, and prints the rows in the order of the files.
#include "trace_tool/edits.h"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

#include "document/nucleotides.h"
#include "document/trace_file.h"
#include "output/output_error.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "trace_tool/edits_html.h"
#include "trace_tool/interruption.h"
#include "trace_tool/qc_table.h"
#include "trace_tool/tool_text.h"
#include "trace_tool/wells.h"

namespace vistrel {

namespace {

using json = nlohmann::json;

// The page shows this many bases on each side of the cut.
constexpr int kExcerptBases = 15;

constexpr const char* kColumns[] = {"file",
                                    "control",
                                    "guide",
                                    "strand",
                                    "cut",
                                    "r_squared",
                                    "indel_percent",
                                    "frameshift_percent",
                                    "ko_score",
                                    "donor_percent",
                                    "wild_type_percent",
                                    "top_alleles",
                                    "message"};
constexpr const char kBaseEditHeader[] =
    "file\tposition\treference\tA\tC\tG\tT\tnon_reference\tnoise\tedited\n";
constexpr const char kAllelesHeader[] = "file\tallele\tpercent\n";

std::string decimal(double value, int places) {
  if (!std::isfinite(value)) return {};
  return QcNumber::decimal(value, places).text();
}

std::string alleleName(const AlleleShare& share) {
  if (share.donor) return "donor";
  return share.size > 0 ? "+" + std::to_string(share.size) : std::to_string(share.size);
}

/// Up to three indels with the largest shares, largest first, as `-1:42.0,+1:12.5`.
std::string topAlleles(const EditAnalysis& a) {
  std::vector<AlleleShare> indels;
  for (const AlleleShare& s : a.alleles) {
    if (!s.donor && s.size != 0 && std::round(s.percent * 10) > 0) indels.push_back(s);
  }
  std::stable_sort(indels.begin(), indels.end(), [](const AlleleShare& x, const AlleleShare& y) {
    return x.percent > y.percent;
  });
  std::string text;
  for (std::size_t i = 0; i < indels.size() && i < 3; ++i) {
    text += (i > 0 ? "," : "") + alleleName(indels[i]) + ":" + decimal(indels[i].percent, 1);
  }
  return text;
}

/// The row's values in the order of `kColumns`, each marked as a number or a text.
std::vector<std::pair<std::string, bool>> cells(const EditsRow& row, const EditsRequest& request) {
  const std::string control = cleanField(request.controlPath);
  const std::string guide = cleanField(request.analysis.guide);
  if (!row.analysis) {
    std::vector<std::pair<std::string, bool>> failed = {
        {row.file, false}, {control, false}, {guide, false}};
    failed.resize(12, {"", true});
    failed.push_back({row.message, false});
    return failed;
  }
  const EditAnalysis& a = *row.analysis;
  return {{row.file, false},
          {control, false},
          {guide, false},
          {a.site.reverse ? "-" : "+", false},
          {std::to_string(a.site.cut), true},
          {decimal(a.rSquared, 3), true},
          {decimal(a.indelPercent, 1), true},
          {decimal(a.frameshiftPercent, 1), true},
          {decimal(a.koScore, 1), true},
          {a.donorPercent ? decimal(*a.donorPercent, 1) : "", true},
          {decimal(a.wildTypePercent, 1), true},
          {topAlleles(a), false},
          {cleanField(a.note), false}};
}

std::string jsonText(const std::string& text) {
  return json(validUtf8(text)).dump(-1, ' ', false, json::error_handler_t::replace);
}

/// The base-editing positions of a row as TSV lines, or as one JSON array.
std::string baseEditLines(const EditsRow& row) {
  std::string lines;
  const EditAnalysis& a = *row.analysis;
  for (const BaseEditPosition& p : a.baseEdit) {
    lines += row.file + "\t" + std::to_string(p.position) + "\t" + p.reference;
    for (double share : p.percent) {
      lines += '\t';
      lines += decimal(share, 1);
    }
    lines += "\t" + decimal(p.nonReference, 1) + "\t" + decimal(a.noisePercent, 1) + "\t" +
             (p.edited ? "1" : "0") + "\n";
  }
  return lines;
}

std::string baseEditJson(const EditAnalysis& a) {
  std::string array = "[";
  for (const BaseEditPosition& p : a.baseEdit) {
    if (array.size() > 1) array += ",";
    array += "{\"position\":" + std::to_string(p.position) +
             ",\"reference\":" + jsonText(std::string(1, p.reference));
    for (int l = 0; l < 4; ++l) {
      array += ",\"" + std::string(1, "ACGT"[l]) + "\":" + decimal(p.percent[l], 1);
    }
    const std::string noise = decimal(a.noisePercent, 1);
    array += ",\"non_reference\":" + decimal(p.nonReference, 1) +
             ",\"noise\":" + (noise.empty() ? "null" : noise) +
             ",\"edited\":" + (p.edited ? "true" : "false") + "}";
  }
  return array + "]";
}

/// The samples of `d` around `cutSample`, as wide as `before` and `after` samples.
TraceExcerpt excerptOf(const Chromatogram& d, double cutSample, std::int32_t before,
                       std::int32_t after) {
  TraceExcerpt e;
  e.cutSample = cutSample;
  e.first = std::max<std::int32_t>(0, static_cast<std::int32_t>(cutSample) - before);
  const std::int32_t end = std::min(d.maxSampleCount, static_cast<std::int32_t>(cutSample) + after);
  for (int letter = 0; letter < 4; ++letter) {
    for (int c = 0; c < 4; ++c) {
      if (acgtIndex(static_cast<std::uint8_t>(d.channels[c].letter)) != letter) continue;
      for (std::int32_t s = e.first; s < std::min(end, d.channels[c].sampleCount); ++s) {
        e.channels[letter].push_back(d.sample(c, s));
      }
    }
  }
  const BaseCalls& calls = d.shown();
  for (std::int32_t i = 0; i < std::min(calls.baseCount, calls.peakCount); ++i) {
    const std::int32_t peak = calls.peak(i);
    if (peak >= e.first && peak < end) e.bases.push_back({peak, static_cast<char>(calls.base(i))});
  }
  return e;
}

/// The control of the run, or the message every row gets.
struct RunControl {
  Chromatogram document;
  std::optional<EditControl> control;
  std::string message;
};

void prepare(const EditsRequest& request, RunControl& run) {
  std::string sampleName;
  const LoadError error =
      readTraceFile(request.controlPath, request.showOriginalSequence, run.document, sampleName);
  if (error) {
    run.message = "the control could not be read: " + loadFailureText(error);
    return;
  }
  EditControlResult prepared = prepareControl(run.document, request.analysis);
  run.control = std::move(prepared.control);
  run.message = oneLine(prepared.message);
}

EditsRow analyseFile(const EditsRequest& request, const RunControl& run, const std::string& path,
                     bool forPage) {
  EditsRow row;
  row.file = cleanField(path);
  row.plate = cleanField(parentFolderOf(path));
  row.well = wellFromFileName(path);
  if (!run.control) {
    row.message = run.message;
    return row;
  }
  Chromatogram d;
  std::string sampleName;
  const LoadError error = readTraceFile(path, request.showOriginalSequence, d, sampleName);
  if (error) {
    row.message = loadFailureText(error);
    return row;
  }
  row.well = cleanField(wellOfRead(d.wellName, path));
  if (!d.plateName.empty()) row.plate = cleanField(d.plateName);
  EditResult result = analyseEdit(*run.control, d, request.analysis);
  row.message = cleanField(oneLine(result.message));
  row.analysis = std::move(result.analysis);
  if (forPage && row.analysis) {
    const EditControl& c = *run.control;
    const std::int32_t cut = c.site.cut;
    const auto& b = c.boundaries;
    const std::int32_t before = b[cut] - b[std::max(0, cut - kExcerptBases)];
    const std::int32_t after =
        b[std::min<std::int32_t>(static_cast<std::int32_t>(b.size()) - 1, cut + kExcerptBases)] -
        b[cut];
    const EditAnalysis& a = *row.analysis;
    row.control = excerptOf(run.document, b[cut], before, after);
    const double editedCut = (b[cut] - a.sampleOffset) / a.sampleScale;
    row.edited = excerptOf(d, editedCut, static_cast<std::int32_t>(before / a.sampleScale),
                           static_cast<std::int32_t>(after / a.sampleScale));
  }
  return row;
}

/// Writes `text` to `path` as a whole; false after reporting a failure.
bool writeWhole(const std::string& path, const std::string& text, std::FILE* errors) {
  BatchWrites writes;
  const Interruption interruption(writes);
  OutputError written = writeOutputFile(path, text.data(), text.size(), &writes);
  if (!written && !writes.flushFolders().empty()) written = {OutputError::WriteFailed};
  if (!written) return true;
  std::fprintf(errors, "%s: %s\n", path.c_str(), outputErrorMessage(written).c_str());
  return false;
}

}  // namespace

std::string editsTsvHeader() {
  std::string header;
  for (const char* name : kColumns) header += std::string(header.empty() ? "" : "\t") + name;
  return header + "\n";
}

std::string editsTsvLine(const EditsRow& row, const EditsRequest& request) {
  std::string line;
  for (const auto& [text, numeric] : cells(row, request)) {
    line += (line.empty() ? "" : "\t") + text;
  }
  return line + "\n";
}

std::string editsJsonLine(const EditsRow& row, const EditsRequest& request) {
  std::string line = "{";
  std::size_t k = 0;
  for (const auto& [text, numeric] : cells(row, request)) {
    if (line.size() > 1) line += ",";
    line += '"';
    line += kColumns[k++];
    line += "\":";
    line += text.empty() ? "null" : numeric ? text : jsonText(text);
  }
  if (request.analysis.baseEdit) {
    line += ",\"base_edit\":" + (row.analysis ? baseEditJson(*row.analysis) : "null");
  }
  return line + "}\n";
}

int runEdits(const EditsRequest& request, std::FILE* out, std::FILE* errors) {
  RunControl run;
  prepare(request, run);
  if (!run.control)
    std::fprintf(errors, "%s: %s\n", request.controlPath.c_str(), run.message.c_str());
  if (!request.json) std::fputs(editsTsvHeader().c_str(), out);

  const bool forPage = !request.htmlPath.empty();
  const bool keep = forPage || !request.allelesPath.empty() || request.analysis.baseEdit;
  std::vector<EditsRow> kept;
  bool anyFailed = false;
  runInOrder<EditsRow>(
      request.inputs.size(), request.jobs,
      [&](std::size_t i) {
        const std::string& path = request.inputs[i];
        return orWhenOutOfMemory([&] { return analyseFile(request, run, path, forPage); },
                                 [&] {
                                   EditsRow row;
                                   row.file = cleanField(path);
                                   row.message = kNoMemoryMessage;
                                   return row;
                                 });
      },
      [&](std::size_t, EditsRow& row) {
        const std::string line =
            request.json ? editsJsonLine(row, request) : editsTsvLine(row, request);
        std::fwrite(line.data(), 1, line.size(), out);
        anyFailed = anyFailed || !row.analysis;
        // Only the extra tables and the page need a row again.
        if (keep) kept.push_back(std::move(row));
      });

  if (request.analysis.baseEdit && !request.json) {
    std::string table = std::string("\n") + kBaseEditHeader;
    for (const EditsRow& row : kept) {
      if (row.analysis) table += baseEditLines(row);
    }
    std::fwrite(table.data(), 1, table.size(), out);
  }
  bool written = true;
  if (!request.allelesPath.empty()) {
    std::string alleles = kAllelesHeader;
    for (const EditsRow& row : kept) {
      if (!row.analysis) continue;
      for (const AlleleShare& share : row.analysis->alleles) {
        alleles += row.file + "\t" + alleleName(share) + "\t" + decimal(share.percent, 1) + "\n";
      }
    }
    written = writeWhole(request.allelesPath, alleles, errors);
  }
  if (forPage) {
    const EditsPage page{cleanField(request.controlPath), request.analysis, kept};
    written = writeWhole(request.htmlPath, editsHtml(page), errors) && written;
  }
  return anyFailed || !written ? 1 : 0;
}

}  // namespace vistrel
