// Copy Sequence and Copy Trimmed: the shown letters on the clipboard as plain text or FASTA.
#pragma once

#include <optional>

#include "analysis/trim.h"
#include "edit/edit_state.h"

namespace vistrel {

/// The clipboard text, built in `text`: for FASTA a header line naming the file (`fileTitle`
/// cut before its last '.'), then the letters as stored in lines of 60, CR LF between lines and
/// none after the last. With `trimmed`, only its letters, and the header says which they are.
/// False when no block for it can be had.
bool sequenceClipboardText(const Chromatogram& document, bool fasta, Block& text,
                           const std::optional<TrimRegion>& trimmed = std::nullopt);

/// Puts the text on the clipboard; when no memory can be had, shows the message and changes
/// nothing. The unsaved-changes mark stays: a copy is no save, and the clipboard's text goes
/// with the program on systems where the program serves it.
void copySequence(const Chromatogram& document, Platform& platform, bool fasta,
                  const std::optional<TrimRegion>& trimmed = std::nullopt);

}  // namespace vistrel
