// The output's folders on POSIX systems: std::filesystem, which takes a path of
// any length there.
#include "platform/folder_tree.h"

namespace ranta2kv {

void CreateFolders(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
}

bool CreateFreshFolder(const std::filesystem::path& folder) {
  std::error_code error;
  return std::filesystem::create_directory(folder, error);
}

std::error_code RenameFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::error_code error;
  std::filesystem::rename(from, to, error);
  return error;
}

void RemoveFolderTree(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::remove_all(folder, error);
}

}  // namespace ranta2kv
