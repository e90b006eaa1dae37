// The command-line exports. The output is built in memory and written whole at the end, so a
// failure leaves no partial file behind.
#include "qt/command_line_export.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <iostream>

#include "document/trace_file.h"
#include "output/output_error.h"
#include "qt/print_device.h"
#include "qt/qt_canvas.h"
#include "view/layout.h"
#include "view/print_job.h"
#include "view/trace_view.h"

namespace vistrel {

namespace {

constexpr std::string_view kPdfOption = "--export-pdf";
constexpr std::string_view kPngOption = "--export-png";
constexpr std::string_view kPageSizeOption = "--page-size";
constexpr std::string_view kBasesOption = "--bases";
constexpr std::string_view kEndOfOptions = "--";

/// The job of the command line: nothing cancels it, and nothing waits for events.
class UninterruptedJob final : public PrintObserver {
 public:
  void pageStarted(int) override {}
  bool cancelled() override { return false; }
  void serveEvents() override {}
};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

/// A whole positive decimal number, without sign or anything after it.
bool readNumber(std::string_view text, int& value) {
  if (text.empty() || text.front() < '0' || text.front() > '9') return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value > 0;
}

bool readBaseRange(std::string_view text, ExportRequest& request) {
  const std::size_t dash = text.find('-');
  return dash != std::string_view::npos && readNumber(text.substr(0, dash), request.firstBase) &&
         readNumber(text.substr(dash + 1), request.lastBase);
}

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

int exportPdf(const ExportRequest& request, Chromatogram& document, ViewSettings settings,
              std::ostream& errors) {
  // The colours of a print job.
  useGreen(document, settings, kPrintGreen);
  PdfFileDevice device(request.output, pdfPageLayout(request.pageSize), kPdfResolution);
  UninterruptedJob job;
  switch (printChromatogram(document, settings, device, PageRange{}, job)) {
    case PrintOutcome::Printed:
      return 0;
    case PrintOutcome::PageTooSmall:
      return fail(errors, {}, kPageTooSmallMessage);
    case PrintOutcome::Failed:
      return fail(errors, request.output, outputErrorMessage(device.writeError()));
    default:
      return fail(errors, request.output, "The PDF document could not be made");
  }
}

int exportPng(const ExportRequest& request, Chromatogram& document, const ViewSettings& stored,
              Platform& platform, std::ostream& errors) {
  QImage image;
  std::string error;
  if (!renderPng(platform, document, stored, request, image, error)) {
    // A range outside the bases is the trace's matter; an image too large, the output's.
    return fail(errors, error == kNoMemoryMessage ? request.output : request.trace, error);
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) return fail(errors, request.output, kNoMemoryMessage);
  return writeOutput(request, bytes, errors);
}

}  // namespace

bool isExportCommand(const std::vector<std::string>& arguments) {
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == kEndOfOptions) return false;
    if (arguments[i] == kPdfOption || arguments[i] == kPngOption) return true;
  }
  return false;
}

std::optional<ExportRequest> parseExportArguments(const std::vector<std::string>& arguments,
                                                  std::string& error) {
  ExportRequest request;
  bool formatGiven = false, pageSizeGiven = false, traceGiven = false;
  bool optionsEnded = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool takesValue =
        !optionsEnded && (argument == kPdfOption || argument == kPngOption ||
                          argument == kPageSizeOption || argument == kBasesOption);
    if (takesValue && i + 1 >= arguments.size()) {
      error = argument + " needs a value";
      return std::nullopt;
    }
    if (!optionsEnded && argument == kEndOfOptions) {
      optionsEnded = true;
    } else if (takesValue && (argument == kPdfOption || argument == kPngOption)) {
      if (formatGiven) {
        error = "only one of --export-pdf and --export-png can be given, once";
        return std::nullopt;
      }
      formatGiven = true;
      request.format = argument == kPdfOption ? ExportRequest::Pdf : ExportRequest::Png;
      request.output = arguments[++i];
      if (request.output.empty()) {
        error = argument + " needs a file name";
        return std::nullopt;
      }
    } else if (takesValue && argument == kPageSizeOption) {
      const std::string& size = arguments[++i];
      pageSizeGiven = true;
      if (equalsIgnoringCase(size, "A4")) {
        request.pageSize = QPageSize::A4;
      } else if (equalsIgnoringCase(size, "Letter")) {
        request.pageSize = QPageSize::Letter;
      } else {
        error = "unknown page size \"" + size + "\" (A4 or Letter)";
        return std::nullopt;
      }
    } else if (takesValue && argument == kBasesOption) {
      request.baseRange = true;
      if (!readBaseRange(arguments[++i], request)) {
        error = "--bases takes FIRST-LAST, two base numbers from 1, not \"" + arguments[i] + "\"";
        return std::nullopt;
      }
      if (request.firstBase > request.lastBase) {
        error = "--bases " + arguments[i] + ": the first base is after the last";
        return std::nullopt;
      }
    } else if (!optionsEnded && argument.size() > 2 && argument.starts_with("--") &&
               !std::filesystem::exists(argument)) {
      error = "unknown option " + argument;
      return std::nullopt;
    } else if (traceGiven) {
      error = "more than one trace file given";
      return std::nullopt;
    } else {
      traceGiven = true;
      request.trace = argument;
    }
  }
  if (!formatGiven) {
    error = "--export-pdf or --export-png is needed";
  } else if (!traceGiven || request.trace.empty()) {
    error = "no trace file given";
  } else if (pageSizeGiven && request.format != ExportRequest::Pdf) {
    error = "--page-size goes with --export-pdf";
  } else if (request.baseRange && request.format != ExportRequest::Png) {
    error = "--bases goes with --export-png";
  } else {
    return request;
  }
  return std::nullopt;
}

ViewSettings pngSettings(const ViewSettings& stored) {
  ViewSettings settings = stored;
  if (settings.xZoomMode == kFit) applyXZoomValue(settings, 0);
  settings.yScaleShift = settings.yScaleShift == 4 ? 4 : 3;
  return settings;
}

bool pngFrame(const Chromatogram& document, const ViewSettings& settings, const ViewLayout& layout,
              const ExportRequest& request, PngFrame& frame) {
  const bool magnify = settings.xZoomMode == kMagnify;
  const int level = settings.xZoomLevel;
  std::int64_t first = 0;
  std::int64_t end = document.maxSampleCount;  // one past the last sample shown
  if (request.baseRange) {
    const BaseCalls& calls = document.shown();
    const int bases = std::min(calls.baseCount, calls.peakCount);
    if (request.firstBase < 1 || request.lastBase > bases || request.firstBase > request.lastBase)
      return false;
    std::int64_t low = calls.peak(request.firstBase - 1);
    std::int64_t high = low;
    for (int i = request.firstBase; i < request.lastBase; ++i) {
      low = std::min<std::int64_t>(low, calls.peak(i));
      high = std::max<std::int64_t>(high, calls.peak(i));
    }
    // A base's number is centred on its peak and is its widest text; a pixel more keeps it
    // clear of the edge.
    const int digits = static_cast<int>(std::to_string(request.lastBase).size());
    const std::int64_t pixels = (std::int64_t{layout.baseCharWidth} * digits + 1) / 2 + 1;
    const std::int64_t samples =
        magnify ? (pixels + (std::int64_t{1} << level) - 1) >> level : pixels << level;
    first = std::max<std::int64_t>(low - samples, 0);
    end = high + samples + 1;
  }
  const std::int64_t span = std::max<std::int64_t>(end - first, 1);
  const std::int64_t width =
      magnify ? span << level : (span + (std::int64_t{1} << level) - 1) >> level;
  frame.firstSample = static_cast<std::int32_t>(first);
  frame.width = static_cast<int>(std::min<std::int64_t>(width, INT32_MAX));
  frame.height = layout.neededClientHeight(settings.traceHeight());
  return true;
}

bool renderPng(Platform& platform, Chromatogram& document, const ViewSettings& stored,
               const ExportRequest& request, QImage& image, std::string& error) {
  const ViewSettings settings = pngSettings(stored);
  recomputeChannelColours(document, settings);
  ViewState view;
  createFonts(view.layout, platform, settings.largeFonts != 0);
  PngFrame frame;
  if (!pngFrame(document, settings, view.layout, request, frame)) {
    const BaseCalls& calls = document.shown();
    const int bases = std::min(calls.baseCount, calls.peakCount);
    error = "Bases " + std::to_string(request.firstBase) + " to " +
            std::to_string(request.lastBase) + " are not within the sequence of " +
            std::to_string(bases) + (bases == 1 ? " base" : " bases");
    return false;
  }
  view.scrollPos = frame.firstSample;
  view.clientWidth = frame.width;
  view.clientHeight = frame.height;
  image = QImage(frame.width, frame.height, QImage::Format_RGB32);
  if (image.isNull()) {
    error = kNoMemoryMessage;
    return false;
  }
  image.fill(Qt::white);
  QPainter painter(&image);
  QtCanvas canvas(painter);
  paintView(document, settings, view, platform, canvas, view.clientArea());
  return true;
}

int runExport(const ExportRequest& request, std::ostream& errors) {
  HiddenWindow hidden;
  // No window is placed: the default width does not matter.
  const ViewSettings settings = readSettings(hidden.platform.settingsPath(), 0);
  if (sameFile(request.output, request.trace)) {
    return fail(errors, request.output, "The output would replace the trace file itself");
  }
  Chromatogram document;
  std::string sampleName;
  const LoadError error =
      readTraceFile(request.trace, settings.showOriginalSequence != 0, document, sampleName);
  if (error) return fail(errors, request.trace, loadErrorMessage(error));
  return request.format == ExportRequest::Pdf
             ? exportPdf(request, document, settings, errors)
             : exportPng(request, document, settings, hidden.platform, errors);
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
