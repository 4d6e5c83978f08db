// File names as the core's texts hold them: a path from and to UTF-8 (the command
// line, the console, the window) and from and to windows-1251 (messages and the
// estimate's own codes). The same name gives the same text on every system.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace ranta2kv {

std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string PathToUtf8(const std::filesystem::path& path);

// Through the two above and the program's own windows-1251 table; a character
// that windows-1251 cannot hold becomes '?'.
std::filesystem::path PathFrom1251(std::string_view text1251);
std::string PathTo1251(const std::filesystem::path& path);

}  // namespace ranta2kv
