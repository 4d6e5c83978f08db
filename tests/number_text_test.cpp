// Tests of the general 15-digit number text.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "common/number_text.h"

namespace ranta2kv {
namespace {

std::string Text(double value) { return FormatGeneralNumber(value, '.'); }

TEST(GeneralNumberTest, FifteenSignificantDigitsWithoutTrailingZeros) {
  EXPECT_EQ(Text(0), "0");
  EXPECT_EQ(Text(-0.0), "0");
  EXPECT_EQ(Text(-42), "-42");
  EXPECT_EQ(Text(1e14), "100000000000000");
  EXPECT_EQ(Text(0.1 + 0.2), "0.3");
  EXPECT_EQ(Text(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(Text(-2.0 / 3), "-0.666666666666667");
  EXPECT_EQ(Text(123456789.123456789), "123456789.123457");
}

TEST(GeneralNumberTest, FixedFromOneTenThousandthToBelowTenToTheFifteenAfterRounding) {
  EXPECT_EQ(Text(1e15 - 1), "999999999999999");
  EXPECT_EQ(Text(999999999999999.9), "1E15");
  EXPECT_EQ(Text(0.0001), "0.0001");
  EXPECT_EQ(Text(0.00009999999999999999), "0.0001");
  EXPECT_EQ(Text(0.000099999), "9.9999E-5");
  EXPECT_EQ(Text(-0.000123456789012345678), "-0.000123456789012346");
}

TEST(GeneralNumberTest, ScientificWithoutPlusOrLeadingExponentZeros) {
  EXPECT_EQ(Text(0.00001), "1E-5");
  EXPECT_EQ(Text(-2.5e-7), "-2.5E-7");
  EXPECT_EQ(Text(1.5e20), "1.5E20");
  EXPECT_EQ(Text(123456789012345678.0), "1.23456789012346E17");
  EXPECT_EQ(Text(std::numeric_limits<double>::denorm_min()), "4.94065645841247E-324");
}

TEST(GeneralNumberTest, DecimalSeparatorIsTheOneGiven) {
  EXPECT_EQ(FormatGeneralNumber(1234.5, ','), "1234,5");
  EXPECT_EQ(FormatGeneralNumber(1.5e20, ','), "1,5E20");
  EXPECT_EQ(FormatGeneralNumber(0.00015, ','), "0,00015");
}

TEST(GeneralNumberTest, NotANumberAndInfinity) {
  EXPECT_EQ(Text(std::nan("")), "NAN");
  EXPECT_EQ(Text(std::numeric_limits<double>::infinity()), "INF");
  EXPECT_EQ(Text(-std::numeric_limits<double>::infinity()), "-INF");
}

TEST(GeneralNumberTest, LongestTextsFitTheBuffer) {
  char buffer[kMaxGeneralNumberLength];
  EXPECT_EQ(FormatGeneralNumberTo(-1.23456789012345e-308, '.', buffer), 22u);
  EXPECT_EQ(std::string(buffer, 22), "-1.23456789012345E-308");
  EXPECT_EQ(FormatGeneralNumberTo(-0.000123456789012345, '.', buffer), 21u);
}

std::string Scaled(std::int64_t scaled, int scale) {
  char buffer[kMaxGeneralNumberLength];
  return std::string(buffer, FormatScaledDecimalTo(scaled, scale, ',', buffer));
}

TEST(ScaledDecimalTest, DigitsWithTheSeparatorPutIn) {
  EXPECT_EQ(Scaled(123456, 2), "1234,56");
  EXPECT_EQ(Scaled(-5, 1), "-0,5");
  EXPECT_EQ(Scaled(1230, 2), "12,3");
  EXPECT_EQ(Scaled(1000, 3), "1");
  EXPECT_EQ(Scaled(0, 4), "0");
  EXPECT_EQ(Scaled(7, 0), "7");
  EXPECT_EQ(Scaled(1, 4), "0,0001");
}

TEST(ScaledDecimalTest, OutsideFixedRangeFallsBackToTheGeneralText) {
  EXPECT_EQ(Scaled(1, 5), "1E-5");
  EXPECT_EQ(Scaled(1000000000000000, 0), "1E15");
  EXPECT_EQ(Scaled(123456789012345678, 2), "1,23456789012346E15");
}

TEST(ScaledDecimalTest, SameTextAsTheGeneralNumberOfTheQuotient) {
  const double powers[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  std::mt19937_64 random(11);
  for (int i = 0; i < 200000; ++i) {
    int scale = static_cast<int>(random() % 10);
    std::int64_t scaled = static_cast<std::int64_t>(random() >> (random() % 64));
    if (random() % 2) scaled = -scaled;
    if (scaled > (std::int64_t{1} << 53) || scaled < -(std::int64_t{1} << 53)) continue;
    ASSERT_EQ(Scaled(scaled, scale), FormatGeneralNumber(static_cast<double>(scaled) / powers[scale], ','))
        << scaled << " / 10^" << scale;
  }
}

}  // namespace
}  // namespace ranta2kv
