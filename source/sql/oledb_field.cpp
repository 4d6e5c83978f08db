// The column values of the "OLE DB" datasets as text, integer, number and date:
// the conversions of SQLite's INTEGER, REAL, TEXT and NULL values.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "common/date_time.h"
#include "common/codepage.h"
#include "common/error.h"
#include "common/number_text.h"
#include "source/sql/oledb_dataset.h"
#include "source/sql/sql_source_messages.h"

namespace ranta2kv {
namespace {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

template <typename Number>
bool ParseWhole(std::string_view text, Number& number) {
  if (text.starts_with('+') && !text.substr(1).starts_with('-')) text.remove_prefix(1);
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// 'YYYY-MM-DD', digits only.
bool IsDateText(std::string_view text) {
  if (text.size() != 10) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool dash = i == 4 || i == 7;
    if (dash ? text[i] != '-' : (text[i] < '0' || text[i] > '9')) return false;
  }
  return true;
}

[[noreturn]] void FailConversion(const SqlValue& value, const std::string& field, std::string_view what1251) {
  throw Error(sql_messages::ValueIsNot(value.text, field, what1251));
}

}  // namespace

SqlValue OleDbField::Value() const { return dataset_->CurrentValue(column_); }

bool OleDbField::IsNull() const { return Value().type == SqlType::Null; }

std::string OleDbField::AsString() const {
  SqlValue value = Value();
  switch (value.type) {
    case SqlType::Integer: return std::to_string(value.integer);
    case SqlType::Real: return FormatGeneralNumber(value.real, dataset_->DecimalSeparator());
    case SqlType::Text: return std::string(value.text);
    default: return "";
  }
}

std::int64_t OleDbField::AsLargeInteger() const {
  SqlValue value = Value();
  switch (value.type) {
    case SqlType::Integer: return value.integer;
    case SqlType::Real: {
      const double rounded = std::nearbyint(value.real);  // halves to even
      if (rounded >= -0x1p63 && rounded < 0x1p63) return static_cast<std::int64_t>(rounded);
      throw Error(sql_messages::ValueOutOfIntegerRange(AsString(), name_));
    }
    case SqlType::Text: {
      std::int64_t number = 0;
      if (!ParseWhole(TrimBlanks(value.text), number)) FailConversion(value, name_, "целым числом"_cp1251);
      return number;
    }
    default: return 0;
  }
}

std::int32_t OleDbField::AsInteger() const {
  const std::int64_t number = AsLargeInteger();
  if (number < std::numeric_limits<std::int32_t>::min() ||
      number > std::numeric_limits<std::int32_t>::max()) {
    throw Error(sql_messages::ValueOutOfIntegerRange(std::to_string(number), name_));
  }
  return static_cast<std::int32_t>(number);
}

double OleDbField::AsNumber() const {
  SqlValue value = Value();
  switch (value.type) {
    case SqlType::Integer: return static_cast<double>(value.integer);
    case SqlType::Real: return value.real;
    case SqlType::Text: {
      std::string text(TrimBlanks(value.text));
      std::replace(text.begin(), text.end(), dataset_->DecimalSeparator(), '.');
      double number = 0;
      if (!ParseWhole(std::string_view(text), number)) FailConversion(value, name_, "числом"_cp1251);
      return number;
    }
    default: return 0;
  }
}

double OleDbField::AsDateTime() const {
  SqlValue value = Value();
  switch (value.type) {
    case SqlType::Integer: return static_cast<double>(value.integer);
    case SqlType::Real: return value.real;
    case SqlType::Text: {
      std::string_view text = value.text;
      int year = 0, month = 0, day = 0;
      if (!IsDateText(text) || !ParseWhole(text.substr(0, 4), year) ||
          !ParseWhole(text.substr(5, 2), month) || !ParseWhole(text.substr(8, 2), day) ||
          !IsValidDate(year, month, day)) {
        FailConversion(value, name_, "датой"_cp1251);
      }
      return EncodeDate(year, month, day);
    }
    default: return 0;
  }
}

}  // namespace ranta2kv
