// Tests that the DBF reader's reading of a plain decimal field (digits with one
// ".") is the correctly rounded double, the same that strtod gives for the text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "source/dbf/dbf_value.h"

namespace ranta2kv {
namespace {

void ExpectSameAsStrtod(const std::string& text) {
  const std::optional<double> value = ParseDbfFloat(text);
  ASSERT_TRUE(value.has_value()) << text;
  const double expected = std::strtod(text.c_str(), nullptr);  // "." in the C locale of the test
  EXPECT_EQ(std::memcmp(&*value, &expected, sizeof expected), 0) << text << ": " << *value << " vs " << expected;
}

TEST(DbfFloatParseTest, PlainDecimalsAreCorrectlyRounded) {
  for (const char* text : {"0.1", "0.3", "2.675", "-1.005", "123456789012345", "12345678901234.5",
                           "0.000000000000001", "999999999999999", "9007199254740.993", "5.", ".5", "-0.00"}) {
    ExpectSameAsStrtod(text);
  }
}

TEST(DbfFloatParseTest, RandomPlainDecimalsUpToSeventeenDigits) {
  std::mt19937_64 random(7);
  for (int i = 0; i < 200000; ++i) {
    const int digits = 1 + static_cast<int>(random() % 17), point = static_cast<int>(random() % (digits + 1));
    std::string text = random() % 2 ? "-" : "";
    for (int d = 0; d < digits; ++d) {
      if (d == point) text += '.';
      text += static_cast<char>('0' + random() % 10);
    }
    ExpectSameAsStrtod(text);
  }
}

}  // namespace
}  // namespace ranta2kv
