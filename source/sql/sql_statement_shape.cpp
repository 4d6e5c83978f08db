// The shape of a statement: literal right operands of comparisons taken out as
// parameters. The scan knows quoted texts and names only so that it never takes
// a literal from inside one; it does not otherwise read the statement.
#include "source/sql/sql_statement_shape.h"

#include <array>
#include <charconv>

namespace ranta2kv {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Letters, digits, "_", "$" and every byte of a multi-byte character.
bool IsNameChar(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' ||
         static_cast<unsigned char>(c) >= 0x80;
}

// How the scan treats a byte: a blank, or another byte that starts no literal,
// quote, comment or bracketed name (the most of a statement), passes by itself.
enum class ByteClass : std::uint8_t { Blank, Plain, Token };

constexpr std::array<ByteClass, 256> kByteClasses = [] {
  std::array<ByteClass, 256> classes{};
  classes.fill(ByteClass::Plain);
  for (char c : {' ', '\t', '\r', '\n'}) classes[static_cast<unsigned char>(c)] = ByteClass::Blank;
  for (char c : {'\'', '"', '`', '[', '-', '+', '/'}) classes[static_cast<unsigned char>(c)] = ByteClass::Token;
  for (char c = '0'; c <= '9'; ++c) classes[static_cast<unsigned char>(c)] = ByteClass::Token;
  return classes;
}();

class ShapeScanner {
 public:
  ShapeScanner(std::string_view text, StatementShape& shape) : text_(text), shape_(shape) {
    shape_.text.clear();
  }

  bool Scan() {
    while (at_ < text_.size()) {
      const char c = text_[at_];
      switch (kByteClasses[static_cast<unsigned char>(c)]) {
        case ByteClass::Blank: ++at_; break;
        case ByteClass::Plain:
          last_ = c;
          ++at_;
          break;
        case ByteClass::Token:
          if (!Step()) return false;
          break;
      }
    }
    if (taken_ == 0) return false;
    shape_.values.resize(taken_);
    shape_.text.append(text_.substr(copied_));
    return true;
  }

 private:
  // Passes over or takes out the token at at_; false when the text cannot be shaped.
  // Text passed over is copied in one piece when a literal is taken out, or at the end.
  bool Step() {
    const char c = text_[at_];
    const bool operand = last_ == '=';
    if (c == '-' && Peek(1) == '-') return false;
    if (c == '/' && Peek(1) == '*') return false;
    if (c == '\'') return operand ? TakeText() : PassQuoted('\'');
    if (c == '"' || c == '`') return PassQuoted(c);
    if (c == '[') return PassUntil(']');
    if (operand && (IsDigit(c) || ((c == '-' || c == '+') && IsDigit(Peek(1))))) return TakeNumber();
    if (IsNameChar(c)) {
      std::size_t end = at_;
      while (end < text_.size() && IsNameChar(text_[end])) ++end;
      PassTo(end);
      return true;
    }
    PassTo(at_ + 1);
    return true;
  }

  char Peek(std::size_t ahead) const { return at_ + ahead < text_.size() ? text_[at_ + ahead] : '\0'; }

  // The end of the quoted token that starts at at_ (doubled quotes inside), or npos.
  std::size_t QuotedEnd(char quote) const {
    for (std::size_t i = at_ + 1; i < text_.size(); ++i) {
      if (text_[i] != quote) continue;
      if (i + 1 < text_.size() && text_[i + 1] == quote) {
        ++i;
        continue;
      }
      return i + 1;
    }
    return std::string_view::npos;
  }

  bool PassQuoted(char quote) {
    const std::size_t end = QuotedEnd(quote);
    if (end == std::string_view::npos) return false;
    PassTo(end);
    return true;
  }

  bool PassUntil(char close) {
    const std::size_t end = text_.find(close, at_ + 1);
    if (end == std::string_view::npos) return false;
    PassTo(end + 1);
    return true;
  }

  bool TakeText() {
    const std::size_t end = QuotedEnd('\'');
    if (end == std::string_view::npos) return false;
    ShapeValue& value = NextValue();
    value.is_text = true;
    value.text.clear();
    for (std::size_t i = at_ + 1; i + 1 < end; ++i) {
      value.text += text_[i];
      if (text_[i] == '\'') ++i;  // the second of a doubled quote
    }
    Take(end);
    return true;
  }

  // A whole number stands alone; "1.5", "1e3", "0x1F" and "12abc" are passed over as they are.
  bool TakeNumber() {
    std::size_t end = at_ + 1;
    while (end < text_.size() && IsDigit(text_[end])) ++end;
    std::int64_t integer = 0;
    const char* first = text_.data() + at_ + (text_[at_] == '+' ? 1 : 0);
    const char* last = text_.data() + end;
    auto [stop, error] = std::from_chars(first, last, integer);
    const bool alone = end == text_.size() || (!IsNameChar(text_[end]) && text_[end] != '.');
    if (error != std::errc() || stop != last || !alone) {
      PassTo(end);
      return true;
    }
    ShapeValue& value = NextValue();
    value.is_text = false;
    value.integer = integer;
    value.text.clear();
    Take(end);
    return true;
  }

  void PassTo(std::size_t end) {
    for (std::size_t i = end; i > at_; --i) {
      const char c = text_[i - 1];
      if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
        last_ = c;
        break;
      }
    }
    at_ = end;
  }

  // The value taken next: one the shape held before (its room kept), or a new one.
  ShapeValue& NextValue() {
    if (taken_ == shape_.values.size()) shape_.values.emplace_back();
    return shape_.values[taken_++];
  }

  // The text up to at_ and the "?" of the value just taken go into the shape.
  void Take(std::size_t end) {
    if (shape_.text.empty()) shape_.text.reserve(text_.size());
    shape_.text.append(text_.substr(copied_, at_ - copied_));
    shape_.text += '?';
    last_ = '?';
    at_ = copied_ = end;
  }

  std::string_view text_;
  std::size_t at_ = 0;      // next byte to read
  std::size_t copied_ = 0;  // the text before it is in the shape
  char last_ = '\0';        // the last byte passed over that is not a blank
  StatementShape& shape_;
  std::size_t taken_ = 0;   // values taken out so far
};

}  // namespace

bool ShapeInto(std::string_view statement, StatementShape& shape) { return ShapeScanner(statement, shape).Scan(); }

std::optional<StatementShape> ShapeOf(std::string_view statement) {
  StatementShape shape;
  if (!ShapeInto(statement, shape)) return std::nullopt;
  return shape;
}

}  // namespace ranta2kv
