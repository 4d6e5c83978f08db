// The output file on Windows: CreateFileW with CREATE_NEW under a random name,
// with delete access and no sharing, then marked for deletion
// (FileDispositionInfo), so that the system deletes it when its handle closes,
// also when the process dies; WriteFile, FlushFileBuffers before the
// replacement. At the replacement the mark is cleared and the file renamed over
// the target through its own handle (FileRenameInfo), so that no other handle
// can come between (MoveFileExW would need it closed first), and flushed once
// more after the rename (in place of MOVEFILE_WRITE_THROUGH). Leftovers that
// nobody holds are removed first.
#include "platform/output_file.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/file_faults.h"
#include "platform/file_write_win32.h"
#include "platform/leftover_temporaries.h"
#include "platform/system_path_win32.h"

namespace ranta2kv {
namespace {

// A file system that cannot flush (some network redirectors) refuses with these;
// the file is then as safe as that file system makes it.
bool CannotSync(DWORD error) { return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED; }

bool MarkForDeletion(HANDLE handle, bool deleted) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = deleted;
  return ::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

// Renames the file of handle (opened with delete access) to target, replacing a
// file there; the system converts the name as it does a path it opens.
bool RenameOver(HANDLE handle, const std::filesystem::path& target) {
  const std::wstring name = SystemPath(target);
  const std::size_t nameBytes = name.size() * sizeof(wchar_t);
  std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);  // room for the closing L'\0'
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = TRUE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(nameBytes);
  std::memcpy(rename->FileName, name.c_str(), nameBytes + sizeof(wchar_t));
  return ::SetFileInformationByHandle(handle, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) != 0;
}

}  // namespace

struct OutputFile::Impl {
  FileFaults* faults = nullptr;
  std::filesystem::path temporary;
  HANDLE handle = INVALID_HANDLE_VALUE;  // the open temporary file
  bool markedForDeletion = false;        // the system deletes it when the handle closes
};

OutputFile::OutputFile(FileFaults* faults) : impl_(std::make_unique<Impl>()) { impl_->faults = faults; }

OutputFile::~OutputFile() { Remove(); }

const std::filesystem::path& OutputFile::TemporaryPath() const { return impl_->temporary; }

int OutputFile::CreateBeside(const std::filesystem::path& target) {
  Remove();
  if (int fault = AnnouncedFault(impl_->faults, FileCall::Create, target)) return fault;
  RemoveLeftoverTemporaries(target.parent_path());
  std::lock_guard<std::mutex> steps(UnmarkedFileSteps());
  // No sharing while it is written; the folder's inherited permissions apply.
  if (int error = CreateUnderFreshName(target, GENERIC_WRITE | DELETE, FILE_ATTRIBUTE_NORMAL, impl_->handle,
                                       impl_->temporary)) {
    return error;
  }
  // A file system without the mark leaves the file under its name until the
  // next run removes it.
  impl_->markedForDeletion =
      AnnouncedFault(impl_->faults, FileCall::Nameless, target) == 0 && MarkForDeletion(impl_->handle, true);
  return 0;
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

int OutputFile::ReplaceTarget(const std::filesystem::path& target) {
  if (int fault = AnnouncedFault(impl_->faults, FileCall::Replace, target)) return fault;
  // Cleared first: a death between the two leaves the file under its name (for
  // the next run to remove), never the target deleted; a second Ctrl-C waits.
  {
    std::lock_guard<std::mutex> steps(UnmarkedFileSteps());
    if (impl_->markedForDeletion) {
      if (!MarkForDeletion(impl_->handle, false)) return static_cast<int>(::GetLastError());
      impl_->markedForDeletion = false;
    }
    if (!RenameOver(impl_->handle, target)) return static_cast<int>(::GetLastError());
  }
  impl_->temporary.clear();
  ::FlushFileBuffers(impl_->handle);  // the rename: no part of the result, it has happened
  ::CloseHandle(impl_->handle);
  impl_->handle = INVALID_HANDLE_VALUE;
  return 0;
}

void OutputFile::Remove() {
  if (impl_->handle != INVALID_HANDLE_VALUE) {
    // Marked again, the file goes with its handle, and its name with it.
    if (!impl_->markedForDeletion && MarkForDeletion(impl_->handle, true)) impl_->markedForDeletion = true;
    ::CloseHandle(impl_->handle);
    impl_->handle = INVALID_HANDLE_VALUE;
    if (!impl_->markedForDeletion && !impl_->temporary.empty()) ::DeleteFileW(SystemPath(impl_->temporary).c_str());
  }
  impl_->markedForDeletion = false;
  impl_->temporary.clear();
}

}  // namespace ranta2kv
