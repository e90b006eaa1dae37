// Input on the view turned into edits. Only bases that have both a letter and a peak can be hit
// by a click, so a set whose peak count differs from its base count never yields an index past
// either count; its bases without a peak are still reached with the arrows.
#include "edit/input.h"

#include <algorithm>

#include "edit/edit_model.h"
#include "edit/view_updates.h"
#include "view/layout.h"
#include "view/trace_view.h"

namespace vistrel {

namespace {

/// The pixels of the position tick at column `t`: a stroke four rows high above the letter
/// row, crossed by one three columns wide.
Rect tickArea(const ViewLayout& l, int t) {
  const int top = l.numberRowTop() + l.baseFontHeight;
  return {t - 1, top, t + 2, top + 4};
}

/// The bases that have both a letter and a peak.
int hittableBases(const BaseCalls& calls) {
  return std::min(calls.baseCount, calls.peakCount);
}

/// The first of them whose peak is at or right of sample `s`.
int firstPeakFrom(const BaseCalls& calls, int s) {
  const int count = hittableBases(calls);
  int i = 0;
  while (i < count && calls.peak(i) < s) ++i;
  return i;
}

/// The sample under pixel column `x`, or -1 outside the trace.
int sampleUnder(const EditContext& c, int x) {
  const int s = c.view.scrollPos + xToSampleOffset(c.settings, x);
  return s >= 0 && s < c.document.maxSampleCount ? s : -1;
}

/// The base whose letter cell holds pixel column `x` (sample `s`), or -1 between cells; `next`
/// is the index of the first base at or right of `s`. A letter's cell is as wide as a character
/// and centred on its peak; where cells overlap, the letter drawn last, the one further right,
/// is the one seen and hit.
int baseUnder(const EditContext& c, int x, int s, int& next) {
  const BaseCalls& calls = c.document.shown();
  const int count = hittableBases(calls);
  const int width = c.view.layout.baseCharWidth;
  auto cellLeft = [&](int i) {
    return sampleToX(c.settings, c.view.scrollPos, calls.peak(i)) - width / 2;
  };
  const int i = firstPeakFrom(calls, s);
  // The cells run left to right with the peaks: the last one to start at or left of x.
  int hit = i - 1;
  while (hit + 1 < count && cellLeft(hit + 1) <= x) ++hit;
  next = i;
  return hit >= 0 && x < cellLeft(hit) + width ? hit : -1;
}

/// Selects the base whose letter is under pixel column `x` (sample `s`), or places the caret
/// at `s`.
void hitTest(EditContext& c, int x, int s) {
  int i = 0;
  const int hit = baseUnder(c, x, s, i);
  if (hit >= 0) {
    c.view.selectedBase = hit;
  } else {
    // A click at sample 0 leaves no caret: 0 stands for none.
    c.view.insertCaret = s;
    c.edit.insertIndex = i;
  }
}

/// A click outside fit mode: whatever was selected or placed goes, then the letter row is
/// hit-tested.
void click(EditContext& c, Point at) {
  repaintBaseRows(c.view, c.platform);
  c.view.selectedBase = -1;
  c.view.selectionAnchor = -1;
  c.view.insertCaret = 0;
  // The I-beam shows exactly where a click can hit a letter: over the letter row of a
  // document that is not fitted to the window.
  if (cursorAt(c.document, c.settings, c.view, at.y) != CursorShape::IBeam) return;
  const int s = sampleUnder(c, at.x);
  if (s >= 0) hitTest(c, at.x, s);
}

/// Moves the selection by `step` bases, wrapping at either end, and repaints both cells.
void moveSelection(EditContext& c, int step) {
  const int count = c.document.shown().baseCount;
  const int before = c.view.selectedBase;
  if (before < 0 || count <= 0) return;
  if (const auto range = c.view.selectedRange()) {
    // A range collapses to its end on that side.
    c.view.selectionAnchor = -1;
    c.view.selectedBase = step < 0 ? range->first : range->second;
    repaintBaseRows(c.view, c.platform);
    return;
  }
  int after = before + step;
  if (after < 0) after = count - 1;
  if (after >= count) after = 0;
  c.view.selectedBase = after;
  refreshBaseRange(c, std::min(before, after), std::max(before, after), false);
}

bool isAsciiLetter(std::uint8_t character) {
  const int upper = character >= 'a' && character <= 'z' ? character - ('a' - 'A') : character;
  return upper >= 'A' && upper <= 'Z';
}

/// Makes the selection run from its anchor (the selected base, when no range stands yet) to
/// base `to`.
void extendTo(EditContext& c, int to) {
  if (!c.view.selectedRange()) c.view.selectionAnchor = c.view.selectedBase;
  c.view.selectedBase = c.view.rangeEnd = to;
  repaintBaseRows(c.view, c.platform);
}

bool inLetterRow(const EditContext& c, int y) {
  return cursorAt(c.document, c.settings, c.view, y) == CursorShape::IBeam;
}

bool overTraces(const EditContext& c, int y) {
  const int top = c.view.layout.traceTop();
  return y > top && y <= top + traceAreaHeight(c.settings, c.view);
}

/// A drag with the button held along the letter row extends the selection to the base under
/// the pointer.
void dragAlongLetters(EditContext& c, Point at) {
  if (c.view.selectedBase < 0 || !inLetterRow(c, at.y)) return;
  const int s = sampleUnder(c, at.x);
  if (s < 0) return;
  int next = 0;
  const int hit = baseUnder(c, at.x, s, next);
  if (hit >= 0 && hit != c.view.selectedBase) extendTo(c, hit);
}

}  // namespace

void extendSelection(EditContext& c, int step) {
  const int count = hittableBases(c.document.shown());
  if (!c.document.loaded || c.view.selectedBase < 0 || count <= 0) return;
  extendTo(c, std::clamp(c.view.selectedBase + step, 0, count - 1));
}

void shiftClick(EditContext& c, Point at) {
  const int before = c.view.selectedBase;
  const auto range = c.view.selectedRange();
  const int anchor = range ? c.view.selectionAnchor : before;
  leftButtonDown(c, at);
  if (before < 0 || c.view.selectedBase < 0) return;
  c.view.selectionAnchor = anchor;
  c.view.rangeEnd = c.view.selectedBase;
}

void mouseMove(EditContext& c, Point at, bool leftHeld) {
  c.platform.setCursor(cursorAt(c.document, c.settings, c.view, at.y));
  if (!c.document.loaded) return;
  const ViewLayout& l = c.view.layout;
  if (c.view.positionTickX >= 0) c.platform.invalidate(tickArea(l, c.view.positionTickX));
  if (leftHeld && c.settings.xZoomMode != kFit) dragAlongLetters(c, at);
  if (leftHeld && overTraces(c, at.y)) {
    c.view.positionTickX = at.x;
    c.platform.invalidate(tickArea(l, at.x));
  } else {
    c.view.positionTickX = -1;
  }
}

void leftButtonDown(EditContext& c, Point at) {
  if (c.settings.xZoomMode != kFit) click(c, at);
  mouseMove(c, at, true);
}

void leftButtonUp(EditContext& c, Point at) {
  mouseMove(c, at, false);
}

void doubleClick(EditContext& c, Point at) {
  leftButtonDown(c, at);
  if (!c.document.loaded || c.settings.xZoomMode == kFit || !overTraces(c, at.y)) return;
  const BaseCalls& calls = c.document.shown();
  const int count = hittableBases(calls);
  const int s = sampleUnder(c, at.x);
  if (count <= 0 || s < 0) return;
  int i = firstPeakFrom(calls, s);
  // The nearer of the peaks either side of the pointer; a tie goes left.
  if (i == count || (i > 0 && s - calls.peak(i - 1) <= calls.peak(i) - s)) --i;
  c.view.selectedBase = i;
  repaintBaseRows(c.view, c.platform);
}

void typeCharacter(EditContext& c, std::uint8_t character) {
  if (!c.document.loaded || c.settings.xZoomMode == kFit || !isAsciiLetter(character)) return;
  if (c.view.selectedRange()) {
    replaceRange(c, character);
  } else if (c.view.insertCaret != 0) {
    insertBase(c, character);
  } else if (c.view.selectedBase >= 0) {
    replaceBase(c, character);
  }
}

void pressKey(EditContext& c, EditKey key) {
  if (!c.document.loaded) return;
  switch (key) {
    case EditKey::Backspace:
    case EditKey::Delete:
      if (c.settings.xZoomMode != kFit && c.view.selectedRange()) {
        replaceRange(c, 0);
      } else if (c.settings.xZoomMode != kFit && c.view.selectedBase >= 0) {
        deleteBase(c, key == EditKey::Backspace);
      }
      break;
    case EditKey::Left:
      moveSelection(c, -1);
      break;
    case EditKey::Right:
      moveSelection(c, 1);
      break;
  }
}

}  // namespace vistrel
