// The exports from the command line: the print job onto PDF pages, and the view of a trace (or
// of a range of its bases) as one PNG image. Both run without a window and without a display.
#pragma once

#include <QImage>
#include <QPageSize>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "document/chromatogram.h"
#include "platform/platform.h"
#include "qt/main_window.h"
#include "qt/qt_platform.h"
#include "view/settings.h"
#include "view/view_state.h"

namespace vistrel {

inline constexpr const char* kExportUsage =
    "usage: vistrel --export-pdf OUT.pdf [--page-size A4|Letter] FILE\n"
    "       vistrel --export-png OUT.png [--bases FIRST-LAST] FILE\n";

/// What an export command line asks for.
struct ExportRequest {
  enum Format { Pdf, Png };
  Format format = Pdf;
  std::string output;
  std::string trace;
  QPageSize::PageSizeId pageSize = QPageSize::A4;
  /// A range of bases, numbered from 1, both included; the whole trace when not given.
  bool baseRange = false;
  int firstBase = 0;
  int lastBase = 0;
};

/// True when `arguments` (the program first) ask for --export-pdf or --export-png.
bool isExportCommand(const std::vector<std::string>& arguments);

/// Reads the export options from `arguments` (the program first). Every argument that is not an
/// option or an option's value is the trace file, a switch never, and so is everything after
/// "--". Nothing, and the reason in `error`, for a command line that cannot be run.
std::optional<ExportRequest> parseExportArguments(const std::vector<std::string>& arguments,
                                                  std::string& error);

/// Where the PNG of a document starts and how large it is.
struct PngFrame {
  std::int32_t firstSample = 0;  ///< the sample at the left edge
  int width = 0;
  int height = 0;
};

/// The zooms a PNG is drawn at: those of `stored`, a fit to the window being X zoom 1, and the Y
/// scale small or large as the window takes it.
ViewSettings pngSettings(const ViewSettings& stored);

/// The frame that shows the whole trace, or bases `first` to `last` (from 1) with room for the
/// letters and numbers of both end bases, as far as the trace's start allows. False when the
/// range is not within the bases of the document.
bool pngFrame(const Chromatogram& document, const ViewSettings& settings, const ViewLayout& layout,
              const ExportRequest& request, PngFrame& frame);

/// The window's own platform, for the settings file, the fonts and the info band's colours;
/// the window is never shown.
struct HiddenWindow {
  AppState state;
  MainWindow window{state};
  QtPlatform platform{window, state};
};

/// Draws the view of `document` as --export-png does, at the zooms of `stored`, into `image`,
/// measuring fonts on `platform`. False, with the reason in `error`, when the range is not
/// within the document's bases or no image of that size can be had.
bool renderPng(Platform& platform, Chromatogram& document, const ViewSettings& stored,
               const ExportRequest& request, QImage& image, std::string& error);

/// Runs an export, with a Qt GUI application in place, with the settings from the settings file.
/// 0 when the output file has been written; otherwise 1, the reason on `errors`, and the output
/// path as it was.
int runExport(const ExportRequest& request, std::ostream& errors);

/// The program's entry for an export: the options, then Qt on its offscreen platform, then the
/// export. 2 for a command line that cannot be run.
int runExportCommand(int argc, char** argv);

}  // namespace vistrel
