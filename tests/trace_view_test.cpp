// The view's layout, its sample-to-pixel mappings and what a paint request draws, recorded on
// a canvas. The fake fonts give the small info font a 17-pixel cell and the small base font a
// 15-pixel cell, 7 pixels wide.
#include "view/trace_view.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "analysis/trim.h"
#include "document/trace_file.h"
#include "view/scrolling.h"
#include "view_fixture.h"

namespace vistrel::testing {
namespace {

constexpr Rgb kGreen{0, 191, 0};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kBlack{0, 0, 0};

TEST(Layout, RowsFollowTheFontHeights) {
  FakePlatform platform;
  ViewLayout small, large;
  createFonts(small, platform, false);
  createFonts(large, platform, true);
  EXPECT_EQ(small.numberRowTop(), 21);  // 17 + 4
  EXPECT_EQ(small.letterRowTop(), 39);
  EXPECT_EQ(small.traceTop(), 57);
  EXPECT_EQ(small.baseline(200), 256);
  EXPECT_EQ(small.neededClientHeight(200), 17 + 2 * 15 + 200 + 18);
  EXPECT_EQ(large.infoFont.pixelHeight, 17);
  EXPECT_EQ(large.baseFont.pixelHeight, 16);
  EXPECT_EQ(large.neededClientHeight(100), 21 + 2 * 20 + 100 + 18);
}

TEST(Layout, HorizontalMappingInEachMode) {
  ViewSettings s;
  applyXZoomValue(s, 2);
  EXPECT_EQ(sampleToX(s, 100, 103), 12);
  EXPECT_EQ(xToSampleOffset(s, 13), 3);
  EXPECT_EQ(visibleSpan(s, 801), 200);

  applyXZoomValue(s, -2);
  EXPECT_EQ(sampleToX(s, 100, 107), 1);
  EXPECT_EQ(sampleToX(s, 100, 99), -1);  // floor, not toward zero
  EXPECT_EQ(xToSampleOffset(s, 3), 12);
  EXPECT_EQ(visibleSpan(s, 800), 3200);

  s.xZoomMode = kFit;
  s.xZoomLevel = 3;
  EXPECT_EQ(sampleToX(s, 0, 7), 2);
  EXPECT_EQ(sampleToX(s, 0, -4), -1);  // toward zero
  EXPECT_EQ(xToSampleOffset(s, 5), 15);
  EXPECT_EQ(visibleSpan(s, 320), 960);
}

TEST(Layout, VerticalMappingCutsAtTheTopAndNotBelowTheBaseline) {
  ViewSettings s;  // Y zoom 1, Large scale: one pixel per 8 units
  EXPECT_EQ(sampleHeight(s, 1599), 199);
  EXPECT_EQ(sampleHeight(s, 1600), 200);
  EXPECT_EQ(sampleHeight(s, 30000), 200);
  EXPECT_EQ(sampleHeight(s, 0xFFF8), -1);  // -8
  EXPECT_EQ(sampleHeight(s, 0xFFFF), -1);  // -1, shifted arithmetically
  EXPECT_EQ(sampleHeight(s, 0x8000), -4096);
  s.yZoom = 6;
  s.yScaleShift = 4;  // Y zoom 64, Small scale: four pixels per unit
  EXPECT_EQ(sampleHeight(s, 10), 40);
  EXPECT_EQ(sampleHeight(s, 25), 100);
  EXPECT_EQ(sampleHeight(s, 0xFFF6), -40);
}

class Painting : public ViewTest {
 protected:
  // The quality marks have tests of their own; here they would only crowd the recording.
  void SetUp() override {
    ViewTest::SetUp();
    app.settings.qualityValues = 0;
    app.settings.showTrimmed = 0;
  }
  RecordingCanvas paint(const Rect& area) {
    RecordingCanvas canvas;
    paintView(app.document, app.settings, app.view, platform, canvas, area);
    return canvas;
  }
  RecordingCanvas paintAll() { return paint(app.view.clientArea()); }
  std::vector<DrawnText> letters(const RecordingCanvas& c) const {
    std::vector<DrawnText> out;
    for (const DrawnText& t : c.textsIn(app.view.layout.baseFont)) {
      if (t.at.y == app.view.layout.letterRowTop()) out.push_back(t);
    }
    return out;
  }
  std::vector<DrawnText> numbers(const RecordingCanvas& c) const {
    std::vector<DrawnText> out;
    for (const DrawnText& t : c.textsIn(app.view.layout.baseFont)) {
      if (t.at.y == app.view.layout.numberRowTop()) out.push_back(t);
    }
    return out;
  }
};

TEST_F(Painting, StartScreenIsCentred) {
  app.view.clientWidth = 800;
  app.view.clientHeight = 400;
  RecordingCanvas c = paintAll();
  auto title = c.textsIn(app.view.layout.titleFont);
  ASSERT_EQ(title.size(), 7u);
  std::string name;
  for (const DrawnText& t : title) name += t.text;
  EXPECT_EQ(name, "Vistrel");
  const int y = (400 - 37 - 17 - 7 * 13 - 13 / 2) / 2;
  EXPECT_EQ(title[0].at, (Point{(800 - 7 * 16) / 2, y}));
  EXPECT_EQ(title[1].at.x, title[0].at.x + 16);
  const std::vector<Rgb> colours{kBlack, {255, 0, 0}, {0, 255, 0}, {0, 0, 255},
                                 kBlack, {255, 0, 0}, {0, 255, 0}};
  for (std::size_t i = 0; i < 7; ++i) EXPECT_EQ(title[i].colour, colours[i]);

  auto version = c.textsIn(app.view.layout.infoFont);
  ASSERT_EQ(version.size(), 1u);
  EXPECT_EQ(version[0].text, "Version 1.45 (32-bit)");
  EXPECT_EQ(version[0].at, (Point{(800 - 21 * 8) / 2, y + 37 + 6}));
  auto credits = c.textsIn(app.view.layout.creditFont);
  ASSERT_EQ(credits.size(), 6u);
  EXPECT_EQ(credits[0].at.y, y + 37 + 6 + 17 + 13);
  EXPECT_EQ(credits[5].at.y, credits[0].at.y + 5 * 13);
  EXPECT_TRUE(c.lines.empty());
}

TEST_F(Painting, StartScreenInASmallWindowStartsAtTheCorner) {
  app.view.clientWidth = 50;
  app.view.clientHeight = 20;
  RecordingCanvas c = paintAll();
  auto title = c.textsIn(app.view.layout.titleFont);
  ASSERT_FALSE(title.empty());
  EXPECT_EQ(title[0].at, (Point{0, 0}));
  for (const DrawnText& t : c.textsIn(app.view.layout.creditFont)) EXPECT_EQ(t.at.x, 0);
}

TEST_F(Painting, InfoBandTracesBaselineAndLettersWhereTheLayoutPutsThem) {
  show(regularDocument(2000));
  app.document.fileInfoText = "File: x.scf";
  app.document.sampleNameText = "Sample: s";
  RecordingCanvas c = paintAll();

  ASSERT_FALSE(c.fills.empty());
  EXPECT_EQ(c.fills[0].area, (Rect{0, 0, 800, 19}));
  EXPECT_EQ(c.fills[0].colour, platform.menuColour());
  auto info = c.textsIn(app.view.layout.infoFont);
  ASSERT_EQ(info.size(), 3u);
  EXPECT_EQ(info[0].at, (Point{2, 1}));
  EXPECT_EQ(info[1].at, (Point{2 + 11 * 8 + 20, 1}));
  EXPECT_FALSE(info[0].background.has_value());  // transparent over the band

  // Channel 0 is A (green): sample i has value i % 100, 8 units to the pixel.
  auto a = c.polylinesIn(kGreen);
  ASSERT_EQ(a.size(), 1u);
  EXPECT_EQ(a[0].points[0], (Point{0, 256}));
  EXPECT_EQ(a[0].points[99], (Point{99, 256 - 99 / 8}));
  EXPECT_EQ(a[0].points.back().x, 801);  // one sample past the right edge
  EXPECT_EQ(c.polylinesIn(kBlue).size(), 1u);
  EXPECT_EQ(c.polylinesIn(kRed).size(), 1u);

  // The baseline is drawn after the traces, over them.
  auto baseline = std::find_if(c.lines.begin(), c.lines.end(), [](const DrawnLine& l) {
    return l.points == std::vector<Point>{{0, 256}, {800, 256}};
  });
  ASSERT_NE(baseline, c.lines.end());
  EXPECT_EQ(baseline->colour, kBlack);
  EXPECT_GT(baseline - c.lines.begin(), 4);

  auto row = letters(c);
  ASSERT_GE(row.size(), 80u);
  EXPECT_EQ(row[0].text, "A");
  EXPECT_EQ(row[0].at.x, 5 - 7 / 2);
  EXPECT_EQ(row[0].colour, kGreen);
  EXPECT_EQ(row[1].colour, kBlue);
  EXPECT_EQ(row[0].background, (std::optional<Rgb>{Rgb{255, 255, 255}}));
}

TEST_F(Painting, NumbersEveryTenthBaseWhenMagnifyingAndEveryFiftiethWhenReducing) {
  show(regularDocument(4000));
  RecordingCanvas magnified = paintAll();
  auto n = numbers(magnified);
  ASSERT_GE(n.size(), 2u);
  EXPECT_EQ(n[0].text, "10");
  EXPECT_EQ(n[0].at.x, 95 - 7 * 2 / 2);  // base 10 peaks at sample 95
  EXPECT_EQ(n[1].text, "20");
  EXPECT_EQ(n[0].colour, kBlack);

  applyXZoomValue(app.settings, -2);
  auto reduced = numbers(paintAll());
  ASSERT_GE(reduced.size(), 2u);
  EXPECT_EQ(reduced[0].text, "50");
  EXPECT_EQ(reduced[1].text, "100");
  EXPECT_EQ(reduced[1].at.x, (995 >> 2) - 7 * 3 / 2);
}

TEST_F(Painting, ReducedLettersShowEverySecondOrFourthSoNoneOverlapsTheNext) {
  show(regularDocument(4000));  // a peak every 10 samples, letters 7 pixels wide
  app.view.selectedBase = 13;
  for (const auto& [zoom, step] : {std::pair{0, 1}, {-1, 2}, {-2, 4}}) {
    applyXZoomValue(app.settings, zoom);
    const std::vector<DrawnText> shown = letters(paintAll());
    ASSERT_GE(shown.size(), 10u) << zoom;
    for (std::size_t k = 1; k < shown.size(); ++k) {
      const bool selected =
          shown[k].background == kSelectionGrey || shown[k - 1].background == kSelectionGrey;
      if (!selected) {
        EXPECT_GE(shown[k].at.x - shown[k - 1].at.x, 7) << zoom;
      }
    }
    EXPECT_EQ(letterStep(app.document.shown(), app.settings, 7), step);
    // The selected base shows whatever the step.
    EXPECT_EQ(std::count_if(shown.begin(), shown.end(),
                            [](const DrawnText& t) { return t.background == kSelectionGrey; }),
              1)
        << zoom;
  }
}

TEST_F(Painting, MagnifiedFourTimesFromSample100) {
  show(regularDocument(2000));
  applyXZoomValue(app.settings, 2);
  app.view.scrollPos = 100;
  RecordingCanvas c = paintAll();
  auto a = c.polylinesIn(kGreen);
  ASSERT_EQ(a.size(), 1u);
  EXPECT_EQ(a[0].points[0].x, -4);  // sample 99 enters from the left
  EXPECT_EQ(a[0].points[4].x, 12);  // sample 103
  // The letters start one base before the first whose peak is within two characters (in
  // samples) of the edge: base 9 peaks at 85.
  auto row = letters(c);
  ASSERT_FALSE(row.empty());
  EXPECT_EQ(row[0].at.x, (85 - 100) * 4 - 7 / 2);
}

TEST_F(Painting, FitModeDrawsNoLettersNumbersOrCaret) {
  show(regularDocument(2000));
  app.settings.xZoomMode = kFit;
  app.settings.xZoomLevel = 3;
  app.view.insertCaret = 50;
  app.view.positionTickX = 10;
  app.settings.showMixed = 0;  // the marks under the letters show in fit mode too
  RecordingCanvas c = paintAll();
  EXPECT_TRUE(letters(c).empty());
  EXPECT_TRUE(numbers(c).empty());
  EXPECT_EQ(c.fills.size(), 1u);  // the info band only
  auto a = c.polylinesIn(kGreen);
  ASSERT_EQ(a.size(), 1u);
  EXPECT_EQ(a[0].points[7].x, 2);
  EXPECT_EQ(a[0].points.back().x, 1999 / 3);
}

TEST_F(Painting, LetterColoursAndTheSelectedCell) {
  show(regularDocument(200, "aRN-GT"));
  app.view.selectedBase = 1;
  auto row = letters(paintAll());
  ASSERT_GE(row.size(), 6u);
  EXPECT_EQ(row[0].text, "a");  // drawn as stored, coloured as A
  EXPECT_EQ(row[0].colour, kGreen);
  EXPECT_EQ(row[1].colour, kBlack);
  EXPECT_EQ(row[1].background, (std::optional<Rgb>{kSelectionGrey}));
  EXPECT_EQ(row[2].colour, (Rgb{255, 0, 255}));  // N: Violet
  EXPECT_EQ(row[2].background, (std::optional<Rgb>{kWhite}));
  EXPECT_EQ(row[3].colour, kBlack);
  EXPECT_EQ(row[4].colour, kBlack);  // G: Black
  EXPECT_EQ(row[5].colour, kRed);
  EXPECT_EQ(app.settings.letterColour(0xE1), kBlack);  // a byte above ASCII is no letter
}

TEST_F(Painting, CaretAndPositionTick) {
  show(regularDocument(500));
  applyXZoomValue(app.settings, 1);
  app.view.insertCaret = 20;
  app.view.positionTickX = 30;
  RecordingCanvas c = paintAll();
  const Rect caret{40, 39, 42, 21 + 2 * 15 + 4};
  EXPECT_TRUE(std::any_of(c.fills.begin(), c.fills.end(), [&](const FilledRect& f) {
    return f.area == caret && f.colour == kCaretGrey;
  }));
  auto drawn = [&](Point from, Point to) {
    return std::any_of(c.lines.begin(), c.lines.end(), [&](const DrawnLine& l) {
      return l.points == std::vector<Point>{from, to} && l.colour == kBlack;
    });
  };
  EXPECT_TRUE(drawn({30, 36}, {30, 40}));
  EXPECT_TRUE(drawn({29, 38}, {32, 38}));

  applyXZoomValue(app.settings, -2);
  RecordingCanvas reduced = paintAll();
  EXPECT_TRUE(std::any_of(reduced.fills.begin(), reduced.fills.end(),
                          [](const FilledRect& f) { return f.area.width() == 1; }));
}

TEST_F(Painting, ARequestDrawsOnlyTheRowsItReaches) {
  show(regularDocument(2000));
  RecordingCanvas band = paint({0, 0, 800, 19});
  EXPECT_TRUE(band.lines.size() == 2u && letters(band).empty());  // the band's frame lines only
  EXPECT_EQ(band.textsIn(app.view.layout.infoFont).size(), 3u);

  RecordingCanvas traces = paint({0, 57, 800, 265});
  EXPECT_TRUE(traces.fills.empty());
  EXPECT_TRUE(traces.texts.empty());
  EXPECT_EQ(traces.polylinesIn(kGreen).size(), 1u);

  RecordingCanvas letterRow = paint({0, 39, 800, 55});
  EXPECT_FALSE(letters(letterRow).empty());
  EXPECT_TRUE(letterRow.polylinesIn(kGreen).empty());
}

/// Checks that a paint of `strip` draws every text and trace segment of `full` that reaches
/// into it, and little more: the strip's samples and the letters near it (after the one before
/// them that the walk along the peaks steps back to).
void expectStripPaintedAsInFull(const RecordingCanvas& full, const RecordingCanvas& part,
                                const Rect& strip, const ViewLayout& layout) {
  const int cw = layout.baseCharWidth;
  for (const DrawnText& t : full.textsIn(layout.baseFont)) {
    const int width = cw * static_cast<int>(t.text.size());
    if (t.at.x >= strip.right || t.at.x + width <= strip.left) continue;
    EXPECT_TRUE(std::any_of(part.texts.begin(), part.texts.end(),
                            [&](const DrawnText& p) { return p.at == t.at && p.text == t.text; }))
        << t.text << " at " << t.at.x;
  }
  const std::vector<Point> shown = part.polylinesIn(kGreen).at(0).points;
  for (const DrawnLine& line : full.polylinesIn(kGreen)) {
    for (std::size_t i = 1; i < line.points.size(); ++i) {
      const Point segment[] = {line.points[i - 1], line.points[i]};
      if (std::max(segment[0].x, segment[1].x) < strip.left ||
          std::min(segment[0].x, segment[1].x) >= strip.right) {
        continue;
      }
      EXPECT_NE(std::search(shown.begin(), shown.end(), segment, segment + 2), shown.end())
          << segment[0].x;
    }
  }
  std::vector<DrawnText> letters;
  for (const DrawnText& t : part.textsIn(layout.baseFont)) {
    if (t.at.y == layout.letterRowTop()) letters.push_back(t);
  }
  for (std::size_t i = 1; i < letters.size(); ++i) {
    EXPECT_TRUE(letters[i].at.x >= strip.left - 4 * cw && letters[i].at.x < strip.right + 4 * cw)
        << letters[i].at.x;
  }
}

TEST_F(Painting, AStripPaintDrawsWhatAFullPaintDrawsThere) {
  // What a line scroll uncovers at either edge, at every zoom and many positions; four-digit
  // numbers are the widest text.
  show(regularDocument(30000));  // peaks stay below 32768
  for (int position = 20000; position < 20500; position += 25) {
    for (int zoom = -2; zoom <= 2; ++zoom) {
      SCOPED_TRACE(::testing::Message() << "zoom " << zoom << " from " << position);
      applyXZoomValue(app.settings, zoom);
      app.view.scrollPos = position;
      const RecordingCanvas full = paintAll();
      for (const Rect strip : {Rect{784, 21, 800, 265}, Rect{0, 21, 16, 265}}) {
        expectStripPaintedAsInFull(full, paint(strip), strip, app.view.layout);
      }
    }
  }
}

TEST_F(Painting, AShortChannelEndsWhereItsSamplesEnd) {
  show(regularDocument(300));
  app.document.channels[0].sampleCount = 120;
  auto a = paintAll().polylinesIn(kGreen);
  ASSERT_EQ(a.size(), 1u);
  EXPECT_EQ(a[0].points.size(), 120u);
  app.view.scrollPos = 150;  // past its end: nothing for this channel
  EXPECT_TRUE(paintAll().polylinesIn(kGreen).empty());
}

TEST_F(Painting, CursorIsAnIBeamOverTheLetterRowOnly) {
  show(regularDocument(300));
  EXPECT_EQ(cursorAt(app.document, app.settings, app.view, 39), CursorShape::IBeam);
  EXPECT_EQ(cursorAt(app.document, app.settings, app.view, 38), CursorShape::Arrow);
  EXPECT_EQ(cursorAt(app.document, app.settings, app.view, 100), CursorShape::Arrow);
  app.settings.xZoomMode = kFit;
  EXPECT_EQ(cursorAt(app.document, app.settings, app.view, 39), CursorShape::Arrow);
}

TEST_F(Painting, FitPeaksBringsTheGoodRegionsTallestSampleJustToTheTop) {
  Chromatogram document;
  std::string name;
  if (readTraceFile(VISTREL_TEST_DATA "/abi/3100.ab1", false, document, name)) {
    GTEST_SKIP() << "the test traces were not fetched";
  }
  // The tallest sample of the good region, from midway before its first base to midway after
  // its last: the dye blob of this read's trimmed start is taller, and is cut at the top.
  const BaseCalls& calls = document.edited;
  const std::optional<TrimRegion> region = trimRegion(calls, kDefaultTrimCutoff);
  ASSERT_TRUE(region && region->start > 0 && region->end < calls.baseCount);
  const int from = (calls.peak(region->start - 1) + calls.peak(region->start)) / 2;
  const int to = (calls.peak(region->end - 1) + calls.peak(region->end)) / 2;
  int tallest = 0, tallestCount = 0, wholeTallest = 0;
  for (int c = 0; c < 4; ++c) {
    for (int i = from; i <= to; ++i) {
      tallest = std::max<int>(tallest, static_cast<std::int16_t>(document.sample(c, i)));
    }
  }
  for (int c = 0; c < 4; ++c) {
    for (int i = 0; i < document.channels[c].sampleCount; ++i) {
      const int v = static_cast<std::int16_t>(document.sample(c, i));
      wholeTallest = std::max(wholeTallest, v);
      tallestCount += v >= tallest ? 1 : 0;
    }
  }
  EXPECT_GT(wholeTallest, tallest);
  show(std::move(document));
  app.settings.xZoomMode = kFit;  // every sample drawn
  app.settings.xZoomLevel = app.document.maxSampleCount / 800 + 1;
  const int top = app.view.layout.baseline(200) - 200;
  auto pointsAtTheTop = [&] {
    const RecordingCanvas c = paintAll();
    int count = 0;
    for (const TraceChannel& channel : app.document.channels) {
      for (const DrawnLine& line : c.polylinesIn(channel.colour)) {
        for (const Point& p : line.points) {
          EXPECT_GE(p.y, top);
          count += p.y == top ? 1 : 0;
        }
      }
    }
    return count;
  };
  EXPECT_GT(pointsAtTheTop(), tallestCount);  // Y zoom 1 cuts the tall peaks flat
  app.settings.fitPeaks = 1;
  EXPECT_EQ(pointsAtTheTop(), tallestCount);
}

TEST_F(Painting, FitWindowGivesTheTracesTheHeightTheWindowLeaves) {
  show(regularDocument(300));  // the last sample of T, 1600, fills the area at Y zoom 1
  app.settings.fitWindow = 1;
  for (int height : {300, 500, 80}) {
    SCOPED_TRACE(height);
    platform.invalidated.clear();
    resizeClient(app.document, app.settings, app.view, platform, 800, height);
    EXPECT_EQ(platform.invalidated, std::vector<Rect>{app.view.clientArea()});
    const int traceHeight = std::max(height - 65, kLeastFittedTraceHeight);  // 57 above, 8 below
    const int baseline = 57 + traceHeight - 1;
    const RecordingCanvas c = paintAll();
    EXPECT_TRUE(std::any_of(c.lines.begin(), c.lines.end(), [&](const DrawnLine& l) {
      return l.points == std::vector<Point>{{0, baseline}, {800, baseline}};
    }));
    auto t = c.polylinesIn(kRed);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].points.back().y, baseline - traceHeight);
  }
  app.settings.fitWindow = 0;
  EXPECT_EQ(paintAll().polylinesIn(kRed)[0].points.back().y, 256 - 200);
}

}  // namespace
}  // namespace vistrel::testing
