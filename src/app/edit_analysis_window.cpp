// The Edit Analysis command: the dialog, the control read aside, the analysis, and the window's
// state replaced only when all of it succeeded.
#include "app/edit_analysis_window.h"

#include <utility>

#include "app/app_state.h"
#include "document/trace_file.h"
#include "view/settings.h"

namespace vistrel {

namespace {

void showFailure(Platform& platform, const std::string& text) {
  platform.showMessage(text, MessageIcon::Stop, MessageOwner::MainWindow);
}

/// A copy of what the analysis window draws of `from`: its channels and its shown base calls,
/// which become the copy's only set. False when memory runs out.
bool copyShownTrace(const Chromatogram& from, Chromatogram& to) {
  const BaseCalls& calls = from.shown();
  if (!to.traceBlock.assign(from.traceBlock.data(), from.traceBlock.size()) ||
      !to.edited.bases.assign(calls.bases.data(), calls.bases.size()) ||
      !to.edited.peaks.assign(calls.peaks.data(), calls.peaks.size())) {
    return false;
  }
  to.loaded = true;
  to.isScf = from.isScf;
  to.filePath = from.filePath;
  to.fileTitle = from.fileTitle;
  to.headerSkip = from.headerSkip;
  to.channels = from.channels;
  to.maxSampleCount = from.maxSampleCount;
  to.edited.baseCount = calls.baseCount;
  to.edited.peakCount = calls.peakCount;
  to.hasBaseCalls = from.hasBaseCalls;
  return true;
}

EditRequest requestOf(const EditAnalysisSetup& setup) {
  EditRequest request;
  request.guide = setup.guide;
  request.cutOffset = setup.cutOffset;
  request.maxIndel = setup.maxIndel;
  request.donor = setup.donor;
  return request;
}

/// Reads the control named by the setup into `shown`; false, with the message shown, when it
/// cannot be read.
bool readControl(const AppState& app, Platform& platform, const std::string& path,
                 EditAnalysisShown& shown) {
  std::string sampleName;
  const LoadError error =
      readTraceFile(path, app.settings.showOriginalSequence == 1, shown.control, sampleName);
  if (!error && matchPeaksToBases(shown.control.shown())) {
    recomputeChannelColours(shown.control, app.settings);
    return true;
  }
  const std::string reason = error ? loadErrorMessage(error) : kNoMemoryToOpenMessage;
  showFailure(platform, "Could not open " + path + " as the control\n\n" + reason);
  return false;
}

}  // namespace

bool editAnalysisAvailable(const AppState& app) {
  return app.document.loaded && app.document.hasBaseCalls;
}

bool editAnalysisCommand(AppState& app, Platform& platform) {
  if (!editAnalysisAvailable(app)) return false;
  std::optional<EditAnalysisSetup> setup = platform.askEditAnalysisSetup(app.editWindow.last);
  if (!setup) return false;
  app.editWindow.last = *setup;
  auto shown = std::make_unique<EditAnalysisShown>();
  shown->request = requestOf(*setup);
  if (!readControl(app, platform, setup->controlPath, *shown)) return false;
  EditControlResult control = prepareControl(shown->control, shown->request);
  if (!control.control) {
    showFailure(platform, control.message);
    return false;
  }
  EditResult result = analyseEdit(*control.control, app.document, shown->request);
  if (!result.analysis) {
    showFailure(platform, result.message);
    return false;
  }
  if (!copyShownTrace(app.document, shown->edited)) {
    showFailure(platform, "Insufficient memory");
    return false;
  }
  shown->analysis = std::move(*result.analysis);
  app.editWindow.shown = std::move(shown);
  platform.showEditAnalysisWindow();
  return true;
}

}  // namespace vistrel
