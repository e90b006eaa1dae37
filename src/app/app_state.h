// Everything one window of the program holds: the document, the settings, and the state of the
// view, of editing and of start-up. Owned by main; procedures take what they use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/edit_analysis_window.h"
#include "app/reference_row.h"
#include "app/shown_read.h"
#include "document/chromatogram.h"
#include "edit/edit_state.h"
#include "view/settings.h"
#include "view/view_state.h"

namespace vistrel {

struct StartupState {
  /// The program's arguments, element 0 being the program itself.
  std::vector<std::string> arguments;
  std::int32_t newWindowCount = 0;
};

struct AppState {
  Chromatogram document;
  ViewSettings settings;
  ViewState view;
  EditState edit;
  StartupState startup;
  FindState find;
  ReferenceState reference;
  ShownReadCache shownRead;
  EditWindowState editWindow;
  /// The shown file's sample name, which the title gives before the file's name.
  std::string sampleName;
};

/// The records of `app` that an edit works on.
inline EditContext editContext(AppState& app, Platform& platform) {
  return {app.document, app.settings, app.view, app.edit, platform};
}

}  // namespace vistrel
