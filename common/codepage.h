// Code page conversions at the edges: windows-1251 <-> UTF-8, and code page 866
// -> windows-1251. Also the _cp1251 literal, which turns a UTF-8 literal in the
// source into windows-1251 bytes at compile time: "Смета"_cp1251.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ranta2kv {

// One byte of code page 866 as windows-1251 (near substitutes where 1251 has no
// such character: box drawing as + - |, shades as #, and so on).
unsigned char Oem866ToAnsiByte(unsigned char c);
std::string Oem866ToAnsi(std::string_view oemText);  // same length
// The same into out (its room reused); oemText must not lie in out.
void Oem866ToAnsiInto(std::string_view oemText, std::string& out);

std::string Cp1251ToUtf8(std::string_view text1251);
// Characters that windows-1251 cannot hold become '?'.
std::string Utf8ToCp1251(std::string_view textUtf8);
std::string Cp866ToUtf8(std::string_view text866);
// Characters that code page 866 cannot hold, and bytes that are no UTF-8,
// become '?'. The estimate program stores its texts in 866; the generator and
// the tests write tables through this.
std::string Utf8ToCp866(std::string_view textUtf8);

namespace detail {
// Unicode code point -> windows-1251 byte, or -1 (evaluated at compile time).
constexpr int Cp1251FromCodePoint(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  if (cp >= 0x0410 && cp <= 0x044F) return static_cast<int>(cp - 0x0410 + 0xC0);
  switch (cp) {
    case 0x0401: return 0xA8;  // Ё
    case 0x0451: return 0xB8;  // ё
    case 0x2116: return 0xB9;  // №
    case 0x00A0: return 0xA0;  // no-break space
    case 0x2013: return 0x96;  // en dash
    case 0x2014: return 0x97;  // em dash
    case 0x00AB: return 0xAB;
    case 0x00BB: return 0xBB;
    default: return -1;
  }
}

template <std::size_t N>
struct Cp1251Literal {
  char bytes[N] = {};
  std::size_t size = 0;
  consteval Cp1251Literal(const char (&utf8)[N]) {
    for (std::size_t i = 0; i + 1 < N;) {
      unsigned char c = static_cast<unsigned char>(utf8[i]);
      char32_t cp = 0;
      std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
      cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
      for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
      int b = Cp1251FromCodePoint(cp);
      if (b < 0) throw "character without a windows-1251 byte in a _cp1251 literal";
      bytes[size++] = static_cast<char>(b);
      i += len;
    }
  }
};

// The converted bytes of one literal, keyed by its UTF-8 bytes.
template <char... Utf8>
struct Cp1251Bytes {
  static constexpr char utf8[] = {Utf8..., '\0'};
  static constexpr Cp1251Literal<sizeof(utf8)> literal{utf8};
};
}  // namespace detail

// A string literal operator template over the literal's characters (a GNU
// extension that gcc and clang share): clang 14 crashes when a diagnostic
// prints a literal whose operator takes a class-type template argument, which
// it does for `std::string text("..."_cp1251)` when it tries the initialiser
// as a constant.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wgnu-string-literal-operator-template"
#endif
template <typename Char, Char... Utf8>
constexpr std::string_view operator""_cp1251() {
  using Bytes = detail::Cp1251Bytes<Utf8...>;
  return std::string_view(Bytes::literal.bytes, Bytes::literal.size);
}
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

}  // namespace ranta2kv
