// The print job. Rows of a fixed span of samples run down framed pages; what letters and traces
// draw beyond the frame is covered by white side masks when a page is finished.
#include "view/print_job.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/program.h"
#include "view/trace_view.h"

namespace vistrel {

namespace {

constexpr int kTracePointsPerServe = 16;

std::int64_t ceilingOf(std::int64_t a, std::int64_t b) {
  return (a + b - 1) / b;
}

int scale10For(int dpiX, int printXZoom) {
  if (printXZoom >= 0) return static_cast<int>((std::int64_t{dpiX} << printXZoom) * 10 / 150);
  return static_cast<int>(((std::int64_t{dpiX} * 10) >> -printXZoom) / 150);
}

/// The pages of one job on one device.
class Job {
 public:
  Job(const Chromatogram& document, const ReadMarks& marks, const ViewSettings& settings,
      const PrintPalette& palette, PrintDevice& device, const PrintGeometry& g,
      PrintObserver& observer)
      : d_(document),
        marks_(marks),
        s_(settings),
        palette_(palette),
        device_(device),
        g_(g),
        observer_(observer) {}

  PrintOutcome run(const PageRange& range);

 private:
  bool startPage(int page);
  void drawHeader(int page);
  bool drawRow(int rowStart, int rowTop, int baseline);
  bool drawLetters(int rowStart, int rowTop);
  bool drawTraces(int rowStart, int baseline);
  void finishPage(int rows);
  bool stopped();

  const Chromatogram& d_;
  const ReadMarks& marks_;
  const ViewSettings& s_;
  const PrintPalette& palette_;
  PrintDevice& device_;
  const PrintGeometry& g_;
  PrintObserver& observer_;
  Canvas* canvas_ = nullptr;
};

PrintOutcome Job::run(const PageRange& range) {
  if (!device_.startDocument(kPrintDocumentName)) return PrintOutcome::NotStarted;
  const int firstRow = (range.from - 1) * g_.rowsPerPage;
  int page = range.from;
  int rowStart = firstRow * g_.samplesPerRow;
  int rowTop = 0;
  int baseline = 0;
  for (int r = firstRow; r < g_.rowCount; ++r) {
    if (r % g_.rowsPerPage == 0) {
      if (r != firstRow) {
        finishPage(g_.rowsPerPage);
        if (++page > range.to)
          return device_.endDocument() ? PrintOutcome::Printed : PrintOutcome::Failed;
      }
      if (!startPage(page)) return PrintOutcome::Cancelled;
      rowTop = g_.headerHeight + g_.u;
      baseline = g_.headerHeight + g_.rowHeight;
    }
    if (!drawRow(rowStart, rowTop, baseline)) return PrintOutcome::Cancelled;
    rowStart += g_.samplesPerRow;
    rowTop += g_.rowPitch;
    baseline += g_.rowPitch;
  }
  finishPage((g_.rowCount - 1) % g_.rowsPerPage + 1);
  return device_.endDocument() ? PrintOutcome::Printed : PrintOutcome::Failed;
}

bool Job::stopped() {
  if (!observer_.cancelled()) return false;
  device_.abortDocument();
  return true;
}

bool Job::startPage(int page) {
  if (stopped()) return false;
  canvas_ = &device_.startPage();
  observer_.pageStarted(page);
  drawHeader(page);
  return true;
}

void Job::drawHeader(int page) {
  const FontSpec& font = g_.headerFont;
  const std::string identification = kProgramIdentification;
  int x = g_.margin;
  for (const std::string* text :
       {&identification, &d_.fileInfoText, &d_.sampleNameText, &d_.runEndedText}) {
    canvas_->drawText({x, 0}, *text, font, kBlackColour, std::nullopt);
    x += canvas_->textWidth(*text, font) + g_.dpiX / 5;
  }
  const std::string pages = "Page " + std::to_string(page) + " of " + std::to_string(g_.pageCount);
  canvas_->drawText({g_.right - canvas_->textWidth(pages, font), 0}, pages, font, kBlackColour,
                    std::nullopt);
}

bool Job::drawRow(int rowStart, int rowTop, int baseline) {
  const MarkArea marks{{g_.margin, rowStart, g_.scale10, 10},
                       baseline - g_.traceHeight,
                       baseline,
                       g_.margin,
                       g_.right};
  paintQualityMarks(d_.shown(), marks_.goodRegion, s_, marks, palette_.marks, *canvas_);
  return drawLetters(rowStart, rowTop) && drawTraces(rowStart, baseline);
}

bool Job::drawLetters(int rowStart, int rowTop) {
  const BaseCalls& calls = d_.shown();
  const int bases = std::min(calls.baseCount, calls.peakCount);
  int i = 0;
  while (i < bases && calls.peak(i) < rowStart) ++i;
  if (i > 0) --i;
  // The character width counted as samples, as the rows always have.
  for (; i < bases && calls.peak(i) < rowStart + g_.samplesPerRow + g_.cw; ++i) {
    if (stopped()) return false;
    const int x =
        g_.margin + static_cast<int>((std::int64_t{calls.peak(i) - rowStart} * g_.scale10) / 10);
    const std::uint8_t letter = calls.base(i);
    canvas_->drawText(
        {x - g_.cw / 2, rowTop + g_.ch}, {reinterpret_cast<const char*>(&letter), 1}, g_.baseFont,
        palette_.table[static_cast<std::size_t>(s_.letterColourIndex(letter))], std::nullopt);
    const int n = i + 1;
    if (n % g_.labelStep == 0) {
      const std::string number = std::to_string(n);
      canvas_->drawText({x - g_.cw * static_cast<int>(number.size()) / 2, rowTop}, number,
                        g_.baseFont, kBlackColour, std::nullopt);
      observer_.serveEvents();
    }
  }
  return true;
}

bool Job::drawTraces(int rowStart, int baseline) {
  canvas_->setLineWidth(g_.u);
  std::vector<Point> points;
  for (int c = 0; c < 4; ++c) {
    const std::int32_t count = d_.channels[c].sampleCount;
    auto point = [&](std::int32_t sample, int x) {
      const int v = static_cast<std::int16_t>(d_.sample(c, sample));
      const int h = static_cast<int>(std::int64_t{v} * g_.traceHeight / g_.yDivisor);
      return Point{x, baseline - std::min(h, g_.traceHeight)};
    };
    points.clear();
    if (rowStart > 0 && rowStart - 1 < count) {
      points.push_back(point(rowStart - 1, g_.margin - g_.scale10 / 10));
    }
    for (int j = 0; (std::int64_t{j} * g_.scale10) / 10 <= g_.rowWidth && rowStart + j < count;
         ++j) {
      if (stopped()) return false;
      points.push_back(point(rowStart + j, g_.margin + (j * g_.scale10) / 10));
      if ((j + 1) % kTracePointsPerServe == 0) observer_.serveEvents();
    }
    if (points.size() > 1)
      canvas_->drawPolyline(points.data(), points.size(), palette_.channels[c]);
  }
  return true;
}

void Job::finishPage(int rows) {
  const int top = g_.headerHeight - g_.hu;
  canvas_->setLineWidth(g_.u);
  canvas_->frameRect({g_.margin - g_.hu, top, g_.right + g_.hu, top + rows * g_.rowPitch},
                     kBlackColour);
  for (int j = 1; j < rows; ++j) {
    canvas_->drawLine({g_.margin, top + j * g_.rowPitch}, {g_.right, top + j * g_.rowPitch},
                      kBlackColour);
  }
  // The masks end just outside the side lines, which are as wide as their pen (at least 1)
  // and centred on the frame's edges.
  const int width = std::max(g_.u, 1);
  const int leftLine = g_.margin - g_.hu - width / 2;              // its outer column
  const int pastRightLine = g_.right + g_.hu - width / 2 + width;  // the column after it
  canvas_->fillRect({0, 0, leftLine, g_.bottom}, kWhite);
  canvas_->fillRect({pastRightLine, 0, g_.pageWidth, g_.bottom}, kWhite);
  canvas_->setLineWidth(1);
  device_.endPage();
  canvas_ = nullptr;
}

}  // namespace

PageFit computePrintGeometry(PrintDevice& device, const ViewSettings& settings,
                             std::int32_t maxSampleCount, PrintGeometry& g) {
  g = PrintGeometry{};
  g.dpiX = device.dpiX();
  g.dpiY = device.dpiY();
  g.pageWidth = device.pageWidth();
  g.pageHeight = device.pageHeight();
  g.bottom = g.pageHeight - (g.dpiY >> 5);
  g.u = g.dpiX / 100;
  g.hu = g.u / 2;
  g.margin = g.dpiX >> 4;
  g.rowWidth = g.pageWidth - 2 * g.margin;
  g.right = g.margin + g.rowWidth;
  g.baseFont = {FontSpec::FixedPitch, g.dpiY / 11};
  g.headerFont = {FontSpec::Serif, g.dpiY / 8};
  const FontMetrics base = device.measureFont(g.baseFont);
  g.ch = base.height;
  g.cw = base.averageCharWidth;
  g.th = device.measureFont(g.headerFont).height;
  g.headerHeight = g.th + 2 * g.u;
  g.traceHeight = static_cast<int>(std::int64_t{g.dpiY} * 1181 / 1000);
  g.rowHeight = g.traceHeight + 2 * g.u + 2 * g.ch;
  g.rowPitch = g.rowHeight + g.u;
  g.scale10 = scale10For(g.dpiX, settings.printXZoom);
  g.labelStep = settings.printXZoom < 0 && g.scale10 == 2 ? 50 : 10;
  g.yDivisor = 1600 >> settings.printYZoom;
  if (g.scale10 <= 0 || g.rowWidth <= 0 || g.rowPitch <= 0 || g.yDivisor <= 0) {
    return PageFit::TooSmall;
  }
  g.samplesPerRow = g.rowWidth * 10 / g.scale10;
  if (g.samplesPerRow <= 0) return PageFit::TooSmall;
  g.rowsPerPage = (g.bottom - g.headerHeight) / g.rowPitch;
  if (g.rowsPerPage <= 0) return PageFit::TooShort;
  const std::int64_t width = std::int64_t{std::max(maxSampleCount, 0)} * g.scale10 / 10;
  // An empty trace still prints its page: the header and one empty row.
  g.rowCount = static_cast<int>(std::max<std::int64_t>(ceilingOf(width, g.rowWidth), 1));
  g.pageCount = static_cast<int>(ceilingOf(g.rowCount, g.rowsPerPage));
  return PageFit::Fits;
}

bool settlePageRange(PageRange& range, int pageCount) {
  if (range.all) {
    range.from = 1;
    range.to = pageCount;
    return true;
  }
  if (range.from > range.to) std::swap(range.from, range.to);
  if (range.from > pageCount) return false;
  range.from = std::max(range.from, 1);
  range.to = std::min(range.to, pageCount);
  return true;
}

PrintPalette printPalette(const Chromatogram& document, const ViewSettings& settings) {
  PrintPalette palette{settings.colourTable, {}};
  palette.table[kGreen] = kPrintGreen;
  for (std::size_t c = 0; c < palette.channels.size(); ++c) {
    palette.channels[c] = channelColour(document.channels[c], settings, palette.table);
  }
  return palette;
}

PrintOutcome printChromatogram(const Chromatogram& document, const ReadMarks& marks,
                               const ViewSettings& settings, const PrintPalette& palette,
                               PrintDevice& device, PageRange range, PrintObserver& observer) {
  PrintGeometry g;
  switch (computePrintGeometry(device, settings, document.maxSampleCount, g)) {
    case PageFit::Fits:
      break;
    case PageFit::TooSmall:
      return PrintOutcome::PageTooSmall;
    case PageFit::TooShort:
      return PrintOutcome::PageTooShort;
  }
  if (!settlePageRange(range, g.pageCount)) return PrintOutcome::NoSuchPage;
  return Job(document, marks, settings, palette, device, g, observer).run(range);
}

}  // namespace vistrel
