// Folder names between the window (QString) and the core (std::filesystem::path).
#include "app/qt/folder_path.h"

#include <QFile>

#include "app/folder_box_rule.h"

namespace ranta2kv {

bool IsExistingDirectory(const QString& folder) {
  return NamesExistingDirectory(ToFilesystemPath(folder));
}

std::filesystem::path ToFilesystemPath(const QString& folder) {
  return std::filesystem::path(QFile::encodeName(folder).toStdString());
}

QString FromFilesystemPath(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

}  // namespace ranta2kv
