// The folder of a dropped file or folder.
#include "app/dropped_item.h"

#include <system_error>

namespace ranta2kv {

std::optional<std::filesystem::path> FolderOfDroppedItem(const std::filesystem::path& item) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(item, error);
  if (error || !std::filesystem::exists(status)) return std::nullopt;
  const std::filesystem::path absolute = std::filesystem::absolute(item, error).lexically_normal();
  if (error) return std::nullopt;
  if (std::filesystem::is_directory(status)) {
    // A trailing separator names the same folder; the box shows it without one.
    return absolute.has_filename() ? absolute : absolute.parent_path();
  }
  return absolute.parent_path();
}

}  // namespace ranta2kv
