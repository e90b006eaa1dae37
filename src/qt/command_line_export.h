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

/// The widest image the PNG encoder (libpng) writes.
inline constexpr std::int64_t kWidestPng = 1000000;

/// Why no PNG image could be had: the range is not within the document's bases, the image would
/// be wider than a PNG image can be, or there is no memory for it.
enum class PngFailure { None, BasesOutside, TooWide, NoMemory };

/// Draws the view of `document` as --export-png does, at the zooms of `stored`, into `image`,
/// measuring fonts on `screen`. On failure its kind, and the reason in `error`; an image too
/// wide is refused before any of it is made.
PngFailure renderPng(ScreenLook& screen, Chromatogram& document, const ViewSettings& stored,
                     const std::optional<BaseRange>& bases, QImage& image, std::string& error);

/// Encodes `image` as PNG into `bytes`. False, with the encoder's reason in `error`, when it
/// cannot.
bool encodePng(const QImage& image, QByteArray& bytes, std::string& error);

/// Runs an export, with a Qt GUI application in place, with the settings from the settings file.
/// 0 when the output file has been written; otherwise 1, the reason on `errors`, and the output
/// path as it was.
int runExport(const ExportRequest& request, std::ostream& errors);

/// The program's entry for an export: the options, then Qt on its offscreen platform, then the
/// export. 2 for a command line that cannot be run.
int runExportCommand(int argc, char** argv);

}  // namespace vistrel
