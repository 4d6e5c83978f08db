// Tests of the code page conversions: 866 to windows-1251, and both to and from UTF-8.
#include <gtest/gtest.h>

#include "common/codepage.h"

namespace ranta2kv {
namespace {

TEST(OemConversionTest, CyrillicLettersKeepTheirMeaning) {
  // "Смета" and "рябь" in code page 866.
  EXPECT_EQ(Oem866ToAnsi("\x91\xAC\xA5\xE2\xA0"), "Смета"_cp1251);
  EXPECT_EQ(Oem866ToAnsi("\xE0\xEF\xA1\xEC"), "рябь"_cp1251);
  EXPECT_EQ(Oem866ToAnsi("\x80\x9F\xA0\xAF\xE0\xEF"), "АЯапря"_cp1251);
}

TEST(OemConversionTest, YoNumeroAndNoBreakSpace) {
  EXPECT_EQ(Oem866ToAnsi("\xF0\xF1"), "Ёё"_cp1251);
  EXPECT_EQ(Oem866ToAnsi("\xFC"), "№"_cp1251);
  EXPECT_EQ(Oem866ToAnsi("\xFF"), "\xA0");
  EXPECT_EQ(Oem866ToAnsi("\xF8"), "\xB0");  // degree sign
}

TEST(OemConversionTest, BoxDrawingBecomesAsciiSubstitutes) {
  EXPECT_EQ(Oem866ToAnsi("\xDA\xC4\xBF\xB3\xC0\xD9\xC5\xCD\xBA"), "+-+|+++-|");
  EXPECT_EQ(Oem866ToAnsi("\xB0\xB1\xB2\xDB"), "####");
}

TEST(OemConversionTest, AsciiAndLengthUnchanged) {
  std::string ascii;
  for (int c = 0; c < 128; ++c) ascii.push_back(static_cast<char>(c));
  EXPECT_EQ(Oem866ToAnsi(ascii), ascii);
  std::string every;
  for (int c = 0; c < 256; ++c) every.push_back(static_cast<char>(c));
  EXPECT_EQ(Oem866ToAnsi(every).size(), 256u);
}

// Runs of eight ASCII bytes are copied whole: every byte, at every place of a run
// beside ASCII ones, converts as it does alone.
TEST(OemConversionTest, EveryByteBetweenAsciiRunsAsAlone) {
  std::string out;
  for (int c = 0; c < 256; ++c) {
    for (std::size_t at : {0u, 7u, 8u, 13u}) {
      std::string text(21, 'a');
      text[at] = static_cast<char>(c);
      std::string expected = text;
      expected[at] = static_cast<char>(Oem866ToAnsiByte(static_cast<unsigned char>(c)));
      Oem866ToAnsiInto(text, out);
      ASSERT_EQ(out, expected) << "byte " << c << " at " << at;
    }
  }
}

TEST(Utf8ConversionTest, Cp1251RoundTripsEveryByte) {
  std::string every;
  for (int c = 1; c < 256; ++c) every.push_back(static_cast<char>(c));
  EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(every)), every);
}

TEST(Utf8ConversionTest, Cp1251ToUtf8) {
  EXPECT_EQ(Cp1251ToUtf8("Смета №1 – ё"_cp1251), "Смета №1 – ё");
  EXPECT_EQ(Cp1251ToUtf8("\xA0"), "\xC2\xA0");
}

TEST(Utf8ConversionTest, CharactersWithoutAByteBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1251("a€b"), "a\x88" "b");
  EXPECT_EQ(Utf8ToCp1251("日本"), "??");
  EXPECT_EQ(Utf8ToCp1251("x\xFFy"), "x?y");      // malformed byte
  EXPECT_EQ(Utf8ToCp1251("x\xD0"), "x?");        // cut sequence
}

TEST(Utf8ConversionTest, Cp866ToUtf8KeepsBoxDrawing) {
  EXPECT_EQ(Cp866ToUtf8("\x91\xAC\xA5\xE2\xA0"), "Смета");
  EXPECT_EQ(Cp866ToUtf8("\xDA\xC4\xBF\xFC\xFF"), "┌─┐№\xC2\xA0");
}

TEST(Utf8ToCp866Test, CyrillicLettersYoAndNumeroSign) {
  EXPECT_EQ(Utf8ToCp866("Смета"), "\x91\xAC\xA5\xE2\xA0");
  EXPECT_EQ(Utf8ToCp866("АЯапря"), "\x80\x9F\xA0\xAF\xE0\xEF");
  EXPECT_EQ(Utf8ToCp866("Ёё№"), "\xF0\xF1\xFC");
}

TEST(Utf8ToCp866Test, NoBreakSpaceAndBoxDrawing) {
  EXPECT_EQ(Utf8ToCp866("\u00A0"), "\xFF");
  EXPECT_EQ(Utf8ToCp866("┌─┐│└┘═"), "\xDA\xC4\xBF\xB3\xC0\xD9\xCD");
  EXPECT_EQ(Utf8ToCp866("ЛС-02-01"), "\x8B\x91-02-01");
}

TEST(Utf8ToCp866Test, CharactersAndBytesWithoutAByteBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp866("a€b"), "a?b");
  EXPECT_EQ(Utf8ToCp866("«x»"), "?x?");
  EXPECT_EQ(Utf8ToCp866("\xFF" "c"), "?c");  // a byte that is no UTF-8
}

TEST(Cp1251LiteralTest, ConvertsAtCompileTime) {
  constexpr std::string_view text = "Индекс"_cp1251;
  static_assert(text.size() == 6);
  EXPECT_EQ(text, "\xC8\xED\xE4\xE5\xEA\xF1");
}

}  // namespace
}  // namespace ranta2kv
