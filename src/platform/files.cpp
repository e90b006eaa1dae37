// POSIX file access for the core: whole-file reads and writes that replace their target only
// once complete.
#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace vistrel {

namespace {

std::string parentFolder(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool isFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string resolvedTarget(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char resolved[PATH_MAX];
  // Replace what a symbolic link points at, not the link itself.
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

mode_t defaultFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

int fileOpenErrorCode(int errnoValue, const std::string& path) {
  switch (errnoValue) {
    case ENOENT:
      return isFolder(parentFolder(path)) ? 2 : 3;
    case ENOTDIR:
      return 3;
    case EMFILE:
    case ENFILE:
      return 4;
    case EACCES:
    case EPERM:
      return 5;
    case ENOMEM:
      return 8;
    case EROFS:
      return 19;
    default:
      return 0;
  }
}

const char* fileOpenErrorText(int code) {
  switch (code) {
    case 2:
      return "File not found";
    case 3:
      return "Path not found";
    case 4:
      return "Too many open files";
    case 5:
      return "Access denied";
    case 8:
      return "Insufficient memory";
    case 19:
      return "Disk is write-protected";
    case 26:
      return "Not an MS-DOS disk";
    case 53:
      return "Bad netpath";
    case 54:
      return "Network busy";
    case 58:
      return "Bad network response";
    case 59:
      return "Unexpected network error";
    default:
      return nullptr;
  }
}

InputFile::~InputFile() {
  close();
}

bool InputFile::open(const std::string& path) {
  close();
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) openErrorCode_ = fileOpenErrorCode(errno, path);
  return fd_ >= 0;
}

FileReadStatus InputFile::readAll(Block& image) {
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return FileReadStatus::ReadFailed;
  if (st.st_size <= 0) return FileReadStatus::ReadFailed;
  if (!image.allocate(static_cast<std::size_t>(st.st_size))) return FileReadStatus::NoMemory;
  std::size_t done = 0;
  while (done < image.size()) {
    ssize_t n = ::read(fd_, image.data() + done, image.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return FileReadStatus::ReadFailed;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  if (done == 0) return FileReadStatus::ReadFailed;
  // The file may have shrunk since fstat; keep only what was read.
  if (done < image.size()) image.resize(done);
  return FileReadStatus::Ok;
}

void InputFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

FileReadResult readWholeFile(const std::string& path, Block& image) {
  InputFile file;
  if (!file.open(path)) return {FileReadStatus::OpenFailed, file.openErrorCode()};
  return {file.readAll(image), 0};
}

ReplacingFileWriter::~ReplacingFileWriter() {
  discard();
}

bool ReplacingFileWriter::create(const std::string& targetPath) {
  discard();
  targetPath_ = resolvedTarget(targetPath);
  mode_t mode = defaultFileMode();
  struct stat st {};
  if (::stat(targetPath_.c_str(), &st) == 0) {
    // Renaming would replace a file the user may not write; refuse as opening it would.
    if (S_ISDIR(st.st_mode)) {
      openErrorCode_ = fileOpenErrorCode(EISDIR, targetPath_);
      return false;
    }
    if (::access(targetPath_.c_str(), W_OK) != 0) {
      openErrorCode_ = fileOpenErrorCode(errno, targetPath_);
      return false;
    }
    mode = st.st_mode & 07777;
  }
  std::string pattern = parentFolder(targetPath_) + "/.vistrel-XXXXXX";
  fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd_ < 0) {
    openErrorCode_ = fileOpenErrorCode(errno, targetPath_);
    return false;
  }
  tempPath_ = pattern;
  ::fchmod(fd_, mode);
  writeFailed_ = false;
  return true;
}

bool ReplacingFileWriter::write(const void* data, std::size_t size) {
  if (fd_ < 0 || writeFailed_) return false;
  writeFailed_ = !writeAll(fd_, static_cast<const std::uint8_t*>(data), size);
  return !writeFailed_;
}

bool ReplacingFileWriter::commit() {
  if (fd_ < 0) return false;
  bool ok = !writeFailed_ && ::fsync(fd_) == 0;
  ok = ::close(fd_) == 0 && ok;
  fd_ = -1;
  if (ok && ::rename(tempPath_.c_str(), targetPath_.c_str()) == 0) {
    tempPath_.clear();
    return true;
  }
  discard();
  return false;
}

void ReplacingFileWriter::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
  tempPath_.clear();
}

FileWriteStatus writeWholeFile(const std::string& path, const void* data, std::size_t size,
                               int& openErrorCode) {
  ReplacingFileWriter writer;
  if (!writer.create(path)) {
    openErrorCode = writer.openErrorCode();
    return FileWriteStatus::CreateFailed;
  }
  if (!writer.write(data, size) || !writer.commit()) return FileWriteStatus::WriteFailed;
  return FileWriteStatus::Ok;
}

}  // namespace vistrel
