// Opening, locking and mapping of a .DBF file. The lock is an flock on the open
// file: a second open of the same file, by this or another process, fails while
// the first one holds it.
#include "source/dbf/dbf_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <utility>

namespace ranta2kv {

DbfFile::DbfFile(DbfFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      buffer_(std::move(other.buffer_)),
      data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, false)) {}

DbfFile& DbfFile::operator=(DbfFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    buffer_ = std::move(other.buffer_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    mapped_ = std::exchange(other.mapped_, false);
  }
  return *this;
}

bool DbfFile::Open(const std::filesystem::path& path) {
  Close();
  // Non-blocking, so that a FIFO (or a device) under a table's name cannot hold
  // the open forever; it is then refused as no regular file.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
      !Load(fd, static_cast<std::size_t>(info.st_size))) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

bool DbfFile::Load(int fd, std::size_t size) {
  if (size == 0) return true;
  if (size > kMaxReadSize) {
    void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (map == MAP_FAILED) return false;
    data_ = static_cast<const char*>(map);
    size_ = size;
    mapped_ = true;
    return true;
  }
  buffer_ = std::make_unique<char[]>(size);
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::pread(fd, buffer_.get() + done, size - done, static_cast<off_t>(done));
    if (n <= 0) break;  // the file got shorter: keep what was read
    done += static_cast<std::size_t>(n);
  }
  data_ = buffer_.get();
  size_ = done;
  return true;
}

void DbfFile::ReadAt(std::size_t offset, char* out, std::size_t size) const {
  std::size_t done = 0;
  while (mapped_ && done < size) {
    ssize_t n = ::pread(fd_, out + done, size - done, static_cast<off_t>(offset + done));
    if (n <= 0) break;  // the file got shorter: the rest comes from the mapping
    done += static_cast<std::size_t>(n);
  }
  if (done < size) std::memcpy(out + done, data_ + offset + done, size - done);
}

void DbfFile::ReleasePages() {
  if (mapped_) ::madvise(const_cast<char*>(data_), size_, MADV_DONTNEED);
}

void DbfFile::Close() {
  if (mapped_) ::munmap(const_cast<char*>(data_), size_);
  if (fd_ >= 0) ::close(fd_);  // releases the lock
  buffer_.reset();
  fd_ = -1;
  data_ = nullptr;
  size_ = 0;
  mapped_ = false;
}

}  // namespace ranta2kv
