// Mouse and keyboard editing: the click's hit test and where it places the caret, typed
// characters, Backspace and Delete, the wrapping arrows, the cursor and the position tick, fit
// mode, and a document whose peak count differs from its base count.
#include "edit/input.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "view/trace_view.h"
#include "view_fixture.h"

namespace vistrel::testing {
namespace {

/// A document of `samples` samples per channel whose bases have the peaks given; with ABI
/// data the letters may be more or fewer than the peaks.
Chromatogram documentWith(const std::string& letters, const std::vector<std::int16_t>& peaks,
                          int samples = 300) {
  AbiTrace t;
  for (auto& channel : t.channels) channel.assign(static_cast<std::size_t>(samples), 7);
  t.editedBases = t.originalBases = letters;
  t.editedPeaks = t.originalPeaks = peaks;
  ReadOutcome r = readImage(abiBuilderFor(t).build());
  EXPECT_FALSE(r.error) << r.message();
  return std::move(r.document);
}

class Input : public ViewTest {
 protected:
  EditContext edit() { return editContext(app, platform); }
  const ViewLayout& layout() const { return app.view.layout; }
  int letterY() const { return layout().letterRowTop() + 2; }
  int traceY() const { return layout().traceTop() + 50; }
  std::string letters() { return lettersOf(app.document.shown()); }

  void click(int x, int y) {
    EditContext c = edit();
    leftButtonDown(c, {x, y});
    leftButtonUp(c, {x, y});
  }
  void type(char character) {
    EditContext c = edit();
    typeCharacter(c, static_cast<std::uint8_t>(character));
  }
  void press(EditKey key) {
    EditContext c = edit();
    pressKey(c, key);
  }
  /// Whether one rectangle asked to be repainted covers `area`.
  bool repainted(const Rect& area) const {
    return std::any_of(platform.invalidated.begin(), platform.invalidated.end(),
                       [&](const Rect& r) {
                         return r.left <= area.left && r.top <= area.top && r.right >= area.right &&
                                r.bottom >= area.bottom;
                       });
  }
};

TEST_F(Input, AClickSelectsTheNearestLetterWithTiesToTheRightOrPlacesTheCaret) {
  struct Case {
    int zoom;  // the X Zoom value: 0 is 1:1, 2 is x4, -1 is 0.5
    int scrollPos, x;
    int selected, caret, index;
  };
  // Large fonts: characters 9 pixels wide, so half a character is 4 samples at 1:1, 1 at x4
  // and 9 at 0.5. Peaks at 100, 110 and 200.
  const Case cases[] = {
      {0, 0, 100, 0, 0, 0},      // exactly on a peak
      {0, 0, 105, -1, 105, 1},   // midway: too far from both
      {0, 0, 107, 1, 0, 0},      // nearer the right one
      {0, 0, 103, 0, 0, 0},      // nearer the left one
      {0, 0, 106, 1, 0, 0},      // half a character from the right one: it wins the tie
      {0, 0, 104, 0, 0, 0},      // the last column of the left one's letter
      {0, 0, 96, 0, 0, 0},       // left of the first peak, within reach
      {0, 0, 95, -1, 95, 0},     // left of the first peak, out of reach
      {0, 0, 250, -1, 250, 3},   // right of the last peak
      {2, 100, 28, -1, 107, 1},  // x4 from sample 100: pixel 28 is sample 107
      {2, 100, 37, 1, 0, 0},     // sample 109
      {-1, 0, 52, 1, 0, 0},      // 0.5: pixel 52 is sample 104, within 9 of 110
      {-1, 0, 77, -1, 154, 2},
  };
  createFonts(app.view.layout, platform, true);
  for (const Case& k : cases) {
    SCOPED_TRACE(::testing::Message() << "zoom " << k.zoom << " x " << k.x);
    show(documentWith("ACG", {100, 110, 200}));
    applyXZoomValue(app.settings, k.zoom);
    app.view.scrollPos = k.scrollPos;
    app.view.selectedBase = 2;
    click(k.x, letterY());
    EXPECT_EQ(app.view.selectedBase, k.selected);
    EXPECT_EQ(app.view.insertCaret, k.caret);
    if (k.caret != 0) {
      EXPECT_EQ(app.edit.insertIndex, k.index);
    }
  }
}

TEST_F(Input, ADoubleClickOnTheTracesSelectsTheBaseOfTheNearestPeak) {
  struct Case {
    int zoom, x, selected;
  };
  // Peaks at 100, 110 and 200; the pointer's sample is x at 1:1, x / 4 + 100 at x4 from 100.
  const Case cases[] = {
      {0, 10, 0},    // left of every peak
      {0, 105, 0},   // midway: the left one
      {0, 106, 1},   // nearer the right one
      {0, 190, 2},   // far from every letter, still the nearest peak
      {0, 290, 2},   // right of the last peak
      {2, 44, 1},    // sample 111 at x4
      {1, 52, 0},    // x2: sample 104 (scrolled to 78)
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(::testing::Message() << "zoom " << k.zoom << " x " << k.x);
    show(documentWith("ACG", {100, 110, 200}));
    applyXZoomValue(app.settings, k.zoom);
    app.view.scrollPos = k.zoom == 2 ? 100 : k.zoom == 1 ? 78 : 0;
    EditContext c = edit();
    leftButtonDown(c, {k.x, traceY()});
    leftButtonUp(c, {k.x, traceY()});
    EXPECT_EQ(app.view.selectedBase, -1);  // a single click in the traces only clears
    doubleClick(c, {k.x, traceY()});
    EXPECT_EQ(app.view.selectedBase, k.selected);
  }
  // In fit mode, and outside the traces, a double click is two clicks.
  show(documentWith("ACG", {100, 110, 200}));
  app.settings.xZoomMode = kFit;
  app.view.selectedBase = 2;
  EditContext c = edit();
  doubleClick(c, {105, traceY()});
  EXPECT_EQ(app.view.selectedBase, 2);
  applyXZoomValue(app.settings, 0);
  doubleClick(c, {105, layout().traceTop() + traceAreaHeight(app.settings, app.view) + 1});
  EXPECT_EQ(app.view.selectedBase, -1);
}

TEST_F(Input, EveryColumnOfADrawnLetterSelectsItAtEveryZoomAndNoOtherDoes) {
  // The letters' cells as painting draws them; at x4 half a small character is less than a
  // sample, which once let a click on a letter's left half place the caret.
  for (bool large : {false, true}) {
    createFonts(app.view.layout, platform, large);
    const int width = layout().baseCharWidth;
    for (int zoom = -2; zoom <= 2; ++zoom) {
      SCOPED_TRACE(::testing::Message() << "zoom " << zoom << (large ? " large" : " small"));
      show(documentWith("ACG", {100, 160, 260}), 1200);
      applyXZoomValue(app.settings, zoom);
      RecordingCanvas canvas;
      paintView(app.document, app.settings, app.view, platform, canvas, app.view.clientArea());
      std::vector<int> cells;
      for (const DrawnText& t : canvas.textsIn(layout().baseFont)) {
        if (t.at.y == layout().letterRowTop()) cells.push_back(t.at.x);
      }
      ASSERT_EQ(cells.size(), 3u);
      for (int base = 0; base < 3; ++base) {
        const int left = cells[static_cast<std::size_t>(base)];
        for (int x = left; x < left + width; ++x) {
          click(x, letterY());
          EXPECT_EQ(app.view.selectedBase, base) << "x " << x;
        }
        for (int x : {left - 1, left + width}) {
          click(x, letterY());
          EXPECT_EQ(app.view.selectedBase, -1) << "x " << x;
          EXPECT_NE(app.view.insertCaret, 0) << "x " << x;
        }
      }
    }
  }
}

TEST_F(Input, OnlyTheLetterRowIsHitAndEveryClickClearsTheBaseRow) {
  show(documentWith("ACG", {100, 110, 200}));
  const ViewLayout& l = layout();
  const int rowBottom = l.numberRowTop() + 2 * l.baseFontHeight + 3;  // first row below
  struct Case {
    int x, y;
    bool inRow, hits;
  };
  const Case cases[] = {
      {100, l.letterRowTop(), true, true},
      {100, rowBottom - 1, true, true},
      {100, l.letterRowTop() - 1, false, false},
      {100, rowBottom, false, false},
      {100, traceY(), false, false},
      {0, letterY(), true, false},    // sample 0: a caret there would be no caret
      {300, letterY(), true, false},  // right of the last sample
      {299, letterY(), true, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(::testing::Message() << k.x << ", " << k.y);
    app.view.selectedBase = -1;
    app.view.insertCaret = 50;
    platform.invalidated.clear();
    click(k.x, k.y);
    EXPECT_EQ(app.view.selectedBase >= 0 || app.view.insertCaret != 0, k.hits);
    EXPECT_EQ(platform.cursor, k.inRow ? CursorShape::IBeam : CursorShape::Arrow);
    // The old caret goes with a repaint of both rows across the window, the caret's last row
    // and the mixed-base marks under the letters included.
    EXPECT_TRUE(repainted({0, l.numberRowTop(), 800, l.numberRowTop() + l.baseFontHeight}));
    EXPECT_TRUE(repainted({0, l.letterRowTop(), 800, l.traceTop()}));
  }
}

TEST_F(Input, FitModeIgnoresClicksTypingAndDeletingButTheArrowsMove) {
  show(regularDocument(2000));
  app.settings.xZoomMode = kFit;
  app.settings.xZoomLevel = 3;
  app.view.selectedBase = 4;
  click(5, letterY());
  EXPECT_EQ(app.view.selectedBase, 4);
  EXPECT_EQ(app.view.insertCaret, 0);
  EXPECT_EQ(platform.cursor, CursorShape::Arrow);
  type('g');
  press(EditKey::Backspace);
  press(EditKey::Delete);
  EXPECT_EQ(letters().substr(0, 6), "ACGTAC");
  EXPECT_FALSE(app.document.modified);
  press(EditKey::Right);
  EXPECT_EQ(app.view.selectedBase, 5);
}

TEST_F(Input, OnlyAsciiLettersEditAndTheyKeepTheirCase) {
  show(regularDocument(2000));
  app.view.selectedBase = 1;
  for (char c : {'7', '-', '*', '\b', '@', '[', '`', '{', '\xE9', '\xC1'}) type(c);
  EXPECT_EQ(letters().substr(0, 3), "ACG");
  EXPECT_FALSE(app.document.modified);
  EXPECT_EQ(platform.beeps, 0);

  type('a');
  EXPECT_EQ(letters().substr(0, 3), "AaG");
  type('Z');
  EXPECT_EQ(letters().substr(0, 3), "AZG");

  // At a caret a letter is inserted and selected, and the next one replaces it.
  click(10, letterY());
  ASSERT_EQ(app.view.insertCaret, 10);
  type('t');
  type('y');
  EXPECT_EQ(letters().substr(0, 4), "AyZG");
  EXPECT_EQ(app.view.selectedBase, 1);

  // With neither caret nor selection typing does nothing.
  click(10, traceY());
  type('c');
  EXPECT_EQ(letters().substr(0, 4), "AyZG");
  EXPECT_EQ(app.document.shown().baseCount, 201);
}

TEST_F(Input, BackspaceAndDeleteRemoveTheSelectedBaseAtEitherEnd) {
  struct Case {
    int selected;
    EditKey key;
    std::string remains;  // the first and last three letters
    int selectedAfter;
  };
  const Case cases[] = {
      {0, EditKey::Backspace, "CGT GTA", -1},  {0, EditKey::Delete, "CGT GTA", 0},
      {29, EditKey::Backspace, "ACG CGT", 28}, {29, EditKey::Delete, "ACG CGT", -1},
      {-1, EditKey::Delete, "ACG GTA", -1},  // nothing selected: nothing happens
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.selected);
    show(regularDocument(300, "ACGTA"));  // 30 bases ending in "GTA"
    app.view.selectedBase = k.selected;
    press(k.key);
    const std::string now = letters();
    EXPECT_EQ(now.substr(0, 3) + " " + now.substr(now.size() - 3), k.remains);
    EXPECT_EQ(app.view.selectedBase, k.selectedAfter);
  }
}

TEST_F(Input, ArrowsWrapAndRepaintBothCells) {
  show(regularDocument(300));  // 30 bases, all in view
  const ViewLayout& l = layout();
  app.view.selectedBase = 0;
  press(EditKey::Left);
  EXPECT_EQ(app.view.selectedBase, 29);
  // Both ends of the sequence: the cells of base 0 (peak 5) and base 29 (peak 295).
  EXPECT_TRUE(repainted({5 - l.baseCharWidth / 2, l.letterRowTop(), 295 + l.baseCharWidth / 2,
                         l.letterRowTop() + l.baseFontHeight}));
  press(EditKey::Right);
  EXPECT_EQ(app.view.selectedBase, 0);
  press(EditKey::Right);
  press(EditKey::Right);
  EXPECT_EQ(app.view.selectedBase, 2);
  platform.invalidated.clear();
  press(EditKey::Left);  // from base 2 (peak 25) to base 1 (peak 15)
  EXPECT_EQ(app.view.selectedBase, 1);
  EXPECT_TRUE(repainted({15 - l.baseCharWidth / 2, l.letterRowTop(), 25 + l.baseCharWidth / 2,
                         l.letterRowTop() + l.baseFontHeight}));

  // A long trace: the wrap scrolls the last base into view, and back.
  show(regularDocument(2000));
  app.view.selectedBase = 0;
  press(EditKey::Left);
  EXPECT_EQ(app.view.selectedBase, 199);
  EXPECT_EQ(app.view.scrollPos, 1200);
  press(EditKey::Right);
  EXPECT_EQ(app.view.scrollPos, 0);
}

TEST_F(Input, ThePositionTickFollowsAHeldButtonOverTheTracesOnly) {
  show(regularDocument(2000));
  const ViewLayout& l = layout();
  const int tickTop = l.numberRowTop() + l.baseFontHeight;
  auto tick = [&](int x) { return Rect{x - 1, tickTop, x + 2, tickTop + 4}; };
  const int top = l.traceTop(), bottom = l.traceTop() + app.settings.traceHeight();
  EditContext c = edit();

  mouseMove(c, {30, traceY()}, false);
  EXPECT_EQ(app.view.positionTickX, -1);
  leftButtonDown(c, {30, traceY()});
  EXPECT_EQ(app.view.positionTickX, 30);
  EXPECT_TRUE(repainted(tick(30)));
  platform.invalidated.clear();
  mouseMove(c, {40, bottom}, true);  // the band's last row
  EXPECT_EQ(app.view.positionTickX, 40);
  EXPECT_TRUE(repainted(tick(30)));  // the old one erased
  EXPECT_TRUE(repainted(tick(40)));
  for (int y : {top, bottom + 1, letterY()}) {
    mouseMove(c, {40, top + 1}, true);
    EXPECT_EQ(app.view.positionTickX, 40);
    platform.invalidated.clear();
    mouseMove(c, {50, y}, true);
    EXPECT_EQ(app.view.positionTickX, -1) << y;
    EXPECT_TRUE(repainted(tick(40)));
  }
  mouseMove(c, {60, traceY()}, true);
  platform.invalidated.clear();
  leftButtonUp(c, {60, traceY()});
  EXPECT_EQ(app.view.positionTickX, -1);
  EXPECT_TRUE(repainted(tick(60)));
}

TEST_F(Input, InFitModeTheTickShowsWhereItIsRepainted) {
  show(regularDocument(2000));
  app.settings.xZoomMode = kFit;
  app.settings.xZoomLevel = 3;
  EditContext c = edit();
  leftButtonDown(c, {30, traceY()});
  ASSERT_FALSE(platform.invalidated.empty());
  auto tickLines = [&] {
    RecordingCanvas canvas;
    paintView(app.document, app.settings, app.view, platform, canvas, platform.invalidated.back());
    return std::count_if(canvas.lines.begin(), canvas.lines.end(), [](const DrawnLine& line) {
      return line.colour == kBlackColour && line.points.size() == 2 && line.points[0].x >= 29 &&
             line.points[0].x <= 30;
    });
  };
  EXPECT_EQ(tickLines(), 2);
  leftButtonUp(c, {30, traceY()});
  EXPECT_EQ(tickLines(), 0);
}

TEST_F(Input, LettersWithoutPeaksAreReachedByTheArrowsOnly) {
  // Five letters and three peaks, then three letters and five peaks.
  show(documentWith("ACGTA", {100, 110, 120}));
  click(150, letterY());
  EXPECT_EQ(app.view.insertCaret, 150);
  EXPECT_EQ(app.edit.insertIndex, 3);
  type('c');
  EXPECT_EQ(letters(), "ACGcTA");
  EXPECT_EQ(peaksOf(app.document.shown()), (std::vector<std::int16_t>{100, 110, 120, 150}));
  press(EditKey::Right);
  press(EditKey::Right);
  EXPECT_EQ(app.view.selectedBase, 5);  // a letter without a peak
  type('g');
  press(EditKey::Backspace);
  EXPECT_EQ(letters(), "ACGcT");
  EXPECT_EQ(app.view.selectedBase, 4);
  press(EditKey::Right);
  EXPECT_EQ(app.view.selectedBase, 0);

  show(documentWith("ACG", {100, 110, 120, 130, 140}));
  click(130, letterY());  // the peak of a letter that does not exist
  EXPECT_EQ(app.view.selectedBase, -1);
  EXPECT_EQ(app.view.insertCaret, 130);
  EXPECT_EQ(app.edit.insertIndex, 3);
  type('t');
  EXPECT_EQ(letters(), "ACGt");
  EXPECT_EQ(peaksOf(app.document.shown()),
            (std::vector<std::int16_t>{100, 110, 120, 130, 130, 140}));
}

}  // namespace
}  // namespace vistrel::testing
