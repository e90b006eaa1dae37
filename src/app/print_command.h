// File > Print: the print dialog, then the job under the modal progress dialog.
#pragma once

#include "app/app_state.h"
#include "platform/platform.h"

namespace vistrel {

/// Prints the document on the device and pages the print dialog chooses, in the print colours;
/// the window keeps the screen's. Messages: "There is no page %u" for a range past the last page,
/// the page-too-small or page-too-short message, and when the device could not complete the
/// document what it tells (the file and why), or else "Could not write file".
void printDocument(AppState& app, Platform& platform);

}  // namespace vistrel
