// The message of the Error an action throws, for tests that assert exact
// message texts: `EXPECT_EQ(ErrorMessage([&] { ... }), "Индекс ..."_cp1251);`.
#pragma once

#include <functional>
#include <string>

namespace ranta2kv::test {

// The what() text of the ranta2kv::Error that action throws (windows-1251), or
// "<no error>" when it throws none. Other exceptions pass through.
std::string ErrorMessage(const std::function<void()>& action);

}  // namespace ranta2kv::test
