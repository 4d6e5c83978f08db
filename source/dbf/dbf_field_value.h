// The value of one field in one record, read from the record's bytes without
// copying them: what each accessor of a field returns for each value kind. The
// field accessors, the key texts and the look-ups all read values through it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/variant.h"
#include "source/dbf/dbf_value.h"

namespace ranta2kv {

enum class DbfValueKind : std::uint8_t { Text, Integer, LargeInteger, Float, Boolean, Date, Memo, Other };

// The value kind of a field: C text; N and F float with decimals, else integer up
// to width 9 and large integer beyond; L boolean; D date; M memo.
DbfValueKind DbfKindOf(char typeLetter, std::uint16_t width, std::uint8_t decimals);

class DbfFieldValue {
 public:
  // bytes: the field's bytes in the record; nullFlag: the record's null flag for
  // the field is set (Visual FoxPro), which makes any kind null.
  DbfFieldValue(DbfValueKind kind, std::string_view bytes, bool nullFlag, char decimalSeparator)
      : kind_(kind), bytes_(bytes), null_flag_(nullFlag), decimal_separator_(decimalSeparator) {}

  DbfValueKind Kind() const { return kind_; }
  std::string_view Bytes() const { return bytes_; }
  bool NullFlag() const { return null_flag_; }

  bool IsNull() const;
  std::string_view Text() const;  // text, memo and other kinds: AsString without a copy
  std::optional<std::int64_t> Integer() const;  // integer kinds; nothing when null
  std::optional<double> Number() const;         // float kind
  std::optional<bool> Logical() const;          // boolean kind
  std::optional<DbfDate> Date() const;          // date kind

  std::string AsString() const;
  std::int32_t AsInteger() const;
  std::int64_t AsLargeInteger() const;
  double AsNumber() const;
  DecimalNumber AsDecimal() const;  // AsNumber with the digits of a decimal where it is one
  bool AsLogical() const;
  double AsDateTime() const;
  Variant AsVariant() const;

 private:
  DbfValueKind kind_;
  std::string_view bytes_;
  bool null_flag_;
  char decimal_separator_;
};

}  // namespace ranta2kv
