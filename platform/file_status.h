// What a path names, as the checks before and during a run ask it: a folder, a
// file with its size, something else, or nothing that can be reached. Links are
// followed: a link to a folder names a folder.
#pragma once

#include <cstdint>
#include <filesystem>

namespace ranta2kv {

enum class FileKind { None, File, Folder, Other };

struct FileStatus {
  FileKind kind = FileKind::None;
  std::uint64_t size = 0;  // of a file; 0 for anything else
};

// Never fails: a path that cannot be asked about names nothing.
FileStatus StatusOf(const std::filesystem::path& path);

}  // namespace ranta2kv
