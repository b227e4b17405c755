#include "process/standard_output.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace varnel {
namespace {

int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written >= 0) {
      bytes.remove_prefix(static_cast<std::size_t>(written));
    } else if (errno == EAGAIN) {  // a descriptor left non-blocking by whoever started us
      pollfd out{fd, POLLOUT, 0};
      poll(&out, 1, -1);
    } else if (errno != EINTR) {
      return errno;
    }
  }
  return 0;
}

}  // namespace

int WriteStandardOutput(std::string_view bytes) { return WriteAll(STDOUT_FILENO, bytes); }

int WriteStandardError(std::string_view bytes) { return WriteAll(STDERR_FILENO, bytes); }

void SayOnStandardError(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

}  // namespace varnel
