// The scratch file on POSIX systems: open(2) with O_TMPFILE where the system and
// the file system have it, else open(2) with O_EXCL under a random name that is
// unlinked at once (leftovers of a run killed in between are removed first);
// write(2) and pread(2) with interrupted calls repeated.
#include "platform/scratch_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_faults.h"
#include "platform/file_write_posix.h"
#include "platform/leftover_temporaries.h"
#include "platform/temporary_file_posix.h"

namespace ranta2kv {

struct ScratchFile::Impl {
  FileFaults* faults = nullptr;
  std::filesystem::path folder;  // for the faults: the file has no name
  int fd = -1;
};

ScratchFile::ScratchFile(FileFaults* faults) : impl_(std::make_unique<Impl>()) { impl_->faults = faults; }

ScratchFile::~ScratchFile() {
  if (impl_->fd >= 0) ::close(impl_->fd);
}

bool ScratchFile::IsOpen() const { return impl_->fd >= 0; }

int ScratchFile::CreateIn(const std::filesystem::path& folder) {
  if (int fault = AnnouncedFault(impl_->faults, FileCall::CreateScratch, folder)) return fault;
  impl_->folder = folder;
  RemoveLeftoverTemporaries(folder);
  int error = AnnouncedFault(impl_->faults, FileCall::Nameless, folder);
  int fd = error ? -1 : OpenNameless(folder, O_RDWR, 0600);
  if (fd < 0 && !error) error = errno;
  if (fd < 0 && !NamelessRefused(error)) return error;
  if (fd < 0) {
    // Without a name as soon as it has one.
    std::filesystem::path name;
    fd = CreateUnderFreshName(folder / "x", O_RDWR, 0600, name, [](int, const std::filesystem::path& made) {
      return ::unlink(made.c_str()) == 0;
    });
    if (fd < 0) return errno;
  }
  impl_->fd = fd;
  return 0;
}

int ScratchFile::Append(const char* data, std::size_t size, std::size_t& written) {
  written = 0;
  if (int fault = AnnouncedFault(impl_->faults, FileCall::WriteScratch, impl_->folder, size)) return fault;
  return WriteSome(impl_->fd, data, size, written);
}

int ScratchFile::ReadAt(std::uint64_t offset, char* data, std::size_t size, std::size_t& read) {
  read = 0;
  if (int fault = AnnouncedFault(impl_->faults, FileCall::ReadScratch, impl_->folder, size)) return fault;
  for (;;) {
    ssize_t n = ::pread(impl_->fd, data, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;  // the bytes asked for are not there
    read = static_cast<std::size_t>(n);
    return 0;
  }
}

bool OpenScratchFilesHaveNoName() { return true; }  // nameless or unlinked at once

}  // namespace ranta2kv
