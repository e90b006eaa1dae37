// The qc report page. Everything it shows is in the page itself (style, script and the quality
// pictures as inline SVG), so it can be mailed or archived as one file and opened offline.
#include "trace_tool/qc_html.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "trace_tool/html_parts.h"

namespace vistrel {

namespace {

constexpr int kProfileTop = 60;  // the quality at the top of a profile picture
constexpr int kProfileStep = 3;  // horizontal units between two profile points

constexpr const char kStyle[] = R"(
:root { --pass: #2e9e4f; --weak: #f2b01e; --fail: #d9412e; --error: #8c8c8c; --line: #d0d4da; }
* { box-sizing: border-box; }
body { margin: 24px; font: 14px/1.4 system-ui, -apple-system, "Segoe UI", sans-serif;
  color: #1f2328; background: #f6f7f9; }
h1 { margin: 0 0 4px; font-size: 24px; }
h2 { margin: 28px 0 10px; font-size: 18px; }
.sub { margin: 0 0 16px; color: #57606a; }
.cards { display: flex; flex-wrap: wrap; gap: 10px; }
.card { background: #fff; border: 1px solid var(--line); border-radius: 6px; padding: 8px 14px;
  min-width: 100px; }
.card b { display: block; font-size: 22px; }
.card span { color: #57606a; font-size: 12px; text-transform: uppercase; letter-spacing: .04em; }
.card.s-pass { border-left: 5px solid var(--pass); }
.card[class*=s-] span { color: inherit; }
.card.s-weak { border-left: 5px solid var(--weak); }
.card.s-fail { border-left: 5px solid var(--fail); }
.card.s-error { border-left: 5px solid var(--error); }
.legend { margin: 12px 0 0; color: #57606a; font-size: 12px; }
.legend i { display: inline-block; width: 12px; height: 12px; margin: 0 4px 0 12px;
  vertical-align: -2px; border: 1px solid #9aa0a6; }
.legend i:first-child { margin-left: 0; }
.s-pass { background: var(--pass); color: #fff; }
.s-weak { background: var(--weak); color: #1f2328; }
.s-fail { background: var(--fail); color: #fff; }
.s-error { background: var(--error); color: #fff; }
td.well.s-pass, td.well.s-weak, td.well.s-fail, td.well.s-error { border-color: transparent; }
.unplaced ul { margin: 0; padding-left: 0; list-style: none; }
.unplaced li { margin: 2px 0; }
.dot { display: inline-block; width: 10px; height: 10px; border-radius: 50%; margin-right: 6px; }
table.reads { border-collapse: collapse; background: #fff; border: 1px solid var(--line);
  font-size: 12px; }
table.reads th, table.reads td { padding: 3px 4px; border-bottom: 1px solid #eceef1;
  text-align: left; vertical-align: middle; }
table.reads th { position: sticky; top: 0; background: #eef0f3; vertical-align: bottom; }
table.reads td.c-run_date { white-space: nowrap; }
table.reads th[data-col] { cursor: pointer; user-select: none; }
table.reads th[aria-sort=ascending]::after { content: " \25B2"; font-size: 9px; }
table.reads th[aria-sort=descending]::after { content: " \25BC"; font-size: 9px; }
table.reads td.num { text-align: right; font-variant-numeric: tabular-nums; }
table.reads td.c-file { min-width: 12em; max-width: 28em; overflow-wrap: anywhere; }
table.reads td.c-message { min-width: 10em; }
table.reads tr.s-pass, table.reads tr.s-weak, table.reads tr.s-fail, table.reads tr.s-error {
  background: none; color: inherit; }
table.reads tr.s-error td { background: #f1f1f1; }
table.reads tr.s-error td.c-message { color: #b3261e; font-weight: 600; }
table.reads tr:target td { outline: 2px solid #4a7bd0; }
.badge { display: inline-block; padding: 0 6px; border-radius: 8px; font-size: 11px; }
svg.profile { display: block; }
svg.profile .q20 { stroke: #c0c4ca; stroke-width: 1; stroke-dasharray: 2 2; }
svg.profile polyline { fill: none; stroke: #2f5fb3; stroke-width: 1.3; }
)";

// Sorting keeps the first order among equal values, and empty values last either way. A link
// may open the table sorted: #sort=mean_quality, or #sort=-mean_quality for highest first.
constexpr const char kScript[] = R"(
(function () {
  var table = document.getElementById('reads');
  var body = table.tBodies[0];
  var heads = table.tHead.rows[0].cells;
  var current = -1, descending = false;
  function key(row, i, numeric) {
    var text = row.cells[i].textContent.trim();
    if (text === '') return null;
    if (!numeric) return text;
    var n = parseFloat(text);
    return isNaN(n) ? null : n;
  }
  function sortBy(i) {
    var numeric = heads[i].getAttribute('data-kind') === 'num';
    descending = current === i ? !descending : false;
    current = i;
    var keyed = Array.prototype.map.call(body.rows, function (row) {
      return { row: row, key: key(row, i, numeric), order: +row.getAttribute('data-order') };
    });
    keyed.sort(function (a, b) {
      if (a.key === null || b.key === null) {
        if (a.key === b.key) return a.order - b.order;
        return a.key === null ? 1 : -1;
      }
      var c = a.key < b.key ? -1 : a.key > b.key ? 1 : 0;
      return (descending ? -c : c) || a.order - b.order;
    });
    keyed.forEach(function (k) { body.appendChild(k.row); });
    for (var j = 0; j < heads.length; ++j) {
      if (heads[j].hasAttribute('data-col')) {
        heads[j].setAttribute('aria-sort',
            j !== i ? 'none' : descending ? 'descending' : 'ascending');
      }
    }
  }
  Array.prototype.forEach.call(heads, function (th, i) {
    if (th.hasAttribute('data-col')) th.addEventListener('click', function () { sortBy(i); });
  });
  var asked = /^#sort=(-?)([A-Za-z0-9_]+)$/.exec(location.hash);
  if (asked) {
    var th = table.tHead.querySelector('th[data-col="' + asked[2] + '"]');
    if (th) {
      th.click();
      if (asked[1]) th.click();
    }
  }
})();
)";

/// Which status shows on a well holding several reads: the worst of them.
int severity(QcStatus status) {
  return static_cast<int>(status);
}

std::string statusClass(QcStatus status) {
  return std::string("s-") + statusName(status);
}

class Page {
 public:
  explicit Page(const QcTable& table) : table_(table) {}

  std::string build() {
    html_ += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    html_ += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    html_ += "<title>Read quality report</title>\n<style>";
    html_ += kStyle;
    html_ += kPlateMapStyle;
    html_ += "</style>\n</head>\n<body>\n<h1>Read quality report</h1>\n";
    summary();
    plates();
    reads();
    html_ += "<script>";
    html_ += kScript;
    html_ += "</script>\n</body>\n</html>\n";
    return std::move(html_);
  }

 private:
  void card(const std::string& figure, const char* label, const std::string& statusClass = "") {
    html_ += "<div class=\"card ";
    html_ += statusClass;
    html_ += "\" data-figure=\"";
    html_ += label;
    html_ += "\"><b>" + escapeHtml(figure) + "</b><span>" + label + "</span></div>\n";
  }

  void summary() {
    std::map<QcStatus, int> counts;
    std::map<std::string, int> plates;
    std::vector<double> lengths;
    double qualitySum = 0;
    int qualityCount = 0;
    for (const QcRecord& row : table_.rows) {
      ++counts[row.status];
      ++plates[row.plate];
      if (!row.trimmedLength.empty()) lengths.push_back(row.trimmedLength.value());
      if (!row.meanQuality.empty()) {
        qualitySum += row.meanQuality.value();
        ++qualityCount;
      }
    }
    std::string median = "-";
    if (!lengths.empty()) {
      std::sort(lengths.begin(), lengths.end());
      const std::size_t half = lengths.size() / 2;
      const double m =
          lengths.size() % 2 == 1 ? lengths[half] : (lengths[half - 1] + lengths[half]) / 2;
      median = QcNumber::decimal(m, m == std::floor(m) ? 0 : 1).text();
    }
    const std::string files = std::to_string(table_.rows.size());
    html_ += "<p class=\"sub\">" + files + (table_.rows.size() == 1 ? " file" : " files");
    html_ += " from " + std::to_string(plates.size());
    html_ += plates.size() == 1 ? " plate or folder" : " plates or folders";
    html_ += "</p>\n<div class=\"cards\">\n";
    card(files, "files");
    for (QcStatus s : {QcStatus::Pass, QcStatus::Weak, QcStatus::Fail, QcStatus::Error}) {
      card(std::to_string(counts[s]), statusName(s), statusClass(s));
    }
    card(median, "median trimmed length");
    card(qualityCount == 0 ? "-" : QcNumber::decimal(qualitySum / qualityCount, 1).text(),
         "mean quality");
    html_ += "</div>\n";
    html_ +=
        "<p class=\"legend\"><i class=\"s-pass\"></i>pass<i class=\"s-weak\"></i>weak"
        "<i class=\"s-fail\"></i>fail<i class=\"s-error\"></i>error<i></i>empty well</p>\n";
  }

  /// The plates in the order their first read comes, each with its reads by well.
  void plates() {
    const std::vector<QcRecord>& rows = table_.rows;
    const PlateLayout layout = layOutPlates(
        rows.size(), [&](std::size_t i) { return rows[i].plate; },
        [&](std::size_t i) { return rows[i].well; });
    if (!layout.names.empty()) html_ += "<h2>Plates</h2>\n<div class=\"plates\">\n";
    for (const std::string& name : layout.names) {
      html_ += plateMapHtml(name, layout.plates.at(name), "read",
                            [&](const std::string& well, const std::vector<std::size_t>& held) {
                              return wellCell(well, held);
                            });
    }
    if (!layout.names.empty()) html_ += "</div>\n";
    if (layout.unplaced.empty()) return;
    html_ += "<section class=\"unplaced\">\n<h2>Reads without a well</h2>\n<ul>\n";
    for (std::size_t i : layout.unplaced) {
      const QcRecord& row = rows[i];
      const std::string status = statusName(row.status);
      html_ += "<li data-status=\"" + status + "\"><span class=\"dot " + statusClass(row.status) +
               "\"></span><a href=\"#row-" + std::to_string(i) + "\">" + escapeHtml(row.file) +
               "</a> &ndash; " + status + "</li>\n";
    }
    html_ += "</ul>\n</section>\n";
  }

  std::string wellCell(const std::string& well, const std::vector<std::size_t>& rows) {
    QcStatus status = table_.rows[rows.front()].status;
    std::string title = well;
    for (std::size_t i : rows) {
      const QcRecord& row = table_.rows[i];
      if (severity(row.status) > severity(status)) status = row.status;
      title += "\n" + row.file + ": " + statusName(row.status);
      if (!row.trimmedLength.empty()) title += ", " + row.trimmedLength.text() + " bp";
    }
    const std::string& length = table_.rows[rows.front()].trimmedLength.text();
    std::string html = "<td class=\"well " + statusClass(status) + "\" data-well=\"" + well;
    html += "\" data-status=\"" + std::string(statusName(status)) + "\" title=\"" +
            escapeHtml(title) + "\"><a href=\"#row-" + std::to_string(rows.front()) + "\">";
    html += length.empty() ? "&ndash;" : escapeHtml(length);
    if (rows.size() > 1) html += "<sup>&times;" + std::to_string(rows.size()) + "</sup>";
    return html + "</a></td>";
  }

  /// The profile's 40 mean qualities as a line over 0 to 60, with a faint line at 20.
  static std::string profilePicture(const std::vector<int>& profile) {
    std::string points;
    int x = 0;
    for (int q : profile) {
      const int y = kProfileTop - std::clamp(q, 0, kProfileTop);
      if (!points.empty()) points += ' ';
      points += std::to_string(x) + "," + std::to_string(y);
      x += kProfileStep;
    }
    if (points.empty()) return {};
    const int width = std::max(1, x - kProfileStep);
    const std::string w = std::to_string(width);
    return "<svg class=\"profile\" width=\"100\" height=\"26\" viewBox=\"0 0 " + w + " " +
           std::to_string(kProfileTop) +
           "\" preserveAspectRatio=\"none\"><line class=\"q20\" x1=\"0\" x2=\"" + w + "\" y1=\"" +
           std::to_string(kProfileTop - 20) + "\" y2=\"" + std::to_string(kProfileTop - 20) +
           "\" vector-effect=\"non-scaling-stroke\"/><polyline points=\"" + points +
           "\" vector-effect=\"non-scaling-stroke\"/></svg>";
  }

  void reads() {
    const std::vector<QcColumn> columns = qcColumns(table_.withReference);
    html_ += "<h2>Reads</h2>\n<table class=\"reads\" id=\"reads\">\n<thead><tr>";
    for (const QcColumn& column : columns) {
      if (column.kind == QcColumn::Profile) continue;
      html_ += "<th data-col=\"" + std::string(column.name) + "\" data-kind=\"";
      html_ += column.numeric() ? "num" : "text";
      // Spaced names let the narrow figures' headers wrap.
      std::string label = column.name;
      std::replace(label.begin(), label.end(), '_', ' ');
      html_ += "\" aria-sort=\"none\">" + label + "</th>";
    }
    html_ += "<th>profile</th></tr></thead>\n<tbody>\n";
    for (std::size_t i = 0; i < table_.rows.size(); ++i) {
      const QcRecord& row = table_.rows[i];
      const std::string index = std::to_string(i);
      html_ += "<tr id=\"row-" + index + "\" data-order=\"" + index + "\" class=\"" +
               statusClass(row.status) + "\" data-status=\"" + statusName(row.status) + "\">";
      for (const QcColumn& column : columns) {
        if (column.kind == QcColumn::Profile) continue;
        html_ += "<td class=\"";
        html_ += column.numeric() ? "num c-" : "c-";
        html_ += std::string(column.name) + "\">";
        if (column.kind == QcColumn::Status) {
          html_ += "<span class=\"badge " + statusClass(row.status) + "\">" +
                   statusName(row.status) + "</span>";
        } else {
          html_ += escapeHtml(cellText(column, row));
        }
        html_ += "</td>";
      }
      html_ += "<td class=\"profile\">" + profilePicture(row.profile) + "</td></tr>\n";
    }
    html_ += "</tbody>\n</table>\n";
  }

  const QcTable& table_;
  std::string html_;
};

}  // namespace

std::string qcHtml(const QcTable& table) {
  return Page(table).build();
}

}  // namespace vistrel
