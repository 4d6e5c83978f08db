// What the atomic output file asks of the system: a new file in the target's
// folder, written, flushed to the disk, and renamed over the target with the
// folder flushed after it, so that the target's name leads to the earlier file
// or to the whole new one, also after a power cut. While it is written, the file
// does not outlive the run: it has no name (where the file system makes such
// files), or the system deletes it unless it replaced the target; else it has a
// random name of ours, which the next output file made in that folder removes
// unless a running copy still writes it (leftover_temporaries.h). Every call
// gives 0 or the system's error code.
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
  ~OutputFile();  // removes the file unless it replaced its target
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Removes the leftovers of earlier runs from the folder of target, then creates
  // the new, empty file there, with the permissions a plain creation of target
  // would get.
  int CreateBeside(const std::filesystem::path& target);
  // The file's temporary name; empty while it has none, and before and after.
  const std::filesystem::path& TemporaryPath() const;

  // Writes at most size bytes of data, at least one when it gives 0; written
  // tells how many. A disk that takes nothing gives the code of a full disk.
  int Write(const char* data, std::size_t size, std::size_t& written);
  int Sync();  // flushes what was written to the disk

  // Puts the flushed file in the place of target (a file that has no name yet
  // gets a temporary one first) and closes it, then flushes the folder. The
  // folder's flush is no part of the result: the rename has happened by then.
  int ReplaceTarget(const std::filesystem::path& target);

  // Closes and removes the file; no effect once it replaced the target.
  void Remove();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace ranta2kv
