// Export of the four trace channels as a fixed-width text table.
#pragma once

#include <string>

#include "document/chromatogram.h"
#include "output/output_error.h"

namespace vistrel {

/// The table: a heading of the channel letters, then one line per sample position up to
/// `maxSampleCount`, each line four 7-character columns with CR LF in place of the last blank.
std::string rawDataText(const Chromatogram& document);

/// Writes the table to `path`, as a write of `batch` when one is given.
OutputError exportRawData(const Chromatogram& document, const std::string& path,
                          BatchWrites* batch = nullptr);

}  // namespace vistrel
