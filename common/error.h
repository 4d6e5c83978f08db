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

// The failure of a file under a source table: a read that failed, or a file that
// changed while it was held. It is never a problem of one row's data: whoever
// drops rows for their data lets it pass, and it ends the pass.
class SourceFileError : public Error {
 public:
  using Error::Error;
};

}  // namespace ranta2kv
