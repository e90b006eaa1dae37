// Output failures and their messages; every export and save writes through writeOutputFile.
#include "output/output_error.h"

#include "platform/files.h"

namespace vistrel {

std::string outputErrorMessage(const OutputError& error, const char* createFallback) {
  switch (error.kind) {
    case OutputError::None:
      return {};
    case OutputError::CreateFailed: {
      const char* text = fileOpenErrorText(error.openErrorCode);
      return text != nullptr ? text : createFallback;
    }
    case OutputError::WriteFailed:
      return kCannotWriteMessage;
    case OutputError::NoMemory:
      return kNoMemoryMessage;
  }
  return {};
}

OutputError writeOutputFile(const std::string& path, const void* data, std::size_t size,
                            BatchWrites* batch) {
  int openErrorCode = 0;
  switch (writeWholeFile(path, data, size, openErrorCode, batch)) {
    case FileWriteStatus::Ok:
      return {};
    case FileWriteStatus::CreateFailed:
      return {OutputError::CreateFailed, openErrorCode};
    case FileWriteStatus::WriteFailed:
      return {OutputError::WriteFailed};
  }
  return {};
}

}  // namespace vistrel
