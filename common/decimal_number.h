// A number as a table stores it: its value, and where it is a decimal of at
// most 15 significant digits and at most 9 decimals, those digits and decimals
// exactly, so that its text needs no search for the decimal it came from.
#pragma once

#include <cstdint>

namespace ranta2kv {

struct DecimalNumber {
  double value = 0;
  std::int64_t digits = 0;  // value == digits / 10^scale, when scale >= 0
  int scale = -1;           // -1: only the value is known

  DecimalNumber() = default;
  DecimalNumber(double v) : value(v) {}  // NOLINT: any double is such a number
  DecimalNumber(double v, std::int64_t d, int s) : value(v), digits(d), scale(s) {}
};

}  // namespace ranta2kv
