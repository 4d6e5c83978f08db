// The folders that the command line makes for its output (--out): an output
// folder made with its missing parents, a staging folder of its own made fresh,
// a finished file moved from there into place, and the staging folder removed
// with what it holds.
#pragma once

#include <filesystem>
#include <system_error>

namespace ranta2kv {

// Makes folder and its missing parents; a folder that cannot be made is left
// out, and a write into it fails then.
void CreateFolders(const std::filesystem::path& folder);

// True when folder did not exist and is made now.
bool CreateFreshFolder(const std::filesystem::path& folder);

// Moves a file to another name on the same volume, over a file of that name;
// the system's error when it cannot.
std::error_code RenameFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Removes folder and everything in it, as far as it can (links, not what they
// lead to).
void RemoveFolderTree(const std::filesystem::path& folder);

}  // namespace ranta2kv
