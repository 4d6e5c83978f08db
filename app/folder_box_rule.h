// The rule of the folder box, the same in every window: Start may be pressed
// exactly when no pass runs and the box names an existing directory.
#pragma once

#include <filesystem>

namespace ranta2kv {

// True exactly when the path names an existing directory (not a file); the
// empty path names none. Never throws: an unreadable path names none either.
bool NamesExistingDirectory(const std::filesystem::path& folder);

// Whether Start is enabled for a folder box that names `folder`.
bool StartEnabled(bool running, const std::filesystem::path& folder);

}  // namespace ranta2kv
