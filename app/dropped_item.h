// The folder named by one item dropped from the file manager: a folder itself,
// or the folder that holds a dropped file.
#pragma once

#include <filesystem>
#include <optional>

namespace ranta2kv {

// Nothing when the item does not exist.
std::optional<std::filesystem::path> FolderOfDroppedItem(const std::filesystem::path& item);

}  // namespace ranta2kv
