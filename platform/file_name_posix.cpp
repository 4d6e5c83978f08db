// File names on POSIX systems are bytes; the program takes them as UTF-8.
#include "platform/file_name.h"

namespace ranta2kv {

std::filesystem::path PathFromUtf8(std::string_view utf8) { return std::filesystem::path(std::string(utf8)); }

std::string PathToUtf8(const std::filesystem::path& path) { return path.native(); }

}  // namespace ranta2kv
