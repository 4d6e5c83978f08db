// A .DBF file held by the reader: opened read-only, locked exclusively so that no
// other process can hold it at the same time, and mapped into memory whole, so
// that a walk in key order reads records at random without a system call each.
#pragma once

#include <cstddef>
#include <filesystem>
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

  std::string_view Bytes() const { return {data_, size_}; }  // the whole file as it was at Open

 private:
  int fd_ = -1;                 // holds the exclusive lock
  const char* data_ = nullptr;  // the mapping, or nullptr for an empty file
  std::size_t size_ = 0;        // file size at Open
};

}  // namespace ranta2kv
