// Tests of the attribute value: copies, conversions and their errors, texts of
// every type, equality with an integer, and the day numbers of dates.
#include <gtest/gtest.h>

#include <cstdint>

#include "common/date_time.h"
#include "common/variant.h"
#include "tests/support/error_message.h"

namespace ranta2kv {
namespace {

using test::ErrorMessage;

TEST(VariantTest, CopiesAreIndependent) {
  Variant original("abc");
  Variant copy = original;
  copy = Variant(5);
  EXPECT_EQ(original.TextValue(), "abc");
  EXPECT_EQ(copy.IntegerValue(), 5);
}

TEST(VariantConversionTest, ToInteger) {
  EXPECT_EQ(Variant(std::int64_t{1} << 40).ToInteger(), std::int64_t{1} << 40);
  EXPECT_EQ(Variant(" -3 ").ToInteger(), -3);
  EXPECT_EQ(Variant("+4").ToInteger(), 4);
  EXPECT_EQ(Variant(2.5).ToInteger(), 2);  // halves to even
  EXPECT_EQ(Variant(3.5).ToInteger(), 4);
  EXPECT_EQ(Variant::Currency(25000).ToInteger(), 2);
}

TEST(VariantConversionTest, ErrorsNameBothTypes) {
  for (const char* text : {"1a", "1.5", "", "99999999999999999999"}) {
    EXPECT_EQ(ErrorMessage([&] { Variant(text).ToInteger(); }),
              "Could not convert variant of type (String) into type (Int64)") << text;
  }
  EXPECT_EQ(ErrorMessage([] { Variant().ToInteger(); }), "Could not convert variant of type (Empty) into type (Int64)");
  EXPECT_EQ(ErrorMessage([] { Variant::Null().ToInteger(); }),
            "Could not convert variant of type (Null) into type (Int64)");
  EXPECT_EQ(ErrorMessage([] { Variant(1e300).ToInteger(); }),
            "Could not convert variant of type (Double) into type (Int64)");
  EXPECT_EQ(ErrorMessage([] { Variant("inf").ToFloat(); }),
            "Could not convert variant of type (String) into type (Double)");
}

TEST(VariantConversionTest, ToFloat) {
  EXPECT_DOUBLE_EQ(Variant("1.5").ToFloat(), 1.5);
  EXPECT_DOUBLE_EQ(Variant("1,5").ToFloat(), 1.5);
  EXPECT_DOUBLE_EQ(Variant::Currency(15).ToFloat(), 0.0015);
}

TEST(VariantTextTest, EveryType) {
  EXPECT_EQ(Variant().ToText('.'), "");
  EXPECT_EQ(Variant::Null().ToText('.'), "");
  EXPECT_EQ(Variant(-15).ToText('.'), "-15");
  EXPECT_EQ(Variant(0.5).ToText(','), "0,5");
  EXPECT_EQ(Variant::Boolean(false).ToText('.'), "False");
  EXPECT_EQ(Variant::Currency(12345678).ToText(','), "1234,5678");
  EXPECT_EQ(Variant::Currency(-5000).ToText('.'), "-0.5");
  EXPECT_EQ(Variant::Currency(INT64_MIN).ToText('.'), "-922337203685477.5808");
}

TEST(VariantTextTest, DateTime) {
  double date = EncodeDate(1999, 12, 31);
  EXPECT_EQ(Variant::DateTime(date).ToText('.'), "31.12.1999");
  EXPECT_EQ(Variant::DateTime(date + 0.5).ToText('.'), "31.12.1999 12:00:00");
  EXPECT_EQ(Variant::DateTime(0.25 + 1.0 / 86400).ToText('.'), "6:00:01");
  EXPECT_EQ(Variant::DateTime(0).ToText('.'), "30.12.1899");
  EXPECT_EQ(ErrorMessage([] { Variant::DateTime(5e6).ToText('.'); }),
            "Could not convert variant of type (Date) into type (String)");
}

TEST(VariantEqualityTest, WithAnInteger) {
  EXPECT_TRUE(Variant(5.0).EqualsInteger(5));
  EXPECT_FALSE(Variant(5.5).EqualsInteger(5));
  EXPECT_TRUE(Variant("5").EqualsInteger(5));
  EXPECT_TRUE(Variant(" 5.0").EqualsInteger(5));
  EXPECT_FALSE(Variant("five").EqualsInteger(5));
  EXPECT_FALSE(Variant().EqualsInteger(0));
  EXPECT_FALSE(Variant::Null().EqualsInteger(0));
  EXPECT_FALSE(Variant::Currency(50001).EqualsInteger(5));
}

TEST(DateTest, DayNumbers) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
  EXPECT_EQ(EncodeDate(2000, 3, 1), 36586);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465);
  EXPECT_FALSE(IsValidDate(1900, 2, 29));
  EXPECT_TRUE(IsValidDate(2000, 2, 29));
  EXPECT_FALSE(IsValidDate(2023, 4, 31));
}

TEST(DateTest, DecodeRoundTripsEveryDayOfFourHundredYears) {
  for (int days = 0; days < 146097; ++days) {
    int y = 0, m = 0, d = 0;
    DecodeDate(days + 0.75, y, m, d);
    ASSERT_TRUE(IsValidDate(y, m, d));
    ASSERT_EQ(EncodeDate(y, m, d), days);
  }
}

}  // namespace
}  // namespace ranta2kv
