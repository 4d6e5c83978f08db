// The removal of leftover temporary files on Windows: each file under a name of
// ours is deleted with DeleteFileW, which fails with a sharing violation while a
// running copy writes it (its handle shares no delete access), and for a file the
// system is about to delete already.
#include "platform/leftover_temporaries.h"

#include <windows.h>

#include "platform/system_path_win32.h"
#include "platform/temporary_name.h"

namespace ranta2kv {

void RemoveLeftoverTemporaries(const std::filesystem::path& folder) {
  const std::wstring pattern = SystemPath(folder / L".ranta2kv-*.tmp");
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    // Not a folder, nor a link or any other reparse point under our name.
    if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) continue;
    if (IsTemporaryName(found.cFileName)) ::DeleteFileW(SystemPath(folder / found.cFileName).c_str());
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
}

}  // namespace ranta2kv
