// The command-line exports. The output is built in memory and written whole at the end, so a
// failure leaves no partial file behind.
#include "qt/command_line_export.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <algorithm>
#include <filesystem>
#include <iostream>

#include "document/trace_file.h"
#include "edit/view_updates.h"
#include "output/output_error.h"
#include "qt/desktop.h"
#include "qt/print_device.h"
#include "qt/qt_canvas.h"
#include "view/layout.h"
#include "view/print_job.h"
#include "view/trace_view.h"

namespace vistrel {

namespace {

/// The job of the command line: nothing cancels it, and nothing waits for events.
class UninterruptedJob final : public PrintObserver {
 public:
  void pageStarted(int) override {}
  bool cancelled() override { return false; }
  void serveEvents() override {}
};

/// Bytes and newlines as one line of a message.
std::string oneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

bool sameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

int fail(std::ostream& errors, const std::string& subject, const std::string& message) {
  errors << "vistrel: ";
  if (!subject.empty()) errors << subject << ": ";
  errors << oneLine(message) << '\n';
  return 1;
}

int writeOutput(const ExportRequest& request, const QByteArray& bytes, std::ostream& errors) {
  const OutputError error =
      writeOutputFile(request.output, bytes.constData(), static_cast<std::size_t>(bytes.size()));
  return error ? fail(errors, request.output, outputErrorMessage(error)) : 0;
}

int exportPdf(const ExportRequest& request, const Chromatogram& document,
              const ViewSettings& settings, std::ostream& errors) {
  const QPageSize::PageSizeId paper =
      request.pageSize == PageSize::Letter ? QPageSize::Letter : QPageSize::A4;
  PdfFileDevice device(request.output, pdfPageLayout(paper), kPdfResolution);
  UninterruptedJob job;
  switch (printChromatogram(document, readMarksOf(document, settings), settings,
                            printPalette(document, settings), device, PageRange{}, job)) {
    case PrintOutcome::Printed:
      return 0;
    case PrintOutcome::PageTooSmall:
      return fail(errors, {}, kPageTooSmallMessage);
    case PrintOutcome::PageTooShort:
      return fail(errors, {}, kPageTooShortMessage);
    case PrintOutcome::Failed:
      return fail(errors, {}, device.failure());
    default:
      return fail(errors, request.output, kPdfNotMadeMessage);
  }
}

int exportPng(const ExportRequest& request, Chromatogram& document, const ViewSettings& stored,
              std::ostream& errors) {
  QImage image;
  std::string error;
  DesktopLook screen;
  switch (renderPng(screen, document, stored, request.bases, image, error)) {
    case PngFailure::None:
      break;
    case PngFailure::BasesOutside:
      return fail(errors, request.trace, error);
    case PngFailure::TooWide:
    case PngFailure::NoMemory:
      return fail(errors, request.output, error);
  }
  QByteArray bytes;
  if (!encodePng(image, bytes, error)) return fail(errors, request.output, error);
  return writeOutput(request, bytes, errors);
}

}  // namespace

PngFailure renderPng(ScreenLook& screen, Chromatogram& document, const ViewSettings& stored,
                     const std::optional<BaseRange>& bases, QImage& image, std::string& error) {
  const ViewSettings settings = pngSettings(stored);
  recomputeChannelColours(document, settings);
  ViewState view;
  view.readMarks = readMarksOf(document, settings);
  createFonts(view.layout, screen, settings.largeFonts != 0);
  PngFrame frame;
  if (!pngFrame(document, settings, view.layout, bases, frame)) {
    const BaseCalls& calls = document.shown();
    const int count = std::min(calls.baseCount, calls.peakCount);
    error = "Bases " + std::to_string(bases->first) + " to " + std::to_string(bases->last) +
            " are not within the sequence of " + std::to_string(count) +
            (count == 1 ? " base" : " bases");
    return PngFailure::BasesOutside;
  }
  if (frame.width > kWidestPng) {
    error = "The image would be " + std::to_string(frame.width) +
            " pixels wide, and a PNG image can be at most " + std::to_string(kWidestPng) +
            ": export fewer bases with --bases FIRST-LAST, or choose a lower X zoom (Options > "
            "X Zoom)";
    return PngFailure::TooWide;
  }
  view.scrollPos = frame.firstSample;
  view.clientWidth = static_cast<int>(frame.width);
  view.clientHeight = frame.height;
  image = QImage(view.clientWidth, frame.height, QImage::Format_RGB32);
  if (image.isNull()) {
    error = kNoMemoryMessage;
    return PngFailure::NoMemory;
  }
  image.fill(Qt::white);
  QPainter painter(&image);
  QtCanvas canvas(painter, true);
  paintView(document, settings, view, screen, canvas, view.clientArea());
  return PngFailure::None;
}

bool encodePng(const QImage& image, QByteArray& bytes, std::string& error) {
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "PNG");
  if (writer.write(image)) return true;
  error = "The PNG image could not be made: " + writer.errorString().toStdString();
  return false;
}

int runExport(const ExportRequest& request, std::ostream& errors) {
  // No window is placed: the default width does not matter.
  const ViewSettings settings = readSettings(settingsFilePath(), 0);
  if (sameFile(request.output, request.trace)) {
    return fail(errors, request.output, "The output would replace the trace file itself");
  }
  Chromatogram document;
  std::string sampleName;
  const LoadError error =
      readTraceFile(request.trace, settings.showOriginalSequence != 0, document, sampleName);
  if (error) return fail(errors, request.trace, loadErrorMessage(error));
  return request.format == ExportRequest::Pdf ? exportPdf(request, document, settings, errors)
                                              : exportPng(request, document, settings, errors);
}

int runExportCommand(int argc, char** argv) {
  std::string error;
  const std::optional<ExportRequest> request = parseExportArguments({argv, argv + argc}, error);
  if (!request) {
    std::cerr << "vistrel: " << error << '\n' << kExportUsage;
    return 2;
  }
  // No display is needed, nor used when there is one.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Qt sees the program's name only: every other argument has been read as ours.
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  return runExport(*request, std::cerr);
}

}  // namespace vistrel
