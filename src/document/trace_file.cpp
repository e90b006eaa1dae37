// Format recognition and the read entry point shared by the program and vistrel-trace.
#include "document/trace_file.h"

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
  std::size_t seen = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    bool continuation = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
    if (!continuation && seen++ == count) return text.substr(0, i);
  }
  return text;
}

}  // namespace vistrel
