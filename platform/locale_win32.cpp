// The user's regional settings on Windows: the decimal separator set in the
// control panel. System error texts come from FormatMessageW, which needs no
// set-up; the C library's locale stays "C".
#include "platform/locale.h"

#include <windows.h>

namespace ranta2kv {

void AdoptUserLocale() {}

char UserDecimalSeparator() {
  wchar_t separator[8] = {};
  int length = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
  // length counts the terminating NUL: a one-character separator gives 2.
  if (length != 2 || separator[0] == L'\0' || separator[0] > 0x7F) return '.';
  return static_cast<char>(separator[0]);
}

}  // namespace ranta2kv
