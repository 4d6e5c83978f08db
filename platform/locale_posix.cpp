// The user's locale on POSIX systems: the LC_* and LANG environment variables.
#include "platform/locale.h"

#include <clocale>
#include <langinfo.h>
#include <locale.h>

namespace ranta2kv {

void AdoptUserLocale() {
  std::setlocale(LC_ALL, "");
  std::setlocale(LC_NUMERIC, "C");
}

char UserDecimalSeparator() {
  // A locale object of its own, so that the answer does not depend on what the
  // process's LC_NUMERIC is at the time (a toolkit may have changed it).
  locale_t user = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
  if (user == static_cast<locale_t>(0)) return '.';
  const char* point = ::nl_langinfo_l(RADIXCHAR, user);
  char separator = point && point[0] != '\0' && point[1] == '\0' ? point[0] : '.';
  ::freelocale(user);
  return separator;
}

}  // namespace ranta2kv
