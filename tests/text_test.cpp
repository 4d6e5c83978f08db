// Tests of the string helpers: OEM conversion with trimming, padding, splitting,
// replacing and trimming by set, and the clean-up of values into output text.
#include <gtest/gtest.h>

#include "common/codepage.h"
#include "common/text.h"

namespace ranta2kv {
namespace {

using Pieces = std::vector<std::string>;

TEST(OemToAnsiTrimTest, ConvertsThenTrimsBlanksAndControls) {
  EXPECT_EQ(OemToAnsiTrim("  \x91\xAC\xA5\xE2\xA0 1  "), "Смета 1"_cp1251);
  EXPECT_EQ(OemToAnsiTrim(std::string("\0\t a b\r\n\0", 10)), "a b");
  EXPECT_EQ(OemToAnsiTrim("          "), "");
  EXPECT_EQ(OemToAnsiTrim(" \xFF"), "\xA0");  // the no-break space is above 32: it stays
}

TEST(PadRightTest, TrimsThenFillsButNeverCuts) {
  EXPECT_EQ(PadRight("  3+15 ", 20, ' '), "3+15" + std::string(16, ' '));
  EXPECT_EQ(PadRight("", 3, '*'), "***");
  EXPECT_EQ(PadRight(" " + std::string(25, 'x') + " ", 20, ' '), std::string(25, 'x'));
}

TEST(SplitByCharsTest, PiecesBetweenSeparators) {
  CharSet semicolon{';'};
  EXPECT_EQ(SplitByChars("a;b", semicolon), (Pieces{"a", "b"}));
  EXPECT_EQ(SplitByChars("a;;b", semicolon), (Pieces{"a", "", "b"}));
  EXPECT_EQ(SplitByChars("a;b=c", CharSet{';', '='}), (Pieces{"a", "b", "c"}));
}

TEST(SplitByCharsTest, LeadingSeparatorGivesAnEmptyPieceTrailingOneDoesNot) {
  CharSet semicolon{';'};
  EXPECT_EQ(SplitByChars("a;b;", semicolon), (Pieces{"a", "b"}));
  EXPECT_EQ(SplitByChars(";a", semicolon), (Pieces{"", "a"}));
  EXPECT_EQ(SplitByChars(";", semicolon), (Pieces{""}));
  EXPECT_EQ(SplitByChars("", semicolon), Pieces{});
}

TEST(ReplaceAndTrimTest, ByCharacterSet) {
  CharSet set{'1', 160};
  EXPECT_EQ(ReplaceChars("a1b\xA0" "c", set, '_'), "a_b_c");
  EXPECT_EQ(TrimCharsLeft("1\xA0" "a1", set), "a1");
  EXPECT_EQ(TrimCharsRight("1a1\xA0", set), "1a");
  EXPECT_EQ(TrimCharsLeft("11", set), "");
}

std::string Clean(const Variant& value) { return CleanVariantText(value, true, true, '.'); }

TEST(CleanVariantTextTest, EnDashAndNoBreakSpaceBecomeSpacesAndTrimAtTheEnds) {
  EXPECT_EQ(Clean(Variant::Null()), "");
  EXPECT_EQ(Clean(Variant("1\x96" "2")), "1 2");
  EXPECT_EQ(Clean(Variant("  \xA0 \xA0")), "");
  EXPECT_EQ(Clean(Variant("\x96\xA0 a\xA0" "b \xA0\x96")), "a b");
}

TEST(CleanVariantTextTest, TrimsLineBreaksAndSpacesButNotTabs) {
  EXPECT_EQ(Clean(Variant("\r\ntext  \n")), "text");
  EXPECT_EQ(Clean(Variant("\ttext\t")), "\ttext\t");
  EXPECT_EQ(Clean(Variant("a\r\nb")), "a\r\nb");
  EXPECT_EQ(CleanVariantText(Variant("  a  "), true, false, '.'), "a  ");
  EXPECT_EQ(CleanVariantText(Variant("  a  "), false, true, '.'), "  a");
}

TEST(CleanVariantTextTest, NumbersAndFailedConversions) {
  EXPECT_EQ(Clean(Variant(0)), "0");
  EXPECT_EQ(CleanVariantText(Variant(1234.5), true, true, ','), "1234,5");
  EXPECT_EQ(Clean(Variant(0.00001)), "1E-5");
  EXPECT_EQ(Clean(Variant::DateTime(1e12)), "");  // no date: the empty text, no error
}

}  // namespace
}  // namespace ranta2kv
