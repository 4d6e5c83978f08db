// The output file on POSIX systems: open(2) with O_EXCL under a random name,
// write(2) with interrupted calls repeated, fsync(2) of the file before the
// rename(2) and of the folder after it.
#include "platform/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "platform/file_faults.h"
#include "platform/file_write_posix.h"
#include "platform/temporary_name.h"

namespace ranta2kv {
namespace {

// A file system that cannot flush (some network and FUSE mounts) refuses with
// these; the file is then as safe as that file system makes it.
bool CannotSync(int error) { return error == EINVAL || error == EOPNOTSUPP || error == ENOTSUP; }

}  // namespace

struct OutputFile::Impl {
  FileFaults* faults = nullptr;
  std::filesystem::path temporary;
  int fd = -1;  // the open temporary file, -1 once closed

};

OutputFile::OutputFile(FileFaults* faults) : impl_(std::make_unique<Impl>()) { impl_->faults = faults; }

OutputFile::~OutputFile() { Remove(); }

const std::filesystem::path& OutputFile::TemporaryPath() const { return impl_->temporary; }

int OutputFile::CreateBeside(const std::filesystem::path& target) {
  Remove();
  if (int fault = AnnouncedFault(impl_->faults, FileCall::Create, target)) return fault;
  std::random_device random;
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    std::filesystem::path name = TemporaryNameBeside(target, random);
    // Mode 0666 lets the umask (and any default ACL) decide, as a plain create does.
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      impl_->fd = fd;
      impl_->temporary = std::move(name);
      return 0;
    }
    if (errno != EEXIST) break;
  }
  return errno;
}

int OutputFile::Write(const char* data, std::size_t size, std::size_t& written) {
  written = 0;
  if (int fault = AnnouncedFault(impl_->faults, FileCall::Write, impl_->temporary, size)) return fault;
  return WriteSome(impl_->fd, data, size, written);
}

int OutputFile::Sync() {
  if (int fault = AnnouncedFault(impl_->faults, FileCall::Sync, impl_->temporary)) return fault;
  while (::fsync(impl_->fd) != 0) {
    if (errno == EINTR) continue;
    return CannotSync(errno) ? 0 : errno;
  }
  return 0;
}

int OutputFile::Close() {
  int fd = impl_->fd;
  impl_->fd = -1;
  if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) return errno;
  return 0;
}

int OutputFile::ReplaceTarget(const std::filesystem::path& target) {
  if (int fault = AnnouncedFault(impl_->faults, FileCall::Replace, target)) return fault;
  if (std::rename(impl_->temporary.c_str(), target.c_str()) != 0) return errno;
  impl_->temporary.clear();
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  if (AnnouncedFault(impl_->faults, FileCall::SyncFolder, folder) == 0) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
      while (::fsync(fd) != 0 && errno == EINTR) {
      }
      ::close(fd);
    }
  }
  return 0;
}

void OutputFile::Remove() {
  if (impl_->fd >= 0) ::close(impl_->fd);
  impl_->fd = -1;
  if (!impl_->temporary.empty()) ::unlink(impl_->temporary.c_str());
  impl_->temporary.clear();
}

}  // namespace ranta2kv
