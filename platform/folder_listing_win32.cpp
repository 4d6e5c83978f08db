// The listing of a folder on Windows: FindFirstFileExW and FindNextFileW. A
// folder that is a symbolic link or a junction counts as a link; other reparse
// points (folders of cloud storage kept on demand) are folders like any other.
#include "platform/folder_listing.h"

#include <windows.h>

#include "common/codepage.h"
#include "common/error.h"
#include "platform/file_name.h"
#include "platform/system_path_win32.h"
#include "platform/system_error.h"

namespace ranta2kv {
namespace {

[[noreturn]] void ThrowUnreadable(const std::filesystem::path& folder, DWORD code) {
  throw Error(std::string("Не удалось прочитать папку \""_cp1251) + PathTo1251(folder) + "\": " +
              SystemMessage(static_cast<int>(code)));
}

bool IsLink(const WIN32_FIND_DATAW& found) {
  return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
         (found.dwReserved0 == IO_REPARSE_TAG_SYMLINK || found.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT);
}

}  // namespace

std::vector<FolderEntry> ListFolder(const std::filesystem::path& folder) {
  std::wstring pattern = SystemPath(folder);
  pattern += pattern.ends_with(L'\\') ? L"*" : L"\\*";  // a drive's root ends in its separator
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) {
    const DWORD code = ::GetLastError();
    if (code == ERROR_FILE_NOT_FOUND) return {};  // a drive's root with nothing in it
    ThrowUnreadable(folder, code);
  }
  std::vector<FolderEntry> entries;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    FolderEntry listed{std::filesystem::path(name)};
    listed.isLink = IsLink(found);
    listed.isFolder = !listed.isLink && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entries.push_back(std::move(listed));
  } while (::FindNextFileW(search, &found));
  const DWORD code = ::GetLastError();
  ::FindClose(search);
  if (code != ERROR_NO_MORE_FILES) ThrowUnreadable(folder, code);
  return entries;
}

}  // namespace ranta2kv
