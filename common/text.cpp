// String helpers on single-byte windows-1251 text: OEM conversion with trimming,
// padding, splitting, replacing and trimming by character set, and the clean-up
// rule that turns an attribute value into the text written to the output.
#include "common/text.h"

#include <cstdint>
#include <cstring>

#include "common/codepage.h"

namespace ranta2kv {
namespace {

// The trim set of the clean-up rule: LF, CR, space, en dash, no-break space.
const CharSet& CleanUpTrimSet() {
  static const CharSet set{10, 13, 32, 150, 160};
  return set;
}

const CharSet& CleanUpReplaceSet() {
  static const CharSet set{150, 160};
  return set;
}

bool IsControlOrBlank(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

// The part of text left once bytes <= 32 are removed from both ends.
std::string_view ControlAndBlanksTrimmed(std::string_view text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsControlOrBlank(text[begin])) ++begin;
  while (end > begin && IsControlOrBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

CharSet::CharSet(std::initializer_list<unsigned char> members) {
  for (unsigned char c : members) bits_[c] = true;
}

std::string TrimControlAndBlanks(std::string_view text) {
  return std::string(ControlAndBlanksTrimmed(text));
}

// Blanks and control characters are the same bytes before and after the code
// page conversion, so the text is trimmed first and only what remains converted
// (table fields are mostly blank padding).
void OemToAnsiTrimInto(std::string_view oemText, std::string& out) {
  std::size_t end = oemText.size();
  constexpr std::uint64_t kEightBlanks = 0x2020202020202020;
  for (std::uint64_t word = 0; end >= sizeof word; end -= sizeof word) {  // the padding, eight bytes at a time
    std::memcpy(&word, oemText.data() + end - sizeof word, sizeof word);
    if (word != kEightBlanks) break;
  }
  Oem866ToAnsiInto(ControlAndBlanksTrimmed(oemText.substr(0, end)), out);
}

std::string OemToAnsiTrim(std::string_view oemText) {
  std::string out;
  OemToAnsiTrimInto(oemText, out);
  return out;
}

std::string PadRight(std::string_view text, std::size_t length, char fill) {
  std::string result = TrimControlAndBlanks(text);
  if (result.size() < length) result.append(length - result.size(), fill);
  return result;
}

std::vector<std::string> SplitByChars(std::string_view text, const CharSet& separators) {
  std::vector<std::string> pieces;
  std::size_t pieceStart = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (separators.Contains(static_cast<unsigned char>(text[i]))) {
      pieces.emplace_back(text.substr(pieceStart, i - pieceStart));
      pieceStart = i + 1;
    } else if (i + 1 == text.size()) {
      pieces.emplace_back(text.substr(pieceStart));
    }
  }
  return pieces;
}

std::string ReplaceChars(std::string_view text, const CharSet& set, char replacement) {
  std::string result(text);
  for (char& c : result) {
    if (set.Contains(static_cast<unsigned char>(c))) c = replacement;
  }
  return result;
}

std::string TrimCharsLeft(std::string_view text, const CharSet& set) {
  while (!text.empty() && set.Contains(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  return std::string(text);
}

std::string TrimCharsRight(std::string_view text, const CharSet& set) {
  while (!text.empty() && set.Contains(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return std::string(text);
}

// Replacing first and trimming after gives the same as trimming the view first:
// a byte of the replace set and its replacement (space) are both in the trim set.
std::string_view TrimCleanUpSet(std::string_view text, bool trimLeft, bool trimRight) {
  const CharSet& trim = CleanUpTrimSet();
  if (trimLeft) {
    while (!text.empty() && trim.Contains(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  }
  if (trimRight) {
    // The blanks that fill the rest of a table's field go eight at a time.
    constexpr std::string_view kEightBlanks = "        ";
    while (text.size() >= 8 && text.substr(text.size() - 8) == kEightBlanks) text.remove_suffix(8);
    while (!text.empty() && trim.Contains(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  }
  return text;
}

std::string CleanText(std::string_view text, bool trimLeft, bool trimRight) {
  return ReplaceChars(TrimCleanUpSet(text, trimLeft, trimRight), CleanUpReplaceSet(), ' ');
}

std::string CleanVariantText(const Variant& value, bool trimLeft, bool trimRight, char decimalSeparator) {
  try {
    if (value.type() == Variant::Type::Text) return CleanText(value.TextValue(), trimLeft, trimRight);
    return CleanText(value.ToText(decimalSeparator), trimLeft, trimRight);
  } catch (...) {
    return {};  // a value without a text is left out, never an error
  }
}

}  // namespace ranta2kv
