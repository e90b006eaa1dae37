// Reverse complement: the whole chromatogram turned into the view of the opposite strand.
#pragma once

#include "edit/edit_state.h"

namespace vistrel {

/// Reverses and complements one base-call set: its letters over `baseCount`, and its peaks over
/// `peakCount`, each position p becoming `maxSampleCount` - 1 - p.
void reverseComplementSet(BaseCalls& calls, std::int32_t maxSampleCount);

/// The command: every base-call set of the document, the traces, their letters and colours;
/// clears selection and caret, flips `reverseComplemented`, repaints, and records itself for
/// Undo. `modified` is unchanged. Channels shorter than the longest are first padded to its
/// length; when no memory can be had for that, the message shows and nothing changes.
void reverseComplement(EditContext& c);

/// Undo of `record`: the command again, and the letters it could not give back put back.
void undoReverseComplement(EditContext& c, const UndoRecord& record);

/// Redo of the command after its Undo: the command again, recorded no more.
void redoReverseComplement(EditContext& c);

}  // namespace vistrel
