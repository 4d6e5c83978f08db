// The name under which the Win32 files of the platform layer give a path to the
// system: its extended-length form, which no length limit of the system applies
// to and which takes no long-path setting of the machine. Windows only; the
// paths of the core and of every message stay as the user gave them.
#pragma once

#include <filesystem>
#include <string>

namespace ranta2kv {

// The extended-length form of path, taken against the process's current folder
// (for "D:name", the current folder of drive D:).
std::wstring SystemPath(const std::filesystem::path& path);

}  // namespace ranta2kv
