// Faults of the file layer, for tests and the soak run: every call that the table
// files, the output file and the scratch file make into the system is announced
// first, and may be made to fail with an error code, or to read or write less, as
// a disk or a file system can. Production runs give none.
#pragma once

#include <cstddef>
#include <filesystem>
#include <mutex>

namespace ranta2kv {

enum class FileCall {
  Lock,        // the exclusive lock of a table file just opened
  Read,        // a read of a table file
  Create,      // the creation of the temporary output file
  // The step that keeps the output or scratch file from outliving the run: its
  // creation without a name (O_TMPFILE; file is the target or the folder), or on
  // Windows the output file's delete at close. Failing with an error by which
  // the system says it cannot, it makes the file fall back to a name of ours.
  Nameless,
  Write,       // a write into it
  Sync,        // its flush to the disk
  Replace,     // its rename over the target
  SyncFolder,  // the flush of the target's folder after the rename
  CreateScratch,  // the creation of a scratch file (file is its folder)
  WriteScratch,   // an append to it
  ReadScratch,    // a read from it
};

class FileFaults {
 public:
  virtual ~FileFaults() = default;
  // Called before call is made on file. Returns 0 to let it go ahead, or the
  // system's error code (errno; GetLastError() on Windows) it fails with instead.
  // For the reads and writes, size is the number of bytes asked for, and may be lowered
  // to make the call read or write less.
  virtual int Before(FileCall call, const std::filesystem::path& file, std::size_t& size) = 0;
};

// Faults announced one call at a time: a run makes its file calls on two threads,
// and a test's faults need not be safe to call from two at once.
class SerializedFileFaults : public FileFaults {
 public:
  explicit SerializedFileFaults(FileFaults* faults) : faults_(faults) {}
  int Before(FileCall call, const std::filesystem::path& file, std::size_t& size) override {
    std::lock_guard<std::mutex> lock(mutex_);
    return faults_->Before(call, file, size);
  }

 private:
  FileFaults* faults_;
  std::mutex mutex_;
};

// The fault that faults (none when null) gives call on file, 0 when it lets the
// call go ahead.
inline int AnnouncedFault(FileFaults* faults, FileCall call, const std::filesystem::path& file,
                          std::size_t& size) {
  return faults ? faults->Before(call, file, size) : 0;
}
inline int AnnouncedFault(FileFaults* faults, FileCall call, const std::filesystem::path& file) {
  std::size_t none = 0;
  return AnnouncedFault(faults, call, file, none);
}

}  // namespace ranta2kv
