#include "platform/headless/host_file_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>

namespace torvane::platform {

std::unique_ptr<HostFileSource> HostFileSource::open(const std::string& path, std::string* error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (error) *error = "cannot open " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  struct stat st {};
  // A directory opens fine on POSIX but every read fails; a FIFO has no size. Neither is
  // a picture, so say so now rather than decode an "empty file".
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (error) *error = "not a regular file: " + path;
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<HostFileSource>(
      new HostFileSource(fd, static_cast<std::uint64_t>(st.st_size)));
}

HostFileSource::~HostFileSource() {
  ::close(fd_);
}

std::size_t HostFileSource::read_at(std::uint64_t offset, std::span<std::uint8_t> out) {
  std::size_t done = 0;
  // pread may return less than asked for (signals, huge requests); keep going until the
  // end of the file or an error.
  while (done < out.size()) {
    const std::uint64_t pos = offset + done;
    if (pos < offset || pos > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) break;
    const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(pos));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

}  // namespace torvane::platform
