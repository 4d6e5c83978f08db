// Forming the key texts of records and of search values. Record keys are written
// in place into the index's key buffer, so that building an index allocates
// nothing per record.
#include "source/dbf/key_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/date_time.h"
#include "common/text.h"

namespace ranta2kv {
namespace {

// Room for the fixed form of any double with up to 255 decimals.
constexpr std::size_t kMaxFixedDigits = 700;

// Places the digits (with their "." when there are decimals) right-aligned into
// out[0, length), applying the rules for zero fill, negatives and overflow.
void PlaceNumericKey(std::string_view digits, bool negative, std::uint16_t length, std::uint8_t decimals,
                     char* out) {
  if (digits.empty() || digits.size() > length) {
    std::memset(out, '0', length);
    if (decimals > 0 && length > decimals) out[length - decimals - 1] = '.';
    return;
  }
  std::size_t fill = length - digits.size();
  std::memset(out, '0', fill);
  std::memcpy(out + fill, digits.data(), digits.size());
  if (negative) {
    for (std::size_t i = 0; i < length; ++i) out[i] = static_cast<char>(92 - out[i]);
  }
}

// Writes |value| in fixed notation with `decimals` decimals; empty when it does not fit.
std::string_view FixedDigits(double magnitude, std::uint8_t decimals, char (&buffer)[kMaxFixedDigits]) {
  if (!std::isfinite(magnitude)) return {};
  auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return {};
  return std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer));
}

void PlaceDoubleKey(double value, std::uint16_t length, std::uint8_t decimals, char* out) {
  char buffer[kMaxFixedDigits];
  bool negative = value < 0;
  PlaceNumericKey(FixedDigits(negative ? -value : value, decimals, buffer), negative, length, decimals, out);
}

void PlaceIntegerKey(std::int64_t value, std::uint16_t length, char* out) {
  char buffer[24];
  bool negative = value < 0;
  std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude);
  PlaceNumericKey(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)), negative, length, 0, out);
}

void PlaceDateKey(const DbfDate& date, char* out) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d", date.year, date.month, date.day);
  std::memcpy(out, text, 8);
}

bool IsTextKind(DbfValueKind kind) {
  return kind == DbfValueKind::Text || kind == DbfValueKind::Memo || kind == DbfValueKind::Other;
}

std::string IntegerSearchKey(const KeyFormat& format, const Variant& value) {
  std::string key(format.length, ' ');
  if (value.type() == Variant::Type::Integer || value.type() == Variant::Type::Boolean) {
    PlaceIntegerKey(value.IntegerValue(), format.length, key.data());
  } else if (auto exact = value.type() == Variant::Type::Text ? ParseDbfInteger(TrimSpaces(value.TextValue()))
                                                                : std::nullopt) {
    PlaceIntegerKey(*exact, format.length, key.data());
  } else {
    PlaceDoubleKey(value.ToFloat(), format.length, format.decimals, key.data());
  }
  return key;
}

std::string DateSearchKey(const KeyFormat& format, const Variant& value) {
  std::string key(format.length, ' ');
  double days = value.ToFloat();
  if (format.length < 8 || !(days >= EncodeDate(1, 1, 1) && days < EncodeDate(9999, 12, 31) + 1)) return key;
  DbfDate date;
  DecodeDate(days, date.year, date.month, date.day);
  PlaceDateKey(date, key.data());
  return key;
}

}  // namespace

std::string NumericKey(double value, std::uint16_t length, std::uint8_t decimals) {
  std::string key(length, ' ');
  PlaceDoubleKey(value, length, decimals, key.data());
  return key;
}

std::string NumericKey(std::int64_t value, std::uint16_t length) {
  std::string key(length, ' ');
  PlaceIntegerKey(value, length, key.data());
  return key;
}

void WriteRecordKey(const KeyFormat& format, const DbfFieldValue& value, char* out) {
  const std::size_t length = format.length;
  if (length == 0) return;  // a field of width 0 has the empty key, and out may be null
  if (IsTextKind(format.kind)) {
    std::string_view text = value.Text().substr(0, length);
    if (!text.empty()) std::memcpy(out, text.data(), text.size());  // a null text has no data pointer
    std::memset(out + text.size(), '\0', length - text.size());
    return;
  }
  std::memset(out, ' ', length);
  switch (format.kind) {
    case DbfValueKind::Integer:
    case DbfValueKind::LargeInteger:
      if (auto integer = value.Integer()) PlaceIntegerKey(*integer, format.length, out);
      break;
    case DbfValueKind::Float:
      if (auto number = value.Number()) PlaceDoubleKey(*number, format.length, format.decimals, out);
      break;
    case DbfValueKind::Date:
      if (auto date = value.Date(); date && length >= 8) PlaceDateKey(*date, out);
      break;
    case DbfValueKind::Boolean:
      if (auto logical = value.Logical(); logical && length >= 1) out[0] = *logical ? 'T' : 'F';
      break;
    default:
      break;
  }
}

std::string SearchKey(const KeyFormat& format, const Variant& value, char decimalSeparator) {
  bool missing = value.IsEmpty() || value.IsNull();
  if (IsTextKind(format.kind)) {
    if (missing) return {};
    std::string text = value.ToText(decimalSeparator);
    std::size_t end = std::min<std::size_t>(text.find('\0'), format.length);
    return text.substr(0, end);
  }
  if (missing) return std::string(format.length, ' ');
  switch (format.kind) {
    case DbfValueKind::Integer:
    case DbfValueKind::LargeInteger: return IntegerSearchKey(format, value);
    case DbfValueKind::Float: return NumericKey(value.ToFloat(), format.length, format.decimals);
    case DbfValueKind::Date: return DateSearchKey(format, value);
    case DbfValueKind::Boolean: {
      bool flag = value.type() == Variant::Type::Boolean ? value.BooleanValue() : value.ToFloat() != 0;
      std::string key(format.length, ' ');
      if (!key.empty()) key[0] = flag ? 'T' : 'F';
      return key;
    }
    default: return std::string(format.length, ' ');
  }
}

}  // namespace ranta2kv
