// The decimal separator of the user's locale on POSIX systems: from the
// environment, whatever the process's own LC_NUMERIC is.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "platform/locale.h"

namespace ranta2kv {
namespace {

TEST(UserLocaleTest, SeparatorFollowsTheEnvironment) {
  const char* saved = std::getenv("LC_ALL");
  const std::string savedValue = saved ? saved : "";
  ::setenv("LC_ALL", "C", 1);
  EXPECT_EQ(UserDecimalSeparator(), '.');
  ::setenv("LC_ALL", "ru_RU.UTF-8", 1);
  if (std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") != nullptr) {
    std::setlocale(LC_NUMERIC, "C");  // the process stays in C; the answer must not
    EXPECT_EQ(UserDecimalSeparator(), ',');
  }
  if (saved) ::setenv("LC_ALL", savedValue.c_str(), 1); else ::unsetenv("LC_ALL");
}

}  // namespace
}  // namespace ranta2kv
