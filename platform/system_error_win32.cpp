// The system's message of a GetLastError() code from FormatMessageW, in the
// language Windows gives it for the user, converted to windows-1251 without the
// line end it comes with.
#include "platform/system_error.h"

#include <windows.h>

#include <string>

#include "common/codepage.h"
#include "platform/wide_text.h"

namespace ranta2kv {

std::string SystemMessage(int code) {
  wchar_t* text = nullptr;
  DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                  nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0,
                                  nullptr);
  if (length == 0 || text == nullptr) return "Error " + std::to_string(code);
  std::wstring message(text, length);
  ::LocalFree(text);
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' ')) {
    message.pop_back();
  }
  return Utf8ToCp1251(Utf8FromWide(message));
}

}  // namespace ranta2kv
