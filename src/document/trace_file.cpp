// Format recognition and the read entry point shared by the program and vistrel-trace.
#include "document/trace_file.h"

#include <algorithm>
#include <cstring>

#include "document/abi_reader.h"
#include "document/scf_format.h"
#include "document/scf_reader.h"
#include "platform/files.h"

namespace vistrel {

namespace {

constexpr std::size_t kMaxFileTitle = 28;

bool startsWith(const std::uint8_t* data, std::size_t size, const char* magic, std::size_t n) {
  return size >= n && std::memcmp(data, magic, n) == 0;
}

}  // namespace

// Overlong forms, surrogates and values past U+10FFFF are not well formed: a file name in
// another encoding must not swallow the bytes after such a lead byte.
std::size_t wellFormedLength(const std::string& text, std::size_t at) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // what the second byte may be
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() - at < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if ((byte(k) & 0xC0) != 0x80) return 0;
  }
  return length;
}

LoadError readTraceImage(Block image, bool showOriginalSequence, Chromatogram& document,
                         std::string& sampleName) {
  const std::uint8_t* data = image.data();
  std::size_t size = image.size();
  std::int32_t skip = 0;
  if (!startsWith(data, size, "ABI", 3) && !startsWith(data, size, scf::kMagic, 4)) {
    if (size <= static_cast<std::size_t>(kForeignPrefixSize)) return LoadError{LoadError::Corrupt};
    skip = kForeignPrefixSize;
  }

  Chromatogram read;
  LoadError error;
  if (startsWith(data + skip, size - skip, scf::kMagic, 4)) {
    error = readScf(data + skip, size - skip, read);
    sampleName.clear();
  } else {
    error = readAbi(std::move(image), skip, showOriginalSequence, read, sampleName);
  }
  if (error) return error;
  read.loaded = true;
  document = std::move(read);
  return {};
}

LoadError readTraceFile(const std::string& path, bool showOriginalSequence, Chromatogram& document,
                        std::string& sampleName) {
  Block image;
  FileReadResult file = readWholeFile(path, image);
  switch (file.status) {
    case FileReadStatus::Ok:
      break;
    case FileReadStatus::OpenFailed:
      return LoadError{LoadError::OpenFailed, file.openErrorCode};
    case FileReadStatus::NoMemory:
      return LoadError{LoadError::NoMemory};
    case FileReadStatus::ReadFailed:
      return LoadError{LoadError::Unreadable};
  }
  LoadError error = readTraceImage(std::move(image), showOriginalSequence, document, sampleName);
  if (!error) nameDocumentAfter(document, path);
  return error;
}

bool matchPeaksToBases(BaseCalls& calls) {
  if (calls.peakCount == calls.baseCount) return true;
  Block peaks;
  if (!peaks.allocate(2 * static_cast<std::size_t>(calls.baseCount))) return false;
  for (std::int32_t i = 0; i < calls.baseCount; ++i) {
    peaks.setU16(static_cast<std::size_t>(i), static_cast<std::uint16_t>(calls.peakOrLast(i)));
  }
  calls.peaks = std::move(peaks);
  calls.peakCount = calls.baseCount;
  return true;
}

void nameDocumentAfter(Chromatogram& document, const std::string& path) {
  document.filePath = path;
  document.fileTitle = fileTitleOf(path);
  document.fileInfoText = "File: " + document.fileTitle;
}

std::string fileTitleOf(const std::string& path) {
  std::size_t separator = path.find_last_of("\\/");
  if (separator == std::string::npos) separator = path.find_last_of(':');
  std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
  return firstCharacters(name, kMaxFileTitle);
}

std::string windowTitleFor(const std::string& sampleName) {
  return sampleName.empty() ? "Vistrel" : "Vistrel - " + sampleName;
}

std::string firstCharacters(const std::string& text, std::size_t count) {
  std::size_t end = 0;
  for (std::size_t seen = 0; end < text.size() && seen < count; ++seen) {
    end += std::max<std::size_t>(1, wellFormedLength(text, end));
  }
  return text.substr(0, end);
}

}  // namespace vistrel
