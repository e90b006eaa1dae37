// The edits page. Its pictures are inline SVG drawn from the rows, so the page is one file that
// opens offline.
#include "trace_tool/edits_html.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "trace_tool/html_parts.h"
#include "trace_tool/qc_table.h"

namespace vistrel {

namespace {

constexpr int kBarWidth = 10;
constexpr int kPlotHeight = 120;
constexpr int kTraceHeight = 90;
constexpr int kTraceWidth = 720;
constexpr int kDiscordanceWidth = 720;

constexpr const char kStyle[] = R"(
:root { --line: #d0d4da; }
* { box-sizing: border-box; }
body { margin: 24px; font: 14px/1.4 system-ui, -apple-system, "Segoe UI", sans-serif;
  color: #1f2328; background: #f6f7f9; }
h1 { margin: 0 0 4px; font-size: 24px; }
h2 { margin: 28px 0 10px; font-size: 18px; }
.sub { margin: 0 0 16px; color: #57606a; }
.sample { background: #fff; border: 1px solid var(--line); border-radius: 6px; padding: 10px 14px;
  margin: 0 0 16px; }
.sample h3 { margin: 0 0 6px; font-size: 15px; overflow-wrap: anywhere; }
.figures { display: flex; flex-wrap: wrap; gap: 4px 18px; margin: 0 0 8px; font-size: 13px; }
.figures b { font-variant-numeric: tabular-nums; }
.message { color: #b3261e; font-weight: 600; }
.note { color: #8a5a00; }
.pictures { display: flex; flex-wrap: wrap; gap: 12px; align-items: flex-start; }
figure { margin: 0; }
figcaption { font-size: 12px; color: #57606a; }
svg text { font: 10px system-ui, sans-serif; fill: #57606a; }
.bar { fill: #4a7bd0; }
.bar.wt { fill: #8c8c8c; }
.bar.donor { fill: #2e9e4f; }
.cut { stroke: #d9412e; stroke-width: 1.5; stroke-dasharray: 4 3; }
.window { fill: #eef3fb; }
.axis { stroke: #c0c4ca; stroke-width: 1; }
polyline { fill: none; stroke-width: 1.2; }
.discordance { stroke: #1f2328; }
.t-A { stroke: #2e9e4f; } .t-C { stroke: #2f5fb3; } .t-G { stroke: #1f2328; }
.t-T { stroke: #d9412e; }
td.well.failed { background: #8c8c8c; color: #fff; }
)";

std::string number(double value, int places) {
  return QcNumber::decimal(value, places).text();
}

/// White at 0% of indels, deepening to red at 100%.
std::string indelColour(double percent) {
  const double t = std::clamp(percent / 100.0, 0.0, 1.0);
  auto channel = [t](int from, int to) {
    return static_cast<int>(std::lround(from + t * (to - from)));
  };
  char colour[8];
  std::snprintf(colour, sizeof colour, "#%02x%02x%02x", channel(0xf4, 0xb3), channel(0xf6, 0x26),
                channel(0xf8, 0x1e));
  return colour;
}

std::string spectrum(const EditAnalysis& a) {
  const int count = static_cast<int>(a.alleles.size());
  const int width = count * kBarWidth + 20;
  std::string svg = "<svg class=\"spectrum\" width=\"" + std::to_string(width) + "\" height=\"" +
                    std::to_string(kPlotHeight + 16) + "\">";
  svg += "<line class=\"axis\" x1=\"0\" x2=\"" + std::to_string(width) + "\" y1=\"" +
         std::to_string(kPlotHeight) + "\" y2=\"" + std::to_string(kPlotHeight) + "\"/>";
  for (int k = 0; k < count; ++k) {
    const AlleleShare& s = a.alleles[k];
    const double h = kPlotHeight * std::clamp(s.percent, 0.0, 100.0) / 100.0;
    std::string name = s.donor ? "donor" : std::to_string(s.size);
    if (!s.donor && s.size > 0) name.insert(0, 1, '+');
    const std::string kind = s.donor ? "bar donor" : s.size == 0 ? "bar wt" : "bar";
    svg += "<rect class=\"" + kind + "\" data-allele=\"" + name + "\" data-percent=\"" +
           number(s.percent, 1) + "\" x=\"" + std::to_string(10 + k * kBarWidth) + "\" y=\"" +
           number(kPlotHeight - h, 1) + "\" width=\"" + std::to_string(kBarWidth - 2) +
           "\" height=\"" + number(h, 1) + "\"><title>" + name + ": " + number(s.percent, 1) +
           "%</title></rect>";
    if (s.donor || s.size % 5 == 0) {
      svg += "<text x=\"" + std::to_string(10 + k * kBarWidth) + "\" y=\"" +
             std::to_string(kPlotHeight + 12) + "\">" + (s.donor ? "d" : name) + "</text>";
    }
  }
  return svg + "</svg>";
}

std::string discordancePlot(const EditAnalysis& a) {
  if (a.discordance.empty()) return {};
  const double first = a.discordance.front().base;
  const double span = std::max(1.0, a.window.end - first);
  auto x = [&](double base) { return number((base - first) / span * kDiscordanceWidth, 1); };
  auto y = [&](double percent) {
    return number(kPlotHeight - kPlotHeight * std::clamp(percent, 0.0, 100.0) / 100.0, 1);
  };
  std::string svg = "<svg class=\"discordance-plot\" width=\"" + std::to_string(kDiscordanceWidth) +
                    "\" height=\"" + std::to_string(kPlotHeight) + "\">";
  svg += "<rect class=\"window\" x=\"" + x(a.window.start) + "\" y=\"0\" width=\"" +
         number((a.window.end - a.window.start) / span * kDiscordanceWidth, 1) + "\" height=\"" +
         std::to_string(kPlotHeight) + "\"/>";
  std::string points;
  for (const DiscordancePoint& p : a.discordance) {
    if (!points.empty()) points += ' ';
    points += x(p.base) + "," + y(p.percent);
  }
  svg += "<polyline class=\"discordance\" points=\"" + points + "\"/>";
  svg += "<line class=\"cut\" data-base=\"" + std::to_string(a.site.cut) + "\" x1=\"" +
         x(a.site.cut - 0.5) + "\" x2=\"" + x(a.site.cut - 0.5) + "\" y1=\"0\" y2=\"" +
         std::to_string(kPlotHeight) + "\"/>";
  return svg + "</svg>";
}

std::string tracePicture(const TraceExcerpt& e, const char* which, double tallest) {
  const std::size_t samples = e.channels[0].size();
  std::string svg = "<svg class=\"trace " + std::string(which) + "\" width=\"" +
                    std::to_string(kTraceWidth) + "\" height=\"" +
                    std::to_string(kTraceHeight + 14) + "\">";
  if (samples < 2) return svg + "</svg>";
  auto x = [&](double sample) {
    return number((sample - e.first) * kTraceWidth / (samples - 1), 1);
  };
  for (int letter = 0; letter < 4; ++letter) {
    std::string points;
    for (std::size_t s = 0; s < e.channels[letter].size(); ++s) {
      const double v = static_cast<std::int16_t>(e.channels[letter][s]);
      if (!points.empty()) points += ' ';
      points += x(static_cast<double>(e.first + s)) + "," +
                number(14 + kTraceHeight - kTraceHeight * std::max(0.0, v) / tallest, 1);
    }
    svg +=
        "<polyline class=\"t-" + std::string(1, "ACGT"[letter]) + "\" points=\"" + points + "\"/>";
  }
  for (const auto& [peak, letter] : e.bases) {
    svg += "<text x=\"" + x(peak) + "\" y=\"10\" text-anchor=\"middle\">" +
           escapeHtml(std::string(1, letter)) + "</text>";
  }
  svg += "<line class=\"cut\" x1=\"" + x(e.cutSample) + "\" x2=\"" + x(e.cutSample) +
         "\" y1=\"0\" y2=\"" + std::to_string(kTraceHeight + 14) + "\"/>";
  return svg + "</svg>";
}

double tallestOf(const TraceExcerpt& e) {
  double tallest = 1;
  for (const auto& channel : e.channels) {
    for (std::uint16_t v : channel)
      tallest = std::max<double>(tallest, static_cast<std::int16_t>(v));
  }
  return tallest;
}

class Page {
 public:
  explicit Page(const EditsPage& page) : page_(page) {}

  std::string build() {
    html_ += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    html_ += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    html_ += "<title>Edit analysis</title>\n<style>";
    html_ += kStyle;
    html_ += kPlateMapStyle;
    html_ += "</style>\n</head>\n<body>\n<h1>Edit analysis</h1>\n";
    summary();
    plates();
    html_ += "<h2>Samples</h2>\n";
    for (std::size_t i = 0; i < page_.rows.size(); ++i) sample(i);
    html_ += "</body>\n</html>\n";
    return std::move(html_);
  }

 private:
  void summary() {
    const EditRequest& r = page_.request;
    std::size_t failed = 0;
    for (const EditsRow& row : page_.rows) failed += row.analysis ? 0 : 1;
    html_ += "<p class=\"sub\">Control " + escapeHtml(page_.control) + ", guide " +
             escapeHtml(r.guide) + ", cut " + std::to_string(r.cutOffset) +
             " bases before its 3&prime; end, indels up to " + std::to_string(r.maxIndel) +
             (r.donor.empty() ? "" : ", with a donor") + ". " + std::to_string(page_.rows.size()) +
             (page_.rows.size() == 1 ? " sample" : " samples") + ", " + std::to_string(failed) +
             " failed.</p>\n";
  }

  void plates() {
    const std::vector<EditsRow>& rows = page_.rows;
    if (rows.size() < 2) return;
    const PlateLayout layout = layOutPlates(
        rows.size(), [&](std::size_t i) { return rows[i].plate; },
        [&](std::size_t i) { return rows[i].well; });
    if (layout.names.empty()) return;
    html_ +=
        "<h2>Plates</h2>\n<p class=\"sub\">Each well coloured by its indel percent, from "
        "white (none) to red (all).</p>\n<div class=\"plates\">\n";
    for (const std::string& name : layout.names) {
      html_ += plateMapHtml(name, layout.plates.at(name), "sample",
                            [&](const std::string& well, const std::vector<std::size_t>& held) {
                              return wellCell(well, held);
                            });
    }
    html_ += "</div>\n";
  }

  std::string wellCell(const std::string& well, const std::vector<std::size_t>& held) {
    const EditsRow& first = page_.rows[held.front()];
    std::string title = well;
    for (std::size_t i : held) {
      const EditsRow& row = page_.rows[i];
      title += "\n" + row.file + ": " +
               (row.analysis ? number(row.analysis->indelPercent, 1) + "% indels" : row.message);
    }
    std::string cell = "<td class=\"well";
    std::string label = "&ndash;";
    if (first.analysis) {
      const double indel = first.analysis->indelPercent;
      cell += "\" data-indel=\"" + number(indel, 1) +
              "\" style=\"background:" + indelColour(indel) + (indel > 55 ? ";color:#fff" : "");
      label = number(indel, 0);
    } else {
      cell += " failed";
    }
    cell += "\" data-well=\"" + well + "\" title=\"" + escapeHtml(title) + "\"><a href=\"#sample-" +
            std::to_string(held.front()) + "\">" + label;
    if (held.size() > 1) cell += "<sup>&times;" + std::to_string(held.size()) + "</sup>";
    return cell + "</a></td>";
  }

  void figure(const char* name, const std::string& value) {
    html_ +=
        "<span data-figure=\"" + std::string(name) + "\">" + name + " <b>" + value + "</b></span>";
  }

  void sample(std::size_t i) {
    const EditsRow& row = page_.rows[i];
    html_ += "<section class=\"sample\" id=\"sample-" + std::to_string(i) + "\">\n<h3>" +
             escapeHtml(row.file) + "</h3>\n";
    if (!row.analysis) {
      html_ += "<p class=\"message\">" + escapeHtml(row.message) + "</p>\n</section>\n";
      return;
    }
    const EditAnalysis& a = *row.analysis;
    html_ += "<div class=\"figures\">";
    figure("R²", number(a.rSquared, 3));
    figure("indels", number(a.indelPercent, 1) + "%");
    figure("frameshifts", number(a.frameshiftPercent, 1) + "%");
    figure("knockout", number(a.koScore, 1) + "%");
    if (a.donorPercent) figure("donor", number(*a.donorPercent, 1) + "%");
    figure("unedited", number(a.wildTypePercent, 1) + "%");
    figure("discordance before the cut", number(a.discordanceBefore, 1) + "%");
    figure("after", number(a.discordanceAfter, 1) + "%");
    html_ += "</div>\n";
    if (!a.note.empty()) html_ += "<p class=\"note\">" + escapeHtml(a.note) + "</p>\n";
    html_ += "<div class=\"pictures\">\n<figure>" + spectrum(a) +
             "<figcaption>Share of each indel, &minus;" + std::to_string(page_.request.maxIndel) +
             " to +" + std::to_string(page_.request.maxIndel) +
             " (grey: unedited)</figcaption></figure>\n<figure>" + discordancePlot(a) +
             "<figcaption>Signal outside the control's base, per base; the dashed line is the "
             "cut, the shaded part the window fitted (bases " +
             std::to_string(a.window.start + 1) + " to " + std::to_string(a.window.end) +
             ")</figcaption></figure>\n";
    const double tallest = std::max(tallestOf(row.control), tallestOf(row.edited));
    html_ += "<figure>" + tracePicture(row.control, "control", tallest) +
             tracePicture(row.edited, "edited", tallest) +
             "<figcaption>The control (above) and the edited trace (below) around the "
             "cut</figcaption></figure>\n</div>\n</section>\n";
  }

  const EditsPage& page_;
  std::string html_;
};

}  // namespace

std::string editsHtml(const EditsPage& page) {
  return Page(page).build();
}

}  // namespace vistrel
