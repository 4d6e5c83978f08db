// The message of the Error an action throws, for assertions on exact texts.
#include "tests/support/error_message.h"

#include "common/error.h"

namespace ranta2kv::test {

std::string ErrorMessage(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "<no error>";
}

}  // namespace ranta2kv::test
