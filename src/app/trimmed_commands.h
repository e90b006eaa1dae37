// Copy Trimmed and Export Trimmed: the good region of the shown set, by the settings' cutoff.
#pragma once

#include "app/app_state.h"
#include "platform/platform.h"

namespace vistrel {

/// Copies the region's letters as plain text or FASTA; a set without a region says why instead.
void copyTrimmedCommand(AppState& app, Platform& platform, bool fasta);

/// Exports the region through the Export dialog; a set without a region says why instead. False
/// when nothing was written.
bool exportTrimmedCommand(AppState& app, Platform& platform);

}  // namespace vistrel
