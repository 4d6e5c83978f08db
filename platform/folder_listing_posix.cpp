// The listing of a folder on POSIX systems: opendir(3) and readdir(3), with the
// entry's type from the directory where the file system gives it, else from
// lstat(2), so that a symbolic link is never taken for what it points to.
#include "platform/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "common/codepage.h"
#include "common/error.h"
#include "platform/file_name.h"
#include "platform/system_error.h"

namespace ranta2kv {
namespace {

[[noreturn]] void ThrowUnreadable(const std::filesystem::path& folder, int code) {
  throw Error(std::string("Не удалось прочитать папку \""_cp1251) + PathTo1251(folder) + "\": " +
              SystemMessage(code));
}

}  // namespace

std::vector<FolderEntry> ListFolder(const std::filesystem::path& folder) {
  DIR* directory = ::opendir(folder.c_str());
  if (directory == nullptr) ThrowUnreadable(folder, errno);
  std::vector<FolderEntry> entries;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(directory);
    if (entry == nullptr) break;
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    FolderEntry listed{entry->d_name};
    unsigned char type = entry->d_type;
    if (type == DT_UNKNOWN) {
      struct stat status {};
      if (::fstatat(::dirfd(directory), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0)
        type = S_ISDIR(status.st_mode) ? DT_DIR : S_ISLNK(status.st_mode) ? DT_LNK : DT_REG;
    }
    listed.isFolder = type == DT_DIR;
    listed.isLink = type == DT_LNK;
    entries.push_back(std::move(listed));
  }
  const int failure = errno;
  ::closedir(directory);
  if (failure != 0) ThrowUnreadable(folder, failure);
  return entries;
}

}  // namespace ranta2kv
