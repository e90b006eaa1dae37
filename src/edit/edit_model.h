// The edit model: replacing, inserting and deleting bases of the shown base-call set, the
// 100-step undo ring, Continuous Edit, and the switch between the edited and the original set.
#pragma once

#include "edit/edit_state.h"

namespace vistrel {

inline constexpr const char* kNoMemoryToGrowMessage =
    "Insufficient memory to\nincrease the sequence length";

/// Appends a record to the undo ring, overwriting the oldest of 100, and moves the history on.
void pushUndo(EditState& edit, UndoRecord record);

/// The shown set has just been saved: from here on it is unmodified exactly when the history
/// stands where it stands now.
void markSaved(EditState& edit);

/// Enlarges `block` to `newSize` bytes, keeping its contents. On failure it shows the message
/// and leaves the block as it was.
bool growBlock(Block& block, std::size_t newSize, Platform& platform);

/// The selected base becomes `letter`, as typed; with Continuous Edit the selection moves on.
void replaceBase(EditContext& c, std::uint8_t letter);

/// Inserts `letter` at the caret, with the caret's sample as its peak, and selects it. When a
/// block cannot grow the letter is dropped after the message.
void insertBase(EditContext& c, std::uint8_t letter);

/// Removes the selected base; Backspace (`backward`) selects the one before, Delete the one
/// that follows.
void deleteBase(EditContext& c, bool backward);

/// The selected range of bases (two or more) replaced by `letter` as typed, or removed when
/// `letter` is 0, as one step of the ring. A typed letter stays selected; after a removal the
/// base that follows is.
void replaceRange(EditContext& c, std::uint8_t letter);

/// Call Mixed Bases: every mixed base of the region to check (the good region, or all bases
/// without quality values) takes its two-letter code, as one step of the ring. The qualities
/// stay: the peaks under the bases did not change. Beeps and changes nothing when no letter
/// would change.
void callMixedBases(EditContext& c);

/// Takes back the newest record of the ring. The document is unmodified afterwards exactly when
/// the history is back where it stood at the last save or load.
void undo(EditContext& c);

/// Gives back the step the last Undo took back, as the step itself did; nothing when a new edit
/// came since. The unsaved mark follows the history as with Undo.
void redo(EditContext& c);

void toggleContinuousEdit(ViewSettings& settings);

/// Shows the original (`original`) or the edited base-call set, each with its own letters,
/// peaks, counts and unsaved-changes flag; the undo ring empties.
void showBaseCallSet(EditContext& c, bool original);

}  // namespace vistrel
