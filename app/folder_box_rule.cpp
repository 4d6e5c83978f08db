// The folder box rule of the windows.
#include "app/folder_box_rule.h"

#include "platform/file_status.h"

namespace ranta2kv {

bool NamesExistingDirectory(const std::filesystem::path& folder) {
  return !folder.empty() && StatusOf(folder).kind == FileKind::Folder;
}

bool StartEnabled(bool running, const std::filesystem::path& folder) {
  return !running && NamesExistingDirectory(folder);
}

}  // namespace ranta2kv
