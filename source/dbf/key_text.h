// Key texts of the in-memory key index: the key of a record's key field, the key
// of a search value, and the numeric key that makes numbers sort in numeric order
// when keys are compared byte by byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/variant.h"
#include "source/dbf/dbf_field_value.h"

namespace ranta2kv {

struct KeyFormat {
  DbfValueKind kind = DbfValueKind::Text;  // of the key field
  std::uint16_t length = 0;                // width of the key field
  std::uint8_t decimals = 0;               // decimals of the key field
};

// The numeric key of a value: right-aligned in `length` characters with exactly
// `decimals` decimals, blanks as "0"; a negative value's characters c become
// 92 - c; a value too wide gives zeros (with its "." when decimals > 0).
std::string NumericKey(double value, std::uint16_t length, std::uint8_t decimals);
std::string NumericKey(std::int64_t value, std::uint16_t length);

// Writes the key of a field's value into out (format.length bytes): text up to
// its first NUL and NUL-padded, numbers as numeric keys, dates as YYYYMMDD,
// booleans as "T" or "F", null values of the other kinds as blanks.
void WriteRecordKey(const KeyFormat& format, const DbfFieldValue& value, char* out);

// The key of a search value converted to the key field's kind; a text key may be
// shorter than the key length (it is matched as a leading part). Conversion
// failures raise the variant conversion error.
std::string SearchKey(const KeyFormat& format, const Variant& value, char decimalSeparator);

}  // namespace ranta2kv
