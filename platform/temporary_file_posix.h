// The steps that the POSIX output and scratch files share, for their files only:
// a file without a name in a folder (O_TMPFILE), the errors by which a system
// or file system says it has none, a new file under a fresh random name where
// there is none, and the hold (an flock) that keeps the removal of leftovers
// (leftover_temporaries.h) off a file while it is written.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>

#include "platform/temporary_name.h"

namespace ranta2kv {

// A new file with no name in folder, opened with access (O_WRONLY or O_RDWR), or
// -1 with errno.
inline int OpenNameless(const std::filesystem::path& folder, int access, mode_t mode) {
#ifdef O_TMPFILE
  return ::open(folder.empty() ? "." : folder.c_str(), access | O_TMPFILE | O_CLOEXEC, mode);
#else
  (void)folder, (void)access, (void)mode;
  errno = EOPNOTSUPP;
  return -1;
#endif
}

// The errors by which an O_TMPFILE open says that the system or the file system
// (some network and FUSE mounts, old kernels) makes no file without a name.
inline bool NamelessRefused(int error) { return error == EOPNOTSUPP || error == EISDIR || error == EINVAL; }

// Takes the hold on the open file fd. False only when another open of the file
// holds it: the removal of leftovers, which removes that file. A file system
// without locks leaves the file unheld, and the removal leaves it alone.
inline bool HoldWhileWritten(int fd) { return ::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK; }

// A new file under a fresh random name beside `beside` (O_EXCL, tried again while
// the name is taken), opened with access and mode; keep(fd, name) may refuse it,
// and the file is closed then and another name tried. The fd with its name, or
// -1 with errno (EEXIST when every name tried was taken or refused).
template <typename Keep>
int CreateUnderFreshName(const std::filesystem::path& beside, int access, mode_t mode, std::filesystem::path& name,
                         Keep keep) {
  std::random_device random;
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    std::filesystem::path tried = TemporaryNameBeside(beside, random);
    const int fd = ::open(tried.c_str(), access | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return -1;
    }
    if (keep(fd, tried)) {
      name = std::move(tried);
      return fd;
    }
    ::close(fd);
  }
  errno = EEXIST;
  return -1;
}

}  // namespace ranta2kv
