// The output file on Windows: CreateFileW with CREATE_NEW under a random name,
// WriteFile, FlushFileBuffers before the replacement, and MoveFileExW with
// MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH, which returns only once the
// rename is on the disk (a folder has no flush of its own here).
#include "platform/output_file.h"

#include <windows.h>

#include "platform/file_faults.h"
#include "platform/file_write_win32.h"
#include "platform/system_path_win32.h"

namespace ranta2kv {
namespace {

// A file system that cannot flush (some network redirectors) refuses with these;
// the file is then as safe as that file system makes it.
bool CannotSync(DWORD error) { return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED; }

}  // namespace

struct OutputFile::Impl {
  FileFaults* faults = nullptr;
  std::filesystem::path temporary;
  HANDLE handle = INVALID_HANDLE_VALUE;  // the open temporary file

};

OutputFile::OutputFile(FileFaults* faults) : impl_(std::make_unique<Impl>()) { impl_->faults = faults; }

OutputFile::~OutputFile() { Remove(); }

const std::filesystem::path& OutputFile::TemporaryPath() const { return impl_->temporary; }

int OutputFile::CreateBeside(const std::filesystem::path& target) {
  Remove();
  if (int fault = AnnouncedFault(impl_->faults, FileCall::Create, target)) return fault;
  // No sharing while it is written; the folder's inherited permissions apply.
  return CreateUnderFreshName(target, GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL, impl_->handle, impl_->temporary);
}

int OutputFile::Write(const char* data, std::size_t size, std::size_t& written) {
  written = 0;
  if (int fault = AnnouncedFault(impl_->faults, FileCall::Write, impl_->temporary, size)) return fault;
  return WriteSome(impl_->handle, data, size, nullptr, written);
}

int OutputFile::Sync() {
  if (int fault = AnnouncedFault(impl_->faults, FileCall::Sync, impl_->temporary)) return fault;
  if (::FlushFileBuffers(impl_->handle)) return 0;
  DWORD error = ::GetLastError();
  return CannotSync(error) ? 0 : static_cast<int>(error);
}

int OutputFile::Close() {
  HANDLE handle = impl_->handle;
  impl_->handle = INVALID_HANDLE_VALUE;
  if (handle != INVALID_HANDLE_VALUE && !::CloseHandle(handle)) return static_cast<int>(::GetLastError());
  return 0;
}

int OutputFile::ReplaceTarget(const std::filesystem::path& target) {
  if (int fault = AnnouncedFault(impl_->faults, FileCall::Replace, target)) return fault;
  if (!::MoveFileExW(SystemPath(impl_->temporary).c_str(), SystemPath(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return static_cast<int>(::GetLastError());
  }
  impl_->temporary.clear();
  return 0;
}

void OutputFile::Remove() {
  if (impl_->handle != INVALID_HANDLE_VALUE) ::CloseHandle(impl_->handle);
  impl_->handle = INVALID_HANDLE_VALUE;
  if (!impl_->temporary.empty()) ::DeleteFileW(SystemPath(impl_->temporary).c_str());
  impl_->temporary.clear();
}

}  // namespace ranta2kv
