// The view of a whole trace, or of a range of its bases, as one image: the zooms it is drawn at,
// where it starts and how large it is.
#pragma once

#include <cstdint>
#include <optional>

#include "document/chromatogram.h"
#include "view/layout.h"
#include "view/settings.h"

namespace vistrel {

/// Bases numbered from 1, both ends included.
struct BaseRange {
  int first = 0;
  int last = 0;
};

/// Where the image of a document starts and how large it is.
struct PngFrame {
  std::int32_t firstSample = 0;  ///< the sample at the left edge
  std::int64_t width = 0;
  int height = 0;
};

/// The zooms an image is drawn at: those of `stored`, a fit to the window being X zoom 1, and
/// the Y scale small or large as the window takes it (Fit Window too takes the stored one).
ViewSettings pngSettings(const ViewSettings& stored);

/// The frame that shows the whole trace, or `bases` with room for the letters and numbers of
/// both end bases, as far as the trace's start allows. False when the range is not within the
/// bases of the document.
bool pngFrame(const Chromatogram& document, const ViewSettings& settings, const ViewLayout& layout,
              const std::optional<BaseRange>& bases, PngFrame& frame);

}  // namespace vistrel
