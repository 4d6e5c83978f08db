// The removal of leftover temporary files on POSIX systems: each entry under a
// name of ours that is a regular file is opened without following a link, and
// removed only while this process holds its flock (a writer holds it while it
// writes) and the name still leads to the file that was opened.
#include "platform/leftover_temporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/temporary_name.h"

namespace ranta2kv {
namespace {

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

void RemoveIfNobodyHolds(int folder, const char* name) {
  struct stat named {};
  if (::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(named.st_mode)) return;
  const int fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return;
  struct stat opened {};
  // A file system without locks refuses the flock: its files are left alone.
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
      ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(opened, named)) {
    ::unlinkat(folder, name, 0);
  }
  ::close(fd);  // and with it the lock
}

}  // namespace

void RemoveLeftoverTemporaries(const std::filesystem::path& folder) {
  DIR* listing = ::opendir(folder.empty() ? "." : folder.c_str());
  if (listing == nullptr) return;
  while (const dirent* entry = ::readdir(listing)) {
    if (IsTemporaryName(entry->d_name)) RemoveIfNobodyHolds(::dirfd(listing), entry->d_name);
  }
  ::closedir(listing);
}

}  // namespace ranta2kv
