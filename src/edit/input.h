// Mouse and keyboard editing: a click in the letter row selects a base or places the insertion
// caret, typed letters replace or insert bases, Backspace and Delete remove the selected one, the
// Left and Right arrows move the selection; the cursor and the position tick follow the pointer.
#pragma once

#include <cstdint>

#include "edit/edit_state.h"

namespace vistrel {

/// The keys, besides typed characters, that editing takes; every other key is ignored.
enum class EditKey { Backspace, Delete, Left, Right };

/// The pointer moved to client point `at`: sets the cursor and, while the left button is held
/// over the trace area, moves the position tick to the pointer's column (else removes it).
void mouseMove(EditContext& c, Point at, bool leftHeld);

/// Left button down at `at`: outside fit mode it clears the selection and the caret and, in
/// the letter row, selects the base under the pointer or places the caret between two bases;
/// then it acts as a move with the button held.
void leftButtonDown(EditContext& c, Point at);

/// Shift and Left or Right: the selection runs from its anchor one base further (`step`),
/// kept within the bases. Shift and a click: from the anchor to the base clicked.
void extendSelection(EditContext& c, int step);
void shiftClick(EditContext& c, Point at);

/// Left button up: a move with no button held, which removes the position tick.
void leftButtonUp(EditContext& c, Point at);

/// A double click: the second press clears as a click does; over the traces (not in fit mode)
/// it then selects the base whose peak is nearest the pointer.
void doubleClick(EditContext& c, Point at);

/// A typed character. An ASCII letter, kept as typed, is inserted at the caret or replaces the
/// selected base or range (as one step); any other character, and every character in fit mode,
/// is ignored. A drag along the letter row with the button held selects a range.
void typeCharacter(EditContext& c, std::uint8_t character);

/// Backspace and Delete remove the selected base (not in fit mode); Left and Right move the
/// selection one base, wrapping at the ends.
void pressKey(EditContext& c, EditKey key);

}  // namespace vistrel
