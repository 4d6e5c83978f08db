// The entries of one folder as the search for estimate folders needs them: the
// name, whether it is a folder, and whether it is a link (a symbolic link, or on
// Windows a junction), which the search never follows.
#pragma once

#include <filesystem>
#include <vector>

namespace ranta2kv {

struct FolderEntry {
  std::filesystem::path name;  // the entry's name alone
  bool isFolder = false;       // a folder itself (a link to one is no folder)
  bool isLink = false;
};

// The entries of folder, without "." and "..", in the order the system gives
// them. Throws Error with the folder's name and the system's message when the
// folder cannot be read.
std::vector<FolderEntry> ListFolder(const std::filesystem::path& folder);

}  // namespace ranta2kv
