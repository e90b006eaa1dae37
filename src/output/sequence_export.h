// Export of the shown base sequence as bare text or FASTA.
#pragma once

#include <string>

#include "document/chromatogram.h"
#include "output/output_error.h"

namespace vistrel {

enum ExportFormat { kExportText = 0, kExportFasta = 1 };

/// The document name of a FASTA header: `fileInfoText` after its "File: ", cut before its last
/// '.'.
std::string fastaName(const std::string& fileInfoText);

/// The file contents: for FASTA a header line, then the letters in lines of 60 separated by
/// CR LF, the last line without a line end.
std::string sequenceExportText(const Chromatogram& document, int exportFormat);

/// Writes the export to `path`.
OutputError exportSequence(const Chromatogram& document, const std::string& path, int exportFormat);

}  // namespace vistrel
