// Raw data export: 29-byte lines in the document's channel order.
#include "output/raw_export.h"

#include <cstring>

namespace vistrel {

namespace {

constexpr std::size_t kColumn = 7;
constexpr std::size_t kLine = 4 * kColumn + 1;

/// Fills one 7-character column: the value right-aligned in six characters, then a blank.
void putValue(char* column, std::uint16_t value) {
  std::memset(column, ' ', kColumn);
  char* digit = column + 5;
  do {
    *digit-- = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
}

void endLine(char* line) {
  line[kLine - 2] = '\r';
  line[kLine - 1] = '\n';
}

}  // namespace

std::string rawDataText(const Chromatogram& document) {
  const std::size_t rows = static_cast<std::size_t>(document.maxSampleCount);
  std::string text((rows + 1) * kLine, ' ');
  char* line = text.data();
  for (int c = 0; c < 4; ++c) line[c * kColumn + 5] = document.channels[c].letter;
  endLine(line);
  for (std::size_t i = 0; i < rows; ++i) {
    line += kLine;
    for (int c = 0; c < 4; ++c) {
      char* column = line + c * kColumn;
      if (i < static_cast<std::size_t>(document.channels[c].sampleCount)) {
        putValue(column, document.sample(c, static_cast<std::int32_t>(i)));
      } else {
        column[5] = '-';
      }
    }
    endLine(line);
  }
  return text;
}

OutputError exportRawData(const Chromatogram& document, const std::string& path,
                          BatchWrites* batch) {
  std::string text = rawDataText(document);
  return writeOutputFile(path, text.data(), text.size(), batch);
}

}  // namespace vistrel
