// Folder names as the window holds them (QString) and as the core takes them
// (std::filesystem::path), and the one test the window makes on a folder name.
#pragma once

#include <QString>
#include <filesystem>

namespace ranta2kv {

// True exactly when the text names an existing directory (not a file); the
// empty text names none.
bool IsExistingDirectory(const QString& folder);

std::filesystem::path ToFilesystemPath(const QString& folder);
QString FromFilesystemPath(const std::filesystem::path& path);

}  // namespace ranta2kv
