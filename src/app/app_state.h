// Everything one window of the program holds: the document, the settings, and the state of the
// view, of editing and of start-up. Owned by main; procedures take what they use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/chromatogram.h"
#include "view/settings.h"
#include "view/view_state.h"

namespace vistrel {

struct EditState {
  std::int32_t insertIndex = 0;
  std::int32_t otherSetModified = 0;
  std::int32_t reverseComplemented = 0;
  std::int32_t undoNext = 0;
  std::int32_t undoCount = 0;
  std::int32_t undoWrapped = 0;
};

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
  bool findDialogOpen = false;
};

}  // namespace vistrel
