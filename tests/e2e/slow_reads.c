// A slow disk for chosen files, preloaded (LD_PRELOAD) into Wine's processes: Wine reads a
// file through the C library's read and pread, so the first read at the beginning of a chosen
// file, each time it is opened, waits here, the way a disk that has to wake up holds it.
// Built for the host, not for Windows.
//
//   TORVANE_SLOW_DIR  a folder holding
//     slow.txt        the names of the slow files, one a line (the name alone, any case);
//                     read at each such read, so a test may change it while programs run
//     slow.log        where "begin NAME" and "end NAME" are appended around each wait
//   TORVANE_SLOW_MS   how long a read waits, in milliseconds (default 6000)

#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <time.h>
#include <unistd.h>

// Reads of our own files must not come back here.
static __thread int inside;
// Open files that have waited once: Wine reads the start of a file twice for one ReadFile,
// and a disk wakes up only once.
enum { kMaxFd = 65536 };
static volatile char waited[kMaxFd];

static ssize_t raw_read(int fd, void* buffer, size_t count) {
  return syscall(SYS_read, fd, buffer, count);
}

static void append_log(const char* dir, const char* what, const char* name) {
  char path[4096], line[512];
  snprintf(path, sizeof path, "%s/slow.log", dir);
  const int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  const int n = snprintf(line, sizeof line, "%s %s\n", what, name);
  if (n > 0) (void)!write(fd, line, (size_t)n);
  close(fd);
}

// True when `name` is one of the lines of slow.txt.
static int listed(const char* dir, const char* name) {
  char path[4096], list[8192];
  snprintf(path, sizeof path, "%s/slow.txt", dir);
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  const ssize_t n = raw_read(fd, list, sizeof list - 1);
  close(fd);
  if (n <= 0) return 0;
  list[n] = '\0';
  for (char* line = strtok(list, "\r\n"); line; line = strtok(NULL, "\r\n"))
    if (strcasecmp(line, name) == 0) return 1;
  return 0;
}

// Waits when `fd` is a slow file, the read starts at its beginning and this opening of the
// file has not waited yet.
static void maybe_wait(int fd, off_t offset) {
  const char* dir = getenv("TORVANE_SLOW_DIR");
  if (offset != 0 || !dir || inside || fd < 0 || fd >= kMaxFd || waited[fd]) return;
  inside = 1;
  char link[64], target[4096];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t n = readlink(link, target, sizeof target - 1);
  if (n > 0) {
    target[n] = '\0';
    const char* slash = strrchr(target, '/');
    const char* name = slash ? slash + 1 : target;
    if (listed(dir, name)) {
      const char* ms_text = getenv("TORVANE_SLOW_MS");
      const long ms = ms_text ? atol(ms_text) : 6000;
      waited[fd] = 1;
      append_log(dir, "begin", name);
      struct timespec pause = {ms / 1000, (ms % 1000) * 1000000L};
      while (nanosleep(&pause, &pause) != 0) {
      }
      append_log(dir, "end", name);
    }
  }
  inside = 0;
}

#define NEXT(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

ssize_t read(int fd, void* buffer, size_t count) {
  maybe_wait(fd, lseek(fd, 0, SEEK_CUR));
  return NEXT(read)(fd, buffer, count);
}

ssize_t pread(int fd, void* buffer, size_t count, off_t offset) {
  maybe_wait(fd, offset);
  return NEXT(pread)(fd, buffer, count, offset);
}

ssize_t pread64(int fd, void* buffer, size_t count, off64_t offset) {
  maybe_wait(fd, (off_t)offset);
  return NEXT(pread64)(fd, buffer, count, offset);
}

ssize_t readv(int fd, const struct iovec* iov, int count) {
  maybe_wait(fd, lseek(fd, 0, SEEK_CUR));
  return NEXT(readv)(fd, iov, count);
}

ssize_t preadv(int fd, const struct iovec* iov, int count, off_t offset) {
  maybe_wait(fd, offset);
  return NEXT(preadv)(fd, iov, count, offset);
}

ssize_t preadv64(int fd, const struct iovec* iov, int count, off64_t offset) {
  maybe_wait(fd, (off_t)offset);
  return NEXT(preadv64)(fd, iov, count, offset);
}

int close(int fd) {
  if (fd >= 0 && fd < kMaxFd) waited[fd] = 0;
  return NEXT(close)(fd);
}
