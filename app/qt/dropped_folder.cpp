// The folder named by a drop from the file manager.
#include "app/qt/dropped_folder.h"

#include <QUrl>

#include "app/dropped_item.h"
#include "app/qt/folder_path.h"

namespace ranta2kv {

std::optional<QString> DroppedFolder(const QMimeData& dropped) {
  if (!dropped.hasUrls()) return std::nullopt;
  for (const QUrl& url : dropped.urls()) {
    if (!url.isLocalFile()) continue;
    if (auto folder = FolderOfDroppedItem(ToFilesystemPath(url.toLocalFile())))
      return FromFilesystemPath(*folder);
  }
  return std::nullopt;
}

}  // namespace ranta2kv
