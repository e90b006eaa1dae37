// Sequence export: FASTA header and 60-letter lines, or a four-line FASTQ record.
#include "output/sequence_export.h"

#include <algorithm>

namespace vistrel {

namespace {

constexpr std::int32_t kLetterLine = 60;
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
  for (std::int32_t i = bases.start; i < bases.end; ++i) text += exportedLetter(calls.base(i));
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

char exportedLetter(std::uint8_t base) {
  return base > ' ' && base < 0x7F ? static_cast<char>(base) : 'N';
}

const char* exportRefusal(const Chromatogram& document, int exportFormat) {
  const BaseCalls& calls = document.shown();
  if (!document.hasBaseCalls && calls.baseCount == 0) return kNoBaseCallsToExportMessage;
  if (exportFormat == kExportFastq && !calls.hasQualities) return kNoQualitiesForFastqMessage;
  return nullptr;
}

std::string sequenceExportText(const Chromatogram& document, int exportFormat,
                               const std::optional<TrimRegion>& trimmed) {
  const BaseCalls& calls = document.shown();
  const TrimRegion bases = trimmed.value_or(TrimRegion{0, calls.baseCount});
  if (exportFormat == kExportFastq) return fastqRecord(document, bases, trimmed);
  std::string text =
      exportFormat == kExportFasta ? fastaHeader(fastaName(document.fileInfoText), trimmed) : "";
  for (std::int32_t i = bases.start; i < bases.end; ++i) {
    if (i > bases.start && (i - bases.start) % kLetterLine == 0) text += "\r\n";
    text += exportedLetter(calls.base(i));
  }
  return text;
}

OutputError exportSequence(const Chromatogram& document, const std::string& path, int exportFormat,
                           const std::optional<TrimRegion>& trimmed, BatchWrites* batch) {
  std::string text = sequenceExportText(document, exportFormat, trimmed);
  return writeOutputFile(path, text.data(), text.size(), batch);
}

}  // namespace vistrel
