// The marks beside the letters, drawn for the bases a paint request reaches from what the
// floors above worked out after the last change: the mixed flags of the read marks and the
// reference row. Painting itself never looks at the samples or aligns.
#include "view/base_marks.h"

#include <algorithm>
#include <string>

#include "view/layout.h"
#include "view/trace_view.h"

namespace vistrel {

namespace {

constexpr int kMixedMarkHeight = 3;

int peakX(const BaseCalls& calls, const ViewSettings& s, const ViewState& view, int i) {
  return sampleToX(s, view.scrollPos, calls.peak(i));
}

/// As wide as a letter where the letters stand apart; narrow where reduced zooms crowd them.
int mixedMarkWidth(const ViewSettings& s, const ViewLayout& l) {
  return s.xZoomMode == kMagnify ? std::max(l.baseCharWidth - 2, 2) : 2;
}

void paintReferenceLetter(const ReferenceMark& mark, int x, const ViewSettings& s,
                          const ViewLayout& l, Canvas& canvas) {
  const Rgb text = mark.differs ? kDifferenceText : kReferenceText;
  const Rgb background = mark.differs ? kDifferenceBackground : kWhite;
  canvas.drawText({x - l.baseCharWidth / 2, l.referenceLetterTop()}, {&mark.letter, 1}, l.baseFont,
                  text, background);
  const int numberStep = s.xZoomMode == kMagnify ? 10 : 50;
  if (mark.letter != '-' && mark.position % numberStep == 0) {
    const std::string number = std::to_string(mark.position);
    const int width = l.baseCharWidth * static_cast<int>(number.size());
    canvas.drawText({x - width / 2, l.referenceRowTop()}, number, l.baseFont, kReferenceText,
                    kWhite);
  }
}

}  // namespace

void paintMixedMarks(const Chromatogram& document, const ViewSettings& settings,
                     const ViewState& view, Canvas& canvas, BaseSpan bases) {
  if (settings.showMixed == 0) return;
  const BaseCalls& calls = document.shown();
  const ViewLayout& l = view.layout;
  const int width = mixedMarkWidth(settings, l);
  const int top = l.mixedMarkTop();
  for (int i = bases.first; i < bases.end; ++i) {
    if (!view.readMarks.isMixed(i)) continue;
    const int left = peakX(calls, settings, view, i) - width / 2;
    canvas.fillRect({left, top, left + width, top + kMixedMarkHeight}, kMixedMarkColour);
  }
}

void paintReferenceRow(const BaseCalls& calls, const ViewSettings& settings, const ViewState& view,
                       Canvas& canvas, BaseSpan bases) {
  const ReferenceRow& row = view.referenceRow;
  const ViewLayout& l = view.layout;
  const int end = std::min(bases.end, static_cast<int>(row.size()));
  const int top = l.referenceLetterTop();
  const int bottom = top + l.baseFontHeight;
  auto x = [&](int i) { return peakX(calls, settings, view, i); };
  // Fitted to the window the letters would pile up: the differences alone give the overview.
  if (settings.xZoomMode == kFit) {
    for (int i = bases.first; i < end; ++i) {
      const ReferenceMark& mark = row[static_cast<std::size_t>(i)];
      if (mark.differs || mark.gapBefore) {
        canvas.fillRect({x(i), top, x(i) + 2, bottom}, kDifferenceText);
      }
    }
    return;
  }
  for (int i = bases.first; i < end; ++i) {
    const ReferenceMark& mark = row[static_cast<std::size_t>(i)];
    if (mark.letter != 0) paintReferenceLetter(mark, x(i), settings, l, canvas);
  }
  // A bar with a foot between two bases where the read lacks reference letters, drawn over the
  // letter cells, which would otherwise cover it.
  for (int i = std::max(bases.first, 1); i < end; ++i) {
    if (!row[static_cast<std::size_t>(i)].gapBefore) continue;
    const int between = (x(i - 1) + x(i)) / 2;
    canvas.fillRect({between - 1, top, between + 1, bottom}, kDifferenceText);
    canvas.fillRect({between - 3, bottom - 2, between + 3, bottom}, kDifferenceText);
  }
}

}  // namespace vistrel
