// Why writing a file failed, and the message the user sees for it.
#pragma once

#include <cstddef>
#include <string>

namespace vistrel {

class BatchWrites;

struct OutputError {
  enum Kind { None, CreateFailed, WriteFailed, NoMemory };
  Kind kind = None;
  int openErrorCode = 0;  ///< for CreateFailed

  explicit operator bool() const { return kind != None; }
};

inline constexpr const char* kCannotCreateMessage = "The file could not be created";
inline constexpr const char* kCannotWriteMessage = "Could not write file";
inline constexpr const char* kNoMemoryMessage = "Insufficient memory";

/// The exact text shown for `error`. A create failure whose code is not in the file-open error
/// table shows `createFallback`: "The file could not be created", or for Save "The file could
/// not be opened".
std::string outputErrorMessage(const OutputError& error,
                               const char* createFallback = kCannotCreateMessage);

/// Writes `size` bytes to `path`, replacing it only once everything is written; as a write of
/// `batch` when one is given (its folder is then flushed by the batch).
OutputError writeOutputFile(const std::string& path, const void* data, std::size_t size,
                            BatchWrites* batch = nullptr);

}  // namespace vistrel
