// The system's message of an errno value, from the C library in the UTF-8 locale
// text it gives, converted to windows-1251.
#include "platform/system_error.h"

#include <cstring>

#include "common/codepage.h"

namespace ranta2kv {

std::string SystemMessage(int code) {
  char buffer[256];
  const char* text = strerror_r(code, buffer, sizeof buffer);  // the GNU variant
  return Utf8ToCp1251(text);
}

}  // namespace ranta2kv
