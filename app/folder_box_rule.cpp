// The folder box rule of the windows.
#include "app/folder_box_rule.h"

#include <system_error>

namespace ranta2kv {

bool NamesExistingDirectory(const std::filesystem::path& folder) {
  if (folder.empty()) return false;
  std::error_code error;
  return std::filesystem::is_directory(folder, error);
}

bool StartEnabled(bool running, const std::filesystem::path& folder) {
  return !running && NamesExistingDirectory(folder);
}

}  // namespace ranta2kv
