// The one exception type of the system. Its message is windows-1251 text, as the
// system's fixed messages are; the window and the command line convert it to
// UTF-8 when they show it.
#pragma once

#include <stdexcept>
#include <string>

namespace ranta2kv {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message1251) : std::runtime_error(message1251) {}
};

}  // namespace ranta2kv
