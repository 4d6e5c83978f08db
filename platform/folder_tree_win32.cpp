// The output's folders on Windows: CreateDirectoryW, MoveFileExW, DeleteFileW and
// RemoveDirectoryW under the paths' extended-length form, and the platform's own
// folder listing, so that they work at any depth.
#include "platform/folder_tree.h"

#include <windows.h>

#include <vector>

#include "common/error.h"
#include "platform/file_status.h"
#include "platform/folder_listing.h"
#include "platform/system_path_win32.h"

namespace ranta2kv {

void CreateFolders(const std::filesystem::path& folder) {
  if (folder.empty() || StatusOf(folder).kind == FileKind::Folder) return;
  const std::filesystem::path parent = folder.parent_path();
  if (parent != folder) CreateFolders(parent);
  ::CreateDirectoryW(SystemPath(folder).c_str(), nullptr);
}

bool CreateFreshFolder(const std::filesystem::path& folder) {
  return ::CreateDirectoryW(SystemPath(folder).c_str(), nullptr) != 0;
}

std::error_code RenameFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(), MOVEFILE_REPLACE_EXISTING)) return {};
  return std::error_code(static_cast<int>(::GetLastError()), std::system_category());
}

void RemoveFolderTree(const std::filesystem::path& folder) {
  std::vector<FolderEntry> entries;
  try {
    entries = ListFolder(folder);
  } catch (const Error&) {
  }
  for (const FolderEntry& entry : entries) {
    if (entry.isFolder) {
      RemoveFolderTree(folder / entry.name);
      continue;
    }
    // A link to a folder goes as a folder; what it leads to stays.
    const std::wstring name = SystemPath(folder / entry.name);
    if (!::DeleteFileW(name.c_str())) ::RemoveDirectoryW(name.c_str());
  }
  ::RemoveDirectoryW(SystemPath(folder).c_str());
}

}  // namespace ranta2kv
