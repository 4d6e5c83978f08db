// The order of names as people sort them.
#include "common/name_order.h"

#include "common/utf8.h"

namespace ranta2kv {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char32_t LowerCase(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 0x20;
  if (c >= 0x0410 && c <= 0x042F) return c + 0x20;  // А..Я
  if (c >= 0x0400 && c <= 0x040F) return c + 0x50;  // Ѐ..Џ, Ё among them
  return c;
}

// Compares the runs of digits at a[i] and b[j] by value and moves past both;
// 0 when equal.
int CompareDigitRuns(std::string_view a, std::size_t& i, std::string_view b, std::size_t& j) {
  auto run = [](std::string_view text, std::size_t& at) {
    while (at + 1 < text.size() && text[at] == '0' && IsDigit(text[at + 1])) ++at;  // leading zeros
    const std::size_t start = at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    return text.substr(start, at - start);
  };
  const std::string_view x = run(a, i), y = run(b, j);
  if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
  return x.compare(y);
}

}  // namespace

bool NameOrderLess(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      if (int order = CompareDigitRuns(a, i, b, j); order != 0) return order < 0;
      continue;
    }
    const char32_t x = LowerCase(DecodeUtf8(a, i)), y = LowerCase(DecodeUtf8(b, j));
    if (x != y) return x < y;
  }
  if ((i < a.size()) != (j < b.size())) return j < b.size();
  return a < b;  // names alike but for case or zeros: still one order
}

}  // namespace ranta2kv
