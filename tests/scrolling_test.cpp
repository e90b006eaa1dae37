// The scroll bar's actions, X zoom keeping the left sample, fit to window, and the Y scale and
// font size commands that give the window the height its layout needs.
#include "view/scrolling.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "view_fixture.h"

namespace vistrel::testing {
namespace {

class Scrolling : public ViewTest {
 protected:
  void zoom(int value, int samples = 2000, int width = 800) {
    show(regularDocument(samples), width);
    applyXZoomValue(app.settings, value);
  }
  const Rect traceRect{0, 21, 800, 265};
};

TEST_F(Scrolling, LineRightScrollsOneStepUntilTheEnd) {
  zoom(1);  // x2: 8 samples = 16 pixels a step, 400 samples across
  scrollView(app.document, app.settings, app.view, platform, ScrollAction::LineRight);
  EXPECT_EQ(app.view.scrollPos, 8);
  ASSERT_EQ(platform.scrolls.size(), 1u);
  EXPECT_EQ(platform.scrolls[0].dx, -16);
  EXPECT_EQ(platform.scrolls[0].area, traceRect);
  EXPECT_EQ(platform.scrollPosition, 8);
  EXPECT_TRUE(platform.invalidated.empty());  // only the uncovered strip, through scroll

  app.view.scrollPos = 1595;
  scrollView(app.document, app.settings, app.view, platform, ScrollAction::LineRight);
  EXPECT_EQ(app.view.scrollPos, 1600);
  EXPECT_EQ(platform.scrolls.back().dx, -10);

  scrollView(app.document, app.settings, app.view, platform, ScrollAction::LineRight);
  EXPECT_EQ(app.view.scrollPos, 1600);
  EXPECT_EQ(platform.scrolls.size(), 2u);
}

TEST_F(Scrolling, LineLeftShiftsByTheSamplesThereAre) {
  zoom(-2);  // 0.25: 64 samples a step
  app.view.scrollPos = 30;
  scrollView(app.document, app.settings, app.view, platform, ScrollAction::LineLeft);
  EXPECT_EQ(app.view.scrollPos, 0);
  ASSERT_EQ(platform.scrolls.size(), 1u);
  EXPECT_EQ(platform.scrolls[0].dx, 30 >> 2);
  scrollView(app.document, app.settings, app.view, platform, ScrollAction::LineLeft);
  EXPECT_EQ(platform.scrolls.size(), 1u);

  applyXZoomValue(app.settings, 0);
  app.view.scrollPos = 100;
  scrollView(app.document, app.settings, app.view, platform, ScrollAction::LineLeft);
  EXPECT_EQ(app.view.scrollPos, 84);
  EXPECT_EQ(platform.scrolls.back().dx, 16);
}

TEST_F(Scrolling, PagesKeepOneStepOfOverlapAndStopAtTheEnds) {
  zoom(0);
  scrollView(app.document, app.settings, app.view, platform, ScrollAction::PageRight);
  EXPECT_EQ(app.view.scrollPos, 784);
  scrollView(app.document, app.settings, app.view, platform, ScrollAction::PageRight);
  EXPECT_EQ(app.view.scrollPos, 1200);  // the view ends at the last sample
  EXPECT_EQ(platform.invalidated.back(), traceRect);
  scrollView(app.document, app.settings, app.view, platform, ScrollAction::PageLeft);
  EXPECT_EQ(app.view.scrollPos, 416);
  scrollView(app.document, app.settings, app.view, platform, ScrollAction::PageLeft);
  EXPECT_EQ(app.view.scrollPos, 0);
  EXPECT_EQ(platform.scrollPosition, 0);
  EXPECT_TRUE(platform.scrolls.empty());
}

TEST_F(Scrolling, PageRightOnATraceNarrowerThanTheViewStaysAtZero) {
  zoom(0, 300);
  scrollView(app.document, app.settings, app.view, platform, ScrollAction::PageRight);
  EXPECT_EQ(app.view.scrollPos, 0);
}

TEST_F(Scrolling, ThumbRepaintsOnlyWhenThePositionChanges) {
  zoom(0, 70000);
  scrollView(app.document, app.settings, app.view, platform, ScrollAction::ThumbPosition,
             66000);  // beyond 16 bits
  EXPECT_EQ(app.view.scrollPos, 66000);
  EXPECT_EQ(platform.invalidated.size(), 1u);
  scrollView(app.document, app.settings, app.view, platform, ScrollAction::ThumbPosition, 66000);
  EXPECT_EQ(platform.invalidated.size(), 1u);
}

TEST_F(Scrolling, ZoomKeepsTheLeftSampleUnlessTheViewWouldRunPastTheEnd) {
  zoom(0);
  app.view.scrollPos = 500;
  setXZoom(app.document, app.settings, app.view, platform, 2);
  EXPECT_EQ(app.view.scrollPos, 500);
  EXPECT_EQ(app.settings.scrollStep, 4);
  EXPECT_EQ(platform.scrollMaximum, 2000 - 200);
  EXPECT_TRUE(platform.scrollEnabled);
  EXPECT_EQ(platform.invalidated.back(), traceRect);

  app.view.scrollPos = 1700;
  setXZoom(app.document, app.settings, app.view, platform, 0);
  EXPECT_EQ(app.view.scrollPos, 1200);
  EXPECT_EQ(platform.scrollPosition, 1200);

  setXZoom(app.document, app.settings, app.view, platform, -2);  // the whole trace fits
  EXPECT_EQ(app.view.scrollPos, 0);
  EXPECT_EQ(platform.scrollMaximum, 0);
  EXPECT_EQ(app.settings.xZoomMode, kReduce);
  EXPECT_EQ(app.settings.scrollStep, 64);
}

TEST_F(Scrolling, FitToWindowLevelsFollowTheWidth) {
  zoom(0, 960, 320);
  app.view.scrollPos = 100;
  fitToWindow(app.document, app.settings, app.view, platform);
  EXPECT_EQ(app.settings.xZoomMode, kFit);
  EXPECT_EQ(app.settings.xZoomLevel, 4);
  EXPECT_EQ(app.view.scrollPos, 0);
  EXPECT_FALSE(platform.scrollEnabled);
  EXPECT_EQ(app.settings.scrollStep, 16);  // left as it was

  resizeClient(app.document, app.settings, app.view, platform, 480, 265);
  EXPECT_EQ(app.settings.xZoomLevel, 3);
  resizeClient(app.document, app.settings, app.view, platform, 0, 0);  // minimized: the level stays
  EXPECT_EQ(app.settings.xZoomLevel, 3);
  EXPECT_EQ(platform.scrollMaximum, 0);
  resizeClient(app.document, app.settings, app.view, platform, 1000, 265);
  EXPECT_EQ(app.settings.xZoomLevel, 1);

  setXZoom(app.document, app.settings, app.view, platform, 1);  // a zoom item leaves fit mode
  EXPECT_EQ(app.settings.xZoomMode, kMagnify);
  EXPECT_TRUE(platform.scrollEnabled);
}

TEST_F(Scrolling, WithoutADocumentZoomOnlyChangesTheSettings) {
  app.view.clientWidth = 800;
  app.view.clientHeight = 265;
  setXZoom(app.document, app.settings, app.view, platform, 2);
  EXPECT_EQ(app.settings.xZoomLevel, 2);
  EXPECT_EQ(platform.invalidated.size(), 1u);
  fitToWindow(app.document, app.settings, app.view, platform);
  EXPECT_EQ(app.settings.xZoomMode, kFit);
  EXPECT_EQ(platform.invalidated.size(), 1u);
  EXPECT_TRUE(platform.scrollEnabled);
  resizeClient(app.document, app.settings, app.view, platform, 640, 265);
  EXPECT_EQ(app.settings.xZoomLevel, 1);
  EXPECT_EQ(platform.invalidated.back(), (Rect{0, 0, 640, 265}));
}

TEST_F(Scrolling, ResizeSetsTheRangeAndKeepsThePosition) {
  zoom(0);
  app.view.scrollPos = 300;
  resizeClient(app.document, app.settings, app.view, platform, 1000, 265);
  EXPECT_EQ(app.view.scrollPos, 300);
  EXPECT_EQ(platform.scrollMaximum, 1000);
  EXPECT_TRUE(platform.invalidated.empty());
}

TEST_F(Scrolling, YZoomRepaintsTheTracesAndKeepsTheWindow) {
  zoom(0);
  const Rect before = platform.outer;
  setYZoom(app.settings, app.view, platform, 3);
  EXPECT_EQ(app.settings.yZoom, 3);
  EXPECT_EQ(platform.invalidated, std::vector<Rect>{traceRect});
  EXPECT_EQ(platform.outer, before);
}

TEST_F(Scrolling, YScaleAndFontSizeGiveTheWindowTheHeightTheLayoutNeeds) {
  platform.outer = {10, 50, 810, 650};
  setYScale(app.settings, app.view, platform, true);
  EXPECT_EQ(app.settings.yScaleShift, 4);
  EXPECT_EQ(platform.outer, (Rect{10, 50, 810, 50 + 56 + 17 + 2 * 15 + 100 + 18}));
  EXPECT_EQ(app.view.clientHeight, app.view.layout.neededClientHeight(100));
  EXPECT_EQ(app.view.clientWidth, 800);
  EXPECT_EQ(platform.invalidated.back(), (Rect{0, 0, 800, 165}));

  setFontSize(app.settings, app.view, platform, true);
  EXPECT_EQ(app.settings.largeFonts, 1);
  EXPECT_EQ(app.view.clientHeight, app.view.layout.neededClientHeight(100));
  EXPECT_EQ(app.view.traceRect().top, 21 + 4);
  EXPECT_EQ(platform.outer.top, 50);

  setYScale(app.settings, app.view, platform, false);
  EXPECT_EQ(app.view.clientHeight, app.view.layout.neededClientHeight(200));
}

TEST_F(Scrolling, PlacementSwitchesSetTheTop) {
  platform.outer = {0, 0, 800, 700};
  // Small scale: 56 + 17 + 30 + 100 + 18 = 221 high.
  setYScale(app.settings, app.view, platform, true, Placement{true, 300});
  EXPECT_EQ(platform.outer.top, 300 - 221);
  setYScale(app.settings, app.view, platform, true, Placement{true, 100});
  EXPECT_EQ(platform.outer.top, 0);
  setYScale(app.settings, app.view, platform, true, Placement{false, 400});
  EXPECT_EQ(platform.outer.top, 400);
  setYScale(app.settings, app.view, platform, true, Placement{false, 700});
  EXPECT_EQ(platform.outer.top, 768 - 221);
  // Rows from the command line may be any int.
  setYScale(app.settings, app.view, platform, true, Placement{true, INT_MIN});
  EXPECT_EQ(platform.outer.top, 0);
  setYScale(app.settings, app.view, platform, true, Placement{false, INT_MAX});
  EXPECT_EQ(platform.outer.top, 768 - 221);
}

TEST_F(Scrolling, TheThumbStandsWhereTheViewDoesAfterEveryChange) {
  zoom(0);
  const std::function<void()> changes[] = {
      [&] { scrollView(app.document, app.settings, app.view, platform, ScrollAction::LineRight); },
      [&] { scrollView(app.document, app.settings, app.view, platform, ScrollAction::PageRight); },
      [&] {
        scrollView(app.document, app.settings, app.view, platform, ScrollAction::ThumbPosition,
                   1190);
      },
      [&] { setXZoom(app.document, app.settings, app.view, platform, -1); },  // pulled back
      [&] { setXZoom(app.document, app.settings, app.view, platform, 2); },
      [&] { wheelScroll(app.document, app.settings, app.view, platform, -120); },
      [&] { fitToWindow(app.document, app.settings, app.view, platform); },
      [&] { setXZoom(app.document, app.settings, app.view, platform, 0); },
      [&] { resizeClient(app.document, app.settings, app.view, platform, 500, 265); },
      [&] { wheelScroll(app.document, app.settings, app.view, platform, -240); },
      [&] { resetScrolling(app.document, app.settings, app.view, platform); },
  };
  int step = 0;
  for (const auto& change : changes) {
    change();
    EXPECT_EQ(platform.scrollPosition, app.view.scrollPos) << "after change " << step++;
  }
  EXPECT_EQ(app.view.scrollPos, 0);
}

TEST_F(Scrolling, TheWheelScrollsThreeLinesANotchAndZoomsWithCtrl) {
  zoom(0);                                                            // 16 samples a line step
  wheelScroll(app.document, app.settings, app.view, platform, -120);  // towards the user
  EXPECT_EQ(app.view.scrollPos, 48);
  EXPECT_EQ(platform.scrolls.size(), 3u);
  wheelScroll(app.document, app.settings, app.view, platform, 40);
  EXPECT_EQ(app.view.scrollPos, 32);
  for (int i = 0; i < 3; ++i) wheelScroll(app.document, app.settings, app.view, platform, 15);
  EXPECT_EQ(app.view.scrollPos, 16);  // a touchpad's small turns add up
  wheelScroll(app.document, app.settings, app.view, platform, 120 * 1000);  // bounded, stops at 0
  EXPECT_EQ(app.view.scrollPos, 0);

  app.view.scrollPos = 500;
  const std::pair<int, int> zooms[] = {{120, 1}, {60, 1},    {60, 2},
                                       {120, 2}, {-360, -1}, {-240, -2}};
  for (const auto& [delta, value] : zooms) {
    wheelZoom(app.document, app.settings, app.view, platform, delta, 0);
    EXPECT_EQ(xZoomValue(app.settings), value) << delta;
  }
  EXPECT_EQ(app.view.scrollPos, 0);  // 0.25 shows the whole trace
  fitToWindow(app.document, app.settings, app.view, platform);
  wheelZoom(app.document, app.settings, app.view, platform, -120, 0);
  EXPECT_EQ(app.settings.xZoomMode, kFit);
  wheelZoom(app.document, app.settings, app.view, platform, 120, 0);
  EXPECT_EQ(xZoomValue(app.settings), -2);
}

TEST_F(Scrolling, ALoadStartsAtZeroWithTheRangeOfTheNewTrace) {
  zoom(0);
  app.view.scrollPos = 900;
  resetScrolling(app.document, app.settings, app.view, platform);
  EXPECT_EQ(app.view.scrollPos, 0);
  EXPECT_EQ(platform.scrollMaximum, 1200);
  EXPECT_EQ(platform.scrollPosition, 0);
  EXPECT_TRUE(platform.scrollEnabled);

  app.settings.xZoomMode = kFit;
  resetScrolling(app.document, app.settings, app.view, platform);
  EXPECT_FALSE(platform.scrollEnabled);
  EXPECT_EQ(platform.scrollMaximum, 0);
  EXPECT_EQ(app.settings.xZoomLevel, 2000 / 800 + 1);
}

}  // namespace
}  // namespace vistrel::testing
