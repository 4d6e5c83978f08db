// The system's name of a path on Windows: the current folder that a relative
// path needs from GetFullPathNameW, the rule itself from ExtendedLengthPath.
#include "platform/system_path_win32.h"

#include <windows.h>

#include "platform/extended_length_path.h"

namespace ranta2kv {
namespace {

bool IsDriveRelative(const std::wstring& path) {
  return path.size() >= 2 && path[1] == L':' && (path.size() == 2 || (path[2] != L'\\' && path[2] != L'/'));
}

// The current folder of the process, or of the drive that "D:name" names: the
// system keeps one for each drive.
std::wstring CurrentFolderFor(const std::wstring& path) {
  const std::wstring of = IsDriveRelative(path) ? path.substr(0, 2) : L".";
  std::wstring folder(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetFullPathNameW(of.c_str(), static_cast<DWORD>(folder.size()), folder.data(), nullptr);
    if (length == 0) return {};
    if (length < folder.size()) {
      folder.resize(length);
      return folder;
    }
    folder.resize(length);  // the length then counts the terminating NUL
  }
}

}  // namespace

std::wstring SystemPath(const std::filesystem::path& path) {
  return ExtendedLengthPath(path.native(), CurrentFolderFor(path.native()));
}

}  // namespace ranta2kv
