// Whole-file reads and safe replacing writes, with errno turned into the program's file-open
// error codes so that every open or create failure shows the same texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/block.h"

namespace vistrel {

/// The file-open error code for a failed open or create of `path` with `errnoValue`; 0 when no
/// code of the table applies.
int fileOpenErrorCode(int errnoValue, const std::string& path);

/// The table's text for a file-open error code, or nullptr when the code is not listed.
const char* fileOpenErrorText(int code);

enum class FileReadStatus { Ok, OpenFailed, NoMemory, ReadFailed };

struct FileReadResult {
  FileReadStatus status = FileReadStatus::Ok;
  int openErrorCode = 0;  ///< set when status is OpenFailed
};

/// A file opened for reading, so that a caller can ask the user something between opening the
/// file and reading it. Closed when destroyed.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  /// On failure `openErrorCode()` tells why.
  bool open(const std::string& path);
  /// Reads the whole file into `image`: NoMemory when no block of its size can be had,
  /// ReadFailed on a read error or when nothing could be read (an empty file).
  FileReadStatus readAll(Block& image);
  void close();
  int openErrorCode() const { return openErrorCode_; }

 private:
  int fd_ = -1;
  int openErrorCode_ = 0;
};

/// Opens and reads the whole file into `image`.
FileReadResult readWholeFile(const std::string& path, Block& image);

enum class FileWriteStatus { Ok, CreateFailed, WriteFailed };

/// Writes a file so that the target is replaced only once every byte is on disk: the data goes
/// to a temporary file in the target's folder, which is renamed over the target at commit.
/// Until then, and after any failure, the target is untouched; an uncommitted temporary file is
/// removed when the writer is destroyed.
class ReplacingFileWriter {
 public:
  ReplacingFileWriter() = default;
  ~ReplacingFileWriter();
  ReplacingFileWriter(const ReplacingFileWriter&) = delete;
  ReplacingFileWriter& operator=(const ReplacingFileWriter&) = delete;

  /// Creates the temporary file. On failure `openErrorCode()` tells why.
  bool create(const std::string& targetPath);
  bool write(const void* data, std::size_t size);
  /// Flushes, closes and renames over the target. False when any step (or an earlier write)
  /// failed; the target is then untouched.
  bool commit();
  int openErrorCode() const { return openErrorCode_; }

 private:
  void discard();

  std::string targetPath_;
  std::string tempPath_;
  int fd_ = -1;
  bool writeFailed_ = false;
  int openErrorCode_ = 0;
};

/// Creates or replaces `path` with `size` bytes from `data` through a ReplacingFileWriter.
FileWriteStatus writeWholeFile(const std::string& path, const void* data, std::size_t size,
                               int& openErrorCode);

}  // namespace vistrel
