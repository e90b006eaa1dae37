// Sequence export: FASTA header and 60-letter lines, or a four-line FASTQ record.
#include "output/sequence_export.h"

#include <algorithm>

namespace vistrel {

namespace {

constexpr std::size_t kLetterLine = 60;
constexpr const char kFilePrefix[] = "File: ";

std::string trimmedDescription(const TrimRegion& region) {
  if (region.empty()) return "trimmed sequence (no bases)";
  return "trimmed sequence (bases " + std::to_string(region.start + 1) + " to " +
         std::to_string(region.end) + ")";
}

std::string fastqRecord(const Chromatogram& document, const TrimRegion& bases,
                        const std::optional<TrimRegion>& trimmed) {
  const BaseCalls& calls = document.shown();
  std::string text = '@' + fastaName(document.fileInfoText);
  if (trimmed) text += ' ' + trimmedDescription(*trimmed);
  text += '\n';
  const auto* letters = reinterpret_cast<const char*>(calls.bases.data());
  text.append(letters + bases.start, letters + bases.end);
  text += "\n+\n";
  for (std::int32_t i = bases.start; i < bases.end; ++i) {
    text += static_cast<char>('!' + std::min<int>(calls.quality(i), kHighestFastqQuality));
  }
  text += '\n';
  return text;
}

}  // namespace

std::string fastaName(const std::string& fileInfoText) {
  std::string name = fileInfoText.rfind(kFilePrefix, 0) == 0
                         ? fileInfoText.substr(sizeof(kFilePrefix) - 1)
                         : fileInfoText;
  std::size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string fastaHeader(const std::string& name, const std::optional<TrimRegion>& trimmed) {
  const std::string what = trimmed ? trimmedDescription(*trimmed) : "sequence";
  return '>' + name + ' ' + what + " exported from chromatogram file\r\n";
}

bool canExport(const Chromatogram& document, int exportFormat) {
  return exportFormat != kExportFastq || document.shown().hasQualities;
}

std::string sequenceExportText(const Chromatogram& document, int exportFormat,
                               const std::optional<TrimRegion>& trimmed) {
  const BaseCalls& calls = document.shown();
  const TrimRegion bases = trimmed.value_or(TrimRegion{0, calls.baseCount});
  if (exportFormat == kExportFastq) return fastqRecord(document, bases, trimmed);
  std::string text =
      exportFormat == kExportFasta ? fastaHeader(fastaName(document.fileInfoText), trimmed) : "";
  const auto* letters = reinterpret_cast<const char*>(calls.bases.data()) + bases.start;
  const auto count = static_cast<std::size_t>(bases.end - bases.start);
  for (std::size_t start = 0; start < count; start += kLetterLine) {
    if (start > 0) text += "\r\n";
    text.append(letters + start, std::min(kLetterLine, count - start));
  }
  return text;
}

OutputError exportSequence(const Chromatogram& document, const std::string& path, int exportFormat,
                           const std::optional<TrimRegion>& trimmed, BatchWrites* batch) {
  std::string text = sequenceExportText(document, exportFormat, trimmed);
  return writeOutputFile(path, text.data(), text.size(), batch);
}

}  // namespace vistrel
