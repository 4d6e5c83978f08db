// A table file as the reader holds it: opened read-only for this process alone
// (while it is open no other process that asks for the same may open it), its
// size and stamp at open, positioned reads or a read-only view of its bytes
// mapped into memory, and a check that the name still leads to the same file,
// unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>

#include "common/error.h"

namespace ranta2kv {

class FileFaults;

// What tells one version of a file from another: the file's identity on its
// volume, its size and its last modification time.
struct TableFileStamp {
  std::uint64_t volume = 0;
  std::uint64_t file = 0;
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // in the system's own unit
  bool operator==(const TableFileStamp&) const = default;
};

class TableFile {
 public:
  TableFile();
  ~TableFile();
  TableFile(TableFile&& other) noexcept;
  TableFile& operator=(TableFile&& other) noexcept;
  TableFile(const TableFile&) = delete;
  TableFile& operator=(const TableFile&) = delete;

  // False when the file is missing, is no regular file, cannot be read, or
  // another process holds it. Where the file system has no locks at all, the
  // file is opened without one. faults, when given, must outlive the open file.
  bool Open(const std::filesystem::path& path, FileFaults* faults = nullptr);
  void Close();
  bool IsOpen() const;

  const std::filesystem::path& Path() const;
  std::uint64_t Size() const;  // at Open
  const TableFileStamp& Stamp() const;  // at Open

  // Reads up to size bytes from offset into out and returns how many it read:
  // fewer only where the file now ends. Throws the error of TableReadError on a
  // read that fails.
  std::size_t ReadAt(std::uint64_t offset, char* out, std::size_t size) const;

  // True when the path still names the file opened, with the size and the
  // modification time it had at Open.
  bool Unchanged() const;

  // The whole file as a read-only view in memory, the same bytes ReadAt gives,
  // read without a call per record; empty where the file cannot be mapped (an
  // empty file, a file system without mappings, no room in the address space,
  // or faults given at Open: their reads are what they test), and where the
  // system lets another program cut the file short under a view. Valid until
  // Close.
  std::string_view View();
  // Gives back the memory of the view's pages read so far; they are read again
  // from the system's cache when they are next touched. Pointers into the view
  // stay valid.
  void ReleaseViewPages() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The error of a read of file that the system failed with code: the file's name
// and the system's message.
SourceFileError TableReadError(const std::filesystem::path& file, int code);

}  // namespace ranta2kv
