// New Window: another instance of the program, with switches that give it this window's Y scale
// and place it next to this window.
#pragma once

#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/platform.h"

namespace vistrel {

/// The arguments of the new instance: the path (when given), the Y-scale switch and a placement
/// switch that cascades successive windows.
std::vector<std::string> newWindowArguments(const AppState& app, Platform& platform,
                                            const std::string* path);

/// Starts the new instance. False after a failure message.
bool openNewWindow(AppState& app, Platform& platform, const std::string* path = nullptr);

/// The title of New Contig's reference dialog, which is cancelled for a contig without one.
inline constexpr const char* kContigReferenceTitle = "New Contig: Reference (Cancel for None)";

/// New Contig: asks for the reads, then for a reference, and starts a contig window on them.
/// False when no read was chosen, or after a failure message.
bool openNewContig(Platform& platform);

}  // namespace vistrel
