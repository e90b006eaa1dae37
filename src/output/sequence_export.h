// Export of the shown base sequence as bare text, FASTA or FASTQ, whole or trimmed.
#pragma once

#include <optional>
#include <string>

#include "document/chromatogram.h"
#include "output/output_error.h"

namespace vistrel {

enum ExportFormat { kExportText = 0, kExportFasta = 1, kExportFastq = 2 };

/// The highest quality a Sanger FASTQ letter can carry ('~'); higher values are written as it.
inline constexpr int kHighestFastqQuality = 93;

inline constexpr const char* kNoQualitiesForFastqMessage =
    "This read has no quality values, so it cannot be exported as FASTQ.";
inline constexpr const char* kNoBaseCallsToExportMessage =
    "This file has no base calls, so it has no sequence to export.";

/// The letter written for a base: its own when it is a visible ASCII character (a letter, '-',
/// '*'), else 'N', so that the bytes of a damaged file that are no letters (NUL, line ends,
/// bytes above ASCII) never reach a sequence file.
char exportedLetter(std::uint8_t base);

/// The document name of a FASTA header: `fileInfoText` after its "File: ", cut before its last
/// '.'.
std::string fastaName(const std::string& fileInfoText);

/// The FASTA header line of `name`, CR LF included. A trimmed export or copy says which bases
/// it keeps, numbered from 1 as the window numbers them: "trimmed sequence (bases 21 to 480)".
std::string fastaHeader(const std::string& name, const std::optional<TrimRegion>& trimmed);

/// Why the shown set cannot be exported in `exportFormat`, or nullptr when it can: a file read
/// without base calls has no sequence until bases are typed, and FASTQ needs quality values.
const char* exportRefusal(const Chromatogram& document, int exportFormat);

/// The file contents for the shown set, or only its bases in `trimmed`. Text and FASTA: for
/// FASTA a header line, then the letters (`exportedLetter`) in lines of 60 separated by CR LF, the
/// last line without a line end. FASTQ (only without an `exportRefusal`): "@name", the letters, "+"
/// and the Phred+33 qualities, each on one line ended by LF, as sequence pipelines expect.
std::string sequenceExportText(const Chromatogram& document, int exportFormat,
                               const std::optional<TrimRegion>& trimmed = std::nullopt);

/// Writes the export to `path`, as a write of `batch` when one is given.
OutputError exportSequence(const Chromatogram& document, const std::string& path, int exportFormat,
                           const std::optional<TrimRegion>& trimmed = std::nullopt,
                           BatchWrites* batch = nullptr);

}  // namespace vistrel
