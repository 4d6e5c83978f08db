// UTF-8 -> code page 866, the OEM code page in which the estimate program stores
// the texts of its tables. The generator writes every text through it.
#pragma once

#include <string>
#include <string_view>

namespace ranta2kv::gen {

// One Unicode code point as a code page 866 byte, or -1 when 866 has none.
int Cp866FromCodePoint(char32_t cp);

// Characters without a code page 866 byte become '?'; malformed UTF-8 bytes too.
std::string Utf8ToCp866(std::string_view utf8);

}  // namespace ranta2kv::gen
