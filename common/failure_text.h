// The text of a failure that ended a run, as the log, the error box and the
// command line show it: the system's own message (windows-1251) as it is, or
// the runtime's text of any other exception.
#pragma once

#include <exception>
#include <string>

namespace ranta2kv {

std::string FailureText1251(std::exception_ptr failure);
std::string FailureTextUtf8(std::exception_ptr failure);

}  // namespace ranta2kv
