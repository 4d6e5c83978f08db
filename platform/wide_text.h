// UTF-8 <-> UTF-16, for the Windows side of the platform layer (file names, the
// command line, the console, system messages). Windows only.
#pragma once

#include <string>
#include <string_view>

namespace ranta2kv {

std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

}  // namespace ranta2kv
