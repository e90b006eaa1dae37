// Reader of ABI sequencer trace files (a tagged directory of 28-byte entries).
#pragma once

#include <cstdint>
#include <string>

#include "document/chromatogram.h"
#include "document/load_error.h"
#include "platform/block.h"

namespace vistrel {

/// Reads the ABI data that starts `headerSkip` bytes into `image`. On success the image becomes
/// the document's trace block (channel samples turned to host order in place), `document` is
/// replaced and `sampleName` holds the sample name (empty when the file has none). On failure
/// the image is released, `document` is untouched and the error says why.
LoadError readAbi(Block image, std::int32_t headerSkip, bool showOriginalSequence,
                  Chromatogram& document, std::string& sampleName);

}  // namespace vistrel
