// The general 15-digit number text of floating values. The digits come from an exact shortest-rounding conversion
// to 15 significant digits, which is then reshaped into fixed or scientific form.
#include "common/number_text.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace ranta2kv {
namespace {

constexpr int kSignificantDigits = 15;

// The value rounded to 15 significant digits: the digits without trailing zeros
// and the decimal exponent of the first digit.
struct RoundedDigits {
  char digits[kSignificantDigits];
  int count = 0;
  int exponent = 0;
};

RoundedDigits RoundToSignificant(double magnitude) {
  char text[40];
  auto result = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific,
                              kSignificantDigits - 1);
  RoundedDigits rounded;
  const char* p = text;
  for (; p < result.ptr && *p != 'e'; ++p) {
    if (*p != '.') rounded.digits[rounded.count++] = *p;
  }
  std::from_chars(p + 1 + (p[1] == '+'), result.ptr, rounded.exponent);
  while (rounded.count > 1 && rounded.digits[rounded.count - 1] == '0') --rounded.count;
  return rounded;
}

char* WriteFixed(const RoundedDigits& r, char decimalSeparator, char* out) {
  if (r.exponent < 0) {
    *out++ = '0';
    *out++ = decimalSeparator;
    for (int i = 0; i < -r.exponent - 1; ++i) *out++ = '0';
    std::memcpy(out, r.digits, r.count);
    return out + r.count;
  }
  int integerDigits = r.exponent + 1;
  for (int i = 0; i < integerDigits; ++i) *out++ = i < r.count ? r.digits[i] : '0';
  if (r.count > integerDigits) {
    *out++ = decimalSeparator;
    std::memcpy(out, r.digits + integerDigits, r.count - integerDigits);
    out += r.count - integerDigits;
  }
  return out;
}

char* WriteScientific(const RoundedDigits& r, char decimalSeparator, char* out) {
  *out++ = r.digits[0];
  if (r.count > 1) {
    *out++ = decimalSeparator;
    std::memcpy(out, r.digits + 1, r.count - 1);
    out += r.count - 1;
  }
  *out++ = 'E';
  return std::to_chars(out, out + 8, r.exponent).ptr;
}

std::size_t WriteSpecial(double value, char* out) {
  const char* text = std::isnan(value) ? "NAN" : value < 0 ? "-INF" : "INF";
  std::size_t length = std::strlen(text);
  std::memcpy(out, text, length);
  return length;
}

}  // namespace

std::size_t FormatGeneralNumberTo(double value, char decimalSeparator, char* out) {
  if (!std::isfinite(value)) return WriteSpecial(value, out);
  if (value == 0) {
    out[0] = '0';  // also for negative zero
    return 1;
  }
  char* p = out;
  if (value < 0) *p++ = '-';
  RoundedDigits rounded = RoundToSignificant(std::fabs(value));
  bool fixed = rounded.exponent >= -4 && rounded.exponent < kSignificantDigits;
  p = fixed ? WriteFixed(rounded, decimalSeparator, p) : WriteScientific(rounded, decimalSeparator, p);
  return static_cast<std::size_t>(p - out);
}

// A decimal of at most 15 significant digits comes back from its nearest double
// when rounded to 15 digits, so its own digits are the text, in fixed notation
// from 0.0001 up.
std::size_t FormatScaledDecimalTo(std::int64_t scaled, int scale, char decimalSeparator, char* out) {
  static constexpr double kPowersOfTen[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  constexpr std::uint64_t kFifteenDigits = 1000000000000000;
  std::uint64_t magnitude = scaled < 0 ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
  if (scale < 0 || scale > 9) {
    return FormatGeneralNumberTo(static_cast<double>(scaled) * std::pow(10.0, -scale), decimalSeparator, out);
  }
  std::uint64_t fixedFrom = scale > 4 ? static_cast<std::uint64_t>(kPowersOfTen[scale - 4]) : 0;
  if (magnitude >= kFifteenDigits || magnitude < fixedFrom) {
    return FormatGeneralNumberTo(static_cast<double>(scaled) / kPowersOfTen[scale], decimalSeparator, out);
  }
  if (magnitude == 0) {
    out[0] = '0';
    return 1;
  }
  for (; scale > 0 && magnitude % 10 == 0; --scale) magnitude /= 10;
  char digits[20];
  int count = static_cast<int>(std::to_chars(digits, digits + sizeof digits, magnitude).ptr - digits);
  char* p = out;
  if (scaled < 0) *p++ = '-';
  if (count > scale) {
    std::memcpy(p, digits, count - scale);
    p += count - scale;
  } else {
    *p++ = '0';
  }
  if (scale > 0) {
    *p++ = decimalSeparator;
    for (int i = count; i < scale; ++i) *p++ = '0';
    int fraction = count < scale ? count : scale;
    std::memcpy(p, digits + count - fraction, fraction);
    p += fraction;
  }
  return static_cast<std::size_t>(p - out);
}

std::string FormatGeneralNumber(double value, char decimalSeparator) {
  char text[kMaxGeneralNumberLength];
  return std::string(text, FormatGeneralNumberTo(value, decimalSeparator, text));
}


}  // namespace ranta2kv
