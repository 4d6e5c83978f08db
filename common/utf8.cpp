// UTF-8 decoding and encoding.
#include "common/utf8.h"

namespace ranta2kv {

char32_t DecodeUtf8(std::string_view text, std::size_t& pos) {
  auto lead = static_cast<unsigned char>(text[pos]);
  std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
  if (length == 0 || pos + length > text.size()) {
    ++pos;
    return kReplacementCharacter;
  }
  char32_t cp = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
  for (std::size_t k = 1; k < length; ++k) {
    auto next = static_cast<unsigned char>(text[pos + k]);
    if ((next & 0xC0) != 0x80) {
      ++pos;
      return kReplacementCharacter;
    }
    cp = (cp << 6) | (next & 0x3F);
  }
  pos += length;
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace ranta2kv
