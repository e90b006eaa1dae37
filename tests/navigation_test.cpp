// Next N, Next Redundant and Find over the fake platform: where a search starts and ends, which
// letters match, where a match is placed in the view, the rules of the Find dialog, and the
// commands that reach them.
#include "edit/navigation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/commands.h"
#include "view/scrolling.h"
#include "view_fixture.h"

namespace vistrel::testing {
namespace {

class Navigation : public ViewTest {
 protected:
  /// Shows exactly `letters`, base i with its peak at 10·i + 5, in 800 pixels at zoom 1.
  void showLetters(const std::string& letters) {
    show(regularDocument(10 * static_cast<int>(letters.size()), letters));
  }

  /// Runs the commands the Find dialog posted, as the main window does later.
  void runPosted() {
    const std::vector<int> posted = std::move(platform.postedCommands);
    platform.postedCommands.clear();
    for (int id : posted) executeCommand(app, platform, id);
  }

  EditContext context() { return editContext(app, platform); }

  bool repainted(const Rect& area) const {
    return std::find(platform.invalidated.begin(), platform.invalidated.end(), area) !=
           platform.invalidated.end();
  }
  /// The whole number row (and with it the letter row) repainted.
  bool baseRowsRepainted() const {
    const ViewLayout& l = app.view.layout;
    return repainted(
        {0, l.numberRowTop(), app.view.clientWidth, l.numberRowTop() + l.baseFontHeight});
  }
  bool traceRepainted() const { return repainted(app.view.traceRect()); }
};

TEST_F(Navigation, NextNStartsAfterTheSelectionAtTheCaretOrAtTheFirstBase) {
  struct Case {
    const char* letters;
    int selected;
    int caretIndex;  ///< -1: no caret
    int expected;    ///< -1: a beep and no change
  };
  const Case cases[] = {
      {"ACGTANCGTN", 5, -1, 9},    // the selected N itself is passed over
      {"NCGNACGTAC", -1, 3, 3},    // the caret stands before the second N
      {"NCGTACGTAC", -1, -1, 0},   // nothing selected: from base 0
      {"ACGTAnCGTA", -1, -1, 5},   // lower case counts
      {"ACGTACGTAN", 9, -1, -1},   // on the last base
      {"ANGTACGTAC", 2, -1, -1},   // none after the selection
      {"ACGTACGTAN", -1, 10, -1},  // the caret after the last base
      {"ACGTACGTAN", 12, -1, -1},  // a selection past the end
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(std::string(t.letters) + " from " + std::to_string(t.selected) + "/" +
                 std::to_string(t.caretIndex));
    showLetters(t.letters);
    platform.beeps = 0;
    app.view.selectedBase = t.selected;
    app.view.insertCaret = t.caretIndex >= 0 ? 10 * t.caretIndex : 0;
    app.edit.insertIndex = t.caretIndex >= 0 ? t.caretIndex : 0;
    EditContext c = context();
    nextN(c);
    if (t.expected < 0) {
      EXPECT_EQ(platform.beeps, 1);
      EXPECT_EQ(app.view.selectedBase, t.selected);
      EXPECT_EQ(app.view.insertCaret, t.caretIndex >= 0 ? 10 * t.caretIndex : 0);
    } else {
      EXPECT_EQ(platform.beeps, 0);
      EXPECT_EQ(app.view.selectedBase, t.expected);
      EXPECT_EQ(app.view.insertCaret, 0);
    }
  }
}

TEST_F(Navigation, NextRedundantStopsAtEveryByteButPlainBasesInEitherCase) {
  showLetters(
      "aCgTnaCgTRaCgTUaCgT-*\xe9"
      "ACGT");
  EditContext c = context();
  std::vector<int> stops;
  for (int step = 0; step < 8 && platform.beeps == 0; ++step) {
    nextRedundant(c);
    if (platform.beeps == 0) stops.push_back(app.view.selectedBase);
  }
  EXPECT_EQ(stops, (std::vector<int>{4, 9, 14, 19, 20, 21}));
  EXPECT_EQ(platform.beeps, 1);
  EXPECT_EQ(app.view.selectedBase, 21);
}

TEST_F(Navigation, NextNScrollsABaseNearTheEdgeToTheCentreAndElseRepaintsTheRows) {
  // 300 bases, N every 10th from base 9 (peak 95); 800 samples in view.
  show(regularDocument(3000, "ACGTACGTAN"));
  app.view.selectedBase = 70;  // next N at 79, peak 795: inside, but within a letter of the edge
  EditContext c = context();
  nextN(c);
  EXPECT_EQ(app.view.selectedBase, 79);
  EXPECT_EQ(app.view.scrollPos, 795 - 400);
  EXPECT_EQ(platform.scrollPosition, 795 - 400);
  EXPECT_TRUE(traceRepainted());

  platform.invalidated.clear();
  nextN(c);  // 89 at 895, well inside
  EXPECT_EQ(app.view.selectedBase, 89);
  EXPECT_EQ(app.view.scrollPos, 795 - 400);
  EXPECT_TRUE(baseRowsRepainted());
  EXPECT_FALSE(traceRepainted());
}

TEST_F(Navigation, GoToBaseOffersTheSelectedBaseAndShowsTheOneAnswered) {
  showLetters(std::string(300, 'A'));
  app.view.selectedBase = 9;
  platform.baseAnswers = {250, std::nullopt};
  executeCommand(app, platform, kGoToBase);
  EXPECT_EQ(platform.baseQuestions.front(), (std::pair{10, 300}));
  EXPECT_EQ(app.view.selectedBase, 249);
  // Base 250 peaks at sample 2495: in view, which starts at sample 0 no longer.
  EXPECT_GT(app.view.scrollPos, 0);
  EXPECT_LE(app.view.scrollPos, 2495);
  EXPECT_GT(app.view.scrollPos + 800, 2495);
  executeCommand(app, platform, kGoToBase);  // cancelled
  EXPECT_EQ(app.view.selectedBase, 249);
  EXPECT_EQ(platform.baseQuestions.back(), (std::pair{250, 300}));
}

TEST_F(Navigation, TheMatchTableIsTheIupacTable) {
  const char* matchedBy[26] = {
      "ADHMNRVW", "BN",        "BCHMNSVY",  "DN",   "E",    "F", "BDGKNRSV", "HN", "I",
      "J",        "BDKN",      "L",         "HMNV", "N",    "O", "P",        "Q",  "DNRV",
      "BNSV",     "BDHKNTUWY", "BDHKNTUWY", "NV",   "DHNW", "X", "BHNY",     "Z"};
  for (int s = 0; s < 26; ++s) {
    std::uint32_t expected = 0;
    for (const char* p = matchedBy[s]; *p != 0; ++p) expected |= 1u << (*p - 'A');
    EXPECT_EQ(matchTable()[static_cast<std::size_t>(s)], expected) << char('A' + s);
  }
}

TEST_F(Navigation, LettersFoldToUpperCaseAndOtherBytesMatchOnlyThemselves) {
  struct Case {
    std::uint8_t sequence;
    std::uint8_t pattern;
    bool matches;
  };
  const Case cases[] = {
      {'a', 'A', true},  {'A', 'n', true},   {'r', 'a', false},  {'a', 'r', true},
      {'-', '-', true},  {'-', 'N', false},  {'N', '-', false},  {'*', '*', true},
      {'@', '@', true},  {'@', 'A', false},  {'[', 'Z', false},  {'`', '@', false},
      {'{', '[', false}, {0xe9, 0xe9, true}, {0xe9, 'N', false}, {0xc9, 0xe9, false},
      {'E', 'N', false}, {'X', 'X', true},
  };
  for (const Case& t : cases) {
    EXPECT_EQ(lettersMatch(t.sequence, t.pattern), t.matches)
        << "sequence " << int(t.sequence) << ", pattern " << int(t.pattern);
  }
}

TEST_F(Navigation, FindSelectsTheFirstMatchOrSaysSequenceNotFound) {
  struct Case {
    const char* letters;
    const char* pattern;
    int expected;  ///< -1: not found
  };
  const Case cases[] = {
      {"TTGATCTT", "gaTc", 2}, {"ccGATC", "GNTC", 2}, {"GCTC", "GNTC", 0}, {"GNTC", "GNTC", 0},
      {"GNTC", "GATC", -1},    {"ACG", "ACGT", -1},   {"AC-GT", "-G", 2},  {"ACNGT", "-G", -1},
      {"GGAR", "AA", -1},      {"GGAR", "AR", 2},     {"CCAG", "RR", 2},   {"ACGTT", "GTT", 2},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(std::string(t.pattern) + " in " + t.letters);
    showLetters(t.letters);
    platform.messages.clear();
    app.view.selectedBase = -1;
    app.find = {};
    FindButtons buttons;
    findTextChanged(buttons, t.pattern);
    pressFind(app.find, buttons, t.pattern, platform);
    runPosted();
    EXPECT_EQ(app.view.selectedBase, t.expected);
    // Every base of the match is selected.
    const auto length = static_cast<std::int32_t>(std::strlen(t.pattern));
    if (t.expected >= 0) {
      EXPECT_EQ(app.view.selectedRange(),
                (std::pair<std::int32_t, std::int32_t>{t.expected, t.expected + length - 1}));
    }
    if (t.expected < 0) {
      ASSERT_EQ(platform.messages.size(), 1u);
      EXPECT_EQ(platform.messages[0].text, "Sequence not found");
      EXPECT_EQ(platform.messages[0].icon, MessageIcon::Exclamation);
      EXPECT_EQ(platform.messages[0].owner, MessageOwner::MainWindow);
    } else {
      EXPECT_TRUE(platform.messages.empty());
    }
  }
}

TEST_F(Navigation, FindAgainFindsOverlappingMatchesUntilNotFoundAndFindStartsOver) {
  showLetters("AAAAC");
  app.view.insertCaret = 33;
  FindButtons buttons;
  findTextChanged(buttons, "AA");
  pressFind(app.find, buttons, "AA", platform);
  EXPECT_EQ(platform.postedCommands, std::vector<int>{kFindNext});
  runPosted();
  EXPECT_EQ(app.view.selectedBase, 0);
  EXPECT_EQ(app.view.insertCaret, 0);
  for (int expected : {1, 2}) {
    pressFindAgain(app.find, buttons, "AA", platform);
    runPosted();
    EXPECT_EQ(app.view.selectedBase, expected);
  }
  // Position 3 ("AC") is tried and fails; the start is left one past it.
  pressFindAgain(app.find, buttons, "AA", platform);
  runPosted();
  EXPECT_EQ(app.find.start, 4);
  EXPECT_EQ(app.view.selectedBase, 2);
  pressFindAgain(app.find, buttons, "AA", platform);
  runPosted();
  EXPECT_EQ(app.view.selectedBase, 2);
  EXPECT_EQ(platform.messages.size(), 2u);
  pressFind(app.find, buttons, "AA", platform);
  runPosted();
  EXPECT_EQ(app.view.selectedBase, 0);
  EXPECT_EQ(platform.messages.size(), 2u);
}

TEST_F(Navigation, AMatchThatMustScrollStandsSixteenPixelsFromTheLeftEdge) {
  struct Case {
    int xZoom;      ///< X Zoom value: 0 is 1:1, 1 is x2, -2 is 0.25
    int scrollPos;  ///< before
    int base;       ///< the match; its peak is 10·base + 5
    int expected;   ///< scrollPos after
    bool scrolls;
  };
  // 3000 samples; at 1:1 800 are in view and 16 pixels are 16 samples.
  const Case cases[] = {
      {0, 0, 100, 1005 - 16, true},   // right of the view
      {0, 0, 40, 0, false},           // well inside
      {0, 95, 10, 105 - 16, true},    // 10 samples from the left edge
      {0, 89, 10, 89, false},         // exactly 16 from the left edge
      {0, 101, 88, 101, false},       // exactly 16 from the right edge
      {0, 100, 88, 885 - 16, true},   // 15 from the right edge
      {0, 100, 0, 0, true},           // left of the view, clamped at the start
      {0, 0, 299, 3000 - 800, true},  // near the end: the view ends with the trace
      {1, 0, 100, 1005 - 8, true},    // x2: 400 samples in view, 16 pixels are 8 samples
      {-2, 0, 0, 0, true},            // 0.25: the whole trace fits, nothing to move to
  };
  for (const Case& t : cases) {
    SCOPED_TRACE("zoom " + std::to_string(t.xZoom) + ", base " + std::to_string(t.base) + " from " +
                 std::to_string(t.scrollPos));
    show(regularDocument(3000, "ACGTACGTAC"));
    applyXZoomValue(app.settings, t.xZoom);
    app.view.scrollPos = t.scrollPos;
    app.view.selectedBase = -1;
    platform.invalidated.clear();
    platform.scrollPosition = -1;
    app.find = {};
    app.find.text = "N";  // matches every base
    app.find.start = t.base;
    EditContext c = context();
    findNext(c, app.find);
    EXPECT_EQ(app.view.selectedBase, t.base);
    EXPECT_EQ(app.view.scrollPos, t.expected);
    EXPECT_EQ(platform.scrollPosition, t.scrolls ? t.expected : -1);
    EXPECT_EQ(traceRepainted(), t.scrolls);
    EXPECT_EQ(baseRowsRepainted(), !t.scrolls);
  }
}

TEST_F(Navigation, InFitModeAFindSelectsAndNothingScrolls) {
  show(regularDocument(3000, "ACGTACGTAN"));
  fitToWindow(app.document, app.settings, app.view, platform);
  platform.scrollPosition = -1;
  // Base 0 stands 5 pixels from the left edge, where out of fit mode the view would move.
  app.find.text = "AC";
  executeCommand(app, platform, kFindNext);
  EXPECT_EQ(app.view.selectedBase, 0);
  EXPECT_EQ(app.view.scrollPos, 0);
  EXPECT_EQ(platform.scrollPosition, -1);
  EXPECT_TRUE(baseRowsRepainted());
}

TEST_F(Navigation, ABaseWithoutAPeakIsSelectedWithoutScrollingAndNoneIsReadPastACount) {
  show(regularDocument(3000, "ACGTACGTAN"));
  app.document.shown().peakCount = 100;  // bases 100 to 299 have no peak
  EditContext c = context();
  app.view.selectedBase = 240;
  nextN(c);
  EXPECT_EQ(app.view.selectedBase, 249);
  EXPECT_EQ(app.view.scrollPos, 0);
  EXPECT_TRUE(baseRowsRepainted());

  app.find.text = "TA";
  app.find.start = 260;
  findNext(c, app.find);
  EXPECT_EQ(app.view.selectedBase, 263);
  EXPECT_EQ(app.view.scrollPos, 0);

  // Letters past the base count are not searched, whatever the block still holds.
  app.document.shown().baseCount = 275;
  app.view.selectedBase = 270;
  nextN(c);
  EXPECT_EQ(platform.beeps, 1);
  app.find.text = "TAN";  // would fit at 273 only with a base 275
  app.find.start = 270;
  findNext(c, app.find);
  EXPECT_EQ(app.view.selectedBase, 270);
  EXPECT_EQ(platform.messages.size(), 1u);
}

TEST_F(Navigation, TheFindDialogEnablesItsButtonsByItsTextAndItsLastPress) {
  FindButtons buttons;
  auto enabled = [&] { return std::pair(buttons.find, buttons.findAgain); };
  // Disabled buttons do nothing.
  pressFind(app.find, buttons, "ACGT", platform);
  pressFindAgain(app.find, buttons, "ACGT", platform);
  EXPECT_TRUE(platform.postedCommands.empty());
  findTextChanged(buttons, "G");
  EXPECT_EQ(enabled(), std::pair(true, false));
  findTextChanged(buttons, "");
  EXPECT_EQ(enabled(), std::pair(false, false));

  findTextChanged(buttons, "GATC");
  app.find.start = 7;
  pressFind(app.find, buttons, "GATC", platform);
  EXPECT_EQ(app.find.start, 0);
  EXPECT_EQ(app.find.text, "GATC");
  EXPECT_EQ(enabled(), std::pair(false, true));
  // Find Again reads the box again.
  pressFindAgain(app.find, buttons, "GAT", platform);
  EXPECT_EQ(app.find.start, 1);
  EXPECT_EQ(app.find.text, "GAT");
  EXPECT_EQ(enabled(), std::pair(true, true));
  // Editing the pattern disables Find Again until Find is pressed.
  findTextChanged(buttons, "GATTACA");
  EXPECT_EQ(enabled(), std::pair(true, false));
  EXPECT_EQ(platform.postedCommands, (std::vector<int>{kFindNext, kFindNext}));

  // The pattern keeps at most 49 characters.
  const std::string longText(60, 'A');
  pressFind(app.find, buttons, longText, platform);
  EXPECT_EQ(app.find.text, std::string(49, 'A'));
}

TEST_F(Navigation, CommandsNeedADocumentAndNotFitModeAndFindOpensOneDialog) {
  app.find.text = "A";
  for (int id : {kNextN, kNextRedundant, kFind, kFindNext}) executeCommand(app, platform, id);
  EXPECT_EQ(platform.beeps, 0);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(platform.findDialogsShown, 0);

  showLetters("NNNNNNNNNN");
  executeCommand(app, platform, kFind);
  executeCommand(app, platform, kFind);
  EXPECT_EQ(platform.findDialogsShown, 1);
  EXPECT_FALSE(menuItemState(app, kFind).enabled);
  closeFindDialog(app.find);
  EXPECT_TRUE(menuItemState(app, kFind).enabled);

  fitToWindow(app.document, app.settings, app.view, platform);
  for (int id : {kNextN, kNextRedundant, kFind}) executeCommand(app, platform, id);
  EXPECT_EQ(app.view.selectedBase, -1);
  EXPECT_EQ(platform.findDialogsShown, 1);
}

}  // namespace
}  // namespace vistrel::testing
