// File access: errno to message codes, and writes that never leave a half-written target.
#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>

#include "temp_folder.h"

namespace vistrel {
namespace {

namespace fs = std::filesystem;

using Files = testing::TempFolderTest;

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
  put(path("empty"), "");
  EXPECT_EQ(readWholeFile(path("empty"), image).status, FileReadStatus::ReadFailed);
  FileReadResult missing = readWholeFile(path("absent"), image);
  EXPECT_EQ(missing.status, FileReadStatus::OpenFailed);
  EXPECT_EQ(missing.openErrorCode, 2);
  ScopedAllocationLimit limit(4);
  EXPECT_EQ(readWholeFile(path("a"), image).status, FileReadStatus::NoMemory);
}

TEST_F(Files, CommitReplacesTheTargetAndKeepsItsMode) {
  put(path("t"), "old");
  ::chmod(path("t").c_str(), 0640);
  ReplacingFileWriter writer;
  ASSERT_TRUE(writer.create(path("t")));
  ASSERT_TRUE(writer.write("new contents", 12));
  EXPECT_EQ(contents(path("t")), "old");  // nothing changes before the commit
  ASSERT_TRUE(writer.commit());
  EXPECT_EQ(contents(path("t")), "new contents");
  struct stat st {};
  ::stat(path("t").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
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
}

TEST_F(Files, AFailingWriteLeavesTheTargetUntouched) {
  // A file size limit makes the write fail half-way, as a full disk would.
  put(path("t"), "the only copy");
  std::string big(64 * 1024, 'x');
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  int code = 0;
  FileWriteStatus status = writeWholeFile(path("t"), big.data(), big.size(), code);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(status, FileWriteStatus::WriteFailed);
  EXPECT_EQ(contents(path("t")), "the only copy");
  EXPECT_EQ(entries(), 1u);
}

TEST_F(Files, CreateFailuresReportTheirCode) {
  int code = 0;
  EXPECT_EQ(writeWholeFile(path("no/such/folder/t"), "x", 1, code), FileWriteStatus::CreateFailed);
  EXPECT_EQ(code, 3);
  code = 0;
  EXPECT_EQ(writeWholeFile(folder_.string(), "x", 1, code), FileWriteStatus::CreateFailed);
  EXPECT_EQ(code, 0);  // a folder: no code of the table applies
}

TEST_F(Files, ReadOnlyTargetIsNotReplaced) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
  put(path("t"), "protected");
  ::chmod(path("t").c_str(), 0444);
  int code = 0;
  EXPECT_EQ(writeWholeFile(path("t"), "x", 1, code), FileWriteStatus::CreateFailed);
  EXPECT_EQ(code, 5);
  EXPECT_EQ(contents(path("t")), "protected");
}

TEST_F(Files, WritingThroughALinkReplacesWhatItPointsAt) {
  put(path("real"), "old");
  fs::create_symlink(path("real"), path("link"));
  int code = 0;
  ASSERT_EQ(writeWholeFile(path("link"), "new", 3, code), FileWriteStatus::Ok);
  EXPECT_TRUE(fs::is_symlink(path("link")));
  EXPECT_EQ(contents(path("real")), "new");
}

}  // namespace
}  // namespace vistrel
