// Start-up of one window: settings, fonts, the window's first placement, then the command line.
#pragma once

#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/platform.h"

namespace vistrel {

/// Reads the settings file and measures the fonts. `arguments` are the program's own, element
/// 0 being the program.
void prepareStartup(AppState& app, Platform& platform, std::vector<std::string> arguments);

/// Where the main window is created: the stored left edge, top and width, as high as the
/// desktop (the Y-scale command then gives it the height its layout needs). A stored placement
/// that would leave the title bar out of reach is moved onto the desktop's work area, and a
/// width of no use becomes the desktop's; a visible placement stays exactly as stored.
Rect initialWindowRect(const AppState& app, Platform& platform);

}  // namespace vistrel
