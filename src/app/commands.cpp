// Command dispatch and menu state.
#include "app/commands.h"

#include "app/edit_analysis_window.h"
#include "app/load_flow.h"
#include "app/new_window.h"
#include "app/print_command.h"
#include "app/reference_commands.h"
#include "app/save_commands.h"
#include "app/shown_read.h"
#include "app/trimmed_commands.h"
#include "edit/clipboard.h"
#include "edit/edit_model.h"
#include "edit/navigation.h"
#include "edit/reverse_complement.h"
#include "view/scrolling.h"

namespace vistrel {

namespace {

void chooseColours(AppState& app, Platform& platform) {
  ViewSettings& s = app.settings;
  auto chosen = platform.chooseColours({s.colourG, s.colourA, s.colourT, s.colourC, s.colourN});
  if (!chosen) return;
  std::int32_t* fields[] = {&s.colourG, &s.colourA, &s.colourT, &s.colourC, &s.colourN};
  for (int i = 0; i < 5; ++i) {
    // A list left without a selection keeps its colour.
    if ((*chosen)[i] >= 0 && (*chosen)[i] < kColourCount) *fields[i] = (*chosen)[i];
  }
  recomputeChannelColours(app.document, s);
  platform.invalidate(app.view.traceRect());
}

/// Shows or hides one kind of quality mark.
void toggleMarks(std::int32_t& setting, const ViewState& view, Platform& platform) {
  setting = setting != 0 ? 0 : 1;
  platform.invalidate(view.traceRect());
}

void showHelp(Platform& platform) {
  if (!platform.showHelp()) {
    platform.showMessage("Could not run Windows Help", MessageIcon::Stop, MessageOwner::MainWindow);
  }
}

}  // namespace

namespace {

/// What the zoom keys zoom about: the pointer over the view, else the selected base when it is
/// in view, else the middle.
int zoomAnchor(const AppState& app) {
  const ViewState& v = app.view;
  if (v.pointerX >= 0 && v.pointerX < v.clientWidth) return v.pointerX;
  const BaseCalls& calls = app.document.shown();
  if (v.selectedBase >= 0 && v.selectedBase < calls.peakCount) {
    const int x = sampleToX(app.settings, v.scrollPos, calls.peak(v.selectedBase));
    if (x >= 0 && x < v.clientWidth) return x;
  }
  return v.clientWidth / 2;
}

}  // namespace

void executeCommand(AppState& app, Platform& platform, int id) {
  if (id >= kPrintXZoomFirst && id <= kPrintXZoomLast) {
    app.settings.printXZoom = printXZoomOfCommand(id);
    return;
  }
  if (id >= kPrintYZoomFirst && id <= kPrintYZoomLast) {
    app.settings.printYZoom = id - kPrintYZoomFirst;
    return;
  }
  if (id >= kOpenRecentFirst && id <= kOpenRecentLast) {
    openRecentFile(app, platform, id - kOpenRecentFirst);
    return;
  }
  if (id >= kXZoomFirst && id <= kXZoomLast) {
    setXZoom(app.document, app.settings, app.view, platform, xZoomValueOfCommand(id));
    return;
  }
  if (id >= kYZoomFirst && id <= kYZoomLast) {
    setYZoom(app.settings, app.view, platform, id - kYZoomFirst);
    return;
  }
  const bool loaded = app.document.loaded;
  EditContext edit = editContext(app, platform);
  switch (id) {
    case kOpen:
      loadTrace(app, platform, true);
      break;
    case kSave:
      if (app.document.isScf) saveDocument(app, platform, false);
      break;
    case kSaveAs:
      if (loaded) saveDocument(app, platform, true);
      break;
    case kExport:
      if (loaded) exportSequenceCommand(app, platform);
      break;
    case kExportTrimmed:
      if (loaded) exportTrimmedCommand(app, platform);
      break;
    case kExportRawData:
      if (loaded) exportRawDataCommand(app, platform);
      break;
    case kAlignToReference:
      alignToReferenceCommand(app, platform);
      break;
    case kClearReference:
      clearReferenceCommand(app, platform);
      break;
    case kNewWindow:
      openNewWindow(app, platform);
      break;
    case kNewContig:
      openNewContig(platform);
      break;
    case kExit:
      platform.closeWindow();
      break;
    case kYScaleSmall:
    case kYScaleLarge:
      app.settings.fitWindow = 0;
      setYScale(app.settings, app.view, platform, id == kYScaleSmall);
      break;
    case kFitWindow:
      fitTracesToWindow(app.settings, app.view, platform);
      break;
    case kYZoomFitPeaks:
      fitPeaks(app.settings, app.view, platform);
      break;
    case kQualityValues:
      toggleMarks(app.settings.qualityValues, app.view, platform);
      break;
    case kTrimmedEnds:
      toggleMarks(app.settings.showTrimmed, app.view, platform);
      break;
    case kMixedBases:
      toggleMarks(app.settings.showMixed, app.view, platform);
      break;
    case kFitToWindow:
      fitToWindow(app.document, app.settings, app.view, platform);
      break;
    case kFontSmall:
      setFontSize(app.settings, app.view, platform, false);
      break;
    case kFontLarge:
      setFontSize(app.settings, app.view, platform, true);
      break;
    case kColours:
      chooseColours(app, platform);
      break;
    case kUndo:
      if (loaded) undo(edit);
      break;
    case kRedo:
      if (loaded) redo(edit);
      break;
    case kCopyPlainText:
    case kCopyFasta:
      if (!loaded) break;
      // A range of bases selected is what is copied; else the whole sequence.
      if (const auto range = app.view.selectedRange()) {
        copySequence(app.document, platform, id == kCopyFasta,
                     TrimRegion{range->first, range->second + 1});
      } else {
        copySequence(app.document, platform, id == kCopyFasta);
      }
      break;
    case kCopyTrimmedPlainText:
    case kCopyTrimmedFasta:
      if (loaded) copyTrimmedCommand(app, platform, id == kCopyTrimmedFasta);
      break;
    case kReverseComplement:
      if (loaded) reverseComplement(edit);
      break;
    case kNextN:
      if (loaded && app.settings.xZoomMode != kFit) nextN(edit);
      break;
    case kNextRedundant:
      if (loaded && app.settings.xZoomMode != kFit) nextRedundant(edit);
      break;
    case kNextMixed:
      if (loaded && app.settings.xZoomMode != kFit) nextMixed(edit);
      break;
    case kNextDifference:
      if (loaded && app.settings.xZoomMode != kFit) {
        followReferenceNow(app, platform);
        nextDifference(edit);
      }
      break;
    case kCallMixedBases:
      if (loaded) callMixedBases(edit);
      break;
    case kFind:
      if (loaded && app.settings.xZoomMode != kFit) openFindDialog(app.find, platform);
      break;
    case kGoToBase:
      if (loaded && app.settings.xZoomMode != kFit) goToBaseCommand(edit);
      break;
    case kZoomIn:
    case kZoomOut:
      zoomSteps(app.document, app.settings, app.view, platform, id == kZoomIn ? 1 : -1,
                zoomAnchor(app));
      break;
    case kShowToolbar:
      app.settings.showToolbar = app.settings.showToolbar != 0 ? 0 : 1;
      break;
    case kFindNext:
      // Posted by the dialog, which may have been opened before fit mode was chosen.
      if (loaded) findNext(edit, app.find);
      break;
    case kContinuousEdit:
      toggleContinuousEdit(app.settings);
      break;
    case kOriginalSequence:
    case kEditedSequence:
      // A document with a single base-call set has nothing to switch to.
      if (!app.document.isScf) showBaseCallSet(edit, id == kOriginalSequence);
      break;
    case kPrint:
      printDocument(app, platform);
      break;
    case kEditAnalysis:
      editAnalysisCommand(app, platform);
      break;
    case kHelpContents:
      showHelp(platform);
      break;
    case kAbout:
      platform.showAbout();
      break;
    default:
      break;
  }
}

bool copySubmenuEnabled(const AppState& app) {
  return app.document.loaded;
}

MenuItemState menuItemState(const AppState& app, int id) {
  const ViewSettings& s = app.settings;
  const bool loaded = app.document.loaded;
  const bool browsing = loaded && s.xZoomMode != kFit;
  if (id >= kPrintXZoomFirst && id <= kPrintXZoomLast)
    return {true, s.printXZoom == printXZoomOfCommand(id)};
  if (id >= kPrintYZoomFirst && id <= kPrintYZoomLast) {
    return {true, s.printYZoom == id - kPrintYZoomFirst};
  }
  if (id >= kYZoomFirst && id <= kYZoomLast) {
    return {true, s.fitPeaks == 0 && s.yZoom == id - kYZoomFirst};
  }
  if (id >= kXZoomFirst && id <= kXZoomLast) {
    const int value = xZoomValueOfCommand(id);
    const bool checked = value >= 0 ? s.xZoomMode == kMagnify && s.xZoomLevel == value
                                    : s.xZoomMode == kReduce && s.xZoomLevel == -value;
    return {true, checked};
  }
  switch (id) {
    case kSave:
      return {app.document.isScf, false};
    case kSaveAs:
    case kExport:
    case kExportTrimmed:
    case kExportRawData:
    case kPrint:
    case kCopyPlainText:
    case kCopyFasta:
    case kCopyTrimmedPlainText:
    case kCopyTrimmedFasta:
      return {loaded, false};
    case kUndo:
      return {loaded && app.edit.undoCount != 0, false};
    case kRedo:
      return {loaded && app.edit.redoCount != 0, false};
    case kReverseComplement:
      return {loaded, app.edit.reverseComplemented == 1};
    case kNextN:
    case kNextRedundant:
    case kNextMixed:
      return {browsing, false};
    case kNextDifference:
      return {browsing && app.reference.current != nullptr, false};
    case kCallMixedBases:
      return {loaded, false};
    case kGoToBase:
      return {browsing && app.document.shown().baseCount > 0, false};
    case kShowToolbar:
      return {true, s.showToolbar != 0};
    case kClearReference:
      return {app.reference.current != nullptr, false};
    case kEditAnalysis:
      return {editAnalysisAvailable(app), false};
    case kFind:
      return {browsing && !app.find.dialogOpen, false};
    case kYScaleSmall:
      return {true, s.fitWindow == 0 && s.traceHeight() == 100};
    case kYScaleLarge:
      return {true, s.fitWindow == 0 && s.traceHeight() == 200};
    case kFitWindow:
      return {true, s.fitWindow != 0};
    case kYZoomFitPeaks:
      return {true, s.fitPeaks != 0};
    case kQualityValues:
      return {true, s.qualityValues != 0};
    case kTrimmedEnds:
      return {true, s.showTrimmed != 0};
    case kMixedBases:
      return {true, s.showMixed != 0};
    case kFitToWindow:
      return {true, s.xZoomMode == kFit};
    case kFontSmall:
      return {true, s.largeFonts == 0};
    case kFontLarge:
      return {true, s.largeFonts != 0};
    case kContinuousEdit:
      return {true, s.continuousEdit != 0};
    case kOriginalSequence:
      return {!app.document.isScf, s.showOriginalSequence == 1};
    case kEditedSequence:
      return {!app.document.isScf, s.showOriginalSequence == 0};
    default:
      return {true, false};
  }
}

bool closeRequested(AppState& app, Platform& platform) {
  return settleUnsavedChanges(app, platform);
}

void windowDestroyed(AppState& app, Platform& platform) {
  platform.closeHelp();
  if (platform.isMinimized()) {
    writeSettings(app.settings, platform.settingsPath(), nullptr);
  } else {
    const Rect outer = platform.windowRect();
    writeSettings(app.settings, platform.settingsPath(), &outer);
  }
  platform.quit();
}

}  // namespace vistrel
