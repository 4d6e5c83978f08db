// String helpers of the system, on single-byte windows-1251 text: character sets,
// OEM conversion with trimming, padding, splitting, replacing and trimming by set,
// and the clean-up of attribute values into output text.
#pragma once

#include <bitset>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "common/variant.h"

namespace ranta2kv {

// A set of 8-bit character codes (256 membership bits).
class CharSet {
 public:
  CharSet() = default;
  CharSet(std::initializer_list<unsigned char> members);
  bool Contains(unsigned char c) const { return bits_[c]; }
  void Add(unsigned char c) { bits_[c] = true; }

 private:
  std::bitset<256> bits_;
};

// Code page 866 -> windows-1251 byte for byte, then every leading and trailing
// byte <= 32 removed.
std::string OemToAnsiTrim(std::string_view oemText);
// The same into out, whose room is kept (a text read again and again).
void OemToAnsiTrimInto(std::string_view oemText, std::string& out);
// Trims as above (bytes <= 32 at both ends), then appends fill up to length; never cuts.
std::string PadRight(std::string_view text, std::size_t length, char fill);
std::vector<std::string> SplitByChars(std::string_view text, const CharSet& separators);
std::string ReplaceChars(std::string_view text, const CharSet& set, char replacement);
std::string TrimCharsLeft(std::string_view text, const CharSet& set);
std::string TrimCharsRight(std::string_view text, const CharSet& set);
// The part of text left once spaces (only 0x20) are removed from both ends.
// Inline: the readers trim every numeric and logical field value with it.
inline std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}
// Removes bytes <= 32 at both ends (the trim of OemToAnsiTrim and PadRight).
std::string TrimControlAndBlanks(std::string_view text);

// The value's text for the output: standard conversion, en dash and no-break
// space replaced by a space, then CR, LF, space, en dash, no-break space trimmed
// from the sides asked for. Any failure gives the empty text.
std::string CleanVariantText(const Variant& value, bool trimLeft, bool trimRight,
                             char decimalSeparator);

// The clean-up rule on a text that is already one, without copying: the part of
// text left once CR, LF, space, en dash and no-break space are trimmed from the
// sides asked for. The writer then reads each byte through CleanUpByte.
std::string_view TrimCleanUpSet(std::string_view text, bool trimLeft, bool trimRight);
// En dash (150) and no-break space (160) read as a space; other bytes unchanged.
constexpr char CleanUpByte(char c) {
  return c == '\x96' || c == '\xA0' ? ' ' : c;
}
// CleanVariantText of a text value.
std::string CleanText(std::string_view text, bool trimLeft, bool trimRight);

}  // namespace ranta2kv
