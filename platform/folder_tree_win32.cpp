// The output's folders on Windows: CreateDirectoryW, DeleteFileW and
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

std::error_code CreateFolders(const std::filesystem::path& folder, std::vector<std::filesystem::path>& made) {
  if (folder.empty() || StatusOf(folder).kind == FileKind::Folder) return {};
  const std::filesystem::path parent = folder.parent_path();
  if (parent != folder) {
    if (const std::error_code error = CreateFolders(parent, made)) return error;
  }
  if (!::CreateDirectoryW(SystemPath(folder).c_str(), nullptr)) {
    return std::error_code(static_cast<int>(::GetLastError()), std::system_category());
  }
  made.insert(made.begin(), folder);
  return {};
}

bool RemoveEmptyFolder(const std::filesystem::path& folder) {
  return ::RemoveDirectoryW(SystemPath(folder).c_str()) != 0;  // fails while the folder holds anything
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
