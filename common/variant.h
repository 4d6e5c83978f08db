// The attribute value of the estimate document: a small variant that is empty,
// null, an integer, a floating value, currency, a date-time, a boolean or
// windows-1251 text. Values are copied by value.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ranta2kv {

class Variant {
 public:
  enum class Type : std::uint8_t { Empty, Null, Integer, Floating, Currency, DateTime, Boolean, Text };

  Variant() {}  // empty (unassigned); user-provided, so a const Variant needs no initialiser
  Variant(int value) : type_(Type::Integer), int_(value) {}
  Variant(std::int64_t value) : type_(Type::Integer), int_(value) {}
  Variant(double value) : type_(Type::Floating), float_(value) {}
  Variant(std::string text1251) : type_(Type::Text), text_(std::move(text1251)) {}
  Variant(std::string_view text1251) : type_(Type::Text), text_(text1251) {}
  Variant(const char* text1251) : type_(Type::Text), text_(text1251) {}

  static Variant Null();
  static Variant Boolean(bool value);
  static Variant Currency(std::int64_t tenThousandths);  // fixed point, 4 decimals
  static Variant DateTime(double days);  // days since 30 December 1899, fraction = time

  Type type() const { return type_; }
  bool IsEmpty() const { return type_ == Type::Empty; }  // "clear"
  bool IsNull() const { return type_ == Type::Null; }

  // Raw access; valid only for the matching type.
  std::int64_t IntegerValue() const { return int_; }
  double FloatValue() const { return float_; }
  bool BooleanValue() const { return int_ != 0; }
  const std::string& TextValue() const { return text_; }

  // Conversions as the document needs them; each throws Error with the variant
  // conversion message when the value has no such meaning (text that is not a
  // number, an empty value as an integer).
  std::int64_t ToInteger() const;
  double ToFloat() const;
  // The standard variant-to-text conversion (number text with the given decimal
  // separator, "" for empty and null).
  std::string ToText(char decimalSeparator) const;

  // Variant equality with an integer: numbers by their value, text when it is
  // the decimal text of a number equal to it; empty and null are never equal.
  bool EqualsInteger(std::int64_t value) const;

 private:
  Type type_ = Type::Empty;
  union {
    std::int64_t int_ = 0;  // Integer, Currency (ten-thousandths), Boolean
    double float_;          // Floating, DateTime
  };
  std::string text_;        // Text
};

}  // namespace ranta2kv
