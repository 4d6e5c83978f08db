// The steps that the POSIX output and scratch files share, for their files only:
// a file without a name in a folder (O_TMPFILE), the errors by which a system
// or file system says it has none, and the hold (an flock) that keeps the
// removal of leftovers (leftover_temporaries.h) off a file while it is written.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <sys/types.h>

#include <cerrno>
#include <filesystem>

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

}  // namespace ranta2kv
