// The state that editing, navigation and search keep beside the document and the view, and the
// records an edit works on.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "document/chromatogram.h"
#include "platform/command_ids.h"
#include "platform/platform.h"
#include "view/settings.h"
#include "view/view_state.h"

namespace vistrel {

/// What a record takes back: a replaced, inserted or deleted base, the mixed bases called at
/// once, or a reverse complement (the record carries that command's id).
enum UndoKind {
  kUndoReplace = 1,
  kUndoInsert = 2,
  kUndoDelete = 3,
  kUndoCallMixed = 4,
  kUndoRange = 5,  ///< a range of bases replaced by one typed letter, or removed
  kUndoReverseComplement = kReverseComplement
};

struct KeptLetter {
  bool original = false;  ///< of the original set, else of the edited one
  std::int32_t index = 0;
  std::uint8_t letter = 0;
};

/// A base of the shown set as it was before a change of many bases at once.
struct ReplacedLetter {
  std::int32_t index = 0;
  std::uint8_t letter = 0;
  std::uint8_t quality = 0;  ///< when the set has quality values
  std::uint8_t called = 0;   ///< the letter it was called as, kept by Undo for Redo
};

/// One step that Undo can take back.
struct UndoRecord {
  int kind = 0;
  std::int32_t baseIndex = 0;   ///< the base replaced, inserted or deleted
  std::uint8_t oldBase = 0;     ///< the letter replaced or deleted
  std::uint8_t oldQuality = 0;  ///< and its quality, when the set has quality values
  /// The peak of a deleted base, or the caret's sample where a base was inserted.
  std::int16_t oldPeak = 0;
  /// Whether the inserted or deleted base had a peak: a set whose peak count differs from its
  /// base count has letters without one.
  bool withPeak = true;
  /// Where the edit history stood before this step; Undo returns it there.
  std::int64_t previousState = 0;
  /// Where it stood after the step; Redo returns it there.
  std::int64_t nextState = 0;
  /// The letter and quality that Undo took away (replaced or inserted), for Redo.
  std::uint8_t newBase = 0;
  std::uint8_t newQuality = 0;
  /// Reverse complement: the letters that complementing twice does not give back (U becomes A,
  /// which becomes T), each with its set and its index.
  std::vector<KeptLetter> keptLetters{};
  /// Mixed bases called at once: every base replaced, in order. A range: every base of it, in
  /// order, with `peaks` beside; `newBase` is the letter typed over it, 0 when it was removed.
  std::vector<ReplacedLetter> replaced{};
  std::vector<std::int16_t> peaks{};
};

inline constexpr int kUndoSteps = 100;

/// The quality value a typed A, C, G or T takes: a call the person is sure of.
inline constexpr std::uint8_t kTypedBaseQuality = 99;

inline constexpr const char* kNoMemoryForOperationMessage =
    "Insufficient memory\nfor this operation";

/// A save point that no undo can reach: the shown set had unsaved changes before its history
/// began.
inline constexpr std::int64_t kUnreachableState = -1;

/// What the values worked out from the shown set (its marks, its alignment) depend on. Each
/// document shown has a number of its own, and every change of its letters, qualities or peaks
/// moves the edit history, switches the set or turns the strand; comparing it costs next to
/// nothing.
struct ShownReadKey {
  std::int64_t document = -1;
  std::int64_t history = 0;
  bool originalShown = false;
  std::int32_t reverseComplemented = 0;
  std::int32_t trimCutoff = -1;
  std::int32_t mixedRatio = -1;

  bool operator==(const ShownReadKey&) const = default;
};

struct EditState {
  std::int32_t insertIndex = 0;
  std::int32_t otherSetModified = 0;
  std::int32_t reverseComplemented = 0;
  std::array<UndoRecord, kUndoSteps> undoRing{};
  std::int32_t undoNext = 0;
  std::int32_t undoCount = 0;
  std::int32_t undoWrapped = 0;
  /// How many steps Undo took back that Redo can give again: the records from `undoNext` on.
  std::int32_t redoCount = 0;
  /// Where the edit history stands: every edit moves it to a number of its own and Undo moves
  /// it back; a reverse complement leaves it. The shown set has unsaved changes exactly when it
  /// stands elsewhere than at the last save or load.
  std::int64_t historyState = 0;
  std::int64_t lastState = 0;  ///< the newest number given
  std::int64_t savedState = 0;
};

/// The Find dialog's pattern and where the next comparison starts.
struct FindState {
  bool dialogOpen = false;
  std::string text;        ///< at most 49 characters
  std::int32_t start = 0;  ///< not reset by a load
};

/// The records an edit works on, gathered for one call.
struct EditContext {
  Chromatogram& document;
  ViewSettings& settings;
  ViewState& view;
  EditState& edit;
  Platform& platform;
};

}  // namespace vistrel
