// The exports of a real trace beside floors measured in the same run: the print job onto A4 PDF
// pages (in memory, and the whole --export-pdf with its file) beside as many blank pages of that
// size, and the PNG of the whole trace (painted, and the whole --export-png with its file)
// beside QPainter drawing the same four polylines into an image of that size. Runs offscreen.
// usage: print_bench [DATA_FOLDER] [benchmark options]; DATA_FOLDER holds abi/3730.ab1 as
// scripts/fetch-test-data makes it, and defaults to test-data.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <filesystem>
#include <iostream>
#include <map>
#include <sstream>

#include "document/trace_file.h"
#include "edit/view_updates.h"
#include "qt/command_line_export.h"
#include "qt/desktop.h"
#include "qt/print_device.h"
#include "ratio_reporter.h"
#include "view/layout.h"
#include "view/print_job.h"

namespace {

using namespace vistrel;

/// PDF pages made in memory and dropped: the job and the PDF without the file.
class MemoryPdfDevice final : public PagedPrintDevice {
 public:
  MemoryPdfDevice() : writer_(&buffer_) {
    buffer_.open(QIODevice::WriteOnly);
    writer_.setResolution(kPdfResolution);
    writer_.setPageLayout(pdfPageLayout(QPageSize::A4));
  }
  qint64 size() const { return buffer_.size(); }

 private:
  QPagedPaintDevice& device() override { return writer_; }
  void nameDocument(const QString& name) override { writer_.setTitle(name); }
  bool deliver() override { return true; }

  QBuffer buffer_;
  QPdfWriter writer_;
};

class NoObserver final : public PrintObserver {
 public:
  void pageStarted(int) override {}
  bool cancelled() override { return false; }
  void serveEvents() override {}
};

struct Fixture {
  Chromatogram document;
  ViewSettings settings;
  PrintPalette palette;
  std::string path;
  int pages = 0;
};

Fixture* fixture = nullptr;
QTemporaryDir* outputs = nullptr;

void printJobPdf(benchmark::State& state) {
  NoObserver observer;
  for (auto _ : state) {
    MemoryPdfDevice device;
    if (printChromatogram(fixture->document, readMarksOf(fixture->document, fixture->settings),
                          fixture->settings, fixture->palette, device, {},
                          observer) != PrintOutcome::Printed)
      state.SkipWithError("not printed");
    benchmark::DoNotOptimize(device.size());
  }
}

void blankPdfPages(benchmark::State& state) {
  for (auto _ : state) {
    MemoryPdfDevice device;
    device.startDocument(kPrintDocumentName);
    for (int i = 0; i < fixture->pages; ++i) {
      device.startPage();
      device.endPage();
    }
    device.endDocument();
    benchmark::DoNotOptimize(device.size());
  }
}

void runExportTo(benchmark::State& state, ExportRequest::Format format, const char* name) {
  ExportRequest request;
  request.format = format;
  request.trace = fixture->path;
  request.output = outputs->filePath(name).toStdString();
  for (auto _ : state) {
    std::ostringstream errors;
    if (runExport(request, errors) != 0) state.SkipWithError(errors.str().c_str());
  }
}

void exportPdf(benchmark::State& state) {
  runExportTo(state, ExportRequest::Pdf, "bench.pdf");
}

void exportPng(benchmark::State& state) {
  runExportTo(state, ExportRequest::Png, "bench.png");
}

/// What --export-png paints, without loading, encoding or writing.
void paintPng(benchmark::State& state) {
  DesktopLook screen;
  for (auto _ : state) {
    QImage image;
    std::string error;
    if (renderPng(screen, fixture->document, fixture->settings, {}, image, error) !=
        PngFailure::None)
      state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(image.bits());
  }
}

void qpainterPolylines(benchmark::State& state) {
  QImage image;
  std::string error;
  DesktopLook screen;
  renderPng(screen, fixture->document, fixture->settings, {}, image, error);
  const Chromatogram& d = fixture->document;
  const ViewSettings settings = pngSettings(fixture->settings);
  // The baseline lies 9 rows above the bottom of the view.
  const int baseline = image.height() - 9;
  std::vector<std::vector<QPoint>> lines(4);
  for (int c = 0; c < 4; ++c) {
    for (int i = 0; i < d.channels[c].sampleCount; ++i) {
      lines[c].emplace_back(sampleToX(settings, 0, i),
                            baseline - sampleHeight(settings, d.sample(c, i)));
    }
  }
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int c = 0; c < 4; ++c) {
      painter.setPen(QPen(toQColor(d.channels[c].colour), 0));
      painter.drawPolyline(lines[c].data(), static_cast<int>(lines[c].size()));
    }
    benchmark::DoNotOptimize(image.bits());
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path data = "test-data";
  if (argc > 1 && argv[1][0] != '-') {
    data = argv[1];
    for (int i = 1; i + 1 < argc; ++i) argv[i] = argv[i + 1];
    --argc;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir settings;
  qputenv("XDG_CONFIG_HOME", settings.path().toUtf8());
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  QTemporaryDir folder;
  outputs = &folder;

  Fixture f;
  f.path = (data / "abi" / "3730.ab1").string();
  std::string name;
  if (readTraceFile(f.path, false, f.document, name)) {
    std::cerr << "cannot read " << f.path << " (run scripts/fetch-test-data)\n";
    return 1;
  }
  f.palette = printPalette(f.document, f.settings);
  MemoryPdfDevice probe;
  PrintGeometry g;
  computePrintGeometry(probe, f.settings, f.document.maxSampleCount, g);
  f.pages = g.pageCount;
  fixture = &f;
  std::cout << f.path << ": " << f.document.maxSampleCount << " samples, " << f.pages
            << " A4 pages at print X zoom 1\n";

  benchmark::RegisterBenchmark("print_job_pdf", printJobPdf)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("export_pdf", exportPdf)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("blank_pdf_pages", blankPdfPages)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("paint_png", paintPng)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("export_png", exportPng)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("qpainter_polylines", qpainterPolylines)
      ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  const std::map<std::string, std::string> floors{{"print_job_pdf", "blank_pdf_pages"},
                                                  {"export_pdf", "blank_pdf_pages"},
                                                  {"paint_png", "qpainter_polylines"},
                                                  {"export_png", "qpainter_polylines"}};
  RatioReporter reporter("ratio to the floor of the same run", [&](const std::string& name) {
    const auto floor = floors.find(name);
    return floor == floors.end() ? std::string() : floor->second;
  });
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
