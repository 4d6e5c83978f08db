// The accessors of a field's value by value kind. A null value reads as "", 0,
// false and the zero date; numbers out of the range asked for are held at its
// bounds (a large integer read as integer keeps its low 32 bits).
#include "source/dbf/dbf_field_value.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "common/date_time.h"
#include "common/number_text.h"
#include "common/text.h"

namespace ranta2kv {
namespace {

// Nearest integer, halves to even, held inside the 64-bit range.
std::int64_t RoundToInt64(double value) {
  constexpr double kLimit = 9223372036854775808.0;  // 2^63
  if (std::isnan(value)) return 0;
  double rounded = std::nearbyint(value);
  if (rounded >= kLimit) return std::numeric_limits<std::int64_t>::max();
  if (rounded < -kLimit) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(rounded);
}

std::int32_t ClampToInt32(std::int64_t value) {
  if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

std::int32_t LowBits(std::int64_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

bool IsTextLike(DbfValueKind kind) {
  return kind == DbfValueKind::Text || kind == DbfValueKind::Other;
}

}  // namespace

DbfValueKind DbfKindOf(char typeLetter, std::uint16_t width, std::uint8_t decimals) {
  switch (typeLetter) {
    case 'C': return DbfValueKind::Text;
    case 'N':
    case 'F':
      if (decimals > 0) return DbfValueKind::Float;
      return width <= 9 ? DbfValueKind::Integer : DbfValueKind::LargeInteger;
    case 'L': return DbfValueKind::Boolean;
    case 'D': return DbfValueKind::Date;
    case 'M': return DbfValueKind::Memo;
    default: return DbfValueKind::Other;
  }
}

bool DbfFieldValue::IsNull() const {
  if (null_flag_) return true;
  switch (kind_) {
    case DbfValueKind::Integer:
    case DbfValueKind::LargeInteger: return !ParseDbfInteger(bytes_);
    case DbfValueKind::Float: return !ParseDbfFloat(bytes_);
    case DbfValueKind::Boolean: return !ParseDbfLogical(bytes_);
    case DbfValueKind::Date: return !ParseDbfDate(bytes_);
    default: return false;
  }
}

std::string_view DbfFieldValue::Text() const {
  if (null_flag_ || !IsTextLike(kind_)) return {};
  return DbfText(bytes_);
}

std::optional<std::int64_t> DbfFieldValue::Integer() const {
  if (null_flag_ || (kind_ != DbfValueKind::Integer && kind_ != DbfValueKind::LargeInteger)) return std::nullopt;
  return ParseDbfInteger(bytes_);
}

std::optional<double> DbfFieldValue::Number() const {
  if (null_flag_ || kind_ != DbfValueKind::Float) return std::nullopt;
  return ParseDbfFloat(bytes_);
}

std::optional<bool> DbfFieldValue::Logical() const {
  if (null_flag_ || kind_ != DbfValueKind::Boolean) return std::nullopt;
  return ParseDbfLogical(bytes_);
}

std::optional<DbfDate> DbfFieldValue::Date() const {
  if (null_flag_ || kind_ != DbfValueKind::Date) return std::nullopt;
  return ParseDbfDate(bytes_);
}

std::string DbfFieldValue::AsString() const {
  switch (kind_) {
    case DbfValueKind::Text:
    case DbfValueKind::Other: return std::string(Text());
    case DbfValueKind::Integer:
    case DbfValueKind::LargeInteger: {
      auto value = Integer();
      return value ? std::to_string(*value) : std::string();
    }
    case DbfValueKind::Float: {
      auto value = Number();
      return value ? FormatGeneralNumber(*value, decimal_separator_) : std::string();
    }
    case DbfValueKind::Boolean: {
      auto value = Logical();
      return value ? (*value ? "True" : "False") : std::string();
    }
    case DbfValueKind::Date: {
      auto date = Date();
      if (!date) return {};
      char text[16];
      int length = std::snprintf(text, sizeof text, "%02d.%02d.%04d", date->day, date->month, date->year);
      return std::string(text, static_cast<std::size_t>(length));
    }
    case DbfValueKind::Memo: return {};
  }
  return {};
}

std::int32_t DbfFieldValue::AsInteger() const {
  if (kind_ == DbfValueKind::Integer || kind_ == DbfValueKind::LargeInteger) return LowBits(Integer().value_or(0));
  return ClampToInt32(AsLargeInteger());
}

std::int64_t DbfFieldValue::AsLargeInteger() const {
  switch (kind_) {
    case DbfValueKind::Integer:
    case DbfValueKind::LargeInteger: return Integer().value_or(0);
    case DbfValueKind::Text: {
      std::string_view text = TrimSpaces(Text());
      if (auto integer = ParseDbfInteger(text)) return *integer;
      return RoundToInt64(ParseDbfFloat(text).value_or(0));
    }
    default: return RoundToInt64(AsNumber());
  }
}

double DbfFieldValue::AsNumber() const {
  switch (kind_) {
    case DbfValueKind::Integer:
    case DbfValueKind::LargeInteger: return static_cast<double>(Integer().value_or(0));
    case DbfValueKind::Float: return Number().value_or(0);
    case DbfValueKind::Boolean: return Logical().value_or(false) ? 1 : 0;
    case DbfValueKind::Date: return AsDateTime();
    case DbfValueKind::Text: return ParseDbfFloat(Text()).value_or(0);
    default: return 0;
  }
}

DecimalNumber DbfFieldValue::AsDecimal() const {
  switch (kind_) {
    case DbfValueKind::Integer:
    case DbfValueKind::LargeInteger: {
      const std::int64_t value = Integer().value_or(0);
      return DecimalNumber(static_cast<double>(value), value, 0);
    }
    case DbfValueKind::Float:
      if (null_flag_) return DecimalNumber(0);
      return ParseDbfDecimal(bytes_).value_or(DecimalNumber(0));
    default:
      return DecimalNumber(AsNumber());
  }
}

bool DbfFieldValue::AsLogical() const {
  switch (kind_) {
    case DbfValueKind::Boolean: return Logical().value_or(false);
    case DbfValueKind::Text: return ParseDbfLogical(TrimSpaces(Text())).value_or(false);
    case DbfValueKind::Integer:
    case DbfValueKind::LargeInteger:
    case DbfValueKind::Float: return AsNumber() != 0;
    default: return false;
  }
}

double DbfFieldValue::AsDateTime() const {
  auto date = Date();
  return date ? EncodeDate(date->year, date->month, date->day) : 0;
}

Variant DbfFieldValue::AsVariant() const {
  if (IsNull()) return Variant::Null();
  switch (kind_) {
    case DbfValueKind::Integer:
    case DbfValueKind::LargeInteger: return Variant(*Integer());
    case DbfValueKind::Float: return Variant(*Number());
    case DbfValueKind::Boolean: return Variant::Boolean(*Logical());
    case DbfValueKind::Date: return Variant::DateTime(AsDateTime());
    default: return Variant(std::string(Text()));
  }
}

}  // namespace ranta2kv
