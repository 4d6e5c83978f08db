// The text of attribute values.
#include "estimate/attribute_text.h"

#include <charconv>
#include <cmath>

#include "common/text.h"

namespace ranta2kv {
namespace {

constexpr int kMaxScale = 9;
constexpr double kPowersOfTen[kMaxScale + 1] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
constexpr double kExactIntegerLimit = 9007199254740992.0;  // 2^53

}  // namespace

int DecimalScale(double value, std::int64_t& scaled) {
  if (value == 0 && std::signbit(value)) return -1;
  for (int k = 0; k <= kMaxScale; ++k) {
    double m = std::nearbyint(value * kPowersOfTen[k]);
    if (!(std::fabs(m) < kExactIntegerLimit)) return -1;
    if (m / kPowersOfTen[k] == value) {
      scaled = static_cast<std::int64_t>(m);
      return k;
    }
  }
  return -1;
}

std::size_t IntegerAttributeText(std::int64_t value, char* out) {
  return static_cast<std::size_t>(std::to_chars(out, out + kAttributeNumberRoom, value).ptr - out);
}

std::size_t DecimalAttributeText(const DecimalNumber& value, char decimalSeparator, char* out) {
  if (value.scale >= 0 && value.scale <= kMaxScale) {
    return FormatScaledDecimalTo(value.digits, value.scale, decimalSeparator, out);
  }
  std::int64_t scaled = 0;
  const int scale = DecimalScale(value.value, scaled);
  if (scale >= 0) return FormatScaledDecimalTo(scaled, scale, decimalSeparator, out);
  return FormatGeneralNumberTo(value.value, decimalSeparator, out);
}

std::string_view VariantAttributeText(const Variant& value, char decimalSeparator, char* out, std::string& other) {
  switch (value.type()) {
    case Variant::Type::Empty:
      return {};
    case Variant::Type::Text:
      return value.TextValue();
    case Variant::Type::Integer:
      return std::string_view(out, IntegerAttributeText(value.IntegerValue(), out));
    case Variant::Type::Floating:
      return std::string_view(out, DecimalAttributeText(DecimalNumber(value.FloatValue()), decimalSeparator, out));
    default:
      other = CleanVariantText(value, true, true, decimalSeparator);
      return other;
  }
}

}  // namespace ranta2kv
