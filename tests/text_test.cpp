// Tests of the string helpers: OEM conversion with trimming, padding, splitting,
// replacing and trimming by set, and the clean-up of values into output text.
#include <gtest/gtest.h>

#include "common/codepage.h"
#include "common/date_time.h"
#include "common/text.h"

namespace ranta2kv {
namespace {

using Pieces = std::vector<std::string>;

TEST(OemToAnsiTrimTest, ConvertsAndTrimsBlanksAndControls) {
  EXPECT_EQ(OemToAnsiTrim("  \x91\xAC\xA5\xE2\xA0 1  "), "Смета 1"_cp1251);
  EXPECT_EQ(OemToAnsiTrim(std::string("\0\t a b\r\n\0", 10)), "a b");
}

TEST(OemToAnsiTrimTest, AllSpacesGiveEmptyText) {
  EXPECT_EQ(OemToAnsiTrim("          "), "");
  EXPECT_EQ(OemToAnsiTrim(""), "");
}

TEST(OemToAnsiTrimTest, OemNoBreakSpaceIsNotTrimmed) {
  // 866's 0xFF becomes 1251's 0xA0, above 32, so it stays.
  EXPECT_EQ(OemToAnsiTrim(" \xFF"), "\xA0");
}

TEST(PadRightTest, TrimsThenFills) {
  EXPECT_EQ(PadRight("  3+15 ", 20, ' '), "3+15" + std::string(16, ' '));
  EXPECT_EQ(PadRight("", 3, '*'), "***");
}

TEST(PadRightTest, NeverCuts) {
  std::string longText(25, 'x');
  EXPECT_EQ(PadRight(" " + longText + " ", 20, ' '), longText);
  EXPECT_EQ(PadRight("abc", 3, '*'), "abc");
}

TEST(SplitByCharsTest, PiecesBetweenSeparators) {
  CharSet semicolon{';'};
  EXPECT_EQ(SplitByChars("a;b", semicolon), (Pieces{"a", "b"}));
  EXPECT_EQ(SplitByChars("a;;b", semicolon), (Pieces{"a", "", "b"}));
  EXPECT_EQ(SplitByChars("a", semicolon), (Pieces{"a"}));
}

TEST(SplitByCharsTest, LeadingSeparatorGivesEmptyPieceTrailingOneDoesNot) {
  CharSet semicolon{';'};
  EXPECT_EQ(SplitByChars("a;b;", semicolon), (Pieces{"a", "b"}));
  EXPECT_EQ(SplitByChars(";a", semicolon), (Pieces{"", "a"}));
  EXPECT_EQ(SplitByChars(";", semicolon), (Pieces{""}));
  EXPECT_EQ(SplitByChars(";;", semicolon), (Pieces{"", ""}));
  EXPECT_EQ(SplitByChars("", semicolon), Pieces{});
}

TEST(SplitByCharsTest, AnyMemberOfTheSetSeparates) {
  EXPECT_EQ(SplitByChars("a;b=c", CharSet{';', '='}), (Pieces{"a", "b", "c"}));
}

TEST(CharSetTest, HighBytesAreMembers) {
  CharSet set{150, 160};
  EXPECT_TRUE(set.Contains(150));
  EXPECT_TRUE(set.Contains(160));
  EXPECT_FALSE(set.Contains(32));
  set.Add(255);
  EXPECT_TRUE(set.Contains(255));
}

TEST(ReplaceAndTrimTest, ByCharacterSet) {
  CharSet digits{'1', '2'};
  EXPECT_EQ(ReplaceChars("a1b2c", digits, '_'), "a_b_c");
  EXPECT_EQ(TrimCharsLeft("12a12", digits), "a12");
  EXPECT_EQ(TrimCharsRight("12a12", digits), "12a");
  EXPECT_EQ(TrimCharsLeft("1212", digits), "");
  EXPECT_EQ(TrimCharsRight("", digits), "");
}

std::string Clean(const Variant& value) { return CleanVariantText(value, true, true, '.'); }

TEST(CleanVariantTextTest, EmptyAndNullGiveEmptyText) {
  EXPECT_EQ(Clean(Variant()), "");
  EXPECT_EQ(Clean(Variant::Null()), "");
}

TEST(CleanVariantTextTest, EnDashAndNoBreakSpaceBecomeSpaces) {
  EXPECT_EQ(Clean(Variant("1\x96" "2")), "1 2");
  EXPECT_EQ(Clean(Variant("a\xA0" "b")), "a b");
  EXPECT_EQ(Clean(Variant("\x96\xA0 a \xA0\x96")), "a");
}

TEST(CleanVariantTextTest, TrimsLineBreaksAndSpacesButNotTabs) {
  EXPECT_EQ(Clean(Variant("\r\ntext  ")), "text");
  EXPECT_EQ(Clean(Variant("text\n")), "text");
  EXPECT_EQ(Clean(Variant("\ttext\t")), "\ttext\t");
  EXPECT_EQ(Clean(Variant("a\r\nb")), "a\r\nb");
  EXPECT_EQ(Clean(Variant("  \xA0 \xA0")), "");
}

TEST(CleanVariantTextTest, TrimFlagsChooseTheSides) {
  EXPECT_EQ(CleanVariantText(Variant("  a  "), true, false, '.'), "a  ");
  EXPECT_EQ(CleanVariantText(Variant("  a  "), false, true, '.'), "  a");
  EXPECT_EQ(CleanVariantText(Variant("\x96" "a"), false, false, '.'), " a");
}

TEST(CleanVariantTextTest, NumbersUseTheGivenSeparator) {
  EXPECT_EQ(Clean(Variant(0)), "0");
  EXPECT_EQ(Clean(Variant(std::int64_t{-12})), "-12");
  EXPECT_EQ(CleanVariantText(Variant(1234.5), true, true, ','), "1234,5");
  EXPECT_EQ(Clean(Variant(0.00001)), "1E-5");
  EXPECT_EQ(Clean(Variant(1.0 / 3)), "0.333333333333333");
}

TEST(CleanVariantTextTest, FailedConversionGivesEmptyText) {
  EXPECT_EQ(Clean(Variant::DateTime(1e12)), "");
}

TEST(CleanVariantTextTest, OtherTypes) {
  EXPECT_EQ(CleanVariantText(Variant::Currency(12345000), true, true, ','), "1234,5");
  EXPECT_EQ(Clean(Variant::Boolean(true)), "True");
  EXPECT_EQ(Clean(Variant::DateTime(EncodeDate(2024, 3, 5))), "05.03.2024");
}

}  // namespace
}  // namespace ranta2kv
