// Loading a trace file into the window: choosing it, guarding unsaved changes, replacing the
// document, and resetting the view and edit state.
#pragma once

#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/platform.h"

namespace vistrel {

/// With `askUser`, the open dialog chooses the file (and further selected files open in new
/// windows); otherwise the document's `filePath` is loaded. True when a new document is shown.
bool loadTrace(AppState& app, Platform& platform, bool askUser);

/// Files dropped on the window: the first is loaded here, the others in new windows.
bool loadFiles(AppState& app, Platform& platform, const std::vector<std::string>& paths);

/// File > Open Recent: loads the recent file `index` (0 the newest) of the settings file.
bool openRecentFile(AppState& app, Platform& platform, int index);

}  // namespace vistrel
