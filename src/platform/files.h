// Whole-file reads and safe replacing writes, with errno turned into the program's file-open
// error codes so that every open or create failure shows the same texts.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <vector>

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

  /// Opens a regular file (or a link to one). On failure `openErrorCode()` tells why: anything
  /// else, a folder, a pipe or a device, gives 5 at once instead of blocking or failing later.
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

class BatchWrites;

/// Writes a file so that a save keeps what the file is. The data normally goes to a temporary
/// file in the target's folder, created as any new file is (the umask or the folder's default
/// ACL gives a new file its mode) and, when the target exists, given its owner, group, mode and
/// every extended attribute, its ACL among them; it is renamed over the target at commit. Until
/// then, and after any failure, the target is untouched, and the temporary file is removed. Where
/// no replacement could be the same file (the target has other hard links, its owner, group or
/// an attribute cannot be given to a new file, or its folder takes no new files) the target
/// itself is written in place at commit: the space it grows by is reserved first (or, where the
/// file system cannot reserve space, the growth is written and flushed first), so a full disk
/// leaves it as it was, then it is overwritten from the start and cut to the new size. Only a
/// failure after that (an I/O error, or a file system that copies on write) leaves it partly
/// written. Symbolic links, dangling ones too, are followed and stay links. Only regular files
/// are written.
class ReplacingFileWriter {
 public:
  ReplacingFileWriter() = default;
  ~ReplacingFileWriter();
  ReplacingFileWriter(const ReplacingFileWriter&) = delete;
  ReplacingFileWriter& operator=(const ReplacingFileWriter&) = delete;

  /// Checks that the target may be written and prepares where the data goes; nothing is written
  /// yet. On failure `openErrorCode()` tells why (5 for a target that is not a regular file).
  /// With a `batch`, the write belongs to it (see BatchWrites), which must outlive the writer.
  bool create(const std::string& targetPath, BatchWrites* batch = nullptr);
  /// Makes `size` bytes from `data` the target's whole content and flushes it to disk. False when
  /// any step failed; the target is then as it was, unless only the flush of its folder failed
  /// or writing in place failed after the space was reserved. One commit per create.
  bool commit(const void* data, std::size_t size);
  int openErrorCode() const { return openErrorCode_; }

 private:
  int startReplacement();
  bool replaceTarget(const std::uint8_t* data, std::size_t size);
  bool writeInPlace(const std::uint8_t* data, std::size_t size);
  void removeTempFile();
  void discard();

  std::string targetPath_;  ///< the file finally named, links followed
  std::string tempPath_;    ///< empty when writing in place
  int targetFd_ = -1;       ///< the existing target, open for writing
  int tempFd_ = -1;         ///< the replacement; -1 when writing in place
  int openErrorCode_ = 0;
  BatchWrites* batch_ = nullptr;
};

/// The writes of one batch, shared by its writers (from any thread). Each folder written into is
/// flushed once, by `flushFolders()`, rather than after every file, where the flush costs more
/// than the writing; each file is still written aside, flushed and renamed into place. The
/// temporary files being written are known, so that an interrupted batch can remove them.
class BatchWrites {
 public:
  BatchWrites() = default;
  BatchWrites(const BatchWrites&) = delete;
  BatchWrites& operator=(const BatchWrites&) = delete;

  struct FolderFailure {
    std::string folder;
    int errnoValue = 0;
  };

  /// Flushes every folder written into since the last call, each once; returns those that could
  /// not be opened or flushed, with the errno value that says why.
  std::vector<FolderFailure> flushFolders();

  /// For a batch that is being stopped: waits for a write in place under way to finish, removes
  /// every temporary file being written, and fails every later create, rename or write in place
  /// of the batch, so that nothing is left half made. Renamed outputs stay as they are.
  void abandon();

 private:
  friend class ReplacingFileWriter;

  /// Creates a temporary file in `folder` unless the batch was abandoned; 0 or an errno value.
  int createTemporary(const std::string& folder, int& fd, std::string& path);
  /// Renames the temporary `from` to `to` unless the batch was abandoned.
  bool renameTemporary(const std::string& from, const std::string& to);
  void removeTemporary(const std::string& path);
  bool beginInPlace();
  void endInPlace();
  void addFolder(const std::string& folder);

  std::mutex mutex_;
  std::condition_variable inPlaceDone_;
  std::set<std::string> folders_;
  std::set<std::string> temporaries_;
  int inPlaceWrites_ = 0;
  bool abandoned_ = false;
};

/// Creates or replaces `path` with `size` bytes from `data` through a ReplacingFileWriter, as a
/// write of `batch` when one is given.
FileWriteStatus writeWholeFile(const std::string& path, const void* data, std::size_t size,
                               int& openErrorCode, BatchWrites* batch = nullptr);

}  // namespace vistrel
