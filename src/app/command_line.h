// The command line: a file to open, the Y-scale switches "/s" and "/l", and the placement
// switches "/a" and "/b" that New Window passes to the instance it starts.
#pragma once

#include <optional>
#include <string>

#include "app/app_state.h"
#include "platform/platform.h"
#include "view/scrolling.h"

namespace vistrel {

/// True when something is at `path`. A name that no file can have (too long, or behind a folder
/// that cannot be searched) names nothing.
bool pathExists(const std::string& path);

/// A switch begins with '/'. On POSIX an argument that names an existing file or folder is a
/// path, never a switch, so that absolute paths work.
bool isSwitch(const std::string& argument);

/// The placement an argument asks for when it follows a Y-scale switch: longer than two
/// characters, 'a' as its second character for the bottom edge and any other for the top edge,
/// the screen row read from its third character on.
std::optional<Placement> placementSwitch(const std::string& argument);

/// With the window created: applies the Y-scale and placement switches, or the stored Y scale,
/// which gives the window the height its layout needs, or with Fit Window the stored height.
void applySwitches(AppState& app, Platform& platform);

/// Loads the file the first argument names, when it exists and is no folder. When nothing can be
/// found at that name, returns the name and why, for the program's error stream (the window
/// opens all the same); otherwise an empty text.
std::string openCommandLineFile(AppState& app, Platform& platform);

/// After the file is loaded: selects the base that "--base N" after it names (from 1), shown.
void goToCommandLineBase(AppState& app, Platform& platform);

}  // namespace vistrel
