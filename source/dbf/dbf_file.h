// A .DBF file held by the reader: a table file opened read-only and locked
// exclusively, viewed whole in memory where the system maps it (records are then
// read in place, without a call each), else read whole at Open when it is small
// and piece by piece when it is large. A file that another program cuts short or
// rewrites while it is held makes a read come back short, which raises the
// change error (a view is only taken where no other program can change the
// file); the check against its stamp at Open finds the rest.
#pragma once

#include <cstddef>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/table_file.h"

namespace ranta2kv {

class FileFaults;

class DbfFile {
 public:
  // False when the file is missing, is no regular file, cannot be read, or
  // another process holds its lock. Throws the change error when the file gets
  // shorter while it is read, and the read error when a read fails.
  // wholeIfShortRecords: also read whole a file of short records up to
  // kMaxShortRecordsSize (one that will be looked up all over).
  bool Open(const std::filesystem::path& path, FileFaults* faults = nullptr, bool wholeIfShortRecords = false);
  void Close();
  bool IsOpen() const { return file_.IsOpen(); }

  std::uint64_t Size() const { return file_.Size(); }  // at Open
  const TableFileStamp& Stamp() const { return file_.Stamp(); }
  // True when the whole file is in memory (viewed, or read at Open); Bytes() then
  // holds it.
  bool IsResident() const { return resident_; }
  std::string_view Bytes() const { return resident_ ? bytes_ : std::string_view(); }
  // The first bytes of the file: the whole file, or at least kHeadSize bytes of
  // it, which hold any header.
  std::string_view Head() const { return resident_ ? bytes_ : std::string_view(head_); }

  // For each record of size bytes read in place from the view. Every
  // kViewPagesBudget bytes that reads may have brought into memory (a look-up
  // counts a page, a walk in file order its bytes), the view's pages are given
  // back, so that a run holds a few megabytes of a table's pages at a time, not
  // the table.
  void NoteViewRead(std::size_t size, bool inFileOrder) const;

  // Copies size bytes from offset (both within Size()) to out. A read that gives
  // fewer means the file changed: the change error.
  void ReadAt(std::uint64_t offset, char* out, std::size_t size) const;

  // Throws the change error when the file's name no longer leads to the file
  // opened, or that file's size or modification time differs from those at Open.
  void CheckUnchanged() const;
  [[noreturn]] void ThrowChanged() const;

  // Files up to this size are read whole at Open, and, when asked, files up to
  // kMaxShortRecordsSize whose records are at most kShortRecordLength bytes long:
  // looked up at random through reads, such a file would cost a system call for
  // every few bytes.
  static constexpr std::size_t kMaxReadSize = 1 << 20;
  static constexpr std::size_t kMaxShortRecordsSize = 8 << 20;
  static constexpr std::size_t kShortRecordLength = 64;
  static constexpr std::size_t kHeadSize = 1 << 16;  // a header length is at most 65535
  static constexpr std::size_t kViewPagesBudget = 16 << 20;

 private:
  TableFile file_;
  std::string head_;       // the file read whole, or its first kHeadSize bytes, when not viewed
  std::string_view bytes_;  // when resident_: the view, or head_
  bool resident_ = false;
  bool viewed_ = false;
  // Bytes of the view brought into memory since its pages were last given
  // back, as counted by NoteViewRead (both threads of a run read a view).
  mutable std::unique_ptr<std::atomic<std::uint64_t>> view_read_ = std::make_unique<std::atomic<std::uint64_t>>(0);
};

// The stamp of the file at path now; nothing when it cannot be opened (missing,
// held by another process).
std::optional<TableFileStamp> CurrentStamp(const std::filesystem::path& path);

// The error of a table whose file changed while it was held.
SourceFileError TableChangedError(const std::filesystem::path& file);

}  // namespace ranta2kv
