// Painting the contig window: the rows pane (positions, reference, reads, consensus with its
// quality, coverage) and the stacked traces of the reads covering the selected column.
#pragma once

#include <cstdint>
#include <vector>

#include "app/contig_window.h"
#include "platform/platform.h"
#include "view/settings.h"

namespace vistrel {

/// The font of every letter and name of the window.
inline constexpr FontSpec kContigFont{FontSpec::FixedPitch, 12};

/// Draws what of the rows pane intersects `area`.
void paintContigRows(const ContigWindowState& state, const ViewSettings& settings, Canvas& canvas,
                     const Rect& area);

/// The height of one stacked trace with its name and letters.
int contigStripHeight(const ContigViewState& view);

/// The reads stacked under the selected column: the contig's read rows covering it, in order.
std::vector<std::int32_t> stackedRows(const ContigWindowState& state);

/// Draws each stacked read's traces around the selected column, from `firstStrip` on, the
/// column's peak at the middle of the pane and a reversed read reverse-complemented.
void paintContigTraces(const ContigWindowState& state, const ViewSettings& settings,
                       Canvas& canvas);

/// The x at which the stacked traces stand the selected column.
int stackedCentre(const ContigViewState& view);

}  // namespace vistrel
