// Painting the client area: the start screen, or the info band, reference row, quality marks,
// traces, baseline, base numbers and letters, mixed-base marks, caret and position tick of the
// loaded document.
#pragma once

#include <array>
#include <string>

#include "document/chromatogram.h"
#include "platform/platform.h"
#include "view/settings.h"
#include "view/view_state.h"

namespace vistrel {

inline constexpr const char* kVersionLine = "Version 1.45 (32-bit)";
extern const std::array<const char*, 6> kCreditLines;

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlackColour{0, 0, 0};
inline constexpr Rgb kSelectionGrey{191, 191, 191};
inline constexpr Rgb kCaretGrey{64, 64, 64};

/// Draws everything of the view that intersects `area`; nothing outside it needs to change.
void paintView(const Chromatogram& document, const ViewSettings& settings, const ViewState& view,
               ScreenLook& screen, Canvas& canvas, const Rect& area);

/// How many pixels from its peak the text of a base can reach, with `baseCount` bases: half of
/// its number, the widest text centred on a peak, and a character more for the rounding of both
/// halves.
int baseTextReach(const ViewLayout& layout, int baseCount);

/// The most letters a shown letter stands for at the smallest zoom.
inline constexpr int kMostLetterStep = 8;

/// Every how many bases a letter shows in the letter row: 1 unless the zoom reduces and the
/// read's mean peak spacing leaves less than a character a letter, then the smallest power of
/// two (up to `kMostLetterStep`) that leaves room.
int letterStep(const BaseCalls& calls, const ViewSettings& settings, int charWidth);

/// The mouse cursor over client row `y`: the text I-beam over the letter row of a document
/// that is not fitted to the window, else the arrow.
CursorShape cursorAt(const Chromatogram& document, const ViewSettings& settings,
                     const ViewState& view, int y);

}  // namespace vistrel
