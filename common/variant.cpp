// Conversions of the attribute value: to integer, to floating value and to text,
// and its equality with an integer. Failed conversions raise the variant
// conversion error, which names the value's type and the type asked for.
#include "common/variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

#include "common/date_time.h"
#include "common/error.h"
#include "common/number_text.h"

namespace ranta2kv {
namespace {

constexpr std::int64_t kCurrencyScale = 10000;

const char* TypeName(Variant::Type type) {
  switch (type) {
    case Variant::Type::Empty: return "Empty";
    case Variant::Type::Null: return "Null";
    case Variant::Type::Integer: return "Int64";
    case Variant::Type::Floating: return "Double";
    case Variant::Type::Currency: return "Currency";
    case Variant::Type::DateTime: return "Date";
    case Variant::Type::Boolean: return "Boolean";
    case Variant::Type::Text: return "String";
  }
  return "Unknown";
}

[[noreturn]] void ThrowConversionError(Variant::Type from, const char* to) {
  throw Error(std::string("Could not convert variant of type (") + TypeName(from) + ") into type (" + to + ")");
}

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// A decimal integer with an optional sign and blanks around it.
std::optional<std::int64_t> ParseIntegerText(std::string_view text) {
  text = TrimSpaces(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::int64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// A decimal number with '.' or ',' as its separator and blanks around it.
std::optional<double> ParseNumberText(std::string_view text) {
  text = TrimSpaces(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.size() > 64) return std::nullopt;
  char buffer[64];
  bool leadingDigit = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    buffer[i] = text[i] == ',' ? '.' : text[i];
    if (i < 2 && buffer[i] >= '0' && buffer[i] <= '9') leadingDigit = true;
  }
  if (!leadingDigit && text.front() != '.') return std::nullopt;  // no "inf" or "nan"
  double value = 0;
  auto [end, error] = std::from_chars(buffer, buffer + text.size(), value);
  if (error != std::errc() || end != buffer + text.size()) return std::nullopt;
  return value;
}

std::string CurrencyText(std::int64_t tenThousandths, char decimalSeparator) {
  bool negative = tenThousandths < 0;
  std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(tenThousandths)
                                     : static_cast<std::uint64_t>(tenThousandths);
  std::string text = (negative ? "-" : "") + std::to_string(magnitude / kCurrencyScale);
  std::uint64_t fraction = magnitude % kCurrencyScale;
  if (fraction != 0) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04u", static_cast<unsigned>(fraction));
    std::string_view fractionText(digits, 4);
    while (fractionText.back() == '0') fractionText.remove_suffix(1);
    text += decimalSeparator;
    text += fractionText;
  }
  return text;
}

// Dates as dd.mm.yyyy, times as h:mm:ss; the zero date with a time gives the
// time alone, a date at midnight the date alone.
std::string DateTimeText(double days) {
  if (!(days > -693594 && days < 2958466)) ThrowConversionError(Variant::Type::DateTime, "String");
  double whole = std::trunc(days);
  long seconds = std::lround(std::fabs(days - whole) * 86400.0);
  if (seconds >= 86400) seconds = 86399;
  char text[40];
  int length = 0;
  if (whole != 0 || seconds == 0) {
    int year = 0, month = 0, day = 0;
    DecodeDate(whole, year, month, day);
    length = std::snprintf(text, sizeof text, "%02d.%02d.%04d", day, month, year);
  }
  if (seconds != 0) {
    length += std::snprintf(text + length, sizeof text - length, "%s%ld:%02ld:%02ld", length ? " " : "",
                            seconds / 3600, seconds / 60 % 60, seconds % 60);
  }
  return std::string(text, length);
}

}  // namespace

Variant Variant::Null() {
  Variant value;
  value.type_ = Type::Null;
  return value;
}

Variant Variant::Boolean(bool flag) {
  Variant value;
  value.type_ = Type::Boolean;
  value.int_ = flag ? 1 : 0;
  return value;
}

Variant Variant::Currency(std::int64_t tenThousandths) {
  Variant value;
  value.type_ = Type::Currency;
  value.int_ = tenThousandths;
  return value;
}

Variant Variant::DateTime(double days) {
  Variant value;
  value.type_ = Type::DateTime;
  value.float_ = days;
  return value;
}

std::int64_t Variant::ToInteger() const {
  switch (type_) {
    case Type::Integer:
    case Type::Boolean:
      return int_;
    case Type::Currency:
      return std::llrint(static_cast<double>(int_) / kCurrencyScale);
    case Type::Floating:
    case Type::DateTime:
      if (std::isfinite(float_) && std::fabs(float_) < 9.2e18) return std::llrint(float_);  // halves to even, as the platform rounds
      break;
    case Type::Text:
      if (auto value = ParseIntegerText(text_)) return *value;
      break;
    case Type::Empty:
    case Type::Null:
      break;
  }
  ThrowConversionError(type_, "Int64");
}

double Variant::ToFloat() const {
  switch (type_) {
    case Type::Integer:
    case Type::Boolean:
      return static_cast<double>(int_);
    case Type::Currency:
      return static_cast<double>(int_) / kCurrencyScale;
    case Type::Floating:
    case Type::DateTime:
      return float_;
    case Type::Text:
      if (auto value = ParseNumberText(text_)) return *value;
      break;
    case Type::Empty:
    case Type::Null:
      break;
  }
  ThrowConversionError(type_, "Double");
}

std::string Variant::ToText(char decimalSeparator) const {
  switch (type_) {
    case Type::Empty:
    case Type::Null: return {};
    case Type::Integer: return std::to_string(int_);
    case Type::Floating: return FormatGeneralNumber(float_, decimalSeparator);
    case Type::Currency: return CurrencyText(int_, decimalSeparator);
    case Type::DateTime: return DateTimeText(float_);
    case Type::Boolean: return int_ ? "True" : "False";
    case Type::Text: return text_;
  }
  return {};
}

bool Variant::EqualsInteger(std::int64_t value) const {
  switch (type_) {
    case Type::Integer:
    case Type::Boolean:
      return int_ == value;
    case Type::Currency:
      return int_ % kCurrencyScale == 0 && int_ / kCurrencyScale == value;
    case Type::Floating:
    case Type::DateTime:
      return float_ == static_cast<double>(value);
    case Type::Text:
      if (auto integer = ParseIntegerText(text_)) return *integer == value;
      if (auto number = ParseNumberText(text_)) return *number == static_cast<double>(value);
      return false;
    case Type::Empty:
    case Type::Null:
      return false;
  }
  return false;
}

}  // namespace ranta2kv
