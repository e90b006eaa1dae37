// The one way into a trace file for the program and the command-line tool: recognise the
// format in a file image, hand it to its reader, and name the document after its file.
#pragma once

#include <string>

#include "document/chromatogram.h"
#include "document/load_error.h"
#include "platform/block.h"

namespace vistrel {

inline constexpr std::int32_t kForeignPrefixSize = 128;

/// Reads ABI or SCF data from a whole-file image. Data that begins with neither "ABI" nor
/// ".scf" is taken to follow a 128-byte foreign prefix. On success `document` is replaced by a
/// complete, loaded document (without file names) and `sampleName` holds the ABI sample name
/// (empty when there is none). On failure `document` is untouched.
LoadError readTraceImage(Block image, bool showOriginalSequence, Chromatogram& document,
                         std::string& sampleName);

/// Opens, reads and recognises the file at `path`, and names the document after it.
LoadError readTraceFile(const std::string& path, bool showOriginalSequence, Chromatogram& document,
                        std::string& sampleName);

/// Gives `calls` exactly one peak per letter: a letter past the last peak takes the last one,
/// and peaks past the last letter go. False, and the set unchanged, when no block can be had.
bool matchPeaksToBases(BaseCalls& calls);

/// Sets `filePath`, `fileTitle` and `fileInfoText` from `path`.
void nameDocumentAfter(Chromatogram& document, const std::string& path);

/// The last component of `path` (after the last '/' or backslash, else after the last colon),
/// cut to 28 characters.
std::string fileTitleOf(const std::string& path);

/// "Vistrel - " and the sample name, or "Vistrel" when there is none.
std::string windowTitleFor(const std::string& sampleName);

/// The length of the well-formed UTF-8 sequence that starts at `text[at]`, or 0 when none does.
std::size_t wellFormedLength(const std::string& text, std::size_t at);

/// The first `count` characters of a UTF-8 text. A well-formed sequence is one character; any
/// byte outside one (a name in another encoding, an overlong form, a surrogate) counts as one.
std::string firstCharacters(const std::string& text, std::size_t count);

}  // namespace vistrel
