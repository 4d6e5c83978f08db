// File names on Windows are UTF-16. Bytes that are no UTF-8, and lone surrogates
// of a name, become U+FFFD.
#include "platform/file_name.h"

#include "platform/wide_text.h"

namespace ranta2kv {

std::filesystem::path PathFromUtf8(std::string_view utf8) { return std::filesystem::path(WideFromUtf8(utf8)); }

std::string PathToUtf8(const std::filesystem::path& path) { return Utf8FromWide(path.native()); }

}  // namespace ranta2kv
