// Mixed bases in the window: the marks under the letters, Next Mixed inside the region to check,
// and Call Mixed Bases as one step that Undo takes back.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "edit/edit_model.h"
#include "edit/navigation.h"
#include "edit/view_updates.h"
#include "view/base_marks.h"
#include "view/trace_view.h"
#include "view_fixture.h"

namespace vistrel::testing {
namespace {

constexpr char kLetters[] = "ACGTACGTACGTAC";

/// `kLetters`, base i with its peak at 10·i + 5 rising to 1000 in its own channel and, for the
/// bases in `mixed`, to 500 in the next one (A, C, G, T order). The first and last three bases
/// have quality 2, the others 30 + i, so the region to check is bases 3 to 10.
Chromatogram mixedDocument(const std::set<int>& mixed) {
  const std::string letters = kLetters;
  const int n = static_cast<int>(letters.size());
  ScfSpec spec;
  for (auto& c : spec.channels) c.assign(static_cast<std::size_t>(10 * n + 10), 0);
  spec.channels[0].back() = 1600;  // keeps the values as given when read
  spec.probabilities.emplace();
  for (int i = 0; i < n; ++i) {
    const auto own = std::string("ACGT").find(letters[static_cast<std::size_t>(i)]);
    const auto peak = static_cast<std::size_t>(10 * i + 5);
    spec.channels[own][peak] = 1000;
    if (mixed.count(i) != 0) spec.channels[(own + 1) % 4][peak] = 500;
    spec.bases += letters[static_cast<std::size_t>(i)];
    spec.peaks.push_back(static_cast<std::uint32_t>(peak));
    const bool end = i < 3 || i >= n - 3;
    for (auto& p : *spec.probabilities) p.push_back(static_cast<std::uint8_t>(end ? 2 : 30 + i));
  }
  ReadOutcome r = readImage(buildScf(spec));
  EXPECT_FALSE(r.error) << r.message();
  return std::move(r.document);
}

std::string qualitiesOf(const BaseCalls& calls) {
  return {reinterpret_cast<const char*>(calls.qualities.data()),
          static_cast<std::size_t>(calls.baseCount)};
}

class MixedWindow : public ViewTest {
 protected:
  EditContext context() { return editContext(app, platform); }

  /// The left edges of the mixed-base marks a full paint draws.
  std::vector<int> marks() {
    RecordingCanvas canvas;
    // The tests change the document in place: its marks are worked out afresh.
    app.view.readMarks = readMarksOf(app.document, app.settings);
    paintView(app.document, app.settings, app.view, platform, canvas, app.view.clientArea());
    std::vector<int> lefts;
    for (const FilledRect& f : canvas.fills) {
      if (f.colour == kMixedMarkColour) lefts.push_back(f.area.left);
    }
    return lefts;
  }
};

TEST_F(MixedWindow, MarksShowUnderEachMixedBaseAtEveryZoomUnlessSwitchedOff) {
  show(mixedDocument({1, 4, 9, 12}));
  const int w = app.view.layout.baseCharWidth - 2;
  // Zoom 1 puts peak i at column 10·i + 5; 0.25 at a quarter of it; fit (3 samples a pixel)
  // at a third.
  EXPECT_EQ(marks(), (std::vector<int>{15 - w / 2, 45 - w / 2, 95 - w / 2, 125 - w / 2}));
  applyXZoomValue(app.settings, -2);
  EXPECT_EQ(marks(), (std::vector<int>{2, 10, 22, 30}));
  app.settings.xZoomMode = kFit;
  app.settings.xZoomLevel = 3;
  EXPECT_EQ(marks(), (std::vector<int>{4, 14, 30, 40}));
  app.settings.showMixed = 0;
  EXPECT_TRUE(marks().empty());
}

TEST_F(MixedWindow, NextMixedStaysInsideTheRegionAndBeepsWithoutOne) {
  struct Case {
    int selected;
    int caretIndex;  ///< -1: no caret
    int expected;    ///< -1: a beep and no change
  };
  const Case cases[] = {
      {-1, -1, 4},   // base 1 is mixed but before the region
      {4, -1, 9},    // after the selection
      {-1, 2, 4},    // from the caret
      {9, -1, -1},   // base 12 is mixed but after the region
      {12, -1, -1},  // a selection past the region
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(::testing::Message() << t.selected << "/" << t.caretIndex);
    show(mixedDocument({1, 4, 9, 12}));
    platform.beeps = 0;
    app.view.selectedBase = t.selected;
    app.view.insertCaret = t.caretIndex >= 0 ? 10 * t.caretIndex : 0;
    app.edit.insertIndex = std::max(t.caretIndex, 0);
    EditContext c = context();
    nextMixed(c);
    EXPECT_EQ(platform.beeps, t.expected < 0 ? 1 : 0);
    EXPECT_EQ(app.view.selectedBase, t.expected < 0 ? t.selected : t.expected);
  }
}

TEST_F(MixedWindow, CallMixedBasesIsOneStepThatUndoTakesBackWhole) {
  show(mixedDocument({1, 4, 9, 12}));
  BaseCalls& calls = app.document.shown();
  const std::string letters = lettersOf(calls);
  const std::string qualities = qualitiesOf(calls);
  EditContext c = context();

  callMixedBases(c);
  // A with C is M, C with G is S; the bases outside the region stay.
  EXPECT_EQ(lettersOf(calls), "ACGTMCGTASGTAC");
  EXPECT_EQ(qualitiesOf(calls), qualities);
  EXPECT_TRUE(app.document.modified);
  EXPECT_EQ(app.edit.undoCount, 1);

  callMixedBases(c);  // nothing left to call
  EXPECT_EQ(platform.beeps, 1);
  EXPECT_EQ(app.edit.undoCount, 1);

  undo(c);
  EXPECT_EQ(lettersOf(calls), letters);
  EXPECT_EQ(qualitiesOf(calls), qualities);
  EXPECT_FALSE(app.document.modified);
  EXPECT_EQ(app.edit.undoCount, 0);

  show(mixedDocument({1, 12}));
  callMixedBases(c);
  EXPECT_EQ(platform.beeps, 2);
  EXPECT_EQ(app.edit.undoCount, 0);
}

}  // namespace
}  // namespace vistrel::testing
