// The main window's commands by their ids, the rules that gray and check the menu items, and
// the close sequence.
#pragma once

#include "app/app_state.h"
#include "platform/platform.h"

namespace vistrel {

enum Command {
  kOpen = 101,
  kSave = 102,
  kSaveAs = 103,
  kExport = 104,
  kExportRawData = 105,
  kPrintXZoomFirst = 107,  // 107..111: 0.25 .. 4
  kPrintXZoomLast = 111,
  kPrintYZoomFirst = 112,  // 112..118: 1 .. 64
  kPrintYZoomLast = 118,
  kPrint = 119,
  kNewWindow = 120,
  kExit = 121,
  kUndo = 201,
  kCopyPlainText = 202,
  kCopyFasta = 204,
  kReverseComplement = 205,
  kNextN = 206,
  kNextRedundant = 207,
  kFind = 208,
  kFindNext = 209,
  kYScaleSmall = 301,
  kYScaleLarge = 302,
  kFitToWindow = 303,
  kXZoomFirst = 304,  // 304..308: 0.25 .. 4
  kXZoomLast = 308,
  kFontSmall = 309,
  kFontLarge = 310,
  kColours = 311,
  kYZoomFirst = 312,  // 312..318: 1 .. 64
  kYZoomLast = 318,
  kContinuousEdit = 320,
  kOriginalSequence = 321,
  kEditedSequence = 322,
  kHelpContents = 401,
  kAbout = 402,
};

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
