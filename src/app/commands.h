// The main window's commands by their ids, the rules that gray and check the menu items, and
// the close sequence.
#pragma once

#include "app/app_state.h"
#include "platform/command_ids.h"
#include "platform/platform.h"

namespace vistrel {

/// Runs the command `id`; ids without a handler do nothing.
void executeCommand(AppState& app, Platform& platform, int id);

struct MenuItemState {
  bool enabled = true;
  bool checked = false;
};

/// Whether the item of command `id` is enabled and checked in the current state.
MenuItemState menuItemState(const AppState& app, int id);

/// The Copy Sequence submenu is enabled only while a document is loaded.
bool copySubmenuEnabled(const AppState& app);

/// A request to close the window: true when it may be destroyed (nothing unsaved, or the
/// prompt's answer allows it).
bool closeRequested(AppState& app, Platform& platform);

/// The window is being destroyed: help closes, the settings are written, the loop ends.
void windowDestroyed(AppState& app, Platform& platform);

}  // namespace vistrel
