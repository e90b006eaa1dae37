// File access: errno to message codes, only regular files read, and saves that keep what the
// file is and never leave a half-written replacement.
#include "platform/files.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
#include <vector>

#include "temp_folder.h"

namespace vistrel {
namespace {

namespace fs = std::filesystem;

using Files = testing::TempFolderTest;

constexpr int kCannotSetUp = 77;

/// Runs `body` in a forked child and returns its exit status, -1 when it did not exit: a child
/// that blocks is ended by the alarm rather than hanging the tests.
int inChild(const std::function<int()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    ::alarm(10);
    ::_exit(body());
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

/// As inChild, as the user 'nobody' when the tests run as root, so permissions apply.
int asOrdinaryUser(const std::function<int()>& body) {
  return inChild([&] {
    if (::geteuid() != 0) return body();
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr || ::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
        ::setuid(nobody->pw_uid) != 0) {
      return kCannotSetUp;
    }
    return body();
  });
}

/// A save's status and code in one number that fits an exit status.
int save(const std::string& path, const std::string& text) {
  int code = 0;
  return static_cast<int>(writeWholeFile(path, text.data(), text.size(), code)) * 100 + code;
}
constexpr int kSaved = 0;
constexpr int kAccessDenied = static_cast<int>(FileWriteStatus::CreateFailed) * 100 + 5;

TEST_F(Files, ErrnoMapsToTheFileOpenTable) {
  EXPECT_EQ(fileOpenErrorCode(ENOENT, path("absent")), 2);
  EXPECT_EQ(fileOpenErrorCode(ENOENT, path("no/such/absent")), 3);
  EXPECT_EQ(fileOpenErrorCode(ENOTDIR, path("x")), 3);
  EXPECT_EQ(fileOpenErrorCode(EMFILE, path("x")), 4);
  EXPECT_EQ(fileOpenErrorCode(ENFILE, path("x")), 4);
  EXPECT_EQ(fileOpenErrorCode(EACCES, path("x")), 5);
  EXPECT_EQ(fileOpenErrorCode(EPERM, path("x")), 5);
  EXPECT_EQ(fileOpenErrorCode(ENOMEM, path("x")), 8);
  EXPECT_EQ(fileOpenErrorCode(EROFS, path("x")), 19);
  EXPECT_EQ(fileOpenErrorCode(EIO, path("x")), 0);
  EXPECT_STREQ(fileOpenErrorText(3), "Path not found");
  EXPECT_STREQ(fileOpenErrorText(19), "Disk is write-protected");
  EXPECT_STREQ(fileOpenErrorText(59), "Unexpected network error");
  EXPECT_EQ(fileOpenErrorText(0), nullptr);
  EXPECT_EQ(fileOpenErrorText(7), nullptr);
}

TEST_F(Files, ReadWholeFile) {
  put(path("a"), "ABIF data");
  Block image;
  EXPECT_EQ(readWholeFile(path("a"), image).status, FileReadStatus::Ok);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(image.data()), image.size()), "ABIF data");
  fs::create_symlink(path("a"), path("link"));
  EXPECT_EQ(readWholeFile(path("link"), image).status, FileReadStatus::Ok);
  put(path("empty"), "");
  EXPECT_EQ(readWholeFile(path("empty"), image).status, FileReadStatus::ReadFailed);
  FileReadResult missing = readWholeFile(path("absent"), image);
  EXPECT_EQ(missing.status, FileReadStatus::OpenFailed);
  EXPECT_EQ(missing.openErrorCode, 2);
  ScopedAllocationLimit limit(4);
  EXPECT_EQ(readWholeFile(path("a"), image).status, FileReadStatus::NoMemory);
}

TEST_F(Files, OnlyRegularFilesAreOpenedForReading) {
  ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
  for (const std::string& name : {path("pipe"), folder_.string(), std::string("/dev/null")}) {
    InputFile file;
    EXPECT_EQ(inChild([&] { return file.open(name) ? 100 : file.openErrorCode(); }), 5) << name;
  }
}

TEST_F(Files, SavesNeverReplaceWhatIsNotARegularFile) {
  ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
  fs::create_symlink(path("pipe"), path("link"));
  std::vector<std::string> targets{path("pipe"), path("link")};
  // A twin of /dev/null, so that a fault cannot replace the real one; only root may make it.
  if (::mknod(path("null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0) {
    targets.push_back(path("null"));
  }
  for (const std::string& target : targets) {
    EXPECT_EQ(inChild([&] { return save(target, "x"); }), kAccessDenied) << target;
  }
  EXPECT_TRUE(fs::is_fifo(fs::symlink_status(path("pipe"))));
  EXPECT_TRUE(fs::is_symlink(path("link")));
  if (targets.size() == 3) {
    EXPECT_TRUE(fs::is_character_file(fs::symlink_status(path("null"))));
  }
  EXPECT_EQ(entries(), targets.size());
}

TEST_F(Files, CommitReplacesTheTargetKeepingModeOwnerAndGroup) {
  put(path("t"), "old");
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(path("t").c_str(), 1234, 5678), 0);
  }
  ::chmod(path("t").c_str(), 06750);  // after chown, which clears the set-ID bits
  struct stat before {};
  ::stat(path("t").c_str(), &before);
  ReplacingFileWriter writer;
  ASSERT_TRUE(writer.create(path("t")));
  ASSERT_TRUE(writer.write("new contents", 12));
  EXPECT_EQ(contents(path("t")), "old");  // nothing changes before the commit
  ASSERT_TRUE(writer.commit());
  EXPECT_EQ(contents(path("t")), "new contents");
  struct stat after {};
  ::stat(path("t").c_str(), &after);
  EXPECT_EQ(after.st_mode & 07777, 06750u);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  EXPECT_EQ(entries(), 1u);
}

TEST_F(Files, AnAbandonedWriteLeavesTargetAndFolderAsTheyWere) {
  put(path("t"), "the only copy");
  {
    ReplacingFileWriter writer;
    ASSERT_TRUE(writer.create(path("t")));
    ASSERT_TRUE(writer.write("partial", 7));
  }
  EXPECT_EQ(contents(path("t")), "the only copy");
  EXPECT_EQ(entries(), 1u);
  // Written in place (a second name), the target is emptied only by the first write.
  fs::create_hard_link(path("t"), path("other name"));
  {
    ReplacingFileWriter writer;
    ASSERT_TRUE(writer.create(path("t")));
  }
  EXPECT_EQ(contents(path("t")), "the only copy");
}

TEST_F(Files, AFailingWriteLeavesTheTargetUntouched) {
  // A file size limit makes the write fail half-way, as a full disk would.
  put(path("t"), "the only copy");
  put(path("linked"), "");  // a second name: written in place, and left part-written
  fs::create_hard_link(path("linked"), path("other name"));
  std::string big(64 * 1024, 'x');
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  int replaced = save(path("t"), big);
  int inPlace = save(path("linked"), big);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  const int writeFailed = static_cast<int>(FileWriteStatus::WriteFailed) * 100;
  EXPECT_EQ(replaced, writeFailed);
  EXPECT_EQ(inPlace, writeFailed);
  EXPECT_EQ(contents(path("t")), "the only copy");
  EXPECT_EQ(entries(), 3u);
}

TEST_F(Files, CreateFailuresReportTheirCode) {
  int code = 0;
  EXPECT_EQ(writeWholeFile(path("no/such/folder/t"), "x", 1, code), FileWriteStatus::CreateFailed);
  EXPECT_EQ(code, 3);
  EXPECT_EQ(save(folder_.string(), "x"), kAccessDenied);
  fs::create_symlink("loop", path("loop"));
  EXPECT_EQ(save(path("loop"), "x"), static_cast<int>(FileWriteStatus::CreateFailed) * 100);
  EXPECT_TRUE(fs::is_symlink(path("loop")));
}

TEST_F(Files, ReadOnlyTargetIsNotReplaced) {
  put(path("t"), "protected");
  ::chmod(path("t").c_str(), 0444);
  ::chmod(folder_.c_str(), 0777);
  EXPECT_EQ(asOrdinaryUser([&] { return save(path("t"), "x"); }), kAccessDenied);
  EXPECT_EQ(contents(path("t")), "protected");
  EXPECT_EQ(entries(), 1u);
}

TEST_F(Files, SavingThroughLinksWritesWhereTheyPointAndKeepsThem) {
  put(path("real"), "old");
  fs::create_symlink(path("real"), path("link"));
  // A dangling chain of relative links, each relative to its own folder.
  fs::create_directory(path("sub"));
  fs::create_symlink("sub/hop", path("dangling"));
  fs::create_symlink("new", path("sub/hop"));
  ASSERT_EQ(save(path("link"), "new"), kSaved);
  ASSERT_EQ(save(path("dangling"), "made"), kSaved);
  EXPECT_EQ(contents(path("real")), "new");
  EXPECT_EQ(contents(path("sub/new")), "made");
  for (const char* link : {"link", "dangling", "sub/hop"}) EXPECT_TRUE(fs::is_symlink(path(link)));
}

TEST_F(Files, WritesInPlaceWhereNoReplacementCouldBeTheSameFile) {
  struct Case {
    const char* name;
    mode_t folderMode;
    bool secondName;
    bool othersFile;  // root's file, writable by the ordinary user doing the save
  };
  const Case cases[] = {{"hard-linked", 0777, true, false},
                        {"read-only-folder", 0555, false, false},
                        {"others-file", 0777, false, true}};
  const passwd* nobody = ::getpwnam("nobody");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.othersFile && ::geteuid() != 0) continue;  // only root can make a file of another owner
    const std::string folder = path(c.name), target = folder + "/t";
    fs::create_directory(folder);
    put(target, "old");
    ::chmod(target.c_str(), 0666);
    // Otherwise the file is the saver's own, so that only the case's reason keeps it in place.
    if (!c.othersFile && ::geteuid() == 0 && nobody != nullptr) {
      ASSERT_EQ(::chown(target.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    }
    if (c.secondName) fs::create_hard_link(target, folder + "/u");
    ::chmod(folder.c_str(), c.folderMode);
    struct stat before {};
    ::stat(target.c_str(), &before);
    int result = asOrdinaryUser([&] { return save(target, "new"); });
    ::chmod(folder.c_str(), 0755);
    if (result == kCannotSetUp) GTEST_SKIP() << "cannot act as the user 'nobody'";
    EXPECT_EQ(result, kSaved);
    struct stat after {};
    ::stat(target.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(contents(target), "new");
    if (c.secondName) {
      EXPECT_EQ(contents(folder + "/u"), "new");
    }
    auto names = fs::directory_iterator(folder);
    EXPECT_EQ(std::distance(names, fs::directory_iterator()), c.secondName ? 2 : 1);
  }
}

TEST_F(Files, AFullDiskLeavesTheTargetUntouched) {
  // A 64 KiB file system of our own, mounted where no one else sees it.
  const std::string disk = path("disk");
  fs::create_directory(disk);
  enum { kFine, kSaveDidNotFail, kTargetChanged, kLeftBehind };
  int result = inChild([&]() -> int {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0) {
      return kCannotSetUp;
    }
    put(disk + "/t", "the only copy");
    put(disk + "/filler", std::string(48 * 1024, 'f'));
    if (save(disk + "/t", std::string(32 * 1024, 'x')) / 100 !=
        static_cast<int>(FileWriteStatus::WriteFailed)) {
      return kSaveDidNotFail;
    }
    if (contents(disk + "/t") != "the only copy") return kTargetChanged;
    auto names = fs::directory_iterator(disk);
    return std::distance(names, fs::directory_iterator()) == 2 ? kFine : kLeftBehind;
  });
  if (result == kCannotSetUp) GTEST_SKIP() << "mounting a file system is not permitted here";
  EXPECT_EQ(result, kFine) << "1: the save did not fail, 2: target changed, 3: file left behind";
}

}  // namespace
}  // namespace vistrel
