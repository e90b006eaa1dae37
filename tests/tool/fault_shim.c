/* A preloaded library that makes vistrel-trace meet faults a test cannot arrange otherwise:
 *   VISTREL_SHIM_NO_FALLOCATE=1        the file system reserves no space (NFSv3, sshfs);
 *   VISTREL_SHIM_FOLDER_OPEN_ERRNO=N   opening a folder fails with errno N (24: EMFILE);
 *   VISTREL_SHIM_SIGNAL=S, VISTREL_SHIM_SIGNAL_AT_WRITE=N
 *                                      signal S reaches the process at the Nth write into a
 *                                      temporary file of a save, while that file is written.
 * Build: cc -shared -fPIC -o fault_shim.so fault_shim.c -ldl */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

static int setting(const char* name) {
  const char* value = getenv(name);
  return value == NULL ? 0 : atoi(value);
}

int fallocate(int fd, int mode, off_t offset, off_t length) {
  if (setting("VISTREL_SHIM_NO_FALLOCATE")) {
    errno = EOPNOTSUPP;
    return -1;
  }
  int (*real)(int, int, off_t, off_t) = dlsym(RTLD_NEXT, "fallocate");
  return real(fd, mode, offset, length);
}

int fallocate64(int fd, int mode, off_t offset, off_t length) {
  return fallocate(fd, mode, offset, length);
}

int posix_fallocate(int fd, off_t offset, off_t length) {
  if (setting("VISTREL_SHIM_NO_FALLOCATE")) return EOPNOTSUPP;
  int (*real)(int, off_t, off_t) = dlsym(RTLD_NEXT, "posix_fallocate");
  return real(fd, offset, length);
}

int posix_fallocate64(int fd, off_t offset, off_t length) {
  return posix_fallocate(fd, offset, length);
}

static int openWith(const char* symbol, const char* path, int flags, va_list rest) {
  mode_t mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? va_arg(rest, mode_t) : 0;
  int folderErrno = setting("VISTREL_SHIM_FOLDER_OPEN_ERRNO");
  if (folderErrno != 0 && (flags & O_DIRECTORY) != 0) {
    errno = folderErrno;
    return -1;
  }
  int (*real)(const char*, int, ...) = dlsym(RTLD_NEXT, symbol);
  return real(path, flags, mode);
}

int open(const char* path, int flags, ...) {
  va_list rest;
  va_start(rest, flags);
  int fd = openWith("open", path, flags, rest);
  va_end(rest);
  return fd;
}

int open64(const char* path, int flags, ...) {
  va_list rest;
  va_start(rest, flags);
  int fd = openWith("open64", path, flags, rest);
  va_end(rest);
  return fd;
}

static atomic_int temporaryWrites;

static int isTemporary(int fd) {
  char link[64], target[4096];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  ssize_t n = readlink(link, target, sizeof target - 1);
  if (n < 0) return 0;
  target[n] = 0;
  return strstr(target, "/.vistrel-") != NULL;
}

ssize_t pwrite(int fd, const void* data, size_t size, off_t offset) {
  int at = setting("VISTREL_SHIM_SIGNAL_AT_WRITE");
  if (at > 0 && isTemporary(fd) && atomic_fetch_add(&temporaryWrites, 1) + 1 == at) {
    kill(getpid(), setting("VISTREL_SHIM_SIGNAL"));
    /* The file stays half written until the signal is taken, however late its thread runs. */
    sleep(10);
  }
  ssize_t (*real)(int, const void*, size_t, off_t) = dlsym(RTLD_NEXT, "pwrite");
  return real(fd, data, size, offset);
}

ssize_t pwrite64(int fd, const void* data, size_t size, off_t offset) {
  return pwrite(fd, data, size, offset);
}
