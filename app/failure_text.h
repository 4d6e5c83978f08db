// The text the error box shows for a failure that left a conversion pass, as
// UTF-8: the system's own message (windows-1251) converted, or the runtime's text.
#pragma once

#include <exception>
#include <string>

namespace ranta2kv {

std::string FailureTextUtf8(std::exception_ptr failure);

}  // namespace ranta2kv
