// Copy Sequence: the shown letters on the clipboard as plain text or FASTA.
#pragma once

#include "edit/edit_state.h"

namespace vistrel {

inline constexpr const char* kNoMemoryToCopyMessage = "Insufficient memory\nfor this operation";

/// The clipboard text, built in `text`: for FASTA a header line naming the file (`fileTitle`
/// cut before its last '.'), then the letters as stored in lines of 60, CR LF between lines and
/// none after the last. False when no block for it can be had.
bool sequenceClipboardText(const Chromatogram& document, bool fasta, Block& text);

/// Puts the text on the clipboard and clears `modified`; when no memory can be had, shows the
/// message and changes nothing.
void copySequence(Chromatogram& document, Platform& platform, bool fasta);

}  // namespace vistrel
