// File > Align to Reference and File > Clear Reference.
#pragma once

#include "app/app_state.h"
#include "platform/platform.h"

namespace vistrel {

/// Asks for a reference file and takes it as the window's reference, with the reference row
/// above the number row. A file that cannot be read is named with the reason, and nothing
/// changes.
void alignToReferenceCommand(AppState& app, Platform& platform);

/// Drops the reference and its row.
void clearReferenceCommand(AppState& app, Platform& platform);

}  // namespace vistrel
