// What the window program prints instead of opening its window: its help
// (--help, -h) and its version (--version). Asked before any window or toolkit
// is set up, so that it works with or without a screen.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ranta2kv {

// The text to print (UTF-8) for the program's arguments after its name, or
// nothing when they ask for the window.
std::optional<std::string> ProgramInfo(const std::vector<std::string>& arguments);

}  // namespace ranta2kv
