// Tests that the DBF reader's reading of a plain decimal field (digits with one
// ".") is the correctly rounded double, the same that strtod gives for the text,
// and that the digits it keeps give the text that the double gives.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "common/number_text.h"
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

// A field read with its digits is written from them: the text must be the one
// the double alone would give, for any field a table may hold.
TEST(DbfFloatParseTest, DigitsKeptGiveTheTextOfTheValue) {
  std::mt19937_64 random(11);
  char fromDigits[kMaxGeneralNumberLength], fromValue[kMaxGeneralNumberLength];
  for (int i = 0; i < 300000; ++i) {
    const int digits = 1 + static_cast<int>(random() % 17), point = static_cast<int>(random() % (digits + 2));
    std::string text = random() % 3 == 0 ? " -" : "  ";
    for (int d = 0; d < digits; ++d) {
      if (d == point) text += '.';
      text += static_cast<char>('0' + (d == 0 && random() % 2 ? 0 : random() % 10));
    }
    const std::optional<DecimalNumber> number = ParseDbfDecimal(text);
    ASSERT_TRUE(number.has_value()) << text;
    EXPECT_EQ(number->value, *ParseDbfFloat(text)) << text;
    if (number->scale < 0) continue;
    const std::size_t a = FormatScaledDecimalTo(number->digits, number->scale, ',', fromDigits);
    const std::size_t b = FormatGeneralNumberTo(number->value, ',', fromValue);
    EXPECT_EQ(std::string(fromDigits, a), std::string(fromValue, b)) << text;
  }
  EXPECT_FALSE(ParseDbfDecimal("1.2.3").has_value());
  EXPECT_EQ(ParseDbfDecimal("1.5E3")->value, 1500.0);
  EXPECT_EQ(ParseDbfDecimal("1.5E3")->scale, -1);
  EXPECT_EQ(ParseDbfDecimal("0.0000000001")->scale, -1);  // ten decimals: the value only
}

}  // namespace
}  // namespace ranta2kv
