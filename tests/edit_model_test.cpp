// The edit model: replacing, inserting and deleting bases, the undo ring and what Undo restores,
// the switch between the two base-call sets, the blocks' 16-byte growth and its failure, and
// sets whose peak count differs from their base count.
#include "edit/edit_model.h"

#include <gtest/gtest.h>

#include "app/commands.h"
#include "edit/input.h"
#include "edit/reverse_complement.h"
#include "view/layout.h"
#include "view/trace_view.h"
#include "view_fixture.h"

namespace vistrel::testing {
namespace {

/// An ABI document of 300 samples per channel with the two base-call sets given.
Chromatogram abiDocument(const std::string& editedBases, std::vector<std::int16_t> editedPeaks,
                         const std::string& originalBases,
                         std::vector<std::int16_t> originalPeaks) {
  AbiTrace t;
  for (auto& channel : t.channels) channel.assign(300, 7);
  t.editedBases = editedBases;
  t.editedPeaks = std::move(editedPeaks);
  t.originalBases = originalBases;
  t.originalPeaks = std::move(originalPeaks);
  ReadOutcome r = readImage(abiBuilderFor(t).build());
  EXPECT_FALSE(r.error) << r.message();
  return std::move(r.document);
}

class EditModel : public ViewTest {
 protected:
  void SetUp() override {
    ViewTest::SetUp();
    show(regularDocument(2000));  // 200 bases "ACGT..." with peaks at 10i + 5
  }

  EditContext edit() { return editContext(app, platform); }
  BaseCalls& shown() { return app.document.shown(); }
  std::string letters() { return lettersOf(shown()); }
  void placeCaret(int sample, int index) {
    app.view.selectedBase = -1;
    app.view.insertCaret = sample;
    app.edit.insertIndex = index;
  }
  void replace(int base, char letter) {
    app.view.selectedBase = base;
    EditContext c = edit();
    replaceBase(c, static_cast<std::uint8_t>(letter));
  }
  void insert(int sample, int index, char letter) {
    placeCaret(sample, index);
    EditContext c = edit();
    insertBase(c, static_cast<std::uint8_t>(letter));
  }
  void remove(int base, bool backward) {
    app.view.selectedBase = base;
    EditContext c = edit();
    deleteBase(c, backward);
  }
  void undoOnce() {
    EditContext c = edit();
    undo(c);
  }
};

TEST_F(EditModel, ReplacingKeepsTheCaseAndContinuousEditMovesOnButNotPastTheEnd) {
  replace(1, 'a');
  EXPECT_EQ(letters().substr(0, 3), "AaG");
  EXPECT_EQ(app.view.selectedBase, 1);
  EXPECT_TRUE(app.document.modified);

  app.settings.continuousEdit = 1;
  replace(2, 't');
  EXPECT_EQ(app.view.selectedBase, 3);
  replace(199, 'n');
  EXPECT_EQ(letters().back(), 'n');
  EXPECT_EQ(app.view.selectedBase, 199);
}

TEST_F(EditModel, InsertionTakesTheCaretsSampleAndIndexAndUndoBringsTheCaretBack) {
  struct Case {
    int sample, index;
  };
  // Left of the first peak, between two peaks, right of the last one.
  for (Case k : {Case{2, 0}, Case{52, 5}, Case{1999, 200}}) {
    SCOPED_TRACE(k.index);
    show(regularDocument(2000));
    const std::string before = letters();
    const std::vector<std::int16_t> peaksBefore = peaksOf(shown());
    insert(k.sample, k.index, 'g');
    const auto at = static_cast<std::size_t>(k.index);
    EXPECT_EQ(letters(), before.substr(0, at) + "g" + before.substr(at));
    std::vector<std::int16_t> peaks = peaksBefore;
    peaks.insert(peaks.begin() + k.index, static_cast<std::int16_t>(k.sample));
    EXPECT_EQ(peaksOf(shown()), peaks);
    EXPECT_EQ(app.view.selectedBase, k.index);
    EXPECT_EQ(app.view.insertCaret, 0);

    app.edit.insertIndex = -1;
    undoOnce();
    EXPECT_EQ(letters(), before);
    EXPECT_EQ(peaksOf(shown()), peaksBefore);
    EXPECT_EQ(app.view.insertCaret, k.sample);
    EXPECT_EQ(app.edit.insertIndex, k.index);
    EXPECT_EQ(app.view.selectedBase, -1);
    EXPECT_FALSE(app.document.modified);
  }
}

TEST_F(EditModel, AnInsertionOrDeletionRepaintsEveryNumberItMoves) {
  // Base 1000, a four-digit number, moves left when a base is typed in front of it and right
  // when the base before it goes; its old and its new place must both be repainted.
  show(regularDocument(20000));
  const ViewLayout& l = app.view.layout;
  auto numbers = [&] {
    RecordingCanvas canvas;
    paintView(app.document, app.settings, app.view, platform, canvas, app.view.clientArea());
    std::vector<DrawnText> out;
    for (const DrawnText& t : canvas.textsIn(l.baseFont)) {
      if (t.at.y == l.numberRowTop()) out.push_back(t);
    }
    return out;
  };
  auto repainted = [&](const DrawnText& t) {
    // What of the number lies inside the window.
    const int right = t.at.x + l.baseCharWidth * static_cast<int>(t.text.size());
    const Rect cell{std::max(t.at.x, 0), t.at.y, std::min(right, app.view.clientWidth),
                    t.at.y + l.baseFontHeight};
    return std::any_of(platform.invalidated.begin(), platform.invalidated.end(), [&](Rect r) {
      return r.left <= cell.left && r.top <= cell.top && r.right >= cell.right &&
             r.bottom >= cell.bottom;
    });
  };
  for (int zoom = -2; zoom <= 2; ++zoom) {
    for (bool insertion : {true, false}) {
      SCOPED_TRACE(::testing::Message() << "zoom " << zoom << (insertion ? " insert" : " delete"));
      show(regularDocument(20000));
      applyXZoomValue(app.settings, zoom);
      app.view.scrollPos = 9995 - visibleSpan(app.settings, app.view.clientWidth) / 2;
      const std::vector<DrawnText> before = numbers();
      platform.invalidated.clear();
      if (insertion) {
        insert(9991, 999, 'a');
      } else {
        remove(998, false);
      }
      const std::vector<DrawnText> after = numbers();
      auto changed = [](const std::vector<DrawnText>& a, const std::vector<DrawnText>& b) {
        std::vector<DrawnText> out;
        for (const DrawnText& t : a) {
          if (std::none_of(b.begin(), b.end(),
                           [&](const DrawnText& u) { return u.at == t.at && u.text == t.text; })) {
            out.push_back(t);
          }
        }
        return out;
      };
      const std::vector<DrawnText> gone = changed(before, after), come = changed(after, before);
      EXPECT_FALSE(come.empty());
      for (const std::vector<DrawnText>* texts : {&gone, &come}) {
        for (const DrawnText& t : *texts) EXPECT_TRUE(repainted(t)) << t.text << " at " << t.at.x;
      }
    }
  }
}

TEST_F(EditModel, UndoTakesBackEachKindNewestFirstAndBringsItIntoView) {
  const std::string before = letters();
  const std::vector<std::int16_t> peaksBefore = peaksOf(shown());
  replace(3, 'N');
  insert(1502, 150, 'c');
  remove(60, false);
  app.view.scrollPos = 1200;
  auto inView = [&](int p) { return app.view.scrollPos <= p && p <= app.view.scrollPos + 800; };
  undoOnce();  // the deletion, far left of the view
  EXPECT_EQ(app.view.selectedBase, 60);
  EXPECT_TRUE(inView(605)) << app.view.scrollPos;
  undoOnce();  // the insertion, right of the view now
  EXPECT_EQ(app.view.insertCaret, 1502);
  EXPECT_TRUE(inView(1502)) << app.view.scrollPos;
  undoOnce();  // the replacement
  EXPECT_EQ(letters(), before);
  EXPECT_EQ(peaksOf(shown()), peaksBefore);
  EXPECT_EQ(app.view.selectedBase, 3);
  EXPECT_EQ(app.view.insertCaret, 0);
  EXPECT_EQ(app.edit.undoCount, 0);
}

TEST_F(EditModel, RedoGivesEachKindBackExactlyOldestFirst) {
  shown().hasQualities = true;
  replace(3, 'N');
  insert(1502, 150, 'c');
  remove(60, false);
  const std::string after = letters();
  const std::vector<std::int16_t> peaksAfter = peaksOf(shown());
  const std::vector<std::uint8_t> qualitiesAfter(shown().qualities.data(),
                                                 shown().qualities.data() + shown().baseCount);
  for (int i = 0; i < 3; ++i) undoOnce();
  EXPECT_EQ(app.edit.redoCount, 3);
  EditContext c = edit();
  redo(c);  // the replacement
  EXPECT_EQ(app.view.selectedBase, 3);
  redo(c);  // the insertion
  EXPECT_EQ(app.view.selectedBase, 150);
  redo(c);  // the deletion
  EXPECT_EQ(app.view.selectedBase, 60);
  EXPECT_EQ(letters(), after);
  EXPECT_EQ(peaksOf(shown()), peaksAfter);
  EXPECT_EQ(std::vector<std::uint8_t>(shown().qualities.data(),
                                      shown().qualities.data() + shown().baseCount),
            qualitiesAfter);
  EXPECT_EQ(app.edit.undoCount, 3);
  redo(c);  // nothing left
  EXPECT_EQ(letters(), after);
  // Undone again after the redo: each step goes back as it came.
  for (int i = 0; i < 3; ++i) undoOnce();
  EXPECT_EQ(letters().substr(0, 5), "ACGTA");
  EXPECT_FALSE(app.document.modified);
}

TEST_F(EditModel, ARangeTypedOverOrRemovedIsOneStepUndoneAndRedoneExactly) {
  ASSERT_TRUE(shown().hasQualities);
  for (int i = 0; i < shown().baseCount; ++i)
    shown().setQuality(i, static_cast<std::uint8_t>(i % 50));
  auto qualities = [&] {
    return std::vector<std::uint8_t>(shown().qualities.data(),
                                     shown().qualities.data() + shown().baseCount);
  };
  const std::string before = letters();
  const std::vector<std::int16_t> peaksBefore = peaksOf(shown());
  const std::vector<std::uint8_t> qualitiesBefore = qualities();
  struct Case {
    std::uint8_t letter;  // 0: Delete
    std::string after;
  };
  for (const Case& k : {Case{'g', before.substr(0, 10) + "g" + before.substr(15)},
                        Case{0, before.substr(0, 10) + before.substr(15)}}) {
    SCOPED_TRACE(k.letter);
    app.view.selectedBase = 10;
    EditContext c = edit();
    for (int i = 0; i < 4; ++i) extendSelection(c, 1);
    ASSERT_EQ(app.view.selectedRange(), (std::pair<std::int32_t, std::int32_t>{10, 14}));
    if (k.letter != 0) {
      typeCharacter(c, k.letter);
    } else {
      pressKey(c, EditKey::Delete);
    }
    EXPECT_EQ(letters(), k.after);
    EXPECT_EQ(app.view.selectedBase, 10);
    EXPECT_FALSE(app.view.selectedRange());
    EXPECT_EQ(app.edit.undoCount, 1);
    const std::vector<std::int16_t> peaksAfter = peaksOf(shown());
    EXPECT_EQ(peaksAfter.size(), k.after.size());
    undoOnce();
    EXPECT_EQ(letters(), before);
    EXPECT_EQ(peaksOf(shown()), peaksBefore);
    EXPECT_EQ(qualities(), qualitiesBefore);
    EXPECT_EQ(app.view.selectedRange(), (std::pair<std::int32_t, std::int32_t>{10, 14}));
    EXPECT_FALSE(app.document.modified);
    redo(c);
    EXPECT_EQ(letters(), k.after);
    EXPECT_EQ(peaksOf(shown()), peaksAfter);
    undoOnce();
    app.edit = EditState{};
  }
  // The range is what Copy takes, plain and FASTA.
  app.view.selectedBase = 3;
  EditContext c = edit();
  extendSelection(c, 1);
  extendSelection(c, 1);
  executeCommand(app, platform, kCopyPlainText);
  EXPECT_EQ(platform.clipboard, before.substr(3, 3));
  executeCommand(app, platform, kCopyFasta);
  EXPECT_EQ(platform.clipboard.substr(platform.clipboard.rfind('\n') + 1), before.substr(3, 3));
  // An arrow without Shift collapses the range to its end on that side.
  pressKey(c, EditKey::Left);
  EXPECT_EQ(app.view.selectedBase, 3);
  EXPECT_FALSE(app.view.selectedRange());
}

TEST_F(EditModel, TheRingKeepsTheLastHundredEditsAndModifiedClearsOnlyIfNothingWasLost) {
  for (int i = 0; i < 3; ++i) replace(i, 'n');
  undoOnce();
  undoOnce();
  EXPECT_TRUE(app.document.modified);
  undoOnce();
  EXPECT_FALSE(app.document.modified);
  EXPECT_EQ(letters().substr(0, 3), "ACG");

  for (int i = 0; i < 101; ++i) replace(i, 'n');
  EXPECT_EQ(app.edit.undoCount, 100);
  EXPECT_EQ(app.edit.undoWrapped, 1);
  for (int i = 0; i < 100; ++i) undoOnce();
  EXPECT_EQ(app.edit.undoCount, 0);
  // The oldest edit fell out of the ring and stays.
  EXPECT_EQ(letters().substr(0, 4), "nCGT");
  EXPECT_EQ(letters().substr(100, 2), "AC");
  EXPECT_TRUE(app.document.modified);
}

TEST_F(EditModel, TheDocumentIsUnmodifiedExactlyWhereTheHistoryStoodAtTheLastSave) {
  // e: an edit, u: Undo, d: Redo, s: a save, r: a reverse complement, which changes no base
  // call; then the mark after each step.
  struct Case {
    std::string steps, marks;
  };
  const Case cases[] = {
      {"esu", "101"},        // the save's letter taken back
      {"eseuu", "10101"},    // edits after the save undone back past it
      {"eeusu", "11101"},    // the save holds the first edit: taking it back is a change
      {"esrueu", "100010"},  // undoing the reverse complement keeps the save point
      {"ereuuu", "111110"},  // back at the load
      {"esud", "1010"},      // redone back to the save point
      {"eruudd", "111011"},  // the strand's turn redone after the edit
      {"euedu", "10110"},    // a new edit leaves nothing to redo
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.steps);
    show(regularDocument(2000));
    app.edit = EditState{};
    std::string marks;
    int next = 0;
    for (char step : k.steps) {
      EditContext c = edit();
      if (step == 'e') replace(next++, 'n');
      if (step == 'u') undoOnce();
      if (step == 'd') redo(c);
      if (step == 's') {
        app.document.modified = false;  // as the save does
        markSaved(app.edit);
      }
      if (step == 'r') reverseComplement(c);
      marks += app.document.modified ? '1' : '0';
    }
    EXPECT_EQ(marks, k.marks);
  }

  // A save point the ring has wrapped past is still where the history can return.
  show(regularDocument(2000));
  app.edit = EditState{};
  replace(0, 'n');
  app.document.modified = false;
  markSaved(app.edit);
  for (int i = 1; i <= 100; ++i) replace(i, 'n');
  for (int i = 0; i < 99; ++i) undoOnce();
  EXPECT_TRUE(app.document.modified);
  undoOnce();
  EXPECT_FALSE(app.document.modified);
  EXPECT_EQ(letters().substr(0, 2), "nC");
}

TEST_F(EditModel, EachSetKeepsItsOwnLengthAndUnsavedFlag) {
  show(abiDocument("ACGT", {10, 20, 30, 40}, "acgtac", {10, 20, 30, 40, 50, 60}));
  insert(45, 4, 'G');
  ASSERT_EQ(lettersOf(app.document.edited), "ACGTG");
  app.view.selectedBase = 2;
  EditContext c = edit();

  showBaseCallSet(c, true);
  EXPECT_EQ(letters(), "acgtac");
  EXPECT_FALSE(app.document.modified);
  EXPECT_EQ(app.view.selectedBase, -1);
  EXPECT_EQ(app.edit.undoCount, 0);
  remove(0, false);

  showBaseCallSet(c, false);
  EXPECT_EQ(letters(), "ACGTG");
  EXPECT_EQ(shown().peakCount, 5);
  EXPECT_TRUE(app.document.modified);
  EXPECT_EQ(lettersOf(app.document.original), "cgtac");
  EXPECT_EQ(app.edit.otherSetModified, 1);

  // Asking for the set already shown changes nothing.
  app.view.selectedBase = 1;
  platform.invalidated.clear();
  showBaseCallSet(c, false);
  EXPECT_EQ(app.view.selectedBase, 1);
  EXPECT_TRUE(platform.invalidated.empty());
}

TEST_F(EditModel, AFullBlockGrowsBySixteenBytesOnTheNextInsertionOnly) {
  // The reader allocates the blocks exactly: 200 letters, 200 peaks.
  ASSERT_EQ(shown().bases.size(), 200u);
  ASSERT_EQ(shown().peaks.size(), 400u);
  insert(2, 0, 'A');
  EXPECT_EQ(shown().bases.size(), 216u);
  EXPECT_EQ(shown().peaks.size(), 416u);
  for (int n = 201; n < 216; ++n) insert(2, 0, 'A');
  // 216 letters fill their block; the peak block filled at 208 and grew once more.
  EXPECT_EQ(shown().bases.size(), 216u);
  EXPECT_EQ(shown().peaks.size(), 432u);
  insert(2, 0, 'A');
  EXPECT_EQ(shown().bases.size(), 232u);
  // Deleting leaves spare room, and blocks never shrink.
  remove(0, false);
  remove(0, false);
  insert(2, 0, 'A');
  EXPECT_EQ(shown().bases.size(), 232u);
  EXPECT_EQ(shown().baseCount, 216);

  // A byte to spare is no room for a peak.
  show(regularDocument(2000));
  ASSERT_TRUE(shown().peaks.resize(401));
  insert(2, 0, 'A');
  EXPECT_EQ(shown().peaks.size(), 417u);
}

TEST_F(EditModel, WhenABlockCannotGrowTheLetterIsDroppedAfterTheMessage) {
  // The letter block cannot grow; then the letters can but the peaks cannot.
  for (std::size_t limit : {std::size_t{200}, std::size_t{216}}) {
    SCOPED_TRACE(limit);
    show(regularDocument(2000));
    platform.messages.clear();
    const std::string before = letters();
    {
      ScopedAllocationLimit tight(limit);
      insert(52, 5, 'A');
    }
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "Insufficient memory to\nincrease the sequence length");
    EXPECT_EQ(platform.messages[0].icon, MessageIcon::Stop);
    EXPECT_EQ(letters(), before);
    EXPECT_EQ(shown().peakCount, 200);
    EXPECT_EQ(shown().peaks.size(), 400u);
    EXPECT_EQ(app.view.insertCaret, 52);
    EXPECT_EQ(app.view.selectedBase, -1);
    EXPECT_EQ(app.edit.undoCount, 0);
    EXPECT_FALSE(app.document.modified);
  }
}

TEST_F(EditModel, SetsWithMoreLettersOrMorePeaksAreEditedWithinBothCounts) {
  // Edited: five letters, three peaks. Original: three letters, five peaks. The reader's
  // blocks are exact, so any access past a count is caught by the sanitizers.
  show(abiDocument("ACGTA", {100, 110, 120}, "acg", {100, 110, 120, 130, 140}));
  replace(4, 'n');  // a letter without a peak
  remove(3, false);
  EXPECT_EQ(letters(), "ACGn");
  EXPECT_EQ(peaksOf(shown()), (std::vector<std::int16_t>{100, 110, 120}));
  insert(125, 3, 'T');
  EXPECT_EQ(letters(), "ACGTn");
  EXPECT_EQ(peaksOf(shown()), (std::vector<std::int16_t>{100, 110, 120, 125}));
  for (int i = 0; i < 3; ++i) undoOnce();
  EXPECT_EQ(letters(), "ACGTA");
  EXPECT_EQ(peaksOf(shown()), (std::vector<std::int16_t>{100, 110, 120}));

  EditContext c = edit();
  showBaseCallSet(c, true);
  insert(125, 3, 't');
  EXPECT_EQ(letters(), "acgt");
  EXPECT_EQ(peaksOf(shown()), (std::vector<std::int16_t>{100, 110, 120, 125, 130, 140}));
  remove(1, true);
  EXPECT_EQ(letters(), "agt");
  EXPECT_EQ(peaksOf(shown()), (std::vector<std::int16_t>{100, 120, 125, 130, 140}));
  undoOnce();
  undoOnce();
  EXPECT_EQ(letters(), "acg");
  EXPECT_EQ(peaksOf(shown()), (std::vector<std::int16_t>{100, 110, 120, 130, 140}));
}

}  // namespace
}  // namespace vistrel::testing
