// Reverse complement: the whole chromatogram turned into the view of the opposite strand.
#pragma once

#include "edit/edit_state.h"

namespace vistrel {

/// The complement of a letter: A and T, C and G, R and Y, K and M, B and V, D and H exchange, U
/// becomes A, in either case; any other byte is its own complement.
std::uint8_t complementOf(std::uint8_t letter);

/// Reverses and complements one base-call set: its letters over `baseCount`, and its peaks over
/// `peakCount`, each position p becoming `maxSampleCount` - 1 - p.
void reverseComplementSet(BaseCalls& calls, std::int32_t maxSampleCount);

/// The command: every base-call set of the document, the traces, their letters and colours;
/// clears selection and caret, flips `reverseComplemented`, repaints, and records itself for
/// Undo. `modified` is unchanged.
void reverseComplement(EditContext& c);

/// The same without a record, as Undo performs it.
void reverseComplementAll(EditContext& c);

}  // namespace vistrel
