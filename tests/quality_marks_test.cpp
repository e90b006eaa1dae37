// The quality bars and the shading of the trimmed ends, on the screen, on paper and after edits.
#include "view/quality_marks.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "edit/edit_model.h"
#include "edit/view_updates.h"
#include "fake_print_device.h"
#include "view/print_job.h"
#include "view/trace_view.h"
#include "view_fixture.h"

namespace vistrel::testing {
namespace {

// Twenty bases with peaks at 10i + 5 (bars 10 pixels wide at X zoom 1): three poor ones at each
// end, so the good region is bases 3 to 16.
Chromatogram markedDocument(bool withQualities) {
  AbiTrace trace;
  for (auto& channel : trace.channels) channel.assign(200, 100);
  trace.editedBases = trace.originalBases = "ACGTACGTACGTACGTACGT";
  for (int i = 0; i < 20; ++i) trace.editedPeaks.push_back(static_cast<std::int16_t>(10 * i + 5));
  trace.originalPeaks = trace.editedPeaks;
  if (withQualities) {
    trace.editedQualities = Bytes(20, 40);
    for (int i : {0, 1, 2, 17, 18, 19}) trace.editedQualities[static_cast<std::size_t>(i)] = 5;
    trace.originalQualities = trace.editedQualities;
  }
  ReadOutcome r = readImage(abiBuilderFor(trace).build());
  EXPECT_FALSE(r.error) << r.message();
  return std::move(r.document);
}

std::vector<Rect> fillsIn(const RecordingCanvas& c, Rgb colour) {
  std::vector<Rect> out;
  for (const FilledRect& f : c.fills) {
    if (f.colour == colour) out.push_back(f.area);
  }
  return out;
}

/// The indexes in `c.lines` of the lines drawn in `colour`.
std::vector<std::size_t> linesIn(const RecordingCanvas& c, Rgb colour) {
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < c.lines.size(); ++i) {
    if (c.lines[i].colour == colour) out.push_back(i);
  }
  return out;
}

class QualityMarks : public ViewTest {
 protected:
  RecordingCanvas paint() {
    RecordingCanvas canvas;
    // The tests change the document in place: its marks are worked out afresh.
    app.view.readMarks = readMarksOf(app.document, app.settings);
    paintView(app.document, app.settings, app.view, platform, canvas, app.view.clientArea());
    return canvas;
  }
  int baseline() const { return app.view.layout.baseline(200); }
};

TEST_F(QualityMarks, BarsAndShadingFollowTheSettingsAndNeedQualityValues) {
  const MarkColours& m = kScreenMarkColours;
  struct Case {
    bool qualities;
    int bars, shading;
    std::size_t barFills, shadeFills, boundaries;
  } cases[] = {{true, 1, 1, 20, 2, 2},
               {true, 0, 1, 0, 2, 2},
               {true, 1, 0, 20, 0, 0},
               {true, 0, 0, 0, 0, 0},
               {false, 1, 1, 0, 0, 0}};
  for (const Case& k : cases) {
    SCOPED_TRACE(::testing::Message() << k.qualities << k.bars << k.shading);
    show(markedDocument(k.qualities));
    app.settings.qualityValues = k.bars;
    app.settings.showTrimmed = k.shading;
    const RecordingCanvas c = paint();
    EXPECT_EQ(fillsIn(c, m.bar).size(), k.barFills);
    EXPECT_EQ(fillsIn(c, m.shade).size(), k.shadeFills);
    EXPECT_EQ(linesIn(c, m.boundary).size(), k.boundaries);
    EXPECT_EQ(linesIn(c, m.guide).size(), k.barFills > 0 ? 1u : 0u);
  }
}

TEST_F(QualityMarks, BarsTileThePeaksAndTheShadingStopsAtTheGoodRegion) {
  show(markedDocument(true));
  const RecordingCanvas c = paint();
  const int b = baseline(), top = b - 200;
  const std::vector<Rect> bars = fillsIn(c, kScreenMarkColours.bar);
  ASSERT_EQ(bars.size(), 20u);
  EXPECT_EQ(bars[0], (Rect{0, b - 5 * 200 / 60, 10, b}));      // the end bar mirrors its inner half
  EXPECT_EQ(bars[3], (Rect{30, b - 40 * 200 / 60, 40, b}));    // half-way to each neighbour
  EXPECT_EQ(bars[19], (Rect{190, b - 5 * 200 / 60, 200, b}));  // the last one too
  // Each bar's top edge drawn darker over it, so that full bars do not merge into one tint.
  const std::vector<Rect> tops = fillsIn(c, kScreenMarkColours.barTop);
  ASSERT_EQ(tops.size(), 20u);
  EXPECT_EQ(tops[3], (Rect{30, b - 40 * 200 / 60, 40, b - 40 * 200 / 60 + 1}));
  EXPECT_EQ(fillsIn(c, kScreenMarkColours.shade),
            (std::vector<Rect>{{0, top, 30, b}, {170, top, 800, b}}));
  const std::vector<std::size_t> edges = linesIn(c, kScreenMarkColours.boundary);
  ASSERT_EQ(edges.size(), 2u);
  EXPECT_EQ(c.lines[edges[0]].points, (std::vector<Point>{{30, top}, {30, b}}));
  EXPECT_EQ(c.lines[edges[1]].points, (std::vector<Point>{{169, top}, {169, b}}));
  const std::vector<std::size_t> guide = linesIn(c, kScreenMarkColours.guide);
  ASSERT_EQ(guide.size(), 1u);
  EXPECT_EQ(c.lines[guide[0]].points[0].y, b - 20 * 200 / 60);
  // Behind the traces: every mark is drawn before the first polyline.
  const auto firstTrace = std::find_if(c.lines.begin(), c.lines.end(),
                                       [](const DrawnLine& l) { return l.points.size() > 2; });
  EXPECT_LT(edges[1], static_cast<std::size_t>(firstTrace - c.lines.begin()));

  // A poor read has no good region: all of it is shaded.
  for (int i = 0; i < 20; ++i) app.document.shown().setQuality(i, 2);
  EXPECT_EQ(fillsIn(paint(), kScreenMarkColours.shade), (std::vector<Rect>{{0, top, 800, b}}));
}

TEST_F(QualityMarks, ANarrowRepaintDrawsOnlyTheBarsItReaches) {
  show(markedDocument(true));
  RecordingCanvas c;
  paintView(app.document, app.settings, app.view, platform, c, {45, 0, 62, 265});
  const std::vector<Rect> bars = fillsIn(c, kScreenMarkColours.bar);
  ASSERT_EQ(bars.size(), 3u);  // bases 4, 5 and 6
  EXPECT_EQ(bars[0].left, 40);
  EXPECT_EQ(fillsIn(c, kScreenMarkColours.shade).size(), 0u);
}

TEST_F(QualityMarks, TheMarksFollowEditsTheSetSwitchAndTheCutoffButNotARepaint) {
  show(markedDocument(true));
  EditContext c = editContext(app, platform);
  auto region = [&] {
    followShownRead(app, platform);
    return app.view.readMarks.goodRegion;
  };
  EXPECT_EQ(region(), (TrimRegion{3, 17}));
  app.view.readMarks.goodRegion.reset();  // a repaint with nothing changed works nothing out
  EXPECT_EQ(region(), std::nullopt);
  app.view.selectedBase = 2;
  replaceBase(c, 'A');  // a sure base joins the region
  EXPECT_EQ(region(), (TrimRegion{2, 17}));
  undo(c);
  EXPECT_EQ(region(), (TrimRegion{3, 17}));
  app.settings.trimCutoff = 0;  // no base is good enough
  EXPECT_EQ(region(), (TrimRegion{0, 0}));
  app.settings.trimCutoff = 50;
  app.document.original.setQuality(5, 0);
  showBaseCallSet(c, true);  // the original set, a base poorer
  EXPECT_EQ(region(), (TrimRegion{6, 17}));
}

TEST_F(QualityMarks, AnEditThatMovesTheGoodRegionRepaintsAllOfTheTraceArea) {
  show(markedDocument(true));
  const int traceTop = app.view.layout.traceTop() - 1;
  auto repainted = [&](int base, char letter) {
    platform.invalidated.clear();
    app.view.selectedBase = base;
    EditContext c = editContext(app, platform);
    replaceBase(c, static_cast<std::uint8_t>(letter));
    Rect widest{};
    for (const Rect& r : platform.invalidated) {
      if (r.top == traceTop && r.width() > widest.width()) widest = r;
    }
    return widest;
  };
  // A typed A is sure: base 2 joins the region, which now starts a bar earlier.
  EXPECT_EQ(repainted(2, 'A'), (Rect{0, traceTop, 800, 265}));
  // A sure base inside the region leaves it as it is: only its bar and its neighbours' change.
  EXPECT_EQ(repainted(8, 'C'), (Rect{75, traceTop, 96, 265}));
}

class Unattended : public PrintObserver {
  void pageStarted(int) override {}
  bool cancelled() override { return false; }
  void serveEvents() override {}
};

TEST(PrintedMarks, RowsCarryTheMarksInThePrintColours) {
  const Chromatogram document = markedDocument(true);
  ViewSettings settings;
  PrintedJob job;
  FakePrintDevice device{job, 300, 2550, 1400};  // two pixels a sample
  Unattended observer;
  ASSERT_EQ(printChromatogram(document, readMarksOf(document, settings), settings,
                              printPalette(document, settings), device, {}, observer),
            PrintOutcome::Printed);
  ASSERT_EQ(job.pages.size(), 1u);
  const std::vector<Rect> bars = fillsIn(job.pages[0], kPrintMarkColours.bar);
  ASSERT_EQ(bars.size(), 20u);
  EXPECT_EQ(bars[1].left, 18 + 20);  // the margin, then a bar of ten samples
  EXPECT_EQ(fillsIn(job.pages[0], kPrintMarkColours.shade).size(), 2u);
  EXPECT_TRUE(fillsIn(job.pages[0], kScreenMarkColours.bar).empty());
}

}  // namespace
}  // namespace vistrel::testing
