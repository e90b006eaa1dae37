// Contig painting. Only the columns a paint request covers are drawn, so that scrolling a wide
// contig of many reads stays cheap.
#include "app/contig_painting.h"

#include <algorithm>
#include <string>

#include "analysis/contig_report.h"
#include "document/nucleotides.h"
#include "view/layout.h"
#include "view/trace_lines.h"
#include "view/trace_view.h"

namespace vistrel {

namespace {

constexpr Rgb kFaintGrey{176, 176, 176};
constexpr Rgb kDisagreeing{255, 205, 205};
constexpr Rgb kConflictMark{255, 140, 0};
constexpr Rgb kDifferenceMark{220, 0, 0};
constexpr Rgb kQualityBar{110, 140, 210};
constexpr Rgb kUncovered{235, 150, 150};
constexpr Rgb kOneStrand{170, 195, 235};
constexpr Rgb kBothStrands{60, 105, 195};
constexpr Rgb kCentreLine{150, 150, 150};
/// Below this quality a letter is drawn faded.
constexpr int kLowQuality = 20;
/// Pixels a sample in the stacked traces.
constexpr int kStackedPixelsPerSample = 2;
constexpr int kStackedTraceHeight = 60;
/// The highest consensus quality, which fills the quality row.
constexpr int kMaxConsensusQuality = 93;

/// `name` cut to `most` characters, a cut one ending in '~'.
std::string shortName(const std::string& name, std::size_t most) {
  if (name.size() <= most) return name;
  return name.substr(0, most - 1) + "~";
}

Rgb faded(Rgb c) {
  auto toWhite = [](std::uint8_t v) { return static_cast<std::uint8_t>(v + (255 - v) * 3 / 5); };
  return {toWhite(c.red), toWhite(c.green), toWhite(c.blue)};
}

/// The columns from `first` to `end` (excluded) that `area` reaches.
struct ColumnSpan {
  std::int32_t first = 0;
  std::int32_t end = 0;
};

ColumnSpan columnsIn(const ContigWindowState& state, const Rect& area) {
  const ContigViewState& v = state.view;
  const int w = columnWidth(v);
  const int left = nameWidth(v);
  const auto count = static_cast<std::int32_t>(shownContig(state)->columns.size());
  const std::int32_t first = v.firstColumn + std::max(area.left - left, 0) / w;
  const std::int32_t end = v.firstColumn + std::max(area.right - left + w - 1, 0) / w;
  return {std::min(first, count), std::min(end, count)};
}

int columnX(const ContigViewState& v, std::int32_t column) {
  return nameWidth(v) + (column - v.firstColumn) * columnWidth(v);
}

/// A letter in its column: the character when there is room, else a bar of its colour.
void drawCell(const ContigViewState& v, Canvas& canvas, int x, int top, int height, char letter,
              Rgb colour) {
  const int w = columnWidth(v);
  if (w >= v.charWidth) {
    canvas.drawText({x + (w - v.charWidth) / 2, top + 1}, {&letter, 1}, kContigFont, colour,
                    std::nullopt);
  } else if (letter != '-') {
    canvas.fillRect({x, top + 3, x + w, top + height - 2}, colour);
  }
}

/// The step of the position numbers: a round number of columns that leaves room for them.
int numberStep(const ContigViewState& v) {
  for (const int step : {10, 20, 50, 100, 200, 500, 1000, 2000, 5000}) {
    if (step * columnWidth(v) >= 8 * v.charWidth) return step;
  }
  return 10000;
}

void paintPositions(const ContigWindowState& state, const Contig& contig, Canvas& canvas,
                    ColumnSpan span, int top) {
  const ContigViewState& v = state.view;
  const int step = numberStep(v);
  // A number may reach in from a column just outside the area.
  const std::int32_t reach = 8 * v.charWidth / columnWidth(v) + 1;
  const auto count = static_cast<std::int32_t>(contig.columns.size());
  for (std::int32_t c = std::max(span.first - 1, 0); c < std::min(span.end + reach, count); ++c) {
    const ContigColumn& column = contig.columns[static_cast<std::size_t>(c)];
    const int x = columnX(v, c);
    if (column.conflict || column.difference) {
      canvas.fillRect(
          {x, top + v.charHeight, x + std::max(columnWidth(v), 2), top + v.charHeight + 2},
          column.difference ? kDifferenceMark : kConflictMark);
    }
    const std::int64_t position =
        contig.hasReference ? std::int64_t{column.referenceIndex} + 1 : std::int64_t{c} + 1;
    if (column.insertion || position % step != 0) continue;
    const std::string number = std::to_string(position);
    const int right = x + columnWidth(v) / 2 + v.charWidth / 2;
    canvas.drawText({right - v.charWidth * static_cast<int>(number.size()), top}, number,
                    kContigFont, kBlackColour, std::nullopt);
  }
}

void paintReadRow(const ContigWindowState& state, const ViewSettings& s, Canvas& canvas,
                  ColumnSpan span, std::int32_t row, int top, int height) {
  const ContigViewState& v = state.view;
  const Contig& contig = *shownContig(state);
  const PlacedRead& read = contig.reads[static_cast<std::size_t>(row)];
  const ContigInput& input = state.inputs[static_cast<std::size_t>(read.input)];
  for (std::int32_t c = span.first; c < span.end; ++c) {
    const std::optional<std::int32_t> laid = baseAt(state, row, c);
    const std::optional<std::int32_t> base = laid ? laid : baseAt(state, row, c, true);
    if (!base) continue;
    const int x = columnX(v, c);
    const char letter = *base < 0 ? '-' : laidLetter(state, row, *base);
    if (laid && letter != contig.columns[static_cast<std::size_t>(c)].consensus) {
      canvas.fillRect({x, top, x + columnWidth(v), top + height}, kDisagreeing);
    }
    Rgb colour = s.letterColour(static_cast<std::uint8_t>(letter));
    if (!laid || (*base >= 0 && !input.region.contains(*base))) {
      colour = kFaintGrey;
    } else if (*base >= 0 && !input.qualities.empty() &&
               input.qualities[static_cast<std::size_t>(*base)] < kLowQuality) {
      colour = faded(colour);
    }
    drawCell(v, canvas, x, top, height, letter, colour);
  }
}

void paintNames(const ContigWindowState& state, Canvas& canvas, const ContigRows& rows,
                const Contig& contig) {
  const ContigViewState& v = state.view;
  const int right = nameWidth(v) - 4;
  canvas.fillRect({0, 0, nameWidth(v), rows.bottom}, kWhite);
  if (contig.hasReference) {
    canvas.drawText({2, rows.referenceTop + 1}, shortName(contig.name, 17), kContigFont,
                    kBlackColour, std::nullopt);
  }
  const std::int32_t end = std::min<std::int32_t>(v.firstRow + rows.visibleRows(),
                                                  static_cast<std::int32_t>(contig.reads.size()));
  for (std::int32_t r = v.firstRow; r < end; ++r) {
    const PlacedRead& read = contig.reads[static_cast<std::size_t>(r)];
    const int top = rows.readsTop + (r - v.firstRow) * rows.rowHeight;
    if (r == state.row) canvas.fillRect({0, top, right, top + rows.rowHeight}, kSelectionGrey);
    const std::string& title = state.documents[static_cast<std::size_t>(read.input)].fileTitle;
    canvas.drawText({2, top + 1}, std::string(read.reverse ? "- " : "+ ") + shortName(title, 15),
                    kContigFont, kBlackColour, std::nullopt);
  }
  canvas.drawText({2, rows.consensusTop + 1}, "Consensus", kContigFont, kBlackColour, std::nullopt);
  canvas.drawLine({right + 2, 0}, {right + 2, rows.bottom}, kSelectionGrey);
}

void paintConsensus(const ContigWindowState& state, const ViewSettings& s, Canvas& canvas,
                    const ContigRows& rows, const Contig& contig, ColumnSpan span) {
  const ContigViewState& v = state.view;
  const int barHeight = rows.coverageTop - rows.qualityTop - 2;
  for (std::int32_t c = span.first; c < span.end; ++c) {
    const ContigColumn& column = contig.columns[static_cast<std::size_t>(c)];
    const int x = columnX(v, c);
    const int w = columnWidth(v);
    if (column.coverage > 0) {
      const Rgb colour = s.letterColour(static_cast<std::uint8_t>(column.consensus));
      drawCell(v, canvas, x, rows.consensusTop, rows.rowHeight, column.consensus,
               column.quality < kLowQuality ? faded(colour) : colour);
      const int bar = column.quality * barHeight / kMaxConsensusQuality;
      canvas.fillRect({x, rows.coverageTop - 1 - bar, x + std::max(w - 1, 1), rows.coverageTop - 1},
                      kQualityBar);
    }
    if (contig.hasReference || column.coverage > 0) {
      const Rgb cover = column.coverage == 0 ? kUncovered
                        : column.bothStrands ? kBothStrands
                                             : kOneStrand;
      canvas.fillRect({x, rows.coverageTop, x + w, rows.coverageTop + 5}, cover);
    }
  }
}

}  // namespace

void paintContigRows(const ContigWindowState& state, const ViewSettings& s, Canvas& canvas,
                     const Rect& area) {
  const Contig* contig = shownContig(state);
  if (contig == nullptr) return;
  const ContigViewState& v = state.view;
  const ContigRows rows = contigRows(state);
  const ColumnSpan span = columnsIn(state, area);
  if (state.column >= span.first && state.column < span.end) {
    const int x = columnX(v, state.column);
    canvas.fillRect({x, rows.referenceTop, x + columnWidth(v), rows.bottom}, kSelectionGrey);
  }
  paintPositions(state, *contig, canvas, span, rows.positionsTop);
  if (contig->hasReference) {
    for (std::int32_t c = span.first; c < span.end; ++c) {
      const char letter = contig->columns[static_cast<std::size_t>(c)].reference;
      drawCell(v, canvas, columnX(v, c), rows.referenceTop, rows.rowHeight, letter, kBlackColour);
    }
  }
  const std::int32_t end = std::min<std::int32_t>(v.firstRow + rows.visibleRows(),
                                                  static_cast<std::int32_t>(contig->reads.size()));
  for (std::int32_t r = v.firstRow; r < end; ++r) {
    const int top = rows.readsTop + (r - v.firstRow) * rows.rowHeight;
    if (top < area.bottom && top + rows.rowHeight > area.top) {
      paintReadRow(state, s, canvas, span, r, top, rows.rowHeight);
    }
  }
  paintConsensus(state, s, canvas, rows, *contig, span);
  if (area.left < nameWidth(v)) paintNames(state, canvas, rows, *contig);
}

int contigStripHeight(const ContigViewState& view) {
  return 2 * view.charHeight + kStackedTraceHeight + 6;
}

int stackedCentre(const ContigViewState& view) {
  return view.width / 2;
}

std::vector<std::int32_t> stackedRows(const ContigWindowState& state) {
  std::vector<std::int32_t> rows;
  const Contig* contig = shownContig(state);
  if (contig == nullptr || state.column < 0) return rows;
  for (std::int32_t r = 0; r < static_cast<std::int32_t>(contig->reads.size()); ++r) {
    if (baseAt(state, r, state.column)) rows.push_back(r);
  }
  return rows;
}

namespace {

/// The sample of read `row` that stands at the selected column: its base's peak, or for a gap
/// the middle of the peaks of the bases laid on either side.
std::int32_t centreSample(const ContigWindowState& state, std::int32_t row,
                          const BaseCalls& calls) {
  auto peakNear = [&](int step) -> std::optional<std::int32_t> {
    const auto columns = static_cast<std::int32_t>(shownContig(state)->columns.size());
    for (std::int32_t c = state.column; c >= 0 && c < columns; c += step) {
      const std::optional<std::int32_t> base = baseAt(state, row, c, true);
      if (!base) return std::nullopt;
      if (*base >= 0 && *base < calls.peakCount) return calls.peak(*base);
    }
    return std::nullopt;
  };
  const std::optional<std::int32_t> left = peakNear(-1), right = peakNear(1);
  if (left && right) return (*left + *right) / 2;
  return left ? *left : right.value_or(0);
}

void paintStrip(const ContigWindowState& state, const ViewSettings& s, Canvas& canvas,
                std::int32_t row, int top) {
  const ContigViewState& v = state.view;
  const Contig& contig = *shownContig(state);
  const PlacedRead& read = contig.reads[static_cast<std::size_t>(row)];
  const Chromatogram& document = state.documents[static_cast<std::size_t>(read.input)];
  const BaseCalls& calls = document.shown();
  const int centre = stackedCentre(v);
  const std::int32_t at = centreSample(state, row, calls);
  const std::int32_t half = centre / kStackedPixelsPerSample + 2;

  const std::optional<std::int32_t> base = baseAt(state, row, state.column);
  std::string label = std::string(read.reverse ? "- " : "+ ") + document.fileTitle;
  if (base && *base >= 0) {
    label += "   base " + std::to_string(*base + 1) + " " + laidLetter(state, row, *base);
    const ContigInput& input = state.inputs[static_cast<std::size_t>(read.input)];
    if (!input.qualities.empty()) {
      label += " q" + std::to_string(input.qualities[static_cast<std::size_t>(*base)]);
    }
  } else {
    label += "   gap";
  }
  canvas.drawText({4, top}, label, kContigFont, kBlackColour, std::nullopt);

  TraceLines lines;
  lines.axis = {centre, read.reverse ? 0 : at, kStackedPixelsPerSample, 1};
  lines.mirrored = read.reverse;
  lines.mirrorOrigin = at;
  lines.baseline = top + v.charHeight + kStackedTraceHeight;
  lines.first = at - half;
  lines.end = at + half + 1;
  lines.scale =
      fittedTraceScale(kStackedTraceHeight, document.tallestSample(lines.first, lines.end));
  for (int c = 0; c < 4; ++c) {
    const auto letter = static_cast<std::uint8_t>(document.channels[c].letter);
    lines.colours[c] = s.letterColour(read.reverse ? complementOf(letter) : letter);
  }
  canvas.drawLine({centre, top + v.charHeight}, {centre, lines.baseline + v.charHeight + 2},
                  kCentreLine);
  drawTraceLines(document, lines, canvas);
  canvas.drawLine({0, lines.baseline}, {v.width, lines.baseline}, kSelectionGrey);

  const int letterTop = lines.baseline + 2;
  const std::int32_t bases = std::min(calls.baseCount, calls.peakCount);
  for (std::int32_t b = 0; b < bases; ++b) {
    const std::int32_t p = calls.peak(b);
    if (p < lines.first || p >= lines.end) continue;
    const int x = lines.axis.x(read.reverse ? at - p : p);
    const auto letter = calls.base(b);
    const std::uint8_t shown = read.reverse ? complementOf(letter) : letter;
    const char text = static_cast<char>(shown);
    canvas.drawText({x - v.charWidth / 2, letterTop}, {&text, 1}, kContigFont,
                    s.letterColour(shown),
                    base && b == *base ? std::optional(kSelectionGrey) : std::nullopt);
  }
}

}  // namespace

void paintContigTraces(const ContigWindowState& state, const ViewSettings& s, Canvas& canvas) {
  const std::vector<std::int32_t> rows = stackedRows(state);
  const int height = contigStripHeight(state.view);
  for (std::size_t i = static_cast<std::size_t>(std::max(state.view.firstStrip, 0));
       i < rows.size(); ++i) {
    const int top = static_cast<int>(i - static_cast<std::size_t>(state.view.firstStrip)) * height;
    if (top >= state.view.tracesHeight) break;
    paintStrip(state, s, canvas, rows[i], top);
  }
}

}  // namespace vistrel
