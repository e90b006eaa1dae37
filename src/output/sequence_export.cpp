// Sequence export: FASTA header and 60-letter lines.
#include "output/sequence_export.h"

#include <algorithm>

namespace vistrel {

namespace {
constexpr std::size_t kLetterLine = 60;
constexpr const char kFilePrefix[] = "File: ";
}  // namespace

std::string fastaName(const std::string& fileInfoText) {
  std::string name = fileInfoText.rfind(kFilePrefix, 0) == 0
                         ? fileInfoText.substr(sizeof(kFilePrefix) - 1)
                         : fileInfoText;
  std::size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string sequenceExportText(const Chromatogram& document, int exportFormat) {
  const BaseCalls& calls = document.shown();
  std::string text;
  if (exportFormat == kExportFasta) {
    text += '>';
    text += fastaName(document.fileInfoText);
    text += " sequence exported from chromatogram file\r\n";
  }
  const auto* letters = reinterpret_cast<const char*>(calls.bases.data());
  const auto count = static_cast<std::size_t>(calls.baseCount);
  for (std::size_t start = 0; start < count; start += kLetterLine) {
    if (start > 0) text += "\r\n";
    text.append(letters + start, std::min(kLetterLine, count - start));
  }
  return text;
}

OutputError exportSequence(const Chromatogram& document, const std::string& path,
                           int exportFormat) {
  std::string text = sequenceExportText(document, exportFormat);
  return writeOutputFile(path, text.data(), text.size());
}

}  // namespace vistrel
