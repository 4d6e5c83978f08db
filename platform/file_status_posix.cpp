// What a path names on POSIX systems: stat(2), which follows symbolic links.
#include "platform/file_status.h"

#include <sys/stat.h>

namespace ranta2kv {

FileStatus StatusOf(const std::filesystem::path& path) {
  struct stat status {};
  if (path.empty() || ::stat(path.c_str(), &status) != 0) return {};
  if (S_ISDIR(status.st_mode)) return {FileKind::Folder, 0};
  if (S_ISREG(status.st_mode)) return {FileKind::File, static_cast<std::uint64_t>(status.st_size)};
  return {FileKind::Other, 0};
}

}  // namespace ranta2kv
