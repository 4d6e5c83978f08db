// A .DBF file held by the reader: opened read-only, locked exclusively so that no
// other process can hold it at the same time, and in memory whole (small files
// read, large ones mapped), so that a walk in key order reads records at random
// without a system call each. The mapped pages can be given back at any time.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string_view>

namespace ranta2kv {

class DbfFile {
 public:
  DbfFile() = default;
  ~DbfFile() { Close(); }
  DbfFile(DbfFile&& other) noexcept;
  DbfFile& operator=(DbfFile&& other) noexcept;
  DbfFile(const DbfFile&) = delete;
  DbfFile& operator=(const DbfFile&) = delete;

  // False when the file is missing, is no regular file, cannot be read or mapped,
  // or another process holds its lock.
  bool Open(const std::filesystem::path& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  bool IsMapped() const { return mapped_; }

  std::string_view Bytes() const { return {data_, size_}; }  // the whole file as it was at Open

  // Copies size bytes from offset (both within Bytes()) to out, by a read of the
  // file when it is mapped: a walk over a whole file costs a copy per block then
  // instead of a page fault every few pages.
  void ReadAt(std::size_t offset, char* out, std::size_t size) const;

  // Drops the mapped pages from the process's memory; the bytes stay readable and
  // are mapped again from the page cache when next read. Keeps a long walk from
  // holding the whole file resident. No effect on a read file.
  void ReleasePages();

  // Files up to this size are read rather than mapped (a mapping costs more).
  static constexpr std::size_t kMaxReadSize = 1 << 20;

 private:
  bool Load(int fd, std::size_t size);

  int fd_ = -1;                       // holds the exclusive lock
  std::unique_ptr<char[]> buffer_;    // the bytes of a small file
  const char* data_ = nullptr;        // buffer_, the mapping, or nullptr for an empty file
  std::size_t size_ = 0;              // file size at Open
  bool mapped_ = false;
};

}  // namespace ranta2kv
