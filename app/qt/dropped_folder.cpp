// The folder named by a drop from the file manager.
#include "app/qt/dropped_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace ranta2kv {

std::optional<QString> DroppedFolder(const QMimeData& dropped) {
  if (!dropped.hasUrls()) return std::nullopt;
  for (const QUrl& url : dropped.urls()) {
    if (!url.isLocalFile()) continue;
    const QFileInfo item(url.toLocalFile());
    if (item.isDir()) return QDir::toNativeSeparators(QDir::cleanPath(item.absoluteFilePath()));
    if (item.exists()) return QDir::toNativeSeparators(item.absolutePath());
  }
  return std::nullopt;
}

}  // namespace ranta2kv
