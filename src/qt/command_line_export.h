// The exports from the command line: the print job onto PDF pages, and the view of a trace (or
// of a range of its bases) as one PNG image. Both run without a window and without a display.
#pragma once

#include <QImage>
#include <optional>
#include <ostream>
#include <string>

#include "app/program_options.h"
#include "document/chromatogram.h"
#include "platform/platform.h"
#include "view/png_frame.h"
#include "view/settings.h"

namespace vistrel {

/// Why no PNG image could be had: the range is not within the document's bases, or the image
/// would be larger than can be made.
enum class PngFailure { None, BasesOutside, NoMemory };

/// Draws the view of `document` as --export-png does, at the zooms of `stored`, into `image`,
/// measuring fonts on `screen`. On failure its kind, and the reason in `error`.
PngFailure renderPng(ScreenLook& screen, Chromatogram& document, const ViewSettings& stored,
                     const std::optional<BaseRange>& bases, QImage& image, std::string& error);

/// Runs an export, with a Qt GUI application in place, with the settings from the settings file.
/// 0 when the output file has been written; otherwise 1, the reason on `errors`, and the output
/// path as it was.
int runExport(const ExportRequest& request, std::ostream& errors);

/// The program's entry for an export: the options, then Qt on its offscreen platform, then the
/// export. 2 for a command line that cannot be run.
int runExportCommand(int argc, char** argv);

}  // namespace vistrel
