// The scratch file on Windows: CreateFileW with CREATE_NEW under a random name,
// no sharing, FILE_ATTRIBUTE_TEMPORARY (kept in the cache where it fits) and
// FILE_FLAG_DELETE_ON_CLOSE (the system deletes it when the handle closes, also
// when the process dies); WriteFile and ReadFile at explicit offsets. Leftovers
// that nobody holds (a power cut) are removed first.
#include "platform/scratch_file.h"

#include <windows.h>

#include <algorithm>

#include "platform/file_faults.h"
#include "platform/file_write_win32.h"
#include "platform/leftover_temporaries.h"

namespace ranta2kv {
namespace {

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

DWORD Ask(std::size_t size) { return static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)); }

}  // namespace

struct ScratchFile::Impl {
  FileFaults* faults = nullptr;
  std::filesystem::path folder;  // for the faults
  HANDLE handle = INVALID_HANDLE_VALUE;
  std::uint64_t size = 0;  // bytes appended: where the next append goes
};

ScratchFile::ScratchFile(FileFaults* faults) : impl_(std::make_unique<Impl>()) { impl_->faults = faults; }

ScratchFile::~ScratchFile() {
  if (impl_->handle != INVALID_HANDLE_VALUE) ::CloseHandle(impl_->handle);
}

bool ScratchFile::IsOpen() const { return impl_->handle != INVALID_HANDLE_VALUE; }

int ScratchFile::CreateIn(const std::filesystem::path& folder) {
  if (int fault = AnnouncedFault(impl_->faults, FileCall::CreateScratch, folder)) return fault;
  impl_->folder = folder;
  RemoveLeftoverTemporaries(folder);
  std::filesystem::path name;
  const int error = CreateUnderFreshName(folder / "x", GENERIC_READ | GENERIC_WRITE,
                                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, impl_->handle, name);
  if (error == 0) impl_->size = 0;
  return error;
}

// Writes go to an explicit offset too: a read at an offset moves the file pointer.
int ScratchFile::Append(const char* data, std::size_t size, std::size_t& written) {
  written = 0;
  if (int fault = AnnouncedFault(impl_->faults, FileCall::WriteScratch, impl_->folder, size)) return fault;
  OVERLAPPED at = At(impl_->size);
  const int error = WriteSome(impl_->handle, data, size, &at, written);
  impl_->size += written;
  return error;
}

int ScratchFile::ReadAt(std::uint64_t offset, char* data, std::size_t size, std::size_t& read) {
  read = 0;
  if (int fault = AnnouncedFault(impl_->faults, FileCall::ReadScratch, impl_->folder, size)) return fault;
  OVERLAPPED at = At(offset);
  DWORD n = 0;
  if (!::ReadFile(impl_->handle, data, Ask(size), &n, &at)) {
    DWORD error = ::GetLastError();
    return static_cast<int>(error == ERROR_HANDLE_EOF ? ERROR_READ_FAULT : error);
  }
  if (n == 0) return ERROR_READ_FAULT;  // the bytes asked for are not there
  read = n;
  return 0;
}

bool OpenScratchFilesHaveNoName() { return false; }  // deleted on close, listed until then

}  // namespace ranta2kv
