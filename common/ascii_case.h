// Letter case of the names the program compares (file and table names,
// connection-string keys, field names): only the ASCII letters have a case here,
// as in SQLite's identifiers; other bytes (UTF-8 or windows-1251) stay as they are.
#pragma once

#include <string>
#include <string_view>

namespace ranta2kv {

inline char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
std::string AsciiUpper(std::string_view text);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace ranta2kv
