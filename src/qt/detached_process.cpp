// A detached start by a double fork: the child starts the program and ends at once, so no
// zombie is left, and a pipe that closes on exec tells whether the program could be started.
#include "qt/detached_process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <climits>

namespace vistrel {

namespace {

StartResult resultOf(int error) {
  switch (error) {
    case 0:
      return StartResult::Started;
    case ENOENT:
    case ENOTDIR:
      return StartResult::NotFound;
    case ENOMEM:
    case EAGAIN:
      return StartResult::NoMemory;
    default:
      return StartResult::Failed;
  }
}

/// In the forked child only calls that are safe after a fork are made.
[[noreturn]] void startAndLeave(const char* program, char* const* argv, int reportFd) {
  const pid_t grandchild = ::fork();
  if (grandchild == 0) {
    ::execv(program, argv);
    const int error = errno;
    (void)!::write(reportFd, &error, sizeof error);
    ::_exit(127);
  }
  if (grandchild < 0) {
    const int error = errno;
    (void)!::write(reportFd, &error, sizeof error);
  }
  ::_exit(0);
}

}  // namespace

StartResult startDetachedProcess(const std::string& program,
                                 const std::vector<std::string>& arguments) {
  std::vector<std::string> args{program};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return resultOf(errno);
  const pid_t child = ::fork();
  if (child == 0) startAndLeave(program.c_str(), argv.data(), report[1]);
  const int forkError = child < 0 ? errno : 0;
  ::close(report[1]);
  int error = forkError;
  if (child > 0) {
    // Nothing arrives when the program started: the pipe closed on exec.
    while (::read(report[0], &error, sizeof error) < 0 && errno == EINTR) {
    }
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  ::close(report[0]);
  return resultOf(error);
}

std::string ownExecutable() {
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path);
  if (n > 0 && static_cast<std::size_t>(n) < sizeof path) {
    return std::string(path, static_cast<std::size_t>(n));
  }
  return QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
}

}  // namespace vistrel
