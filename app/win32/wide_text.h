// Text between the core (windows-1251 and UTF-8 bytes) and the Win32 API (UTF-16).
#pragma once

#include <string>
#include <string_view>

namespace ranta2kv::win32 {

std::wstring Utf8ToWide(std::string_view utf8);
std::wstring Cp1251ToWide(std::string_view text1251);

}  // namespace ranta2kv::win32
