// The system's own text for an error code, as the messages of the program quote
// it: the text of errno (GetLastError() on Windows), in windows-1251.
#pragma once

#include <string>

namespace ranta2kv {

std::string SystemMessage(int code);

}  // namespace ranta2kv
