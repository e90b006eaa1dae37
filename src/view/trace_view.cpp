// The view's painting. Only the samples and bases whose columns a paint request covers are
// drawn, so that a line scroll, which repaints a narrow strip, stays cheap.
#include "view/trace_view.h"

#include <algorithm>
#include <string>
#include <vector>

#include "view/base_marks.h"
#include "view/layout.h"
#include "view/quality_marks.h"
#include "view/trace_lines.h"

namespace vistrel {

const std::array<const char*, 6> kCreditLines{
    "A viewer and editor of DNA sequencing chromatograms",
    "for ABI trace files and SCF files of versions 1 to 3",
    "Written in C++ with Qt",
    "Copyright (c) 2026 The Vistrel developers",
    "Released under the MIT licence",
    "Open a trace file with File > Open (Ctrl+O)"};

namespace {

constexpr const char kProductName[] = "Vistrel";
constexpr std::array<Rgb, 7> kTitleColours{Rgb{0, 0, 0},   Rgb{255, 0, 0}, Rgb{0, 255, 0},
                                           Rgb{0, 0, 255}, Rgb{0, 0, 0},   Rgb{255, 0, 0},
                                           Rgb{0, 255, 0}};
constexpr int kInfoSpacing = 20;

int centred(Canvas& canvas, int clientWidth, const char* text, const FontSpec& font) {
  int x = (clientWidth - canvas.textWidth(text, font)) / 2;
  return x < 0 ? 0 : x;
}

void paintStartScreen(const ViewState& view, Canvas& canvas) {
  const ViewLayout& l = view.layout;
  const int width = view.clientWidth;
  int sum = 0;
  for (int i = 0; i < 7; ++i) sum += canvas.textWidth({kProductName + i, 1}, l.titleFont);
  int x = (width - sum) / 2;
  if (x < 0) x = 0;
  int y = (view.clientHeight - l.titleFontHeight - l.infoFontHeight - 7 * l.creditFontHeight -
           l.creditFontHeight / 2) /
          2;
  if (y < 0) y = 0;
  for (int i = 0; i < 7; ++i) {
    std::string_view letter(kProductName + i, 1);
    canvas.drawText({x, y}, letter, l.titleFont, kTitleColours[i], kWhite);
    x += canvas.textWidth(letter, l.titleFont);
  }
  y += l.titleFontHeight + l.creditFontHeight / 2;
  canvas.drawText({centred(canvas, width, kVersionLine, l.infoFont), y}, kVersionLine, l.infoFont,
                  kBlackColour, kWhite);
  y += l.infoFontHeight + l.creditFontHeight;
  for (const char* line : kCreditLines) {
    canvas.drawText({centred(canvas, width, line, l.creditFont), y}, line, l.creditFont,
                    kBlackColour, kWhite);
    y += l.creditFontHeight;
  }
}

void paintInfoBand(const Chromatogram& d, const ViewState& view, ScreenLook& screen,
                   Canvas& canvas) {
  const ViewLayout& l = view.layout;
  const int width = view.clientWidth;
  const int bandBottom = l.infoFontHeight + 2;
  canvas.fillRect({0, 0, width, bandBottom}, screen.menuColour());
  canvas.drawLine({0, 0}, {width, 0}, kBlackColour);
  canvas.drawLine({0, bandBottom}, {width, bandBottom}, kBlackColour);
  const Rgb text = screen.menuTextColour();
  int x = 2;
  for (const std::string* line : {&d.fileInfoText, &d.sampleNameText, &d.runEndedText}) {
    canvas.drawText({x, 1}, *line, l.infoFont, text, std::nullopt);
    x += canvas.textWidth(*line, l.infoFont) + kInfoSpacing;
  }
}

void paintTraces(const Chromatogram& d, const ViewSettings& s, const ViewState& view,
                 Canvas& canvas, int first, int last) {
  const int height = traceAreaHeight(s, view);
  TraceLines lines;
  lines.axis = viewAxis(s, view.scrollPos);
  lines.baseline = view.layout.baseline(height);
  lines.scale = traceScale(s, height, s.fitPeaks != 0 ? view.readMarks.tallestSample : 0);
  // One sample before the first column, when there is one, so the line enters from the left.
  lines.first = view.scrollPos + (first > 0 || view.scrollPos > 0 ? first - 1 : first);
  lines.end = view.scrollPos + last + 2;
  for (int c = 0; c < 4; ++c) lines.colours[c] = d.channels[c].colour;
  drawTraceLines(d, lines, canvas);
}

/// The reach of `baseTextReach` in samples at the current X zoom.
int baseRowReach(const ViewSettings& s, const ViewLayout& l, int baseCount) {
  const int pixels = baseTextReach(l, baseCount);
  switch (s.xZoomMode) {
    case kMagnify:
      return (pixels >> s.xZoomLevel) + 1;
    case kReduce:
      return pixels << s.xZoomLevel;
    default:
      // The fit level grows with the trace; the bound keeps the product within an int.
      return pixels * std::min(s.xZoomLevel, 1 << 16);
  }
}

/// The bases whose text may reach into sample offsets `first` to `last`.
BaseSpan visibleBases(const BaseCalls& calls, const ViewSettings& s, const ViewState& view,
                      int first, int last) {
  const int scrollPos = view.scrollPos;
  const int reach = baseRowReach(s, view.layout, calls.baseCount);
  // Letters past `baseCount` do not exist, whatever the peak count says.
  const int bases = std::min(calls.baseCount, calls.peakCount);
  int i = 0;
  while (i < bases && calls.peak(i) < scrollPos + first - reach) ++i;
  if (i > 0) --i;
  int end = i;
  while (end < bases && calls.peak(end) < scrollPos + last + reach) ++end;
  return {i, end};
}

}  // namespace

int letterStep(const BaseCalls& calls, const ViewSettings& settings, int charWidth) {
  const int bases = std::min(calls.baseCount, calls.peakCount);
  if (settings.xZoomMode != kReduce || bases < 2) return 1;
  // The read's mean spacing of peaks, in pixels at this zoom, times the step.
  const std::int64_t samples = std::int64_t{calls.peak(bases - 1)} - calls.peak(0);
  int step = 1;
  while (step < kMostLetterStep &&
         (samples * step) >> settings.xZoomLevel < std::int64_t{charWidth} * (bases - 1)) {
    step *= 2;
  }
  return step;
}

namespace {

void paintBaseRow(const Chromatogram& d, const ViewSettings& s, const ViewState& view,
                  Canvas& canvas, BaseSpan span) {
  const ViewLayout& l = view.layout;
  const BaseCalls& calls = d.shown();
  const int scrollPos = view.scrollPos;
  const int numberStep = s.xZoomMode == kMagnify ? 10 : 50;
  const int step = letterStep(calls, s, l.baseCharWidth);
  const auto range = view.selectedRange();
  auto selected = [&](int i) {
    return range ? i >= range->first && i <= range->second : i == view.selectedBase;
  };
  for (int i = span.first; i < span.end; ++i) {
    const int x = sampleToX(s, scrollPos, calls.peak(i));
    const std::uint8_t letter = calls.base(i);
    // Where letters would overlap only every step-th shows, and the selected one.
    if (i % step == 0 || i == view.selectedBase) {
      const Rgb background = selected(i) ? kSelectionGrey : kWhite;
      canvas.drawText({x - l.baseCharWidth / 2, l.letterRowTop()},
                      {reinterpret_cast<const char*>(&letter), 1}, l.baseFont,
                      s.letterColour(letter), background);
    }
    const int n = i + 1;
    if (n % numberStep == 0) {
      const std::string number = std::to_string(n);
      const int numberWidth = l.baseCharWidth * static_cast<int>(number.size());
      canvas.drawText({x - numberWidth / 2, l.numberRowTop()}, number, l.baseFont, kBlackColour,
                      kWhite);
    }
  }
}

void paintCaret(const ViewSettings& s, const ViewState& view, Canvas& canvas) {
  const ViewLayout& l = view.layout;
  if (view.insertCaret != 0) {
    const int x = sampleToX(s, view.scrollPos, view.insertCaret);
    const int width = s.xZoomMode == kMagnify ? 1 << s.xZoomLevel : 1;
    canvas.fillRect({x, l.letterRowTop(), x + width, l.numberRowTop() + 2 * l.baseFontHeight + 4},
                    kCaretGrey);
  }
}

void paintTick(const ViewState& view, Canvas& canvas) {
  const ViewLayout& l = view.layout;
  if (view.positionTickX >= 0) {
    const int t = view.positionTickX;
    const int y0 = l.numberRowTop() + l.baseFontHeight;
    canvas.drawLine({t, y0}, {t, y0 + 4}, kBlackColour);
    canvas.drawLine({t - 1, y0 + 2}, {t + 2, y0 + 2}, kBlackColour);
  }
}

}  // namespace

int baseTextReach(const ViewLayout& layout, int baseCount) {
  const int digits = static_cast<int>(std::to_string(std::max(baseCount, 1)).size());
  return (digits * layout.baseCharWidth) / 2 + layout.baseCharWidth;
}

CursorShape cursorAt(const Chromatogram& document, const ViewSettings& settings,
                     const ViewState& view, int y) {
  const ViewLayout& l = view.layout;
  const bool inLetterRow = y >= l.letterRowTop() && y < l.numberRowTop() + 2 * l.baseFontHeight + 3;
  return document.loaded && settings.xZoomMode != kFit && inLetterRow ? CursorShape::IBeam
                                                                      : CursorShape::Arrow;
}

void paintView(const Chromatogram& document, const ViewSettings& settings, const ViewState& view,
               ScreenLook& screen, Canvas& canvas, const Rect& area) {
  if (!document.loaded) {
    paintStartScreen(view, canvas);
    return;
  }
  const ViewLayout& l = view.layout;
  const ViewSettings& s = settings;
  if (area.top <= l.infoFontHeight + 1) paintInfoBand(document, view, screen, canvas);
  const int first = xToSampleOffset(s, area.left);
  const int last = xToSampleOffset(s, area.right);
  if (l.traceTop() <= area.bottom) {
    const int height = traceAreaHeight(s, view);
    const int baseline = l.baseline(height);
    const MarkArea marks{viewAxis(s, view.scrollPos), baseline - height, baseline, area.left,
                         area.right};
    paintQualityMarks(document.shown(), view.readMarks.goodRegion, s, marks, kScreenMarkColours,
                      canvas);
    paintTraces(document, s, view, canvas, first, last);
    canvas.drawLine({0, baseline}, {view.clientWidth, baseline}, kBlackColour);
  }
  const BaseSpan span = visibleBases(document.shown(), s, view, first, last);
  if (area.bottom > l.referenceRowTop() && area.top < l.numberRowTop()) {
    paintReferenceRow(document.shown(), s, view, canvas, span);
  }
  if (area.bottom > l.mixedMarkTop() && area.top < l.traceTop()) {
    paintMixedMarks(document, s, view, canvas, span);
  }
  if (area.bottom > l.numberRowTop() && area.top <= l.numberRowTop() + 2 * l.baseFontHeight + 3) {
    if (s.xZoomMode != kFit) {
      paintBaseRow(document, s, view, canvas, span);
      paintCaret(s, view, canvas);
    }
    // The tick follows a held button over the traces in every zoom mode, fit included: it
    // exists only while the button is held, and painting is the only way it shows.
    paintTick(view, canvas);
  }
}

}  // namespace vistrel
