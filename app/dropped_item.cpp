// The folder of a dropped file or folder.
#include "app/dropped_item.h"

#include <system_error>

#include "platform/file_status.h"

namespace ranta2kv {

std::optional<std::filesystem::path> FolderOfDroppedItem(const std::filesystem::path& item) {
  const FileKind kind = StatusOf(item).kind;
  if (kind == FileKind::None) return std::nullopt;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(item, error).lexically_normal();
  if (error) return std::nullopt;
  if (kind == FileKind::Folder) {
    // A trailing separator names the same folder; the box shows it without one.
    return absolute.has_filename() ? absolute : absolute.parent_path();
  }
  return absolute.parent_path();
}

}  // namespace ranta2kv
