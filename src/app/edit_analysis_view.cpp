// Edit Analysis painting. Every trace is drawn by the trace window's own line drawing; only the
// axes differ: the control's stretch fills its strip and the edited trace goes through the
// analysis's sample mapping onto the control's.
#include "app/edit_analysis_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "view/layout.h"
#include "view/trace_view.h"

namespace vistrel {

namespace {

constexpr int kMargin = 8;
constexpr int kGuideBarHeight = 4;
constexpr Rgb kGrey{128, 128, 128};
constexpr Rgb kLightGrey{220, 220, 220};
constexpr Rgb kIndelColour{70, 110, 180};
constexpr Rgb kDonorColour{0, 150, 80};
constexpr Rgb kWindowShade{255, 245, 200};
constexpr Rgb kBeforeColour{0, 90, 200};
constexpr Rgb kAfterColour{230, 110, 0};
constexpr Rgb kCutColour{255, 0, 255};
constexpr Rgb kGuideColour{255, 170, 0};
/// The steps tried between labelled bars, from every bar up.
constexpr int kLabelSteps[] = {1, 2, 5, 10, 25};

/// The edited trace's axis scale is kept as a fraction with this denominator factor.
constexpr std::int64_t kAxisPrecision = 4096;

std::string percentText(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string alleleLabel(const AlleleShare& allele) {
  if (allele.donor) return "D";
  char text[16];
  std::snprintf(text, sizeof text, allele.size > 0 ? "+%d" : "%d", allele.size);
  return text;
}

void paintFigures(const EditAnalysisShown& shown, const EditAnalysisLayout& l, Canvas& canvas) {
  const EditAnalysis& a = shown.analysis;
  const GuideSite& site = a.site;
  char line[512];
  std::snprintf(line, sizeof line,
                "Control: %s    Edited: %s    Guide: %s on the %c strand, cut after base %d",
                shown.control.fileTitle.c_str(), shown.edited.fileTitle.c_str(),
                shown.request.guide.c_str(), site.reverse ? '-' : '+', site.cut);
  int y = l.figures.top;
  canvas.drawText({l.figures.left, y}, line, l.textFont, kBlackColour, std::nullopt);
  y += l.textHeight;
  std::string figures = "R\xC2\xB2 " + percentText("%.3f", a.rSquared) + "    Indel " +
                        percentText("%.1f%%", a.indelPercent) + "    Frameshift " +
                        percentText("%.1f%%", a.frameshiftPercent) + "    KO score " +
                        percentText("%.0f", a.koScore);
  if (a.donorPercent) figures += "    Donor " + percentText("%.1f%%", *a.donorPercent);
  figures += "    Wild type " + percentText("%.1f%%", a.wildTypePercent);
  canvas.drawText({l.figures.left, y}, figures, l.textFont, kBlackColour, std::nullopt);
  y += l.textHeight;
  if (!a.note.empty())
    canvas.drawText({l.figures.left, y}, a.note, l.textFont, kGrey, std::nullopt);
}

/// The text `text` centred on `x`.
void drawCentred(Canvas& canvas, int x, int y, const std::string& text, const FontSpec& font,
                 Rgb colour) {
  canvas.drawText({x - canvas.textWidth(text, font) / 2, y}, text, font, colour, std::nullopt);
}

/// Labels every bar when they fit, else every few sizes (and the donor), so they never overlap.
int labelStep(const std::vector<AlleleShare>& alleles, double pitch, Canvas& canvas,
              const FontSpec& font) {
  int widest = 0;
  for (const AlleleShare& allele : alleles) {
    widest = std::max(widest, canvas.textWidth(alleleLabel(allele), font));
  }
  for (int step : kLabelSteps) {
    if (widest + 2 <= step * pitch) return step;
  }
  return kLabelSteps[std::size(kLabelSteps) - 1];
}

void paintSpectrum(const EditAnalysisShown& shown, const EditAnalysisLayout& l, Canvas& canvas) {
  const std::vector<AlleleShare>& alleles = shown.analysis.alleles;
  const Rect& area = l.spectrum;
  canvas.drawText({area.left, area.top}, "Indel spectrum (% of the sample)", l.labelFont,
                  kBlackColour, std::nullopt);
  const Rect plot{area.left, area.top + l.labelHeight, area.right, area.bottom};
  const std::vector<Rect> bars = spectrumBars(alleles, plot, l.labelHeight);
  if (bars.empty()) return;
  const int axis = bars.front().bottom;
  canvas.drawLine({plot.left, axis}, {plot.right, axis}, kGrey);
  const double pitch = static_cast<double>(plot.width()) / static_cast<double>(alleles.size());
  const int step = labelStep(alleles, pitch, canvas, l.labelFont);
  for (std::size_t i = 0; i < alleles.size(); ++i) {
    const AlleleShare& allele = alleles[i];
    const Rect& bar = bars[i];
    const Rgb colour = allele.donor ? kDonorColour : allele.size == 0 ? kGrey : kIndelColour;
    canvas.fillRect(bar, colour);
    const int centre = (bar.left + bar.right) / 2;
    if (allele.donor || allele.size % step == 0) {
      drawCentred(canvas, centre, axis + 1, alleleLabel(allele), l.labelFont, kBlackColour);
    }
    if (allele.percent >= 1.0) {
      drawCentred(canvas, centre, bar.top - l.labelHeight, percentText("%.0f", allele.percent),
                  l.labelFont, kBlackColour);
    }
  }
}

void paintDiscordance(const EditAnalysisShown& shown, const EditAnalysisLayout& l, Canvas& canvas) {
  const EditAnalysis& a = shown.analysis;
  const Rect& area = l.discordance;
  char title[160];
  std::snprintf(title, sizeof title,
                "Discordance with the control (%% of the signal): %.1f before the cut, %.1f after",
                a.discordanceBefore, a.discordanceAfter);
  canvas.drawText({area.left, area.top}, title, l.labelFont, kBlackColour, std::nullopt);
  const Rect plot{area.left, area.top + l.labelHeight + 2, area.right, area.bottom};
  if (a.discordance.empty() || plot.height() <= 0) return;
  const std::int32_t first = a.discordance.front().base;
  const std::int32_t span = std::max(1, a.discordance.back().base - first);
  auto x = [&](double base) {
    return plot.left + static_cast<int>(std::lround((base - first) * plot.width() / span));
  };
  auto y = [&](double percent) {
    return plot.bottom -
           static_cast<int>(std::lround(std::clamp(percent, 0.0, 100.0) * plot.height() / 100.0));
  };
  canvas.fillRect({std::max(plot.left, x(a.window.start)), plot.top,
                   std::min(plot.right, x(a.window.end)), plot.bottom},
                  kWindowShade);
  canvas.frameRect(plot, kLightGrey);
  const double cut = a.site.cut - 0.5;  // between the bases on either side of the cut
  std::vector<Point> before, after;
  for (const DiscordancePoint& p : a.discordance) {
    (p.base < a.site.cut ? before : after).push_back({x(p.base), y(p.percent)});
  }
  if (!before.empty()) canvas.drawPolyline(before.data(), before.size(), kBeforeColour);
  if (!after.empty()) canvas.drawPolyline(after.data(), after.size(), kAfterColour);
  canvas.drawLine({x(cut), plot.top}, {x(cut), plot.bottom}, kCutColour);
}

/// The control bases whose peaks stand within `kBasesAroundCut` of the cut, as [first, end).
TrimRegion basesAroundCut(const BaseCalls& calls, std::int32_t cut) {
  const std::int32_t count = std::min(calls.baseCount, calls.peakCount);
  return {std::clamp(cut - kBasesAroundCut, 0, count), std::clamp(cut + kBasesAroundCut, 0, count)};
}

/// The trace part of a strip: above its guide bar and its letters.
Rect traceAreaOf(const Rect& strip, const EditAnalysisLayout& l) {
  return {strip.left, strip.top + l.labelHeight, strip.right,
          strip.bottom - l.letterHeight - kGuideBarHeight - 2};
}

/// Lines fitted to `area`'s height by the tallest sample of their stretch.
void fitHeight(const Chromatogram& d, const Rect& area, TraceLines& lines) {
  ViewSettings fit;
  fit.fitPeaks = 1;
  lines.baseline = area.bottom - 1;
  lines.scale =
      traceScale(fit, area.height(), std::max(1, d.tallestSample(lines.first, lines.end)));
  for (int c = 0; c < 4; ++c) lines.colours[c] = d.channels[c].colour;
}

/// The letters of `calls` whose peaks lie in the lines' stretch, under the strip.
void paintLetters(const BaseCalls& calls, const TraceLines& lines, const Rect& strip,
                  const EditAnalysisLayout& l, const ViewSettings& settings, Canvas& canvas) {
  const int top = strip.bottom - l.letterHeight;
  const int half = canvas.textWidth("A", l.letterFont) / 2;
  const std::int32_t count = std::min(calls.baseCount, calls.peakCount);
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int32_t peak = calls.peak(i);
    if (peak < lines.first || peak >= lines.end) continue;
    const std::uint8_t letter = calls.base(i);
    canvas.drawText({lines.axis.x(peak) - half, top}, {reinterpret_cast<const char*>(&letter), 1},
                    l.letterFont, settings.letterColour(letter), std::nullopt);
  }
}

/// The sample where control base `i` begins: halfway from the peak before it.
std::int32_t baseBoundary(const BaseCalls& calls, std::int32_t i) {
  const std::int32_t count = std::min(calls.baseCount, calls.peakCount);
  if (i <= 0) return calls.peak(0);
  if (i >= count) return calls.peak(count - 1);
  return (calls.peak(i - 1) + calls.peak(i)) / 2;
}

void paintGuideBar(const EditAnalysisShown& shown, const TraceLines& lines, const Rect& strip,
                   const EditAnalysisLayout& l, Canvas& canvas) {
  const BaseCalls& calls = shown.control.shown();
  const GuideSite& site = shown.analysis.site;
  const int left = std::max(strip.left, lines.axis.x(baseBoundary(calls, site.start)));
  const int right =
      std::min(strip.right, lines.axis.x(baseBoundary(calls, site.start + site.length)));
  const int bottom = strip.bottom - l.letterHeight - 1;
  if (left < right) canvas.fillRect({left, bottom - kGuideBarHeight, right, bottom}, kGuideColour);
}

void paintStrip(const Chromatogram& d, const TraceLines& lines, const Rect& strip,
                const std::string& label, const EditAnalysisLayout& l, const ViewSettings& settings,
                Canvas& canvas) {
  canvas.drawText({strip.left, strip.top}, label, l.labelFont, kBlackColour, std::nullopt);
  canvas.drawLine({strip.left, lines.baseline}, {strip.right, lines.baseline}, kLightGrey);
  drawTraceLines(d, lines, canvas);
  paintLetters(d.shown(), lines, strip, l, settings, canvas);
}

}  // namespace

EditAnalysisLayout editAnalysisLayout(ScreenLook& screen, int width, int height) {
  EditAnalysisLayout l;
  l.textHeight = screen.measureFont(l.textFont).height;
  l.labelHeight = screen.measureFont(l.labelFont).height;
  l.letterHeight = screen.measureFont(l.letterFont).height;
  const int left = kMargin;
  const int right = std::max(left + 1, width - kMargin);
  l.figures = {left, kMargin, right, kMargin + 3 * l.textHeight};
  const int rest = std::max(0, height - l.figures.bottom - 4 * kMargin);
  int top = l.figures.bottom + kMargin;
  auto take = [&](int share) {
    const Rect part{left, top, right, top + rest * share / 100};
    top = part.bottom + kMargin;
    return part;
  };
  l.spectrum = take(30);
  l.discordance = take(22);
  l.controlStrip = take(24);
  l.editedStrip = take(24);
  return l;
}

std::vector<Rect> spectrumBars(const std::vector<AlleleShare>& alleles, const Rect& area,
                               int labelHeight) {
  std::vector<Rect> bars;
  if (alleles.empty()) return bars;
  const int top = area.top + labelHeight;
  const int bottom = std::max(top + 1, area.bottom - labelHeight - 1);
  const double pitch = static_cast<double>(area.width()) / static_cast<double>(alleles.size());
  const int width = std::max(1, static_cast<int>(pitch * 2 / 3));
  for (std::size_t i = 0; i < alleles.size(); ++i) {
    const int left = area.left + static_cast<int>(static_cast<double>(i) * pitch + pitch / 6);
    const double share = std::clamp(alleles[i].percent, 0.0, 100.0) / 100.0;
    const int tall = std::max(1, static_cast<int>(std::lround(share * (bottom - top))));
    bars.push_back({left, bottom - tall, left + width, bottom});
  }
  return bars;
}

CutStrips cutStrips(const EditAnalysisShown& shown, const EditAnalysisLayout& l) {
  CutStrips strips;
  const EditAnalysis& a = shown.analysis;
  const BaseCalls& calls = shown.control.shown();
  const TrimRegion bases = basesAroundCut(calls, a.site.cut);
  if (bases.end - bases.start < 2) return strips;
  // Half a base's spacing beyond the outer peaks, so that their letters fit in.
  const std::int32_t pad = std::max<std::int32_t>(
      1, (calls.peak(bases.end - 1) - calls.peak(bases.start)) / (2 * (bases.end - bases.start)));
  const std::int32_t first = calls.peak(bases.start) - pad;
  const std::int32_t last = calls.peak(bases.end - 1) + pad;
  const std::int64_t span = last - first;
  const int width = l.controlStrip.width();

  TraceLines& control = strips.control;
  control.axis = {l.controlStrip.left, first, width, span};
  control.first = first;
  control.end = last + 1;
  fitHeight(shown.control, traceAreaOf(l.controlStrip, l), control);

  // Edited sample p stands on control sample offset + scale * p.
  TraceLines& edited = strips.edited;
  const double scale = a.sampleScale > 0 ? a.sampleScale : 1.0;
  const double editedFirst = std::floor((first - a.sampleOffset) / scale);
  const double pixelsPerSample = static_cast<double>(width) / static_cast<double>(span);
  edited.axis = {
      l.editedStrip.left + static_cast<int>(std::lround(
                               (a.sampleOffset + scale * editedFirst - first) * pixelsPerSample)),
      static_cast<std::int32_t>(editedFirst), std::llround(scale * width * kAxisPrecision),
      span * kAxisPrecision};
  edited.first = static_cast<std::int32_t>(editedFirst);
  edited.end = static_cast<std::int32_t>(std::ceil((last - a.sampleOffset) / scale)) + 1;
  fitHeight(shown.edited, traceAreaOf(l.editedStrip, l), edited);

  strips.cutX = control.axis.x(a.controlCutSample);
  return strips;
}

void paintEditAnalysis(const EditAnalysisShown& shown, const ViewSettings& settings,
                       ScreenLook& screen, Canvas& canvas, int width, int height) {
  canvas.fillRect({0, 0, width, height}, kWhite);
  const EditAnalysisLayout l = editAnalysisLayout(screen, width, height);
  paintFigures(shown, l, canvas);
  paintSpectrum(shown, l, canvas);
  paintDiscordance(shown, l, canvas);
  const CutStrips strips = cutStrips(shown, l);
  if (strips.control.end <= strips.control.first) return;
  paintStrip(shown.control, strips.control, l.controlStrip, "Control", l, settings, canvas);
  paintGuideBar(shown, strips.control, l.controlStrip, l, canvas);
  paintStrip(shown.edited, strips.edited, l.editedStrip, "Edited", l, settings, canvas);
  canvas.setLineWidth(2);
  canvas.drawLine({strips.cutX, l.controlStrip.top}, {strips.cutX, l.editedStrip.bottom},
                  kCutColour);
  canvas.setLineWidth(1);
}

}  // namespace vistrel
