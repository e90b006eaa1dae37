// POSIX file access for the core: whole-file reads of regular files only, and saves that keep
// the saved file what it was (its links, owner, group and mode) and never leave half a copy.
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

// As deep as the kernel itself follows links.
constexpr int kMaxLinkDepth = 40;

/// Follows a chain of symbolic links to the file it finally names, which need not exist yet:
/// a save through a dangling link creates that file and keeps the link (realpath would fail on
/// it). Returns 0 or an errno value.
int resolveLinks(const std::string& path, std::string& resolved) {
  resolved = path;
  for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
    struct stat st {};
    if (::lstat(resolved.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return 0;
    char text[PATH_MAX];
    ssize_t n = ::readlink(resolved.c_str(), text, sizeof text);
    if (n < 0) return errno;
    if (static_cast<std::size_t>(n) == sizeof text) return ENAMETOOLONG;
    std::string next(text, static_cast<std::size_t>(n));
    // A relative link is relative to the folder holding the link.
    resolved = next.starts_with('/') ? next : parentFolder(resolved) + "/" + next;
  }
  return ELOOP;
}

/// Opens `path` with `flags` only if it is a regular file; anything else is refused with EACCES
/// before it is opened, as opening a pipe blocks and opening a device may act on it. O_NONBLOCK
/// (cleared again once the file is known to be regular) and the second look through the
/// descriptor cover a file swapped in between. Returns 0 or an errno value.
int openRegularFile(const std::string& path, int flags, int& fd) {
  fd = -1;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return errno;
  if (!S_ISREG(st.st_mode)) return EACCES;
  int opened = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (opened < 0) return errno;
  if (::fstat(opened, &st) != 0 || !S_ISREG(st.st_mode) || ::fcntl(opened, F_SETFL, 0) != 0) {
    ::close(opened);
    return EACCES;
  }
  fd = opened;
  return 0;
}

mode_t defaultFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

/// Makes a new file stand in for `target` (nullptr: a file that does not exist yet). A
/// replacement with another owner, group or mode would quietly change who may use the file, so
/// the result is checked rather than predicted: a user may only give groups of their own, and
/// the kernel may drop the set-ID bits without an error.
bool giveIdentity(int fd, const struct stat* target) {
  if (target == nullptr) return ::fchmod(fd, defaultFileMode()) == 0;
  struct stat st {};
  if (::fstat(fd, &st) != 0) return false;
  if ((st.st_uid != target->st_uid || st.st_gid != target->st_gid) &&
      ::fchown(fd, target->st_uid, target->st_gid) != 0) {
    return false;
  }
  // After the owner, since changing the owner clears the set-ID bits.
  mode_t mode = target->st_mode & 07777;
  return ::fchmod(fd, mode) == 0 && ::fstat(fd, &st) == 0 && st.st_uid == target->st_uid &&
         st.st_gid == target->st_gid && (st.st_mode & 07777) == mode;
}

/// A rename survives a crash only once its folder is on disk too. A folder we may not read
/// cannot be opened to flush it, and some file systems cannot flush folders; neither makes the
/// save fail.
bool syncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return true;
  bool ok = ::fsync(fd) == 0 || errno == EINVAL;
  ::close(fd);
  return ok;
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
  int error = openRegularFile(path, O_RDONLY, fd_);
  openErrorCode_ = error != 0 ? fileOpenErrorCode(error, path) : 0;
  return error == 0;
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
  truncatePending_ = false;
  writeFailed_ = false;
  // Opening the target is the test that it may be written; a target not there yet is no fault.
  int error = resolveLinks(targetPath, targetPath_);
  if (error == 0) error = openRegularFile(targetPath_, O_WRONLY, fd_);
  if (error == ENOENT) error = 0;
  if (error == 0) error = startWriting();
  if (error == 0) return true;
  discard();
  openErrorCode_ = fileOpenErrorCode(error, targetPath_);
  return false;
}

/// Chooses where the data goes: a temporary file that will replace the target, or, where no
/// replacement could be the same file, the target itself (`fd_`, open when the target exists).
/// Returns 0 or an errno value.
int ReplacingFileWriter::startWriting() {
  struct stat target {};
  if (fd_ >= 0 && ::fstat(fd_, &target) != 0) return errno;
  const struct stat* existing = fd_ >= 0 ? &target : nullptr;
  // Replacing one name of several would leave the others with the old content.
  if (existing != nullptr && target.st_nlink > 1) return writeInPlace();
  std::string pattern = parentFolder(targetPath_) + "/.vistrel-XXXXXX";
  int temp = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (temp < 0) {
    int error = errno;
    // A folder that takes no new files may still hold a file we may write.
    bool inPlace = existing != nullptr && (error == EACCES || error == EPERM);
    return inPlace ? writeInPlace() : error;
  }
  if (!giveIdentity(temp, existing)) {
    int error = errno;
    ::close(temp);
    ::unlink(pattern.c_str());
    // Only the file itself can keep an owner or group that we may not give.
    return existing != nullptr ? writeInPlace() : error;
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = temp;
  tempPath_ = pattern;
  return 0;
}

/// The target's own descriptor is kept; it is emptied only at the first write, so that a save
/// abandoned before writing leaves it as it was.
int ReplacingFileWriter::writeInPlace() {
  truncatePending_ = true;
  return 0;
}

bool ReplacingFileWriter::truncateIfPending() {
  if (!truncatePending_) return true;
  truncatePending_ = false;
  return ::ftruncate(fd_, 0) == 0;
}

bool ReplacingFileWriter::write(const void* data, std::size_t size) {
  if (fd_ < 0 || writeFailed_) return false;
  writeFailed_ =
      !truncateIfPending() || !writeAll(fd_, static_cast<const std::uint8_t*>(data), size);
  return !writeFailed_;
}

bool ReplacingFileWriter::commit() {
  if (fd_ < 0) return false;
  bool ok = !writeFailed_ && truncateIfPending() && ::fsync(fd_) == 0;
  ok = ::close(fd_) == 0 && ok;
  fd_ = -1;
  if (tempPath_.empty()) return ok;  // written in place
  if (ok) return replaceTarget();
  discard();
  return false;
}

bool ReplacingFileWriter::replaceTarget() {
  if (::rename(tempPath_.c_str(), targetPath_.c_str()) != 0) {
    discard();
    return false;
  }
  tempPath_.clear();
  return syncFolder(parentFolder(targetPath_));
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
