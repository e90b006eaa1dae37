// File access: errno to message codes, only regular files read, and saves that keep what the
// file is and never leave a half-written replacement.
#include "platform/files.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "platform/paths.h"
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

constexpr const char* kAccessAcl = "system.posix_acl_access";
constexpr const char* kNoAttribute = "(none)";
constexpr const char* kLabel = "security.vistrel-test";

/// A POSIX ACL as the kernel stores it in an attribute: version 2, then one little-endian
/// {tag, permissions, id} per entry. The owner and 'user 1234' read and write, the owning group
/// and, in a default ACL, others read.
std::string aclGrantingUser1234(bool othersRead) {
  struct Entry {
    std::uint16_t tag, permissions;
    std::uint32_t id;
  };
  constexpr std::uint32_t kNoId = 0xFFFFFFFF;
  const Entry entries[] = {{0x01, 6, kNoId},  // the owner
                           {0x02, 6, 1234},   // user 1234
                           {0x04, 4, kNoId},  // the owning group
                           {0x10, 6, kNoId},  // the mask
                           {0x20, othersRead ? std::uint16_t{4} : std::uint16_t{0}, kNoId}};
  std::string bytes{'\x02', '\0', '\0', '\0'};
  for (const Entry& e : entries) {
    for (std::uint32_t v : {e.tag | std::uint32_t{e.permissions} << 16, e.id}) {
      for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>(v >> shift);
    }
  }
  return bytes;
}

std::string attribute(const std::string& file, const char* name) {
  char value[256];
  ssize_t n = ::getxattr(file.c_str(), name, value, sizeof value);
  return n < 0 ? kNoAttribute : std::string(value, static_cast<std::size_t>(n));
}

mode_t modeOf(const std::string& file) {
  struct stat st {};
  ::stat(file.c_str(), &st);
  return st.st_mode & 07777;
}

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

TEST(Paths, NameStemAndFolderOfAPath) {
  struct Case {
    const char* path;
    const char* name;
    const char* stem;
    const char* folder;
  };
  for (const Case& c : {Case{"run.ab1", "run.ab1", "run", "."}, Case{"/x.ab1", "x.ab1", "x", "/"},
                        Case{"a/b.c/.hidden", ".hidden", ".hidden", "a/b.c"},
                        Case{"plate/A01.tar.gz", "A01.tar.gz", "A01.tar", "plate"},
                        Case{"folder/", "", "", "folder"}}) {
    EXPECT_EQ(fileNameOf(c.path), c.name) << c.path;
    EXPECT_EQ(fileStemOf(c.path), c.stem) << c.path;
    EXPECT_EQ(parentFolderOf(c.path), c.folder) << c.path;
  }
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
  EXPECT_EQ(contents(path("t")), "old");  // nothing changes before the commit
  ASSERT_TRUE(writer.commit("new contents", 12));
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
  }
  EXPECT_EQ(contents(path("t")), "the only copy");
  EXPECT_EQ(entries(), 1u);
  // Written in place (a second name), the target is touched only by the commit.
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
    bool othersFile;         // root's file, writable by the ordinary user doing the save
    bool securityAttribute;  // one that only root may give, so no replacement could have it
  };
  const Case cases[] = {{"hard-linked", 0777, true, false, false},
                        {"read-only-folder", 0555, false, false, false},
                        {"others-file", 0777, false, true, false},
                        {"security-attribute", 0777, false, false, true}};
  const passwd* nobody = ::getpwnam("nobody");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Only root can make a file of another owner or give it a security attribute.
    if ((c.othersFile || c.securityAttribute) && ::geteuid() != 0) continue;
    const std::string folder = path(c.name), target = folder + "/t";
    fs::create_directory(folder);
    put(target, "old");
    ::chmod(target.c_str(), 0666);
    // Otherwise the file is the saver's own, so that only the case's reason keeps it in place.
    if (!c.othersFile && ::geteuid() == 0 && nobody != nullptr) {
      ASSERT_EQ(::chown(target.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    }
    if (c.secondName) fs::create_hard_link(target, folder + "/u");
    if (c.securityAttribute && ::setxattr(target.c_str(), kLabel, "x", 1, 0) != 0) continue;
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
    if (c.securityAttribute) {
      EXPECT_EQ(attribute(target, kLabel), "x");
    }
    auto names = fs::directory_iterator(folder);
    EXPECT_EQ(std::distance(names, fs::directory_iterator()), c.secondName ? 2 : 1);
  }
}

TEST_F(Files, AFullDiskLeavesTheTargetAsItWas) {
  // Each case on a 120 KiB file system of its own, mounted where no one else sees it, with room
  // for neither the new content beside the old nor the new content alone.
  struct Case {
    const char* name;
    bool secondName;
    bool readOnlyFolder;  // the ordinary user saves, so that the folder takes no new files
  };
  const Case cases[] = {
      {"replaced", false, false}, {"hard-linked", true, false}, {"read-only-folder", false, true}};
  const std::string disk = path("disk"), folder = disk + "/f", target = folder + "/t";
  const std::string old(10 * 1024, 'o');
  fs::create_directory(disk);
  enum { kFine, kSaveDidNotFail, kTargetChanged, kLeftBehind };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int result = inChild([&]() -> int {
      if (::unshare(CLONE_NEWNS) != 0 ||
          ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
          ::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=120k") != 0) {
        return kCannotSetUp;
      }
      fs::create_directory(folder);
      put(target, old);
      put(disk + "/filler", std::string(64 * 1024, 'f'));
      if (c.secondName) fs::create_hard_link(target, folder + "/u");
      ::chmod(target.c_str(), 0666);
      if (c.readOnlyFolder) ::chmod(folder.c_str(), 0555);
      const std::string big(89 * 1024, 'x');
      int saved =
          c.readOnlyFolder ? asOrdinaryUser([&] { return save(target, big); }) : save(target, big);
      if (saved == kCannotSetUp) return kCannotSetUp;
      if (saved / 100 != static_cast<int>(FileWriteStatus::WriteFailed)) return kSaveDidNotFail;
      if (contents(target) != old) return kTargetChanged;
      auto names = fs::directory_iterator(folder);
      return std::distance(names, fs::directory_iterator()) == (c.secondName ? 2 : 1) ? kFine
                                                                                      : kLeftBehind;
    });
    if (result == kCannotSetUp) GTEST_SKIP() << "cannot mount a file system or act as 'nobody'";
    EXPECT_EQ(result, kFine) << "1: the save did not fail, 2: target changed, 3: file left behind";
  }
}

TEST_F(Files, ASaveKeepsExtendedAttributesAndAcls) {
  put(path("t"), "old");
  const std::string acl = aclGrantingUser1234(false);
  if (::setxattr(path("t").c_str(), kAccessAcl, acl.data(), acl.size(), 0) != 0 ||
      ::setxattr(path("t").c_str(), "user.origin", "lab 7", 5, 0) != 0) {
    GTEST_SKIP() << "the file system keeps no ACL or user attribute: " << std::strerror(errno);
  }
  const mode_t mode = modeOf(path("t"));
  ASSERT_EQ(save(path("t"), "new"), kSaved);
  EXPECT_EQ(contents(path("t")), "new");
  EXPECT_EQ(attribute(path("t"), kAccessAcl), acl);
  EXPECT_EQ(attribute(path("t"), "user.origin"), "lab 7");
  EXPECT_EQ(modeOf(path("t")), mode);
  EXPECT_EQ(entries(), 1u);
}

TEST_F(Files, NewFilesGetWhatAPlainCreateGivesAndOldFilesKeepWhatTheyHad) {
  // With a default ACL the kernel ignores the umask and derives the mode from the ACL.
  fs::create_directory(path("plain"));
  fs::create_directory(path("acl"));
  put(path("acl/old"), "old");  // made before the folder had its default ACL
  ::chmod(path("acl/old").c_str(), 0644);
  const std::string acl = aclGrantingUser1234(true);
  if (::setxattr(path("acl").c_str(), "system.posix_acl_default", acl.data(), acl.size(), 0) != 0) {
    GTEST_SKIP() << "the file system keeps no default ACL: " << std::strerror(errno);
  }
  const mode_t previousMask = ::umask(027);
  for (const std::string& folder : {path("plain"), path("acl")}) {
    SCOPED_TRACE(folder);
    ::close(::open((folder + "/created").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0666));
    EXPECT_EQ(save(folder + "/saved", "new"), kSaved);
    EXPECT_EQ(modeOf(folder + "/saved"), modeOf(folder + "/created"));
    EXPECT_EQ(attribute(folder + "/saved", kAccessAcl), attribute(folder + "/created", kAccessAcl));
  }
  ::umask(previousMask);
  ASSERT_EQ(save(path("acl/old"), "new"), kSaved);
  EXPECT_EQ(attribute(path("acl/old"), kAccessAcl), kNoAttribute);
  EXPECT_EQ(modeOf(path("acl/old")), 0644u);
}

TEST_F(Files, AnAbandonedBatchRemovesItsTemporariesAndWritesNoMore) {
  put(path("kept"), "old");
  BatchWrites batch;
  ReplacingFileWriter replacing, later;
  ASSERT_TRUE(replacing.create(path("kept"), &batch));
  ASSERT_TRUE(later.create(path("new"), &batch));
  ASSERT_EQ(entries(), 3u);  // the target and two temporaries
  batch.abandon();
  EXPECT_EQ(entries(), 1u);
  EXPECT_FALSE(replacing.commit("new", 3));
  EXPECT_FALSE(later.commit("new", 3));
  ReplacingFileWriter afterwards;
  EXPECT_FALSE(afterwards.create(path("other"), &batch));
  EXPECT_EQ(contents(path("kept")), "old");
  EXPECT_EQ(entries(), 1u);
}

/// The umask as the kernel holds it, read without changing it.
mode_t currentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("Umask:")) {
      return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    }
  }
  return 07777;
}

TEST_F(Files, SavingNeverChangesTheUmaskOtherThreadsCreateFilesWith) {
  const mode_t mask = currentUmask();
  ASSERT_NE(mask, 07777u) << "no umask in /proc/self/status";
  constexpr int kSaves = 2000;
  std::atomic<bool> done{false};
  int created = 0;
  std::thread saver([&] {
    for (ReplacingFileWriter writer; created < kSaves && writer.create(path("new")); ++created) {
      // A new file: only its temporary file is made, and removed by the next create.
    }
    done = true;
  });
  int seen = 0, changed = 0;
  for (; !done; ++seen) changed += currentUmask() != mask;
  saver.join();
  EXPECT_EQ(created, kSaves);
  EXPECT_EQ(changed, 0) << "of " << seen << " looks";
}

}  // namespace
}  // namespace vistrel
