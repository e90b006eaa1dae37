// Next N, Next Redundant, Next Mixed, Next Difference and Find. The match table is derived from the
// IUPAC meaning of the letters; every read of the shown set is bounded by its own count, so a set
// whose peak count differs from its base count is searched safely and a base without a peak is
// selected without scrolling.
#include "edit/navigation.h"

#include <algorithm>
#include <climits>

#include "analysis/mixed_peaks.h"
#include "analysis/trim.h"
#include "edit/view_updates.h"
#include "view/layout.h"

namespace vistrel {

namespace {

constexpr MatchTable buildMatchTable() {
  MatchTable table{};
  for (int s = 0; s < 26; ++s) {
    const unsigned sequence = iupacBases(static_cast<char>('A' + s));
    for (int p = 0; p < 26; ++p) {
      const unsigned pattern = iupacBases(static_cast<char>('A' + p));
      const bool matches = sequence == 0 ? p == s : (pattern & sequence) == sequence;
      if (matches) table[static_cast<std::size_t>(s)] |= 1u << p;
    }
  }
  return table;
}

constexpr MatchTable kMatchTable = buildMatchTable();

constexpr std::uint8_t foldCase(std::uint8_t b) {
  return b >= 'a' && b <= 'z' ? static_cast<std::uint8_t>(b - 'a' + 'A') : b;
}

constexpr bool isUpperLetter(std::uint8_t b) {
  return b >= 'A' && b <= 'Z';
}

bool isN(std::uint8_t b) {
  return b == 'N' || b == 'n';
}

bool isRedundant(std::uint8_t b) {
  switch (foldCase(b)) {
    case 'A':
    case 'C':
    case 'G':
    case 'T':
      return false;
    default:
      return true;
  }
}

/// Where Next N and Next Redundant start: after the selection, at the caret's index, or at 0.
int navigationStart(const ViewState& view, const EditState& edit) {
  if (view.selectedBase >= 0) return view.selectedBase + 1;
  if (view.insertCaret != 0) return std::max(edit.insertIndex, 0);
  return 0;
}

/// Selects the first base from where navigation starts (at least `from`) to `end` (excluded)
/// that `wanted(index)` accepts.
template <typename Wanted>
void selectNext(EditContext& c, Wanted wanted, int from = 0, int end = INT32_MAX) {
  const BaseCalls& calls = c.document.shown();
  end = std::min(end, calls.baseCount);
  int i = std::max(navigationStart(c.view, c.edit), from);
  while (i < end && !wanted(i)) ++i;
  if (i >= end) {
    c.platform.beep();
    return;
  }
  // Repainting the rows also takes away the caret's bar.
  c.view.selectedBase = i;
  c.view.insertCaret = 0;
  c.view.selectionAnchor = -1;
  if (!hasLetterAndPeak(calls, i) || !bringIntoView(c.document, c.settings, c.view, c.platform,
                                                    calls.peak(i), c.view.layout.baseCharWidth)) {
    repaintBaseRows(c.view, c.platform);
  }
}

bool matchesAt(const BaseCalls& calls, std::string_view pattern, int at) {
  for (std::size_t k = 0; k < pattern.size(); ++k) {
    if (!lettersMatch(calls.base(at + static_cast<int>(k)),
                      static_cast<std::uint8_t>(pattern[k]))) {
      return false;
    }
  }
  return true;
}

/// Selects the match of `length` bases at `i`, every base of it, the selected base being its
/// first; when it lies within 16 pixels of an edge or outside the view, the view moves so that
/// it stands 16 pixels from the left edge. In fit mode nothing scrolls.
void showMatch(EditContext& c, int i, int length) {
  const BaseCalls& calls = c.document.shown();
  c.view.insertCaret = 0;
  c.view.selectedBase = c.view.rangeEnd = i;
  c.view.selectionAnchor = length > 1 ? i + length - 1 : -1;
  if (c.settings.xZoomMode == kFit || !hasLetterAndPeak(calls, i)) {
    repaintBaseRows(c.view, c.platform);
    return;
  }
  const int w = visibleSpan(c.settings, c.view.clientWidth);
  const int m = c.settings.scrollStep;
  const int p = calls.peak(i);
  const int d = p - c.view.scrollPos;
  if (d >= m && d <= w - m) {
    repaintBaseRows(c.view, c.platform);
    return;
  }
  showFromSample(c.document, c.settings, c.view, c.platform, p - m);
}

/// The box's text as the search takes it: its first 49 characters.
void copyPattern(FindState& find, std::string_view text) {
  find.text.assign(text.substr(0, kFindTextLimit));
}

}  // namespace

const MatchTable& matchTable() {
  return kMatchTable;
}

bool lettersMatch(std::uint8_t sequence, std::uint8_t pattern) {
  const std::uint8_t s = foldCase(sequence);
  const std::uint8_t p = foldCase(pattern);
  if (!isUpperLetter(s) || !isUpperLetter(p)) return s == p;
  return (kMatchTable[static_cast<std::size_t>(s - 'A')] >> (p - 'A') & 1u) != 0;
}

void nextN(EditContext& c) {
  const BaseCalls& calls = c.document.shown();
  selectNext(c, [&](int i) { return isN(calls.base(i)); });
}

void nextRedundant(EditContext& c) {
  const BaseCalls& calls = c.document.shown();
  selectNext(c, [&](int i) { return isRedundant(calls.base(i)); });
}

void nextMixed(EditContext& c) {
  const BaseCalls& calls = c.document.shown();
  const TrimRegion region = regionToCheck(calls, c.settings.trimCutoffProbability());
  const int ratio = c.settings.mixedRatio;
  selectNext(
      c, [&](int i) { return mixedBaseAt(c.document, calls, i, ratio).has_value(); }, region.start,
      region.end);
}

void nextDifference(EditContext& c) {
  const ReferenceRow& row = c.view.referenceRow;
  selectNext(
      c,
      [&](int i) {
        const ReferenceMark& mark = row[static_cast<std::size_t>(i)];
        return mark.differs || mark.gapBefore;
      },
      0, static_cast<int>(row.size()));
}

void goToBase(EditContext& c, int index) {
  const int bases = c.document.shown().baseCount;
  if (!c.document.loaded || bases == 0) return;
  c.view.selectedBase = -1;
  c.view.insertCaret = 0;
  c.view.selectionAnchor = -1;
  const int i = std::clamp(index, 0, bases - 1);
  selectNext(
      c, [](int) { return true; }, i, i + 1);
}

void goToBaseCommand(EditContext& c) {
  const int bases = c.document.shown().baseCount;
  if (!c.document.loaded || bases == 0) return;
  const std::optional<int> base =
      c.platform.askBaseNumber(std::clamp(c.view.selectedBase + 1, 1, bases), bases);
  if (base) goToBase(c, *base - 1);
}

void findNext(EditContext& c, FindState& find) {
  const BaseCalls& calls = c.document.shown();
  const std::string_view pattern = find.text;
  if (pattern.empty()) return;
  const int n = static_cast<int>(pattern.size());
  for (; find.start <= calls.baseCount - n; ++find.start) {
    if (matchesAt(calls, pattern, find.start)) {
      showMatch(c, find.start, static_cast<int>(find.text.size()));
      return;
    }
  }
  c.platform.showMessage(kSequenceNotFoundMessage, MessageIcon::Exclamation,
                         MessageOwner::MainWindow);
}

void openFindDialog(FindState& find, Platform& platform) {
  if (find.dialogOpen) return;
  find.dialogOpen = true;
  platform.showFindDialog();
}

void findTextChanged(FindButtons& buttons, std::string_view text) {
  buttons.findAgain = false;
  buttons.find = !text.empty();
}

void pressFind(FindState& find, FindButtons& buttons, std::string_view text, Platform& platform) {
  if (!buttons.find) return;
  find.start = 0;
  buttons.find = false;
  buttons.findAgain = true;
  copyPattern(find, text);
  platform.postCommand(kFindNext);
}

void pressFindAgain(FindState& find, FindButtons& buttons, std::string_view text,
                    Platform& platform) {
  if (!buttons.findAgain) return;
  find.start += 1;
  buttons.find = true;
  copyPattern(find, text);
  platform.postCommand(kFindNext);
}

void closeFindDialog(FindState& find) {
  find.dialogOpen = false;
}

}  // namespace vistrel
