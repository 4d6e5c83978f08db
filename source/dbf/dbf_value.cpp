// Field value conversion of the DBF reader. Every parser takes the field's bytes
// exactly as stored and never reads outside them; any byte sequence is either a
// value or null, never an error.
#include "source/dbf/dbf_value.h"

#include <charconv>
#include <cstring>
#include <limits>

#include "common/date_time.h"
#include "common/text.h"

namespace ranta2kv {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view SkipLeadingBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  return text;
}

// Digits with at most one "." (at least one digit), then an optional exponent.
bool IsDecimalNumber(std::string_view text) {
  std::size_t i = 0;
  std::size_t digits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      ++digits;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return false;
  if (i == text.size()) return true;
  if (text[i] != 'E' && text[i] != 'e') return false;
  ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  if (i == text.size()) return false;
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) return false;
  }
  return true;
}

// Digits with at most one "." and at most 15 digits in all, the form a numeric
// field almost always has: the digits as an integer, exact in a double, divided
// by an exact power of ten is the correctly rounded value, as from_chars gives it.
// Nothing for any other text.
struct PlainDigits {
  std::uint64_t digits = 0;
  int decimals = 0;
  double Value() const {
    constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    return static_cast<double>(digits) / kPowersOfTen[decimals];
  }
};

std::optional<PlainDigits> PlainDecimal(std::string_view text) {
  PlainDigits plain;
  int count = 0;
  bool point = false;
  for (char c : text) {
    if (IsDigit(c)) {
      if (++count > 15) return std::nullopt;
      plain.digits = plain.digits * 10 + static_cast<std::uint64_t>(c - '0');
      plain.decimals += point ? 1 : 0;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return std::nullopt;
    }
  }
  if (count == 0) return std::nullopt;
  return plain;
}

// Blanks around and an optional sign off; whether it was "-".
std::string_view Unsigned(std::string_view bytes, bool& negative) {
  std::string_view text = TrimSpaces(bytes);
  negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  return text;
}

}  // namespace

std::optional<std::int64_t> ParseDbfInteger(std::string_view bytes) {
  std::string_view text = SkipLeadingBlanks(bytes);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  std::uint64_t magnitude = 0;
  // Up to 18 digits cannot overflow: the check of each step is for longer ones.
  if (text.size() <= 18) {
    for (char c : text) {
      if (!IsDigit(c)) return std::nullopt;
      magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
  }
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
    if (magnitude > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return std::nullopt;
    magnitude = magnitude * 10 + digit;
  }
  constexpr std::uint64_t kMaxPositive = std::numeric_limits<std::int64_t>::max();
  if (magnitude > kMaxPositive + (negative ? 1 : 0)) return std::nullopt;
  return negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
}

std::optional<double> ParseDbfFloat(std::string_view bytes) {
  bool negative = false;
  std::string_view text = Unsigned(bytes, negative);
  if (std::optional<PlainDigits> plain = PlainDecimal(text)) return negative ? -plain->Value() : plain->Value();
  if (!IsDecimalNumber(text)) return std::nullopt;
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return negative ? -value : value;
}

std::optional<DecimalNumber> ParseDbfDecimal(std::string_view bytes) {
  bool negative = false;
  std::optional<PlainDigits> plain = PlainDecimal(Unsigned(bytes, negative));
  if (!plain || plain->decimals > 9) {
    std::optional<double> value = ParseDbfFloat(bytes);
    if (!value) return std::nullopt;
    return DecimalNumber(*value);
  }
  const double value = plain->Value();
  const auto digits = static_cast<std::int64_t>(plain->digits);
  return negative ? DecimalNumber(-value, -digits, plain->decimals) : DecimalNumber(value, digits, plain->decimals);
}

std::optional<bool> ParseDbfLogical(std::string_view bytes) {
  if (bytes.size() != 1) return std::nullopt;
  switch (bytes.front()) {
    // Only the capital letters: "t", "Y" and the rest read as null.
    case 'T': return true;
    case 'F': return false;
    default: return std::nullopt;
  }
}

std::optional<DbfDate> ParseDbfDate(std::string_view bytes) {
  if (bytes.size() != 8) return std::nullopt;
  auto number = [&](std::size_t from, std::size_t count) {
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) value = value * 10 + (static_cast<unsigned char>(bytes[i]) - 0x30);
    return value;
  };
  DbfDate date{number(0, 4), number(4, 2), number(6, 2)};
  if (!IsValidDate(date.year, date.month, date.day)) return std::nullopt;
  return date;
}

std::string_view DbfText(std::string_view bytes) {
  const void* nul = std::memchr(bytes.data(), '\0', bytes.size());
  return nul ? bytes.substr(0, static_cast<const char*>(nul) - bytes.data()) : bytes;
}

}  // namespace ranta2kv
