// The folders that the command line makes for its output (--out): an output
// folder made with its missing parents, the folders made for an estimate
// removed again when it wrote nothing into them, and a tree removed whole.
#pragma once

#include <filesystem>
#include <system_error>
#include <vector>

namespace ranta2kv {

// Makes folder and its missing parents; made gets the folders made, innermost
// first. The system's error when one cannot be made.
std::error_code CreateFolders(const std::filesystem::path& folder, std::vector<std::filesystem::path>& made);

// Removes folder when it is empty; false when it holds anything or cannot be removed.
bool RemoveEmptyFolder(const std::filesystem::path& folder);

// Removes folder and everything in it, as far as it can (links, not what they
// lead to).
void RemoveFolderTree(const std::filesystem::path& folder);

}  // namespace ranta2kv
