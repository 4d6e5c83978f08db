// One write(2) of the POSIX output and scratch files, for their files only: an
// interrupted call is repeated, and a write that takes nothing (a full disk, or a
// fault that cut it to nothing) gives the code of a full disk.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>

namespace ranta2kv {

// Writes at most size bytes of data to fd, at least one when it gives 0;
// written tells how many. Gives 0 or errno.
inline int WriteSome(int fd, const char* data, std::size_t size, std::size_t& written) {
  written = 0;
  for (;;) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return ENOSPC;
    written = static_cast<std::size_t>(n);
    return 0;
  }
}

}  // namespace ranta2kv
