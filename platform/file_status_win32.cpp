// What a path names on Windows: GetFileAttributesExW under the path's
// extended-length form; for a symbolic link or junction, the attributes of what
// it leads to, through a handle that only reads attributes (which any share
// mode allows).
#include "platform/file_status.h"

#include <windows.h>

#include "platform/system_path_win32.h"

namespace ranta2kv {
namespace {

FileStatus StatusFrom(DWORD attributes, DWORD sizeHigh, DWORD sizeLow) {
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return {FileKind::Folder, 0};
  return {FileKind::File, (static_cast<std::uint64_t>(sizeHigh) << 32) | sizeLow};
}

}  // namespace

FileStatus StatusOf(const std::filesystem::path& path) {
  if (path.empty()) return {};
  const std::wstring name = SystemPath(path);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data)) return {};
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    return StatusFrom(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow);
  }
  HANDLE handle = ::CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {};  // a link that leads nowhere
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = ::GetFileInformationByHandle(handle, &info) != 0;
  ::CloseHandle(handle);
  if (!known) return {};
  return StatusFrom(info.dwFileAttributes, info.nFileSizeHigh, info.nFileSizeLow);
}

}  // namespace ranta2kv
