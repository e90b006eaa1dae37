// The print job over a recording device: the page geometry, page ranges, the header, rows,
// frames and masks of the pages, clipping, Cancel, and the Print command around the job.
#include "view/print_job.h"

#include <gtest/gtest.h>

#include "app/commands.h"
#include "edit/view_updates.h"
#include "fake_print_device.h"
#include "view_fixture.h"

namespace vistrel::testing {
namespace {

/// Cancel is found pressed at the `cancelAt`-th question (never when negative).
class Observer : public PrintObserver {
 public:
  explicit Observer(int cancelAt = -1) : cancelAt_(cancelAt) {}
  void pageStarted(int page) override { pages.push_back(page); }
  bool cancelled() override { return cancelAt_ >= 0 && ++questions_ >= cancelAt_; }
  void serveEvents() override { ++served; }
  std::vector<int> pages;
  int served = 0;

 private:
  int cancelAt_;
  int questions_ = 0;
};

TEST(PrintGeometry, FollowsTheDeviceAndThePrintZoom) {
  struct Case {
    int dpi, width, height, xZoom;
    int scale10, labelStep, samplesPerRow, rowCount, rowsPerPage, pageCount;
  };
  const Case cases[] = {
      {300, 2550, 3300, 0, 20, 10, 1257, 13, 7, 2},  // Letter at 300 dpi: 2 pixels a sample
      {600, 4961, 7016, 2, 160, 10, 305, 53, 8, 7},  // A4 at 600 dpi, X zoom 4
      {600, 4961, 7016, -2, 10, 10, 4887, 4, 8, 1},  // A4 at 600 dpi, X zoom 0.25
      {300, 2480, 3508, -2, 5, 10, 4888, 4, 8, 1},   // A4 at 300 dpi, X zoom 0.25
      {120, 1020, 1320, -2, 2, 50, 5030, 4, 7, 1},   // scale10 exactly 2: every 50th base
  };
  ViewSettings settings;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.dpi << " dpi, zoom " << c.xZoom);
    PrintedJob job;
    FakePrintDevice device(job, c.dpi, c.width, c.height);
    settings.printXZoom = c.xZoom;
    PrintGeometry g;
    ASSERT_EQ(computePrintGeometry(device, settings, 16000, g), PageFit::Fits);
    EXPECT_EQ(g.scale10, c.scale10);
    EXPECT_EQ(g.labelStep, c.labelStep);
    EXPECT_EQ(g.samplesPerRow, c.samplesPerRow);
    EXPECT_EQ(g.rowCount, c.rowCount);
    EXPECT_EQ(g.rowsPerPage, c.rowsPerPage);
    EXPECT_EQ(g.pageCount, c.pageCount);
  }
}

TEST(PrintGeometry, APageTooShortOrTooSmallIsRefusedBeforeDividing) {
  ViewSettings settings;
  PrintedJob job;
  Observer observer;
  FakePrintDevice low(job, 300, 2550, 300);  // not one row high
  EXPECT_EQ(
      printChromatogram(Chromatogram{}, ReadMarks{}, settings, PrintPalette{}, low, {}, observer),
      PrintOutcome::PageTooShort);
  settings.printXZoom = -2;
  FakePrintDevice coarse(job, 50, 425, 550);  // 0.25 makes a sample take no tenth of a pixel
  EXPECT_EQ(printChromatogram(Chromatogram{}, ReadMarks{}, settings, PrintPalette{}, coarse, {},
                              observer),
            PrintOutcome::PageTooSmall);
  EXPECT_TRUE(job.documentName.empty());
}

TEST(PrintGeometry, PageRangesAreSettledAgainstThePageCount) {
  struct Case {
    PageRange asked;
    bool printable;
    int from, to;
  };
  const Case cases[] = {{{true, 0, 0}, true, 1, 5},   {{false, 3, 2}, true, 2, 3},
                        {{false, 0, 2}, true, 1, 2},  {{false, 4, 9}, true, 4, 5},
                        {{false, 9, 6}, false, 6, 9}, {{false, 5, 5}, true, 5, 5},
                        {{false, 6, 2}, true, 2, 5}};
  for (const Case& c : cases) {
    PageRange range = c.asked;
    EXPECT_EQ(settlePageRange(range, 5), c.printable) << c.asked.from << "-" << c.asked.to;
    EXPECT_EQ(range.from, c.from);
    EXPECT_EQ(range.to, c.to);
  }
}

class Printing : public ViewTest {
 protected:
  // The quality marks have tests of their own; here they would only crowd the recording.
  void SetUp() override {
    ViewTest::SetUp();
    app.settings.qualityValues = 0;
    app.settings.showTrimmed = 0;
  }
  // 300 dpi, three rows a page; 6,000 samples make five rows: a full page and one of two rows.
  PrintedJob job;
  FakePrintDevice device{job, 300, 2550, 1400};
  const int headerHeight = 52, rowPitch = 429, margin = 18, right = 2532, bottom = 1391;

  PrintOutcome print(PageRange range, PrintObserver& observer) {
    return printChromatogram(app.document, readMarksOf(app.document, app.settings), app.settings,
                             printPalette(app.document, app.settings), device, range, observer);
  }
};

/// A device that notes the window's green, in its colour table and in channel A, at every page.
class WatchingDevice final : public FakePrintDevice {
 public:
  WatchingDevice(PrintedJob& job, const AppState& app, std::vector<Rgb>& greens)
      : FakePrintDevice(job, 300, 2550, 1400), app_(app), greens_(greens) {}
  Canvas& startPage() override {
    greens_.push_back(app_.settings.colourTable[kGreen]);
    greens_.push_back(app_.document.channels[0].colour);
    return FakePrintDevice::startPage();
  }

 private:
  const AppState& app_;
  std::vector<Rgb>& greens_;
};

TEST_F(Printing, PagesCarryTheHeaderAndAFrameAroundTheirRowsOnly) {
  show(regularDocument(6000));
  app.document.fileInfoText = "File: x.scf";
  Observer observer;
  ASSERT_EQ(print({}, observer), PrintOutcome::Printed);
  EXPECT_EQ(job.documentName, "Vistrel Chromatogram");
  ASSERT_EQ(job.pages.size(), 2u);
  EXPECT_EQ(job.pagesEnded, 2);
  EXPECT_TRUE(job.ended);
  EXPECT_EQ(observer.pages, (std::vector<int>{1, 2}));
  for (int p = 0; p < 2; ++p) {
    const RecordingCanvas& page = job.pages[static_cast<std::size_t>(p)];
    const int rows = p == 0 ? 3 : 2;
    ASSERT_EQ(page.frames.size(), 1u);
    EXPECT_EQ(page.frames[0].points,
              (std::vector<Point>{{margin - 1, headerHeight - 1},
                                  {right + 1, headerHeight - 1 + rows * rowPitch}}));
    EXPECT_EQ(page.frames[0].width, 3);
    const auto separators = std::count_if(page.lines.begin(), page.lines.end(),
                                          [](const DrawnLine& l) { return l.points.size() == 2; });
    EXPECT_EQ(separators, rows - 1);
    // White masks over whatever letters and traces drew beside the frame, up to its side lines
    // (three pixels wide, from margin - 2 and from right).
    ASSERT_GE(page.fills.size(), 2u);
    EXPECT_EQ(page.fills[page.fills.size() - 2].area, (Rect{0, 0, margin - 2, bottom}));
    EXPECT_EQ(page.fills.back().area, (Rect{right + 3, 0, 2550, bottom}));
    // The header: the program, the three info lines, and the page ending at the right edge.
    const std::vector<DrawnText> header = page.textsIn({FontSpec::Serif, 300 / 8});
    ASSERT_EQ(header.size(), 5u);
    EXPECT_EQ(header[0].text, "Vistrel 1.45");
    EXPECT_EQ(header[1].text, "File: x.scf");
    const DrawnText& number = header.back();
    EXPECT_EQ(number.text, "Page " + std::to_string(p + 1) + " of 2");
    EXPECT_EQ(number.at.x + static_cast<int>(number.text.size()) * (37 / 2 + 1), right);
  }
}

TEST_F(Printing, ARangePrintsItsPagesAndOnePastTheEndPrintsNothing) {
  show(regularDocument(6000));
  Observer observer;
  EXPECT_EQ(print({false, 3, 2}, observer), PrintOutcome::Printed);
  EXPECT_EQ(observer.pages, std::vector<int>{2});
  EXPECT_EQ(job.pages.size(), 1u);
  EXPECT_EQ(print({false, 3, 3}, observer), PrintOutcome::NoSuchPage);
  EXPECT_EQ(job.pages.size(), 1u);
}

TEST_F(Printing, TallSamplesAreCutAtTheTopOfTheirRowAndNegativeOnesFallBelow) {
  show(regularDocument(6000));
  app.document.setSample(0, 5, 30000);
  app.document.setSample(0, 6, 0xFFF0);  // -16
  Observer observer;
  print({}, observer);
  const std::vector<DrawnLine> a = job.pages[0].polylinesIn(kPrintGreen);
  ASSERT_FALSE(a.empty());
  const int baseline = headerHeight + 426;  // row height: 354 + 2 * 3 + 2 * 33
  EXPECT_EQ(a[0].points[5], (Point{margin + 10, baseline - 354}));
  EXPECT_EQ(a[0].points[6], (Point{margin + 12, baseline + 3}));
  EXPECT_EQ(a[0].width, 3);
  EXPECT_GT(observer.served, 6000 / 16);  // events served while the traces are drawn
}

TEST_F(Printing, CancelAbortsTheDocument) {
  show(regularDocument(6000));
  Observer observer(200);
  EXPECT_EQ(print({}, observer), PrintOutcome::Cancelled);
  EXPECT_TRUE(job.aborted);
  EXPECT_FALSE(job.ended);
}

TEST_F(Printing, ThePrintCommandPrintsInThePrintGreenAndReportsWhatWentWrong) {
  show(regularDocument(6000));
  std::vector<Rgb> windowGreens;
  auto choose = [&](PrintChoice choice) {
    choice.device = std::make_unique<WatchingDevice>(job, app, windowGreens);
    platform.printAnswer = std::move(choice);
    executeCommand(app, platform, kPrint);
  };
  choose({});
  EXPECT_EQ(platform.printProgress.front(), "Printing...");
  EXPECT_EQ(platform.printProgress.back(), "Printing page 2");
  EXPECT_EQ(platform.printProgressClosed, 1);
  // Channel A and the letter A, both green, print in the print green; the window, which may
  // repaint while pages are drawn, keeps the screen's.
  EXPECT_FALSE(job.pages[0].polylinesIn(Rgb{0, 255, 0}).empty());
  const std::vector<DrawnText>& texts = job.pages[0].texts;
  const auto a =
      std::find_if(texts.begin(), texts.end(), [](const DrawnText& t) { return t.text == "A"; });
  ASSERT_NE(a, texts.end());
  EXPECT_EQ(a->colour, (Rgb{0, 255, 0}));
  EXPECT_EQ(windowGreens, std::vector<Rgb>(4, kScreenGreen));

  PrintChoice past;
  past.allPages = false;
  past.fromPage = 7;
  past.toPage = 3;
  choose(std::move(past));
  EXPECT_EQ(platform.messages.back().text, "There is no page 3");

  job.failAtEnd = true;
  choose({});
  EXPECT_EQ(platform.messages.back().text, "Could not write file");
  job.failure = "/x/out.pdf: Access denied";
  choose({});
  EXPECT_EQ(platform.messages.back().text, "/x/out.pdf: Access denied");
  EXPECT_EQ(platform.messages.size(), 3u);
}

}  // namespace
}  // namespace vistrel::testing
