// The quality marks behind the traces: a bar for each base's quality value, and the shading of
// the ends outside the good region. The view, its image export and the print job draw them
// alike.
#pragma once

#include "document/chromatogram.h"
#include "platform/platform.h"
#include "view/layout.h"
#include "view/settings.h"

namespace vistrel {

/// The quality that fills the trace area; higher ones fill it too.
inline constexpr int kFullBarQuality = 60;
/// The quality of the guide line across the bars.
inline constexpr int kGuideQuality = 20;

/// A bar is a pale fill with a darker top edge: a read of high quality keeps its bars' heights
/// readable without turning the trace area one flat tint, and the traces stay the strongest ink.
struct MarkColours {
  Rgb bar;
  Rgb barTop;  ///< the bar's top edge, a pixel high
  Rgb guide;
  Rgb shade;     ///< the background of the trimmed ends
  Rgb boundary;  ///< the lines at the edges of the good region
};

inline constexpr MarkColours kScreenMarkColours{Rgb{234, 241, 251}, Rgb{150, 178, 222},
                                                Rgb{175, 192, 222}, Rgb{226, 226, 226},
                                                Rgb{96, 96, 96}};
/// A touch darker than the screen's: the lightest tints vanish on paper.
inline constexpr MarkColours kPrintMarkColours{Rgb{220, 230, 247}, Rgb{125, 155, 205},
                                               Rgb{150, 170, 205}, Rgb{215, 215, 215},
                                               Rgb{80, 80, 80}};

/// The trace area the marks fill: rows `top` (where a full-height sample is drawn) to `baseline`,
/// columns `left` to `right` (the
/// last ones excluded). Only bases whose bars reach into the columns are drawn.
struct MarkArea {
  SampleAxis axis;
  int top = 0;
  int baseline = 0;
  int left = 0;
  int right = 0;
};

/// Draws the shading of the trimmed ends (when `showTrimmed`) with a line at each edge of the
/// good region `goodRegion` of `calls`, then the quality bars with the guide line (when
/// `qualityValues`). Nothing when the set has no quality values.
void paintQualityMarks(const BaseCalls& calls, const std::optional<TrimRegion>& goodRegion,
                       const ViewSettings& settings, const MarkArea& area,
                       const MarkColours& colours, Canvas& canvas);

}  // namespace vistrel
