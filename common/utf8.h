// UTF-8 text one code point at a time, with one rule for bytes that are no
// UTF-8: each such byte is one U+FFFD. Used wherever the core reads or writes
// UTF-8 (code page conversions, the order of folder names).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ranta2kv {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// The code point of the UTF-8 sequence at text[pos], pos moved past it; a byte
// that starts no whole sequence gives U+FFFD and moves pos by that one byte.
char32_t DecodeUtf8(std::string_view text, std::size_t& pos);

// Appends the UTF-8 bytes of a code point of the Basic Multilingual Plane.
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace ranta2kv
