// The checker's calls into the operating system, all of them: POSIX.
#include "system_files.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

void prepare_process() {
  ::signal(SIGPIPE, SIG_IGN);
}

OpenedFile open_for_reading(const char* path) {
  for (;;) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd >= 0) return {fd, 0};
    if (errno != EINTR) return {-1, errno};
  }
}

std::ptrdiff_t read_file(int fd, char* into, std::size_t capacity) {
  for (;;) {
    const ssize_t got = ::read(fd, into, capacity);
    if (got >= 0 || errno != EINTR) return got;
  }
}

std::uint64_t regular_file_size(int fd) {
  struct stat status;
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) return 0;
  return static_cast<std::uint64_t>(status.st_size);
}

void close_file(int fd) {
  ::close(fd);
}

bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written >= 0) {
      bytes.remove_prefix(static_cast<std::size_t>(written));
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd ready{fd, POLLOUT, 0};
      ::poll(&ready, 1, -1);
    } else if (errno != EINTR) {
      return false;
    }
  }
  return true;
}
