// The rows of the view and the mapping between samples and pixels under the zoom settings.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "view/settings.h"

namespace vistrel {

/// The four fonts of the view and the metrics the layout is built from.
struct ViewLayout {
  FontSpec titleFont{FontSpec::Serif, 30};
  FontSpec creditFont{FontSpec::Serif, 11};
  FontSpec infoFont{FontSpec::Interface, 14};
  FontSpec baseFont{FontSpec::FixedPitch, 12};
  int titleFontHeight = 0;
  int creditFontHeight = 0;
  int infoFontHeight = 0;
  int baseFontHeight = 0;
  int baseCharWidth = 0;

  /// Whether the reference row (its positions over its letters) stands above the number row.
  bool withReference = false;

  int referenceRowTop() const { return infoFontHeight + 4; }
  int referenceLetterTop() const { return referenceRowTop() + baseFontHeight + 1; }
  int referenceRowHeight() const { return withReference ? 2 * baseFontHeight + 3 : 0; }
  int numberRowTop() const { return referenceRowTop() + referenceRowHeight(); }
  int letterRowTop() const { return numberRowTop() + baseFontHeight + 3; }
  /// The rows of the mixed-base marks, between the letters and the traces.
  int mixedMarkTop() const { return letterRowTop() + baseFontHeight; }
  int traceTop() const { return numberRowTop() + 2 * baseFontHeight + 6; }
  int baseline(int traceHeight) const { return traceTop() + traceHeight - 1; }
  /// The client height the layout needs: the window is sized to it.
  int neededClientHeight(int traceHeight) const { return traceTop() + traceHeight + 8; }
};

/// Measures the title and credit fonts, and the info and base fonts for `largeFonts`.
void createFonts(ViewLayout& layout, ScreenLook& screen, bool largeFonts);
/// (Re)creates only the info and base fonts, for the Font Size command.
void createViewFonts(ViewLayout& layout, ScreenLook& screen, bool largeFonts);

/// Samples across `clientWidth`: shifted by the level, or times it in fit mode.
int visibleSpan(const ViewSettings& settings, int clientWidth);

/// The x pixel of sample `p` with `scrollPos` at the left edge.
int sampleToX(const ViewSettings& settings, int scrollPos, int p);

/// The x pixel of a sample: `origin` for sample `first`, then `numerator / denominator` pixels
/// a sample, rounded down. The view's zooms and the printed rows are both such a line.
struct SampleAxis {
  int origin = 0;
  std::int32_t first = 0;
  std::int64_t numerator = 1;
  std::int64_t denominator = 1;

  int x(std::int32_t sample) const;
};

/// The axis of `sampleToX`.
SampleAxis viewAxis(const ViewSettings& settings, int scrollPos);

/// The sample offset from `scrollPos` of the pixel column `x`.
int xToSampleOffset(const ViewSettings& settings, int x);

/// How sample values rise in a trace area `height` pixels tall: `value * factor / 2^20` pixels,
/// rounded down and cut to the height. The factor is worked out once, so a sample costs a
/// multiplication and a shift.
struct TraceScale {
  int height = 200;
  std::int64_t factor = std::int64_t{1} << 17;
  int pixels(std::uint16_t v) const;
};

/// The scale that makes `tallest` (above 0) just fill a trace area `height` pixels tall.
TraceScale fittedTraceScale(int height, int tallest);

/// The scale of a trace area `height` pixels tall: the Y zoom magnifies what the Y scale shows
/// (1600 units fill the area at zoom 1), or with Fit Peaks `tallest` (when above 0) fills it.
TraceScale traceScale(const ViewSettings& settings, int height, int tallest);

/// The height in pixels of sample value `v` (read as signed 16-bit) at the Y zoom and Y scale,
/// cut to `traceHeight`.
int sampleHeight(const ViewSettings& settings, std::uint16_t v);

}  // namespace vistrel
