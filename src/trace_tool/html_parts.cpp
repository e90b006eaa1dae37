// The shared page pieces: one escaping rule and one plate map for every report.
#include "trace_tool/html_parts.h"

#include <optional>

#include "trace_tool/qc_table.h"
#include "trace_tool/wells.h"

namespace vistrel {

namespace {

constexpr int kPlateRows = 8;
constexpr int kPlateColumns = 12;
constexpr int kLargePlateRows = 16;
constexpr int kLargePlateColumns = 24;

}  // namespace

const char kPlateMapStyle[] = R"(
.plates { display: flex; flex-wrap: wrap; gap: 20px; align-items: flex-start; }
.plate { background: #fff; border: 1px solid var(--line); border-radius: 6px; padding: 10px 12px; }
.plate h3 { margin: 0 0 8px; font-size: 15px; overflow-wrap: anywhere; }
.plate h3 small { color: #57606a; font-weight: normal; margin-left: 8px; }
table.map { border-collapse: separate; border-spacing: 2px; }
table.map th { font-size: 11px; color: #57606a; font-weight: normal; }
td.well { width: 30px; height: 24px; text-align: center; font-size: 11px;
  border: 1px solid #c8ccd2; border-radius: 4px; }
table.m384 td.well { width: 26px; height: 20px; font-size: 9px; }
td.well a { color: inherit; text-decoration: none; display: block; }
td.well sup { font-size: 8px; }
)";

std::string escapeHtml(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : validUtf8(text)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      case '\n':
        out += "&#10;";
        break;
      default:
        out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    }
  }
  return out;
}

PlateLayout layOutPlates(std::size_t count, const std::function<std::string(std::size_t)>& plateOf,
                         const std::function<std::string(std::size_t)>& wellOf) {
  PlateLayout layout;
  for (std::size_t i = 0; i < count; ++i) {
    const std::optional<WellPosition> at = wellPosition(wellOf(i));
    if (!at) {
      layout.unplaced.push_back(i);
      continue;
    }
    const std::string plate = plateOf(i);
    if (layout.plates.find(plate) == layout.plates.end()) layout.names.push_back(plate);
    layout.plates[plate][{at->row, at->column}].push_back(i);
  }
  return layout;
}

std::string plateMapHtml(
    const std::string& name, const PlateLayout::Wells& wells, const char* what,
    const std::function<std::string(const std::string&, const std::vector<std::size_t>&)>& cell) {
  bool large = false;
  std::size_t rows = 0;
  for (const auto& [at, held] : wells) {
    large = large || at.first >= kPlateRows || at.second > kPlateColumns;
    rows += held.size();
  }
  const int rowCount = large ? kLargePlateRows : kPlateRows;
  const int columnCount = large ? kLargePlateColumns : kPlateColumns;
  std::string html = "<section class=\"plate\" data-plate=\"" + escapeHtml(name) + "\">\n<h3>" +
                     escapeHtml(name.empty() ? "(no plate)" : name) + "<small>" +
                     (large ? "384" : "96") + " wells, " + std::to_string(rows) + " " + what +
                     (rows == 1 ? "" : "s") + "</small></h3>\n<table class=\"map " +
                     (large ? "m384" : "m96") + "\">\n<tr><th></th>";
  for (int c = 1; c <= columnCount; ++c) html += "<th>" + std::to_string(c) + "</th>";
  html += "</tr>\n";
  for (int r = 0; r < rowCount; ++r) {
    html += "<tr><th>";
    html += static_cast<char>('A' + r);
    html += "</th>";
    for (int c = 1; c <= columnCount; ++c) {
      const std::string well = wellName({r, c});
      const auto found = wells.find({r, c});
      html += found == wells.end() ? "<td class=\"well\" data-well=\"" + well + "\"></td>"
                                   : cell(well, found->second);
    }
    html += "</tr>\n";
  }
  return html + "</table>\n</section>\n";
}

}  // namespace vistrel
