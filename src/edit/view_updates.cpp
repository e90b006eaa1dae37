// What an edit or a move must show: scrolling a base into view, repainting the changed stretch
// of the base row and of the quality marks, and the read marks worked out again after a change.
#include "edit/view_updates.h"

#include <algorithm>

#include "analysis/mixed_peaks.h"
#include "view/layout.h"
#include "view/scrolling.h"
#include "view/trace_view.h"

namespace vistrel {

namespace {

/// The rows of the base numbers and of the letters, from `left` to `right`.
Rect numberRow(const ViewLayout& l, int left, int right) {
  return {left, l.numberRowTop(), right, l.numberRowTop() + l.baseFontHeight};
}

/// The letter row with the tick above it, the caret's full height and the mixed-base marks
/// under the letters (an edit may make a base mixed or not).
Rect letterRow(const ViewLayout& l, int left, int right) {
  return {left, l.numberRowTop() + l.baseFontHeight, right, l.traceTop()};
}

/// The samples of the good region's bases, from midway between the peak before its first base
/// and that base's to midway after its last; all of them without a region.
std::pair<std::int32_t, std::int32_t> regionSamples(const BaseCalls& calls,
                                                    const std::optional<TrimRegion>& region) {
  std::pair<std::int32_t, std::int32_t> samples{0, INT32_MAX};
  const std::int32_t bases = std::min(calls.baseCount, calls.peakCount);
  if (!region || region->empty() || region->end > bases) return samples;
  if (region->start > 0)
    samples.first = (calls.peak(region->start - 1) + calls.peak(region->start)) / 2;
  if (region->end < bases)
    samples.second = (calls.peak(region->end - 1) + calls.peak(region->end)) / 2 + 1;
  return samples;
}

}  // namespace

bool hasLetterAndPeak(const BaseCalls& calls, int i) {
  return i >= 0 && i < std::min(calls.baseCount, calls.peakCount);
}

bool bringIntoView(const Chromatogram& document, const ViewSettings& settings, ViewState& view,
                   Platform& platform, int p, int margin) {
  if (settings.xZoomMode == kFit) return false;
  const int w = visibleSpan(settings, view.clientWidth);
  if (p - margin >= view.scrollPos && p + margin - view.scrollPos <= w) return false;
  showFromSample(document, settings, view, platform, p - w / 2);
  return true;
}

void showFromSample(const Chromatogram& document, const ViewSettings& settings, ViewState& view,
                    Platform& platform, int position) {
  const int w = visibleSpan(settings, view.clientWidth);
  if (position + w >= document.maxSampleCount) position = document.maxSampleCount - w;
  moveView(view, platform, std::max(position, 0));
  platform.invalidate(view.traceRect());
}

void refreshBaseRange(EditContext& c, int first, int last, bool renumber) {
  const BaseCalls& calls = c.document.shown();
  const ViewLayout& l = c.view.layout;
  const int selected = c.view.selectedBase;
  if (hasLetterAndPeak(calls, selected) && bringIntoView(c.document, c.settings, c.view, c.platform,
                                                         calls.peak(selected), l.baseCharWidth)) {
    return;
  }
  auto x = [&](int i) { return sampleToX(c.settings, c.view.scrollPos, calls.peak(i)); };
  const bool firstShown = hasLetterAndPeak(calls, first);
  const int left = firstShown ? x(first) - l.baseCharWidth : 0;
  const int right = hasLetterAndPeak(calls, last) ? x(last) + l.baseCharWidth : c.view.clientWidth;
  c.platform.invalidate(letterRow(l, left, right));
  if (!renumber) return;
  // The numbers from `first` on change, each centred on its peak and wider than a letter; one
  // base more counts the digits a deletion took away.
  const int numbersLeft = firstShown ? x(first) - baseTextReach(l, calls.baseCount + 1) : 0;
  c.platform.invalidate(numberRow(l, numbersLeft, c.view.clientWidth));
}

ReadMarks readMarksOf(const Chromatogram& document, const ViewSettings& settings) {
  const BaseCalls& calls = document.shown();
  ReadMarks marks;
  marks.goodRegion = trimRegion(calls, settings.trimCutoffProbability());
  marks.mixed.assign(static_cast<std::size_t>(calls.baseCount), 0);
  for (const MixedBase& m : mixedBases(document, calls, settings.mixedRatio)) {
    marks.mixed[static_cast<std::size_t>(m.index)] = 1;
  }
  // A dye blob in the trimmed start must not push the good peaks down.
  const auto [from, end] = regionSamples(calls, marks.goodRegion);
  marks.tallestSample = document.tallestSample(from, end);
  return marks;
}

ShownReadKey shownReadKey(const EditContext& c) {
  return {c.view.documentNumber,      c.edit.historyState,   c.document.originalShown,
          c.edit.reverseComplemented, c.settings.trimCutoff, c.settings.mixedRatio};
}

std::optional<TrimRegion> shownRegion(const EditContext& c) {
  return trimRegion(c.document.shown(), c.settings.trimCutoffProbability());
}

void refreshQualityMarks(EditContext& c, const std::optional<TrimRegion>& before, int edited) {
  const BaseCalls& calls = c.document.shown();
  const ViewSettings& s = c.settings;
  if (!calls.hasQualities || (s.qualityValues == 0 && s.showTrimmed == 0)) return;
  Rect area{0, c.view.layout.traceTop() - 1, c.view.clientWidth, c.view.clientHeight};
  if (s.showTrimmed == 0 || shownRegion(c) == before) {
    // The bars of the base and of its neighbours reach at most to the neighbours' peaks, but
    // the end bars mirror their inner halves outwards.
    const int bars = std::min(calls.baseCount, calls.peakCount);
    auto x = [&](int i) { return sampleToX(s, c.view.scrollPos, calls.peak(i)); };
    if (edited - 1 > 0 && edited - 1 < bars) area.left = x(edited - 1);
    if (edited + 1 < bars - 1) area.right = x(edited + 1) + 1;
  }
  c.platform.invalidate(area);
}

void repaintBaseRows(const ViewState& view, Platform& platform) {
  platform.invalidate(numberRow(view.layout, 0, view.clientWidth));
  platform.invalidate(letterRow(view.layout, 0, view.clientWidth));
}

}  // namespace vistrel
