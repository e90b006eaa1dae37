// The main window's command ids: the menu items, the accelerators and the commands the core
// posts to itself all use these numbers, and nothing else names them.
#pragma once

namespace vistrel {

enum Command {
  kOpen = 101,
  kSave = 102,
  kSaveAs = 103,
  kExport = 104,
  kExportRawData = 105,
  kExportTrimmed = 106,
  kPrintXZoomFirst = 107,  // 107..111: 0.25 .. 4
  kPrintXZoomLast = 111,
  kPrintYZoomFirst = 112,  // 112..118: 1 .. 64
  kPrintYZoomLast = 118,
  kPrint = 119,
  kNewWindow = 120,
  kExit = 121,
  kAlignToReference = 122,
  kClearReference = 123,
  kNewContig = 124,
  kOpenRecentFirst = 131,  // 131..138: the recent files, newest first
  kOpenRecentLast = 138,
  kUndo = 201,
  kCopyPlainText = 202,
  kCopyFasta = 204,
  kReverseComplement = 205,
  kNextN = 206,
  kNextRedundant = 207,
  kFind = 208,
  kFindNext = 209,  ///< posted by the Find dialog's buttons
  kCopyTrimmedPlainText = 210,
  kCopyTrimmedFasta = 211,
  kNextMixed = 212,
  kNextDifference = 213,
  kCallMixedBases = 214,
  kRedo = 215,
  kGoToBase = 220,
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
  kYZoomFitPeaks = 319,
  kContinuousEdit = 320,
  kOriginalSequence = 321,
  kEditedSequence = 322,
  kFitWindow = 323,
  kQualityValues = 324,
  kTrimmedEnds = 325,
  kMixedBases = 326,
  kZoomIn = 327,
  kZoomOut = 328,
  kShowToolbar = 329,
  kHelpContents = 401,
  // The contig window's own.
  kContigSave = 601,
  kExportConsensus = 602,
  kExportConflicts = 603,
  kContigClose = 604,
  kContigUndo = 611,
  kNextConflict = 612,
  kPreviousConflict = 613,
  kContigNextDifference = 614,
  kContigPreviousDifference = 615,
  kNextContig = 616,
  kPreviousContig = 617,
  kContigZoomIn = 621,
  kContigZoomOut = 622,
  kAbout = 402,
  kEditAnalysis = 501,
};

/// The X zooms run from 0.25 (the value -2) to 4 (the value 2), in both zoom menus.
inline constexpr int kLowestXZoomValue = -2;

/// The "X Zoom" value (-2..2) of an item of the view's X Zoom menu.
constexpr int xZoomValueOfCommand(int id) {
  return id - kXZoomFirst + kLowestXZoomValue;
}

/// The print X zoom (-2..2) of an item of Print Options > X Zoom.
constexpr int printXZoomOfCommand(int id) {
  return id - kPrintXZoomFirst + kLowestXZoomValue;
}

}  // namespace vistrel
