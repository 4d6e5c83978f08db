// The text an attribute value is written with: a number in its general form with
// the decimal separator, a decimal from the digits it was read with, any other
// value through the clean-up rule. One rule for the nodes of the document and
// for the elements rendered straight from their values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/decimal_number.h"
#include "common/number_text.h"
#include "common/variant.h"

namespace ranta2kv {

// Room for any number's text.
inline constexpr std::size_t kAttributeNumberRoom = kMaxGeneralNumberLength;

// The scale k (0..9) at which value is m / 10^k exactly for an integer m, or -1.
// The test divides as the text does, so a value found here is written as itself.
int DecimalScale(double value, std::int64_t& scaled);

// The texts into out (at least kAttributeNumberRoom bytes); their length.
std::size_t IntegerAttributeText(std::int64_t value, char* out);
std::size_t DecimalAttributeText(const DecimalNumber& value, char decimalSeparator, char* out);

// The text of a value of any type: a view of its text, of out for a number, or
// of other for the rest (the clean-up rule). Empty for an empty value.
std::string_view VariantAttributeText(const Variant& value, char decimalSeparator, char* out, std::string& other);

}  // namespace ranta2kv
