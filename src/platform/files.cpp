// POSIX file access for the core: whole-file reads of regular files only, and saves that keep
// the saved file what it was (its links, owner, group, mode, ACL and extended attributes) and
// never leave half a copy.
#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <mutex>
#include <set>
#include <utility>

#include "platform/paths.h"

namespace vistrel {

namespace {

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
    resolved = next.starts_with('/') ? next : parentFolderOf(resolved) + "/" + next;
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

// How often a fresh random name is tried when the last one was taken.
constexpr int kNameAttempts = 100;

/// Ten letters or digits, random enough that another writer's name is almost never met.
std::string randomName() {
  std::uint64_t bits = 0;
  if (::getentropy(&bits, sizeof bits) != 0) {
    // Uniqueness, not secrecy, is what matters; a clash only costs another try. The address of
    // a local tells threads apart.
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    bits = static_cast<std::uint64_t>(now.tv_nsec) ^ static_cast<std::uint64_t>(now.tv_sec) << 30 ^
           static_cast<std::uint64_t>(::getpid()) << 20 ^ reinterpret_cast<std::uintptr_t>(&now);
  }
  static constexpr char kSymbols[] =
      "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  std::string name(10, '0');
  for (char& symbol : name) {
    symbol = kSymbols[bits % (sizeof kSymbols - 1)];
    bits /= sizeof kSymbols - 1;
  }
  return name;
}

/// Creates a new empty file under a random name in `folder` exactly as any new file is created,
/// so the kernel gives it the mode the umask or the folder's default ACL decides. Reading the
/// umask would mean setting it, for every thread of the program at once. Returns 0 or an errno
/// value.
int createTempFile(const std::string& folder, int& fd, std::string& path) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string candidate = folder + "/.vistrel-" + randomName();
    int created =
        ::open(candidate.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOCTTY, 0666);
    if (created >= 0) {
      fd = created;
      path = std::move(candidate);
      return 0;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

/// The names of the extended attributes of `fd`, each ending in a zero byte; none where the file
/// system keeps none.
bool listAttributes(int fd, Block& names) {
  names.release();
  ssize_t size = ::flistxattr(fd, nullptr, 0);
  if (size < 0) return errno == ENOTSUP;
  if (size == 0) return true;
  if (!names.allocate(static_cast<std::size_t>(size))) return false;
  // An attribute added in between makes the list too long for the block: ERANGE, a failure.
  size = ::flistxattr(fd, reinterpret_cast<char*>(names.data()), names.size());
  return size >= 0 && names.resize(static_cast<std::size_t>(size));
}

template <typename Visit>
bool everyName(const Block& names, Visit visit) {
  const char* name = reinterpret_cast<const char*>(names.data());
  const char* end = name + names.size();
  for (; name < end; name += std::strlen(name) + 1) {
    if (!visit(name)) return false;
  }
  return true;
}

bool listed(const Block& names, const char* wanted) {
  return !everyName(names, [&](const char* name) { return std::strcmp(name, wanted) != 0; });
}

/// Gives `to` the value `from` has for the attribute `name`, unless it has that value already,
/// as a new file's security label usually does, which only a privileged user may set.
bool copyAttribute(int from, int to, const char* name, Block& value, Block& present) {
  ssize_t size = ::fgetxattr(from, name, value.data(), value.size());
  if (size < 0) return false;
  ssize_t presentSize = ::fgetxattr(to, name, present.data(), present.size());
  auto length = static_cast<std::size_t>(size);
  bool same = presentSize == size && std::memcmp(value.data(), present.data(), length) == 0;
  return same || ::fsetxattr(to, name, value.data(), length, 0) == 0;
}

/// Gives `to` exactly the extended attributes of `from`, its POSIX ACL among them, and removes
/// any it got that `from` lacks, such as the ACL a new file takes from its folder's default ACL.
/// False when any cannot be given: an ordinary user may not set security attributes, say.
bool copyAttributes(int from, int to) {
  Block names, extra;
  if (!listAttributes(from, names) || !listAttributes(to, extra)) return false;
  Block value, present;
  if (!names.empty() && (!value.allocate(XATTR_SIZE_MAX) || !present.allocate(XATTR_SIZE_MAX))) {
    return false;
  }
  return everyName(
             names,
             [&](const char* name) { return copyAttribute(from, to, name, value, present); }) &&
         everyName(extra, [&](const char* name) {
           return listed(names, name) || ::fremovexattr(to, name) == 0;
         });
}

/// Makes the replacement `fd` stand in for the target open as `targetFd`. A replacement with
/// another owner, group, mode, ACL or attribute would quietly change who may use the file or
/// what it is, so the result is checked rather than predicted: a user may only give groups of
/// their own, and the kernel may drop the set-ID bits without an error.
bool giveIdentity(int fd, int targetFd) {
  struct stat target {};
  struct stat st {};
  if (::fstat(targetFd, &target) != 0 || ::fstat(fd, &st) != 0) return false;
  if ((st.st_uid != target.st_uid || st.st_gid != target.st_gid) &&
      ::fchown(fd, target.st_uid, target.st_gid) != 0) {
    return false;
  }
  // After the owner, since changing it drops file capabilities. Before the mode: setting an ACL
  // sets the mode's permission bits, and chmod sets the ACL mask from the group bits, which in
  // the target's mode are its mask.
  if (!copyAttributes(targetFd, fd)) return false;
  // Last, since changing the owner clears the set-ID bits.
  mode_t mode = target.st_mode & 07777;
  return ::fchmod(fd, mode) == 0 && ::fstat(fd, &st) == 0 && st.st_uid == target.st_uid &&
         st.st_gid == target.st_gid && (st.st_mode & 07777) == mode;
}

/// A rename survives a crash only once its folder is on disk too. A folder we may not read
/// cannot be opened to flush it, and some file systems cannot flush folders; neither is a fault.
/// Returns 0 or an errno value.
int syncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno == EACCES || errno == EPERM ? 0 : errno;
  int error = ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
  ::close(fd);
  return error;
}

/// Writes all of `data` at `offset`, over whatever is there.
bool writeAt(int fd, const std::uint8_t* data, std::size_t size, off_t offset) {
  while (size > 0) {
    ssize_t n = ::pwrite(fd, data, size, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    offset += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

/// Reserves the blocks from `offset` for `length` bytes; 0 or an errno value. Called directly
/// rather than through posix_fallocate, whose emulation on file systems without the call reads
/// every block (which a write-only descriptor refuses) and writes zeros into the old content.
int reserveBlocks([[maybe_unused]] int fd, [[maybe_unused]] off_t offset,
                  [[maybe_unused]] off_t length) {
#ifdef __linux__
  return ::fallocate(fd, 0, offset, length) == 0 ? 0 : errno;
#else
  return EOPNOTSUPP;
#endif
}

/// Makes sure the file has the blocks for the `size` bytes of `data` before any of its old bytes
/// is overwritten, so that a full disk fails the save with the old content whole. Only the
/// growth past the old end needs new blocks. Where the file system reserves none (NFSv3, sshfs,
/// older ZFS), the new bytes past the old end are written and flushed instead: that takes the
/// same blocks, and the flush is where a network file system reports a full disk.
bool reserveGrowth(int fd, const std::uint8_t* data, std::size_t size) {
  struct stat before {};
  if (::fstat(fd, &before) != 0) return false;
  const auto oldSize = static_cast<std::uint64_t>(before.st_size);
  if (size <= oldSize) return true;
  if (size > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) return false;
  const auto length = static_cast<off_t>(size - oldSize);
  if (reserveBlocks(fd, before.st_size, length) == 0) return true;
  if (writeAt(fd, data + oldSize, size - oldSize, before.st_size) && ::fdatasync(fd) == 0) {
    return true;
  }
  // A reservation that failed half-way may have lengthened the file: cut it back. Should that
  // fail too, the old bytes are still whole.
  struct stat after {};
  if (::fstat(fd, &after) == 0 && after.st_size > before.st_size) {
    [[maybe_unused]] int cut = ::ftruncate(fd, before.st_size);
  }
  return false;
}

}  // namespace

int fileOpenErrorCode(int errnoValue, const std::string& path) {
  switch (errnoValue) {
    case ENOENT:
      return isFolder(parentFolderOf(path)) ? 2 : 3;
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

bool ReplacingFileWriter::create(const std::string& targetPath, BatchWrites* batch) {
  discard();
  openErrorCode_ = 0;
  batch_ = batch;
  // Opening the target is the test that it may be written; a target not there yet is no fault.
  int error = resolveLinks(targetPath, targetPath_);
  if (error == 0) error = openRegularFile(targetPath_, O_WRONLY, targetFd_);
  if (error == ENOENT) error = 0;
  if (error == 0) error = startReplacement();
  if (error == 0) return true;
  discard();
  openErrorCode_ = fileOpenErrorCode(error, targetPath_);
  return false;
}

/// Prepares a temporary file to replace the target, unless no replacement could be the same
/// file; the target is then written in place. Returns 0 or an errno value.
int ReplacingFileWriter::startReplacement() {
  struct stat target {};
  if (targetFd_ >= 0 && ::fstat(targetFd_, &target) != 0) return errno;
  // Replacing one name of several would leave the others with the old content.
  if (targetFd_ >= 0 && target.st_nlink > 1) return 0;
  const std::string folder = parentFolderOf(targetPath_);
  int error = batch_ != nullptr ? batch_->createTemporary(folder, tempFd_, tempPath_)
                                : createTempFile(folder, tempFd_, tempPath_);
  if (error != 0) {
    // A folder that takes no new files may still hold a file we may write.
    bool inPlace = targetFd_ >= 0 && (error == EACCES || error == EPERM);
    return inPlace ? 0 : error;
  }
  // Only the file itself can keep an owner, group or attribute that we may not give. Given now
  // to choose the way early; given again once the data is written.
  if (targetFd_ >= 0 && !giveIdentity(tempFd_, targetFd_)) removeTempFile();
  return 0;
}

bool ReplacingFileWriter::commit(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  bool ok = tempFd_ >= 0 ? replaceTarget(bytes, size) : writeInPlace(bytes, size);
  discard();
  return ok;
}

bool ReplacingFileWriter::replaceTarget(const std::uint8_t* data, std::size_t size) {
  if (!writeAt(tempFd_, data, size, 0)) return false;
  // Writing may have dropped set-ID bits or file capabilities.
  if (targetFd_ >= 0 && !giveIdentity(tempFd_, targetFd_)) {
    removeTempFile();
    return writeInPlace(data, size);
  }
  bool flushed = ::fsync(tempFd_) == 0;
  if (::close(std::exchange(tempFd_, -1)) != 0 || !flushed) return false;
  const std::string folder = parentFolderOf(targetPath_);
  if (batch_ == nullptr) {
    if (::rename(tempPath_.c_str(), targetPath_.c_str()) != 0) return false;
    tempPath_.clear();
    return syncFolder(folder) == 0;
  }
  if (!batch_->renameTemporary(tempPath_, targetPath_)) return false;
  tempPath_.clear();
  batch_->addFolder(folder);
  return true;
}

/// Overwrites the target from its start and then cuts it to the new size; never emptied first,
/// which would free the space just reserved.
bool ReplacingFileWriter::writeInPlace(const std::uint8_t* data, std::size_t size) {
  if (targetFd_ < 0 || (batch_ != nullptr && !batch_->beginInPlace())) return false;
  const bool ok = reserveGrowth(targetFd_, data, size) && writeAt(targetFd_, data, size, 0) &&
                  ::ftruncate(targetFd_, static_cast<off_t>(size)) == 0 && ::fsync(targetFd_) == 0;
  if (batch_ != nullptr) batch_->endInPlace();
  return ok;
}

void ReplacingFileWriter::removeTempFile() {
  if (tempFd_ >= 0) ::close(tempFd_);
  tempFd_ = -1;
  if (!tempPath_.empty()) {
    if (batch_ != nullptr) {
      batch_->removeTemporary(tempPath_);
    } else {
      ::unlink(tempPath_.c_str());
    }
  }
  tempPath_.clear();
}

void ReplacingFileWriter::discard() {
  removeTempFile();
  if (targetFd_ >= 0) ::close(targetFd_);
  targetFd_ = -1;
}

FileWriteStatus writeWholeFile(const std::string& path, const void* data, std::size_t size,
                               int& openErrorCode, BatchWrites* batch) {
  ReplacingFileWriter writer;
  if (!writer.create(path, batch)) {
    openErrorCode = writer.openErrorCode();
    return FileWriteStatus::CreateFailed;
  }
  if (!writer.commit(data, size)) return FileWriteStatus::WriteFailed;
  return FileWriteStatus::Ok;
}

std::vector<BatchWrites::FolderFailure> BatchWrites::flushFolders() {
  std::set<std::string> folders;
  {
    std::lock_guard lock(mutex_);
    folders.swap(folders_);
  }
  std::vector<FolderFailure> failed;
  for (const std::string& folder : folders) {
    if (int error = syncFolder(folder); error != 0) failed.push_back({folder, error});
  }
  return failed;
}

void BatchWrites::abandon() {
  std::unique_lock lock(mutex_);
  abandoned_ = true;
  inPlaceDone_.wait(lock, [&] { return inPlaceWrites_ == 0; });
  for (const std::string& path : temporaries_) ::unlink(path.c_str());
  temporaries_.clear();
}

// Creating, renaming and removing happen under the lock, so that abandon() sees every temporary
// that exists and none appears or lands after it.
int BatchWrites::createTemporary(const std::string& folder, int& fd, std::string& path) {
  std::lock_guard lock(mutex_);
  if (abandoned_) return EINTR;
  const int error = createTempFile(folder, fd, path);
  if (error == 0) temporaries_.insert(path);
  return error;
}

bool BatchWrites::renameTemporary(const std::string& from, const std::string& to) {
  std::lock_guard lock(mutex_);
  if (abandoned_ || ::rename(from.c_str(), to.c_str()) != 0) return false;
  temporaries_.erase(from);
  return true;
}

void BatchWrites::removeTemporary(const std::string& path) {
  std::lock_guard lock(mutex_);
  ::unlink(path.c_str());
  temporaries_.erase(path);
}

bool BatchWrites::beginInPlace() {
  std::lock_guard lock(mutex_);
  if (abandoned_) return false;
  ++inPlaceWrites_;
  return true;
}

void BatchWrites::endInPlace() {
  std::lock_guard lock(mutex_);
  --inPlaceWrites_;
  inPlaceDone_.notify_all();
}

void BatchWrites::addFolder(const std::string& folder) {
  std::lock_guard lock(mutex_);
  folders_.insert(folder);
}

}  // namespace vistrel
