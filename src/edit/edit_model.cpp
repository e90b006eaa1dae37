// Edits move the tails of the letter, quality and peak blocks in place; a block grows by 16 bytes
// only when an insertion finds it full. A set whose peak count differs from its base count is
// edited without ever touching a letter past `baseCount` or a peak past `peakCount`.
#include "edit/edit_model.h"

#include <cstring>
#include <utility>
#include <vector>

#include "analysis/mixed_peaks.h"
#include "edit/reverse_complement.h"
#include "edit/view_updates.h"

namespace vistrel {

namespace {

constexpr std::size_t kGrowthStep = 16;

/// The quality a typed base takes: the person finishing the read is sure of the four bases,
/// and an N or an ambiguity code says that the call is not known.
std::uint8_t typedQuality(std::uint8_t letter) {
  return acgtIndex(letter) >= 0 ? kTypedBaseQuality : std::uint8_t{0};
}

void insertByte(std::uint8_t* bytes, int count, int i, std::uint8_t value) {
  std::memmove(bytes + i + 1, bytes + i, static_cast<std::size_t>(count - i));
  bytes[i] = value;
}

void removeByte(std::uint8_t* bytes, int count, int i) {
  std::memmove(bytes + i, bytes + i + 1, static_cast<std::size_t>(count - i - 1));
}

void insertLetter(BaseCalls& calls, int i, std::uint8_t letter, std::uint8_t quality) {
  insertByte(calls.bases.data(), calls.baseCount, i, letter);
  if (calls.hasQualities) insertByte(calls.qualities.data(), calls.baseCount, i, quality);
  calls.baseCount += 1;
}

void insertPeak(BaseCalls& calls, int i, std::int16_t peak) {
  std::uint8_t* peaks = calls.peaks.data();
  std::memmove(peaks + 2 * (i + 1), peaks + 2 * i,
               2 * static_cast<std::size_t>(calls.peakCount - i));
  calls.peakCount += 1;
  calls.setPeak(i, peak);
}

void removeLetter(BaseCalls& calls, int i) {
  removeByte(calls.bases.data(), calls.baseCount, i);
  if (calls.hasQualities) removeByte(calls.qualities.data(), calls.baseCount, i);
  calls.baseCount -= 1;
}

void removePeak(BaseCalls& calls, int i) {
  std::uint8_t* peaks = calls.peaks.data();
  std::memmove(peaks + 2 * i, peaks + 2 * (i + 1),
               2 * static_cast<std::size_t>(calls.peakCount - i - 1));
  calls.peakCount -= 1;
}

/// Room for `bytes` more bytes past `used`: a block grows only when it is full.
bool roomFor(Block& block, std::size_t used, std::size_t bytes, Platform& platform) {
  return block.size() >= used + bytes || growBlock(block, block.size() + kGrowthStep, platform);
}

/// Room for one more letter, quality and whole peak.
bool makeRoom(BaseCalls& calls, Platform& platform) {
  const auto letters = static_cast<std::size_t>(calls.baseCount);
  return roomFor(calls.bases, letters, 1, platform) &&
         (!calls.hasQualities || roomFor(calls.qualities, letters, 1, platform)) &&
         roomFor(calls.peaks, 2 * static_cast<std::size_t>(calls.peakCount), 2, platform);
}

/// The unsaved-changes mark follows the history: set unless it stands at the save point.
void followHistory(EditContext& c) {
  c.document.modified = c.edit.historyState != c.edit.savedState;
}

/// After Undo or Redo: brings base `index` (or the caret's sample `caret`) into view, or else
/// repaints the rows and marks it changed.
void showChange(EditContext& c, const std::optional<TrimRegion>& region, int index,
                std::optional<int> caret) {
  const BaseCalls& calls = c.document.shown();
  const bool placed = caret || hasLetterAndPeak(calls, index);
  const int p = caret ? *caret : placed ? calls.peak(index) : 0;
  if (!placed || !bringIntoView(c.document, c.settings, c.view, c.platform, p, 0)) {
    repaintBaseRows(c.view, c.platform);
    refreshQualityMarks(c, region, index);
  }
}

/// Puts a deleted base back; the room its deletion left is still there.
void restoreDeleted(BaseCalls& calls, const UndoRecord& r) {
  insertLetter(calls, r.baseIndex, r.oldBase, r.oldQuality);
  if (r.withPeak) insertPeak(calls, r.baseIndex, r.oldPeak);
}

/// A range step done (or redone): the bases after the first go, and the first takes the typed
/// letter; or, for a removal, every base of the range goes.
void applyRange(BaseCalls& calls, const UndoRecord& r) {
  const int first = r.baseIndex;
  const int end = first + static_cast<int>(r.replaced.size());
  for (int i = end - 1; i >= (r.newBase != 0 ? first + 1 : first); --i) {
    removeLetter(calls, i);
    removePeak(calls, i);
  }
  if (r.newBase == 0) return;
  calls.setBase(first, r.newBase);
  if (calls.hasQualities) calls.setQuality(first, typedQuality(r.newBase));
}

/// A range step undone: every base of the range back, with its letter, quality and peak; the
/// room the step left is still there.
void restoreRange(BaseCalls& calls, const UndoRecord& r) {
  const int first = r.baseIndex;
  for (std::size_t k = 0; k < r.replaced.size(); ++k) {
    const ReplacedLetter& old = r.replaced[k];
    const int i = first + static_cast<int>(k);
    if (k == 0 && r.newBase != 0) {
      calls.setBase(i, old.letter);
      if (calls.hasQualities) calls.setQuality(i, old.quality);
      continue;
    }
    insertLetter(calls, i, old.letter, old.quality);
    insertPeak(calls, i, r.peaks[k]);
  }
}

}  // namespace

void pushUndo(EditState& edit, UndoRecord record) {
  if (edit.undoNext == kUndoSteps) {
    edit.undoNext = 0;
    edit.undoWrapped = 1;
  }
  record.previousState = edit.historyState;
  // Turning the strand around changes no base call: it leaves the saved state where it is.
  if (record.kind != kUndoReverseComplement) edit.historyState = ++edit.lastState;
  record.nextState = edit.historyState;
  // A new step takes the place of what was undone.
  edit.redoCount = 0;
  edit.undoRing[static_cast<std::size_t>(edit.undoNext)] = std::move(record);
  edit.undoNext += 1;
  if (edit.undoCount < kUndoSteps) edit.undoCount += 1;
}

bool growBlock(Block& block, std::size_t newSize, Platform& platform) {
  if (block.resize(newSize)) return true;
  platform.showMessage(kNoMemoryToGrowMessage, MessageIcon::Stop, MessageOwner::MainWindow);
  return false;
}

void replaceBase(EditContext& c, std::uint8_t letter) {
  BaseCalls& calls = c.document.shown();
  const int s = c.view.selectedBase;
  if (s < 0 || s >= calls.baseCount) return;
  const std::optional<TrimRegion> region = shownRegion(c);
  pushUndo(c.edit, {.kind = kUndoReplace,
                    .baseIndex = s,
                    .oldBase = calls.base(s),
                    .oldQuality = calls.hasQualities ? calls.quality(s) : std::uint8_t{0}});
  calls.setBase(s, letter);
  if (calls.hasQualities) calls.setQuality(s, typedQuality(letter));
  followHistory(c);
  if (c.settings.continuousEdit != 0 && s < calls.baseCount - 1) c.view.selectedBase = s + 1;
  refreshBaseRange(c, c.view.selectedBase - 1, c.view.selectedBase, false);
  refreshQualityMarks(c, region, s);
}

void insertBase(EditContext& c, std::uint8_t letter) {
  BaseCalls& calls = c.document.shown();
  const int i = c.edit.insertIndex;
  if (c.view.insertCaret == 0 || i < 0 || i > calls.baseCount || !makeRoom(calls, c.platform)) {
    return;
  }
  // Past the end of the peaks (a set with more letters than peaks) the letter gets no peak.
  const bool withPeak = i <= calls.peakCount;
  const std::optional<TrimRegion> region = shownRegion(c);
  const auto caret = static_cast<std::int16_t>(c.view.insertCaret);
  insertLetter(calls, i, letter, typedQuality(letter));
  if (withPeak) insertPeak(calls, i, caret);
  c.view.selectedBase = i;
  pushUndo(c.edit, {.kind = kUndoInsert, .baseIndex = i, .oldPeak = caret, .withPeak = withPeak});
  c.view.insertCaret = 0;
  followHistory(c);
  refreshBaseRange(c, i, i, true);
  refreshQualityMarks(c, region, i);
}

void deleteBase(EditContext& c, bool backward) {
  BaseCalls& calls = c.document.shown();
  const int s = c.view.selectedBase;
  if (s < 0 || s >= calls.baseCount) return;
  const bool withPeak = s < calls.peakCount;
  const std::optional<TrimRegion> region = shownRegion(c);
  pushUndo(c.edit, {.kind = kUndoDelete,
                    .baseIndex = s,
                    .oldBase = calls.base(s),
                    .oldQuality = calls.hasQualities ? calls.quality(s) : std::uint8_t{0},
                    .oldPeak = withPeak ? calls.peak(s) : std::int16_t{0},
                    .withPeak = withPeak});
  removeLetter(calls, s);
  if (withPeak) removePeak(calls, s);
  c.view.selectedBase = backward ? s - 1 : (s < calls.baseCount ? s : -1);
  followHistory(c);
  refreshBaseRange(c, s - 1, s, true);
  refreshQualityMarks(c, region, s);
}

void replaceRange(EditContext& c, std::uint8_t letter) {
  BaseCalls& calls = c.document.shown();
  const auto range = c.view.selectedRange();
  if (!range || range->second >= std::min(calls.baseCount, calls.peakCount)) return;
  const std::optional<TrimRegion> region = shownRegion(c);
  UndoRecord record{.kind = kUndoRange, .baseIndex = range->first, .newBase = letter};
  for (int i = range->first; i <= range->second; ++i) {
    record.replaced.push_back(
        {i, calls.base(i), calls.hasQualities ? calls.quality(i) : std::uint8_t{0}});
    record.peaks.push_back(calls.peak(i));
  }
  applyRange(calls, record);
  pushUndo(c.edit, std::move(record));
  c.view.selectionAnchor = -1;
  c.view.selectedBase =
      letter != 0 || range->first < calls.baseCount ? range->first : std::int32_t{-1};
  followHistory(c);
  repaintBaseRows(c.view, c.platform);
  refreshQualityMarks(c, region, range->first);
}

void callMixedBases(EditContext& c) {
  BaseCalls& calls = c.document.shown();
  const TrimRegion region = regionToCheck(calls, c.settings.trimCutoffProbability());
  std::vector<MixedBase> found =
      mixedBases(c.document, calls, c.settings.mixedRatio, region.start, region.end);
  // Channels of unknown letters give no code; a base called already stays as it is.
  std::erase_if(found,
                [&](const MixedBase& m) { return m.call == 'N' || m.call == calls.base(m.index); });
  if (found.empty()) {
    c.platform.beep();
    return;
  }
  UndoRecord record{.kind = kUndoCallMixed, .baseIndex = found.front().index};
  for (const MixedBase& m : found) {
    const std::uint8_t quality = calls.hasQualities ? calls.quality(m.index) : std::uint8_t{0};
    record.replaced.push_back({m.index, calls.base(m.index), quality});
    calls.setBase(m.index, m.call);
  }
  pushUndo(c.edit, std::move(record));
  followHistory(c);
  repaintBaseRows(c.view, c.platform);
}

void undo(EditContext& c) {
  if (c.edit.undoCount == 0) return;
  c.edit.undoNext -= 1;
  c.edit.undoCount -= 1;
  c.edit.redoCount += 1;
  if (c.edit.undoNext < 0) c.edit.undoNext = kUndoSteps - 1;
  UndoRecord& r = c.edit.undoRing[static_cast<std::size_t>(c.edit.undoNext)];
  c.edit.historyState = r.previousState;
  followHistory(c);
  if (r.kind == kUndoReverseComplement) {
    undoReverseComplement(c, r);
    return;
  }
  BaseCalls& calls = c.document.shown();
  const std::optional<TrimRegion> region = shownRegion(c);
  c.view.insertCaret = 0;
  c.view.selectedBase = r.baseIndex;
  c.view.selectionAnchor = -1;
  if (r.kind == kUndoReplace || r.kind == kUndoInsert) {
    r.newBase = calls.base(r.baseIndex);
    r.newQuality = calls.hasQualities ? calls.quality(r.baseIndex) : std::uint8_t{0};
  }
  switch (r.kind) {
    case kUndoReplace:
      calls.setBase(r.baseIndex, r.oldBase);
      if (calls.hasQualities) calls.setQuality(r.baseIndex, r.oldQuality);
      break;
    case kUndoInsert:
      // The caret comes back where the base was typed.
      c.view.insertCaret = r.oldPeak;
      c.edit.insertIndex = r.baseIndex;
      c.view.selectedBase = -1;
      removeLetter(calls, r.baseIndex);
      if (r.withPeak) removePeak(calls, r.baseIndex);
      break;
    case kUndoDelete:
      restoreDeleted(calls, r);
      break;
    case kUndoCallMixed:
      for (ReplacedLetter& old : r.replaced) {
        old.called = calls.base(old.index);
        calls.setBase(old.index, old.letter);
        if (calls.hasQualities) calls.setQuality(old.index, old.quality);
      }
      break;
    case kUndoRange:
      restoreRange(calls, r);
      // The range comes back selected.
      c.view.selectionAnchor = r.baseIndex;
      c.view.selectedBase = c.view.rangeEnd =
          r.baseIndex + static_cast<std::int32_t>(r.replaced.size()) - 1;
      break;
  }
  // What comes back into view: the caret of an insertion taken back, else the base.
  const bool inserted = r.kind == kUndoInsert;
  showChange(c, region, r.baseIndex, inserted ? std::optional<int>(r.oldPeak) : std::nullopt);
}

void redo(EditContext& c) {
  EditState& e = c.edit;
  if (e.redoCount == 0) return;
  if (e.undoNext == kUndoSteps) e.undoNext = 0;
  const UndoRecord& r = e.undoRing[static_cast<std::size_t>(e.undoNext)];
  e.undoNext += 1;
  e.redoCount -= 1;
  if (e.undoCount < kUndoSteps) e.undoCount += 1;
  e.historyState = r.nextState;
  followHistory(c);
  if (r.kind == kUndoReverseComplement) {
    redoReverseComplement(c);
    return;
  }
  BaseCalls& calls = c.document.shown();
  const std::optional<TrimRegion> region = shownRegion(c);
  c.view.insertCaret = 0;
  c.view.selectedBase = r.baseIndex;
  c.view.selectionAnchor = -1;
  switch (r.kind) {
    case kUndoRange:
      applyRange(calls, r);
      if (r.newBase == 0 && r.baseIndex >= calls.baseCount) c.view.selectedBase = -1;
      break;
    case kUndoReplace:
      calls.setBase(r.baseIndex, r.newBase);
      if (calls.hasQualities) calls.setQuality(r.baseIndex, r.newQuality);
      break;
    case kUndoInsert:
      // Undo left the room the base took.
      insertLetter(calls, r.baseIndex, r.newBase, r.newQuality);
      if (r.withPeak) insertPeak(calls, r.baseIndex, r.oldPeak);
      break;
    case kUndoDelete:
      removeLetter(calls, r.baseIndex);
      if (r.withPeak) removePeak(calls, r.baseIndex);
      c.view.selectedBase = r.baseIndex < calls.baseCount ? r.baseIndex : -1;
      break;
    case kUndoCallMixed:
      for (const ReplacedLetter& m : r.replaced) calls.setBase(m.index, m.called);
      break;
  }
  showChange(c, region, r.baseIndex, std::nullopt);
}

void toggleContinuousEdit(ViewSettings& settings) {
  settings.continuousEdit = settings.continuousEdit != 0 ? 0 : 1;
}

void markSaved(EditState& edit) {
  edit.savedState = edit.historyState;
}

void showBaseCallSet(EditContext& c, bool original) {
  if ((c.settings.showOriginalSequence != 0) == original) return;
  c.settings.showOriginalSequence = original ? 1 : 0;
  c.view.selectedBase = -1;
  c.view.insertCaret = 0;
  c.edit.undoNext = 0;
  c.edit.undoCount = 0;
  c.edit.redoCount = 0;
  const bool leaving = c.document.modified;
  c.document.modified = c.edit.otherSetModified != 0;
  c.edit.otherSetModified = leaving ? 1 : 0;
  // The set coming back has no history: its unsaved changes can no longer be taken back.
  c.edit.savedState = c.document.modified ? kUnreachableState : c.edit.historyState;
  c.document.originalShown = original;
  c.platform.invalidate(c.view.traceRect());
}

}  // namespace vistrel
