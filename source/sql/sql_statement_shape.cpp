// The shape of a statement: literal right operands of comparisons taken out as
// parameters. The scan knows quoted texts and names only so that it never takes
// a literal from inside one; it does not otherwise read the statement.
#include "source/sql/sql_statement_shape.h"

#include <charconv>

namespace ranta2kv {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Letters, digits, "_", "$" and every byte of a multi-byte character.
bool IsNameChar(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' ||
         static_cast<unsigned char>(c) >= 0x80;
}

class ShapeScanner {
 public:
  explicit ShapeScanner(std::string_view text) : text_(text) { shape_.text.reserve(text.size()); }

  std::optional<StatementShape> Scan() {
    while (at_ < text_.size()) {
      if (!Step()) return std::nullopt;
    }
    if (shape_.values.empty()) return std::nullopt;
    return std::move(shape_);
  }

 private:
  // Copies or takes out the token at at_; false when the text cannot be shaped.
  bool Step() {
    const char c = text_[at_];
    const bool operand = last_ == '=';
    if (c == '-' && Peek(1) == '-') return false;
    if (c == '/' && Peek(1) == '*') return false;
    if (c == '\'') return operand ? TakeText() : CopyQuoted('\'');
    if (c == '"' || c == '`') return CopyQuoted(c);
    if (c == '[') return CopyUntil(']');
    if (operand && (IsDigit(c) || ((c == '-' || c == '+') && IsDigit(Peek(1))))) return TakeNumber();
    if (IsNameChar(c)) {
      std::size_t end = at_;
      while (end < text_.size() && IsNameChar(text_[end])) ++end;
      Copy(end);
      return true;
    }
    Copy(at_ + 1);
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

  bool CopyQuoted(char quote) {
    const std::size_t end = QuotedEnd(quote);
    if (end == std::string_view::npos) return false;
    Copy(end);
    return true;
  }

  bool CopyUntil(char close) {
    const std::size_t end = text_.find(close, at_ + 1);
    if (end == std::string_view::npos) return false;
    Copy(end + 1);
    return true;
  }

  bool TakeText() {
    const std::size_t end = QuotedEnd('\'');
    if (end == std::string_view::npos) return false;
    ShapeValue value;
    value.is_text = true;
    for (std::size_t i = at_ + 1; i + 1 < end; ++i) {
      value.text += text_[i];
      if (text_[i] == '\'') ++i;  // the second of a doubled quote
    }
    Take(end, std::move(value));
    return true;
  }

  // A whole number stands alone; "1.5", "1e3", "0x1F" and "12abc" are copied as they are.
  bool TakeNumber() {
    std::size_t end = at_ + 1;
    while (end < text_.size() && IsDigit(text_[end])) ++end;
    ShapeValue value;
    const char* first = text_.data() + at_ + (text_[at_] == '+' ? 1 : 0);
    const char* last = text_.data() + end;
    auto [stop, error] = std::from_chars(first, last, value.integer);
    const bool alone = end == text_.size() || (!IsNameChar(text_[end]) && text_[end] != '.');
    if (error != std::errc() || stop != last || !alone) {
      Copy(end);
      return true;
    }
    Take(end, std::move(value));
    return true;
  }

  void Copy(std::size_t end) {
    shape_.text.append(text_.substr(at_, end - at_));
    for (std::size_t i = end; i > at_; --i) {
      const char c = text_[i - 1];
      if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
        last_ = c;
        break;
      }
    }
    at_ = end;
  }

  void Take(std::size_t end, ShapeValue value) {
    shape_.text += '?';
    shape_.values.push_back(std::move(value));
    last_ = '?';
    at_ = end;
  }

  std::string_view text_;
  std::size_t at_ = 0;  // next byte to read
  char last_ = '\0';    // the last byte copied that is not a blank
  StatementShape shape_;
};

}  // namespace

std::optional<StatementShape> ShapeOf(std::string_view statement) { return ShapeScanner(statement).Scan(); }

}  // namespace ranta2kv
