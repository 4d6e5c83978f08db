// The output file on POSIX systems: open(2) with O_TMPFILE in the target's
// folder, so that the file has no name while it is written, and linkat(2)
// through /proc/self/fd under a random name once it is whole, right before the
// rename(2) over the target. Where the file system makes no such file (or /proc
// is missing), open(2) with O_EXCL under a random name. Either way the file is
// held by an flock until it is renamed, and leftovers that nobody holds are
// removed first. write(2) with interrupted calls repeated, fsync(2) of the file
// before it is named and of the folder after the rename.
#include "platform/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>

#include "platform/file_faults.h"
#include "platform/file_write_posix.h"
#include "platform/leftover_temporaries.h"
#include "platform/temporary_file_posix.h"
#include "platform/temporary_name.h"

namespace ranta2kv {
namespace {

// A file system that cannot flush (some network and FUSE mounts) refuses with
// these; the file is then as safe as that file system makes it.
bool CannotSync(int error) { return error == EINVAL || error == EOPNOTSUPP || error == ENOTSUP; }

std::string ProcPathOf(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

std::filesystem::path FolderOf(const std::filesystem::path& target) {
  std::filesystem::path folder = target.parent_path();
  return folder.empty() ? "." : folder;
}

// True while name leads to the open file fd: a removal of leftovers that came
// between the creation and the hold has not taken it.
bool StillNamed(int fd, const std::filesystem::path& name) {
  struct stat opened {}, named {};
  return ::fstat(fd, &opened) == 0 && ::lstat(name.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
         opened.st_ino == named.st_ino;
}

}  // namespace

struct OutputFile::Impl {
  FileFaults* faults = nullptr;
  std::filesystem::path target;     // for the faults while the file has no name
  std::filesystem::path temporary;  // its name; empty while it has none
  int fd = -1;                      // the open file, -1 once it replaced the target or was removed

  // The file named in the faults' calls.
  const std::filesystem::path& Announced() const { return temporary.empty() ? target : temporary; }
};

OutputFile::OutputFile(FileFaults* faults) : impl_(std::make_unique<Impl>()) { impl_->faults = faults; }

OutputFile::~OutputFile() { Remove(); }

const std::filesystem::path& OutputFile::TemporaryPath() const { return impl_->temporary; }

int OutputFile::CreateBeside(const std::filesystem::path& target) {
  Remove();
  if (int fault = AnnouncedFault(impl_->faults, FileCall::Create, target)) return fault;
  impl_->target = target;
  const std::filesystem::path folder = FolderOf(target);
  RemoveLeftoverTemporaries(folder);
  // Mode 0666 lets the umask (and any default ACL) decide, as a plain create does.
  int error = AnnouncedFault(impl_->faults, FileCall::Nameless, target);
  const int nameless = error ? -1 : OpenNameless(folder, O_WRONLY, 0666);
  if (nameless >= 0) {
    // Named later through /proc; without it the file could never be named.
    if (::access(ProcPathOf(nameless).c_str(), F_OK) == 0) {
      HoldWhileWritten(nameless);  // no other open can reach it before it is named
      impl_->fd = nameless;
      return 0;
    }
    ::close(nameless);
  } else {
    if (!error) error = errno;
    if (!NamelessRefused(error)) return error;
  }
  // A removal of leftovers in another run may take the new name before it is
  // held: it then removes the file, and another name is tried.
  std::filesystem::path name;
  const int fd = CreateUnderFreshName(target, O_WRONLY, 0666, name, [](int made, const std::filesystem::path& tried) {
    return HoldWhileWritten(made) && StillNamed(made, tried);
  });
  if (fd < 0) return errno;
  impl_->fd = fd;
  impl_->temporary = std::move(name);
  return 0;
}

int OutputFile::Write(const char* data, std::size_t size, std::size_t& written) {
  written = 0;
  if (int fault = AnnouncedFault(impl_->faults, FileCall::Write, impl_->Announced(), size)) return fault;
  return WriteSome(impl_->fd, data, size, written);
}

int OutputFile::Sync() {
  if (int fault = AnnouncedFault(impl_->faults, FileCall::Sync, impl_->Announced())) return fault;
  while (::fsync(impl_->fd) != 0) {
    if (errno == EINTR) continue;
    return CannotSync(errno) ? 0 : errno;
  }
  return 0;
}

int OutputFile::ReplaceTarget(const std::filesystem::path& target) {
  if (int fault = AnnouncedFault(impl_->faults, FileCall::Replace, target)) return fault;
  if (impl_->temporary.empty()) {
    // Named only now, held still: a kill from here to the rename leaves the name,
    // which the next run removes.
    const std::string self = ProcPathOf(impl_->fd);
    std::random_device random;
    for (int attempt = 0; impl_->temporary.empty(); ++attempt) {
      std::filesystem::path name = TemporaryNameBeside(target, random);
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        impl_->temporary = std::move(name);
      } else if (errno != EEXIST || attempt + 1 == kTemporaryNameAttempts) {
        return errno;
      }
    }
  }
  if (std::rename(impl_->temporary.c_str(), target.c_str()) != 0) return errno;
  impl_->temporary.clear();
  // Flushed already: an error of the close would say nothing more.
  ::close(impl_->fd);
  impl_->fd = -1;
  const std::filesystem::path folder = FolderOf(target);
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
  // The name goes while the file is held, so that no other run removes a file
  // that has taken the name since.
  if (!impl_->temporary.empty()) ::unlink(impl_->temporary.c_str());
  impl_->temporary.clear();
  if (impl_->fd >= 0) ::close(impl_->fd);
  impl_->fd = -1;
}

}  // namespace ranta2kv
