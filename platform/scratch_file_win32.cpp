// The scratch file on Windows: CreateFileW with CREATE_NEW under a random name,
// no sharing, FILE_ATTRIBUTE_TEMPORARY (kept in the cache where it fits) and
// FILE_FLAG_DELETE_ON_CLOSE (the system deletes it when the handle closes, also
// when the process dies); WriteFile and ReadFile at explicit offsets.
#include "platform/scratch_file.h"

#include <windows.h>

#include <algorithm>
#include <random>

#include "platform/file_faults.h"
#include "platform/temporary_name.h"

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
  std::random_device random;
  DWORD error = ERROR_FILE_EXISTS;
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    std::filesystem::path name = TemporaryNameBeside(folder / "x", random);
    HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      impl_->handle = handle;
      impl_->size = 0;
      return 0;
    }
    error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return static_cast<int>(error);
}

// Writes go to an explicit offset too: a read at an offset moves the file pointer.
int ScratchFile::Append(const char* data, std::size_t size, std::size_t& written) {
  written = 0;
  if (int fault = AnnouncedFault(impl_->faults, FileCall::WriteScratch, impl_->folder, size)) return fault;
  OVERLAPPED at = At(impl_->size);
  DWORD n = 0;
  if (!::WriteFile(impl_->handle, data, Ask(size), &n, &at)) return static_cast<int>(::GetLastError());
  if (n == 0) return ERROR_DISK_FULL;  // also a write that a fault cut to nothing
  impl_->size += n;
  written = n;
  return 0;
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

}  // namespace ranta2kv
