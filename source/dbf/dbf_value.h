// The conversion of a DBF field's stored bytes into its value: integers, floats
// with "." whatever the locale, booleans, dates with the Gregorian check, and
// text up to the first NUL. Each parser returns no value where the field is null.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "common/decimal_number.h"

namespace ranta2kv {

struct DbfDate {
  int year = 0;   // 1..9999
  int month = 0;  // 1..12
  int day = 0;    // 1..days of that month
};

// Leading blanks, an optional sign, then decimal digits to the end of the field.
// A value beyond 64 bits is null as well.
std::optional<std::int64_t> ParseDbfInteger(std::string_view bytes);
// Blanks around, an optional sign, digits with at most one ".", an optional
// exponent after "E" or "e". A value beyond the range of a double is null.
std::optional<double> ParseDbfFloat(std::string_view bytes);
// The same value, with its digits and decimals where it has at most 15 digits
// and at most 9 decimals.
std::optional<DecimalNumber> ParseDbfDecimal(std::string_view bytes);
// "T", "t", "Y", "y" are true; "F", "f", "N", "n" false; anything else is null.
std::optional<bool> ParseDbfLogical(std::string_view bytes);
// Year (4), month (2), day (2), each byte counting as its code minus 0x30.
std::optional<DbfDate> ParseDbfDate(std::string_view bytes);
// The bytes up to the first NUL (all of them when there is none).
std::string_view DbfText(std::string_view bytes);

}  // namespace ranta2kv
