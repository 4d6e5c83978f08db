// UTF-16 conversions of the Win32 window.
#include "app/win32/wide_text.h"

#include <windows.h>

namespace ranta2kv::win32 {
namespace {

std::wstring ToWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                      length);
  return wide;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }
std::wstring Cp1251ToWide(std::string_view text1251) { return ToWide(1251, text1251); }

}  // namespace ranta2kv::win32
