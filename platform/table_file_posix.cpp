// The table file on POSIX systems: open(2) read-only, an exclusive flock(2) taken
// without waiting, pread(2), and fstat(2) of the open file against stat(2) of its
// name for the check that nothing changed it.
#include "platform/table_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/file_faults.h"

namespace ranta2kv {
namespace {

TableFileStamp StampOf(const struct stat& info) {
  TableFileStamp stamp;
  stamp.volume = static_cast<std::uint64_t>(info.st_dev);
  stamp.file = static_cast<std::uint64_t>(info.st_ino);
  stamp.size = static_cast<std::uint64_t>(info.st_size);
  stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return stamp;
}

// The file system itself has no locks (some network mounts): the file is used
// without one rather than not at all.
bool LocksUnsupported(int error) {
  return error == ENOLCK || error == EOPNOTSUPP || error == ENOTSUP || error == EINVAL;
}

}  // namespace

struct TableFile::Impl {
  std::filesystem::path path;
  FileFaults* faults = nullptr;
  int fd = -1;  // holds the lock
  TableFileStamp stamp;
};

TableFile::TableFile() : impl_(std::make_unique<Impl>()) {}

TableFile::~TableFile() {
  if (impl_) Close();
}

TableFile::TableFile(TableFile&& other) noexcept : impl_(std::exchange(other.impl_, std::make_unique<Impl>())) {}

TableFile& TableFile::operator=(TableFile&& other) noexcept {
  if (this != &other) {
    Close();
    std::swap(impl_, other.impl_);
  }
  return *this;
}

bool TableFile::Open(const std::filesystem::path& path, FileFaults* faults) {
  Close();
  // Non-blocking, so that a FIFO (or a device) under a table's name cannot hold
  // the open forever; it is then refused as no regular file.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return false;
  }
  std::size_t none = 0;
  int lockError = faults ? faults->Before(FileCall::Lock, path, none) : 0;
  if (lockError == 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) lockError = errno;
  if (lockError != 0 && !LocksUnsupported(lockError)) {
    ::close(fd);
    return false;
  }
  impl_->path = path;
  impl_->faults = faults;
  impl_->fd = fd;
  impl_->stamp = StampOf(info);
  return true;
}

void TableFile::Close() {
  if (impl_->fd >= 0) ::close(impl_->fd);  // releases the lock
  impl_->fd = -1;
  impl_->faults = nullptr;
  impl_->stamp = TableFileStamp{};
}

bool TableFile::IsOpen() const { return impl_->fd >= 0; }

const std::filesystem::path& TableFile::Path() const { return impl_->path; }

std::uint64_t TableFile::Size() const { return impl_->stamp.size; }

const TableFileStamp& TableFile::Stamp() const { return impl_->stamp; }

std::size_t TableFile::ReadAt(std::uint64_t offset, char* out, std::size_t size) const {
  if (impl_->faults) {
    if (int fault = impl_->faults->Before(FileCall::Read, impl_->path, size)) throw TableReadError(impl_->path, fault);
  }
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::pread(impl_->fd, out + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw TableReadError(impl_->path, errno);
    if (n == 0) break;  // the file ends here now
    done += static_cast<std::size_t>(n);
  }
  return done;
}

bool TableFile::Unchanged() const {
  struct stat open {}, named {};
  if (impl_->fd < 0 || ::fstat(impl_->fd, &open) != 0 || ::stat(impl_->path.c_str(), &named) != 0) return false;
  return StampOf(open) == impl_->stamp && StampOf(named) == impl_->stamp;
}

// No view here: reads of a mapped file cost more than pread(2) on the systems
// measured (a page fault for every page a look-up touches), and any other
// program could cut the file short under a view.
std::string_view TableFile::View() { return {}; }

void TableFile::ReleaseViewPages() const {}

}  // namespace ranta2kv
