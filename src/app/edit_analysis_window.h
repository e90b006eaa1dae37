// The Edit Analysis window's state and the command that fills it: the dialog's last answers,
// and the analysis shown with the two traces it came from. The window owns all of it, apart
// from the trace window's document and view, which it never touches.
#pragma once

#include <memory>
#include <string>

#include "analysis/edit_analysis.h"
#include "document/chromatogram.h"
#include "platform/platform.h"

namespace vistrel {

struct AppState;

/// One analysis as the window shows it.
struct EditAnalysisShown {
  Chromatogram control;  ///< as read from the dialog's file
  /// The trace window's shown trace as it stood: its channels and, as its edited set, the base
  /// calls that were shown.
  Chromatogram edited;
  EditRequest request;
  EditAnalysis analysis;
};

struct EditWindowState {
  EditAnalysisSetup last{"", "", kDefaultCutOffset, kDefaultMaxIndel, ""};
  std::unique_ptr<EditAnalysisShown> shown;  ///< nothing before the first analysis
};

/// Tools > Edit Analysis...: asks for the setup (kept for the next time, whatever comes of it),
/// reads the control and decomposes the shown trace against it. On success the analysis
/// replaces the one shown and the analysis window is shown; on failure the reason is shown in
/// a Stop message and nothing else changes. True on success.
bool editAnalysisCommand(AppState& app, Platform& platform);

/// The command needs a loaded trace with base calls.
bool editAnalysisAvailable(const AppState& app);

}  // namespace vistrel
