// Opening, locking and mapping of a .DBF file. The lock is an flock on the open
// file: a second open of the same file, by this or another process, fails while
// the first one holds it.
#include "source/dbf_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace ranta2kv {

DbfFile::DbfFile(DbfFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)) {}

DbfFile& DbfFile::operator=(DbfFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

bool DbfFile::Open(const std::filesystem::path& path) {
  Close();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  std::size_t size = static_cast<std::size_t>(info.st_size);
  const char* data = nullptr;
  if (size > 0) {
    void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (map == MAP_FAILED) {
      ::close(fd);
      return false;
    }
    data = static_cast<const char*>(map);
  }
  fd_ = fd;
  data_ = data;
  size_ = size;
  return true;
}

void DbfFile::Close() {
  if (data_) ::munmap(const_cast<char*>(data_), size_);
  if (fd_ >= 0) ::close(fd_);  // releases the lock
  fd_ = -1;
  data_ = nullptr;
  size_ = 0;
}

}  // namespace ranta2kv
