// The output's folders on POSIX systems: std::filesystem, which takes a path of
// any length there.
#include "platform/folder_tree.h"

namespace ranta2kv {

std::error_code CreateFolders(const std::filesystem::path& folder, std::vector<std::filesystem::path>& made) {
  std::error_code error;
  std::vector<std::filesystem::path> missing;
  for (std::filesystem::path at = folder; !at.empty() && !std::filesystem::exists(at, error);) {
    missing.push_back(at);
    const std::filesystem::path parent = at.parent_path();
    if (parent == at) break;
    at = parent;
  }
  for (auto at = missing.rbegin(); at != missing.rend(); ++at) {
    if (!std::filesystem::create_directory(*at, error) && error) return error;
    made.insert(made.begin(), *at);
  }
  return {};
}

bool RemoveEmptyFolder(const std::filesystem::path& folder) {
  std::error_code error;
  return std::filesystem::is_empty(folder, error) && !error && std::filesystem::remove(folder, error);
}

void RemoveFolderTree(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::remove_all(folder, error);
}

}  // namespace ranta2kv
