// Printing over Qt, offscreen: the print dialog as it opens and the pages its choice prints, the
// progress dialog's Cancel, a cancelled print to a PDF file, the frame's side lines as pixels,
// failed and repeated PDF jobs, the two exports measured against the print geometry and the
// view's layout, and a PNG the encoder refuses.
#include <QAbstractButton>
#include <QBuffer>
#include <QDialogButtonBox>
#include <QDir>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTimer>
#include <functional>

#include "app/print_command.h"
#include "document/trace_file.h"
#include "edit/view_updates.h"
#include "gui_fixture.h"
#include "qt/command_line_export.h"
#include "qt/print_device.h"
#include "view/layout.h"
#include "view/print_job.h"
#include "view/trace_view.h"

namespace vistrel {
namespace {

QString run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(60000) || process.exitCode() != 0) return {};
  return QString::fromUtf8(process.readAllStandardOutput());
}

/// The page count of the PDF's own page tree, as pdfinfo reads it; -1 when it cannot.
int pdfPages(const QString& path) {
  for (const QString& line : run("pdfinfo", {path}).split('\n')) {
    if (line.startsWith("Pages:")) return line.mid(6).trimmed().toInt();
  }
  return -1;
}

/// Page 1 of the PDF at `path` in shades of grey at `dpi`, without smoothing; null when it cannot
/// be had.
QImage pdfFirstPage(const QString& path, int dpi) {
  QProcess process;
  process.start("pdftoppm", {"-r", QString::number(dpi), "-aa", "no", "-aaVector", "no", "-gray",
                             "-singlefile", path, path});
  if (!process.waitForFinished(60000) || process.exitCode() != 0) return {};
  return QImage(path + ".pgm");
}

/// How many pixels of row `y` from column `from` up to `to` are not white.
int inkIn(const QImage& image, int y, int from, int to) {
  int count = 0;
  for (int x = from; x < to; ++x) count += qGray(image.pixel(x, y)) != 255;
  return count;
}

QString pdfText(const QString& path, int page) {
  const QString n = QString::number(page);
  return run("pdftotext", {"-f", n, "-l", n, path, "-"});
}

/// Answers the dialogs of a print as they show, as a user would: the print dialog, after
/// `fill` has checked and set it; a question whether to replace the file (Yes); and, with
/// `cancel`, the progress dialog's Cancel.
class Answerer {
 public:
  Answerer(std::function<void(QPrintDialog&)> fill, bool cancel)
      : fill_(std::move(fill)), cancel_(cancel) {
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, [this] { answer(); });
    timer_.start();
  }

  /// The progress dialog's text when Cancel was clicked; empty when it was not.
  QString cancelledAt() const { return cancelledAt_; }

 private:
  void answer() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* dialog = qobject_cast<QPrintDialog*>(modal)) {
      fill_(*dialog);
      dialog->accept();
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      box->button(QMessageBox::Yes)->click();
    } else if (modal != nullptr && modal->windowTitle() == "Print" && cancel_ &&
               cancelledAt_.isEmpty()) {
      cancelledAt_ = modal->findChild<QLabel*>()->text();
      modal->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    }
  }

  std::function<void(QPrintDialog&)> fill_;
  bool cancel_;
  QString cancelledAt_;
  QTimer timer_;
};

class Print : public Gui {
 protected:
  void SetUp() override {
    Gui::SetUp();
    ASSERT_TRUE(folder_.isValid());
  }

  void storeSettings(const std::string& options) {
    std::ofstream(config_.path().toStdString() + "/vistrel.ini") << "[Options]\n" << options;
  }

  static bool havePoppler() { return !QStandardPaths::findExecutable("pdfinfo").isEmpty(); }

  QString output(const char* name) const { return folder_.filePath(name); }

  static Chromatogram loadSample() {
    Chromatogram document;
    std::string name;
    EXPECT_FALSE(readTraceFile(sample("sample.ab1"), false, document, name));
    return document;
  }

  QTemporaryDir folder_;
};

TEST_F(Print, TheDialogOpensOnPageOneAndItsRangeAsTypedPrintsToPdf) {
  if (!havePoppler()) GTEST_SKIP() << "pdfinfo is missing";
  storeSettings("Print X Zoom=2\n");  // several pages of the sample
  auto s = start({sample("sample.ab1")});
  const QString pdf = output("range.pdf");
  bool filled = false;
  Answerer answerer(
      [&](QPrintDialog& dialog) {
        auto* range = dialog.findChild<QAbstractButton*>("printRange");
        auto* all = dialog.findChild<QAbstractButton*>("printAll");
        auto* selection = dialog.findChild<QAbstractButton*>("printSelection");
        auto* from = dialog.findChild<QSpinBox*>("from");
        auto* to = dialog.findChild<QSpinBox*>("to");
        auto* file = dialog.findChild<QLineEdit*>("filename");
        ASSERT_TRUE(range && all && selection && from && to && file);
        EXPECT_TRUE(range->isChecked());
        EXPECT_EQ(from->value(), 1);
        EXPECT_EQ(to->value(), 1);
        EXPECT_EQ(to->maximum(), 65534);
        EXPECT_EQ(all->text(), "&All");
        EXPECT_TRUE(selection->isHidden());
        // Typed the wrong way round: the two are swapped.
        from->setValue(3);
        to->setValue(2);
        file->setText(pdf);
        filled = true;
      },
      false);
  printDocument(s->state, *s->platform);
  ASSERT_TRUE(filled);

  // The whole document's page count, on the device the dialog set up.
  QPrinter printer(QPrinter::HighResolution);
  PdfFileDevice device("", printer.pageLayout(), printer.resolution());
  PrintGeometry g;
  ASSERT_EQ(PageFit::Fits,
            computePrintGeometry(device, s->state.settings, s->state.document.maxSampleCount, g));
  ASSERT_GE(g.pageCount, 3);
  EXPECT_EQ(pdfPages(pdf), 2);
  const QString of = " of " + QString::number(g.pageCount);
  EXPECT_TRUE(pdfText(pdf, 1).contains("Page 2" + of));
  EXPECT_TRUE(pdfText(pdf, 2).contains("Page 3" + of));
}

TEST_F(Print, CancelInTheProgressDialogLeavesThePdfFileAsItWas) {
  storeSettings("Print X Zoom=2\n");
  auto s = start({sample("sample.ab1")});
  const QString pdf = output("kept.pdf");
  std::ofstream(pdf.toStdString()) << "earlier contents";
  Answerer answerer(
      [&](QPrintDialog& dialog) {
        dialog.findChild<QAbstractButton*>("printAll")->click();
        dialog.findChild<QLineEdit*>("filename")->setText(pdf);
      },
      true);
  printDocument(s->state, *s->platform);
  // Cancelled while the job ran, and the dialog closed at its end.
  EXPECT_TRUE(answerer.cancelledAt().startsWith("Printing"))
      << answerer.cancelledAt().toStdString();
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  QFile kept(pdf);
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), "earlier contents");
  // No temporary file is left beside it either.
  EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.pdf"});
}

/// Asks the job to stop once page `stopAt` has begun (never when 0).
class StopAtPage final : public PrintObserver {
 public:
  explicit StopAtPage(int stopAt) : stopAt_(stopAt) {}
  void pageStarted(int page) override { reached_ = stopAt_ > 0 && page >= stopAt_; }
  bool cancelled() override { return reached_; }
  void serveEvents() override {}

 private:
  int stopAt_;
  bool reached_ = false;
};

TEST_F(Print, APrinterGetsNothingOfACancelledJobAndEveryPageOfAFinishedOne) {
  if (!havePoppler()) GTEST_SKIP() << "pdfinfo is missing";
  auto s = start({});
  const Chromatogram document = loadSample();
  ViewSettings settings;
  settings.printXZoom = 2;
  for (int stopAt : {0, 2}) {
    SCOPED_TRACE(stopAt);
    // A printer that Qt itself writes into a file: what reaches it shows there.
    const QString pdf = folder_.filePath(QString("printer%1.pdf").arg(stopAt));
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFileName(pdf);
    PrinterDevice device(std::move(printer));
    PrintGeometry g;
    ASSERT_EQ(PageFit::Fits, computePrintGeometry(device, settings, document.maxSampleCount, g));
    ASSERT_GT(g.pageCount, 2);
    StopAtPage observer(stopAt);
    const PrintOutcome outcome =
        printChromatogram(document, readMarksOf(document, settings), settings,
                          printPalette(document, settings), device, {}, observer);
    if (stopAt > 0) {
      EXPECT_EQ(outcome, PrintOutcome::Cancelled);
      EXPECT_FALSE(QFile::exists(pdf));
    } else {
      EXPECT_EQ(outcome, PrintOutcome::Printed);
      EXPECT_EQ(pdfPages(pdf), g.pageCount);
      const QString last = QString::number(g.pageCount);
      EXPECT_TRUE(pdfText(pdf, g.pageCount).contains("Page " + last + " of " + last));
    }
  }
}

TEST_F(Print, PdfExportHasThePagesOfThePrintGeometryOrNoneWhenNoRowFits) {
  if (!havePoppler()) GTEST_SKIP() << "pdfinfo is missing";
  auto s = start({});
  const Chromatogram document = loadSample();
  struct Case {
    PageSize size;
    QPageSize::PageSizeId paper;
    int printXZoom, printYZoom;
  };
  for (const Case& c :
       {Case{PageSize::A4, QPageSize::A4, 0, 0}, Case{PageSize::Letter, QPageSize::Letter, 2, 3},
        Case{PageSize::A4, QPageSize::A4, -2, 6}}) {
    SCOPED_TRACE(testing::Message() << c.paper << " " << c.printXZoom);
    storeSettings("Print X Zoom=" + std::to_string(c.printXZoom) +
                  "\nPrint Y Zoom=" + std::to_string(c.printYZoom) + "\n");
    const QString pdf = folder_.filePath(QString("export%1-%2.pdf").arg(c.paper).arg(c.printXZoom));
    const ExportRequest request{
        .output = pdf.toStdString(), .trace = sample("sample.ab1"), .pageSize = c.size};
    ViewSettings settings;
    settings.printXZoom = c.printXZoom;
    settings.printYZoom = c.printYZoom;
    PdfFileDevice device("", pdfPageLayout(c.paper), kPdfResolution);
    PrintGeometry g;
    ASSERT_EQ(PageFit::Fits, computePrintGeometry(device, settings, document.maxSampleCount, g));
    std::ostringstream errors;
    ASSERT_EQ(runExport(request, errors), 0) << errors.str();
    EXPECT_EQ(pdfPages(pdf), g.pageCount);
  }
  // A10 is lower than one row under its header.
  const QString pdf = output("a10.pdf");
  PdfFileDevice device(pdf.toStdString(), pdfPageLayout(QPageSize::A10), kPdfResolution);
  StopAtPage observer(0);
  EXPECT_EQ(printChromatogram(document, readMarksOf(document, ViewSettings{}), ViewSettings{},
                              PrintPalette{}, device, {}, observer),
            PrintOutcome::PageTooShort);
  EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(Print, PngOfABaseRangeShowsBothEndBasesWhole) {
  auto s = start({});
  const Chromatogram document = loadSample();
  const BaseCalls& calls = document.shown();
  ViewLayout layout;
  createFonts(layout, *s->platform, false);
  const int cw = layout.baseCharWidth;
  struct Case {
    int xZoom, first, last;
  };
  for (const Case& c : {Case{0, 1, 1}, Case{2, 95, 130}, Case{-2, 690, 700}, Case{-3, 10, 10}}) {
    SCOPED_TRACE(testing::Message() << c.xZoom << " " << c.first << "-" << c.last);
    storeSettings("X Zoom=" + std::to_string(c.xZoom) + "\n");
    const ExportRequest request{.format = ExportRequest::Png,
                                .output = output("view.png").toStdString(),
                                .trace = sample("sample.ab1"),
                                .bases = BaseRange{c.first, c.last}};
    std::ostringstream errors;
    ASSERT_EQ(runExport(request, errors), 0) << errors.str();
    const QImage image(QString::fromStdString(request.output));
    EXPECT_EQ(image.height(), layout.neededClientHeight(200));

    // A stored fit to the window draws at X zoom 1.
    ViewSettings settings;
    applyXZoomValue(settings, c.xZoom == -3 ? 0 : c.xZoom);
    PngFrame frame;
    ASSERT_TRUE(pngFrame(document, settings, layout, request.bases, frame));
    EXPECT_EQ(image.width(), frame.width);
    // The letter in its colour where the base's peak is, and the widest number there could
    // be, centred on the peak, inside the image; and not much more room than that.
    const int half = (cw * static_cast<int>(std::to_string(c.last).size()) + 1) / 2;
    int xs[2];
    for (int i : {0, 1}) {
      const int base = i == 0 ? c.first : c.last;
      const int x = xs[i] = sampleToX(settings, frame.firstSample, calls.peak(base - 1));
      EXPECT_GE(x - half, 0);
      EXPECT_LE(x + half, image.width());
      // Where letters would overlap only every step-th shows: the nearest inside the range.
      const int step = letterStep(calls, settings, cw);
      const int offset = (base - 1) % step;
      const int letter = i == 0 ? base + (step - offset) % step : base - offset;
      const int lx = sampleToX(settings, frame.firstSample, calls.peak(letter - 1));
      const QRect cell(lx - cw / 2, layout.letterRowTop(), cw, layout.baseFontHeight);
      EXPECT_GT(pixelsNear(image, toQColor(settings.letterColour(calls.base(letter - 1))), cell),
                0);
    }
    EXPECT_LE(image.width(), xs[1] - xs[0] + 2 * (half + 2 + (1 << settings.xZoomLevel)));
  }
}

TEST_F(Print, BothSideLinesOfTheFrameShowAndNothingBeyondThemAtEveryResolution) {
  if (QStandardPaths::findExecutable("pdftoppm").isEmpty()) GTEST_SKIP() << "pdftoppm is missing";
  const Chromatogram document = loadSample();
  ViewSettings settings;
  settings.printXZoom = 2;  // the sample before each row is drawn well left of the frame
  // No margins, so that the page's pixels are the device's.
  const QPageLayout layout(QPageSize(QPageSize::A7), QPageLayout::Portrait, QMarginsF(),
                           QPageLayout::Point);
  for (int dpi : {72, 1200}) {  // lines of width 0, drawn as 1, and of 12
    SCOPED_TRACE(dpi);
    const QString pdf = output("sides.pdf");
    PdfFileDevice device(pdf.toStdString(), layout, dpi);
    PrintGeometry g;
    ASSERT_EQ(computePrintGeometry(device, settings, document.maxSampleCount, g), PageFit::Fits);
    StopAtPage observer(0);
    ASSERT_EQ(printChromatogram(document, readMarksOf(document, settings), settings,
                                printPalette(document, settings), device, {}, observer),
              PrintOutcome::Printed);
    const QImage page = pdfFirstPage(pdf, dpi);
    ASSERT_GE(page.width(), g.pageWidth);
    ASSERT_GE(page.height(), g.bottom);
    const int width = std::max(g.u, 1);
    const int left = g.margin - g.hu - width / 2;  // the outer columns of the side lines
    const int right = g.right + g.hu - width / 2 + width - 1;
    const int top = g.headerHeight - g.hu + width;  // inside the frame's top and bottom lines
    const int bottom = top + std::min(g.rowsPerPage, g.rowCount) * g.rowPitch - 2 * width;
    int lineGaps = 0, inkOutside = 0;
    for (int y = 0; y < g.bottom; ++y) {
      for (int i = 0; i < width && y >= top && y < bottom; ++i) {
        lineGaps += qGray(page.pixel(left + i, y)) > 127;
        lineGaps += qGray(page.pixel(right - i, y)) > 127;
      }
      inkOutside += inkIn(page, y, 0, left) + inkIn(page, y, right + 1, g.pageWidth);
    }
    EXPECT_EQ(lineGaps, 0);
    EXPECT_EQ(inkOutside, 0);
  }
}

TEST_F(Print, APdfFileThatCannotBeWrittenIsToldByNameAndReason) {
  const std::string pdf = output("none/x.pdf").toStdString();
  PdfFileDevice device(pdf, pdfPageLayout(QPageSize::A4), kPdfResolution);
  StopAtPage observer(0);
  EXPECT_EQ(printChromatogram(loadSample(), readMarksOf(loadSample(), ViewSettings{}),
                              ViewSettings{}, PrintPalette{}, device, {}, observer),
            PrintOutcome::Failed);
  EXPECT_EQ(device.failure(), pdf + ": Path not found");
}

TEST_F(Print, APdfFileDevicePrintsOneDocumentAndThenWritesNothing) {
  const Chromatogram document = loadSample();
  const QString pdf = output("once.pdf");
  PdfFileDevice device(pdf.toStdString(), pdfPageLayout(QPageSize::A4), kPdfResolution);
  StopAtPage observer(0);
  ASSERT_EQ(printChromatogram(document, readMarksOf(document, ViewSettings{}), ViewSettings{},
                              PrintPalette{}, device, {}, observer),
            PrintOutcome::Printed);
  std::ofstream(pdf.toStdString()) << "kept";
  EXPECT_EQ(printChromatogram(document, readMarksOf(document, ViewSettings{}), ViewSettings{},
                              PrintPalette{}, device, {}, observer),
            PrintOutcome::NotStarted);
  EXPECT_FALSE(device.endDocument());
  QFile kept(pdf);
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), "kept");
}

TEST_F(Print, APngTheEncoderRefusesIsToldWithTheEncodersReason) {
  QImage wide(kWidestPng + 1, 1, QImage::Format_RGB32);
  wide.fill(Qt::white);
  QByteArray bytes;
  std::string error;
  EXPECT_FALSE(encodePng(wide, bytes, error));
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "PNG");
  ASSERT_FALSE(writer.write(wide));
  EXPECT_EQ(error, "The PNG image could not be made: " + writer.errorString().toStdString());
}

}  // namespace
}  // namespace vistrel
