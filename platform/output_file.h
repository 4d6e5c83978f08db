// What the atomic output file asks of the system: a temporary file created
// beside the target under a random name that no file has, written, flushed to
// the disk, and renamed over the target with the folder flushed after it, so
// that the target's name leads to the earlier file or to the whole new one, also
// after a power cut. Every call gives 0 or the system's error code.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>

namespace ranta2kv {

class FileFaults;

class OutputFile {
 public:
  // faults, when given, must outlive the file.
  explicit OutputFile(FileFaults* faults = nullptr);
  ~OutputFile();  // removes the temporary file unless it replaced its target
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates the new, empty temporary file in the folder of target, with the
  // permissions a plain creation of target would get.
  int CreateBeside(const std::filesystem::path& target);
  const std::filesystem::path& TemporaryPath() const;  // empty before it exists and after

  // Writes at most size bytes of data, at least one when it gives 0; written
  // tells how many. A disk that takes nothing gives the code of a full disk.
  int Write(const char* data, std::size_t size, std::size_t& written);
  int Sync();   // flushes what was written to the disk
  int Close();  // closes the file, which stays under its temporary name

  // Renames the closed file over target, then flushes the folder. The folder's
  // flush is no part of the result: the rename has happened by then.
  int ReplaceTarget(const std::filesystem::path& target);

  // Closes and removes the temporary file; no effect once it replaced the target.
  void Remove();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace ranta2kv
