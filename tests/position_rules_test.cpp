// Tests of the rules both passes apply to a position's values: integers from
// text, collection prefixes, resource kinds and codes, work class, PARAMS key,
// comment, and the output file name.
#include <gtest/gtest.h>

#include "common/codepage.h"
#include "common/error.h"
#include "convert/output_file.h"
#include "convert/position_rules.h"
#include "platform/file_name.h"

namespace ranta2kv {
namespace {

std::string U(std::string_view text1251) { return Cp1251ToUtf8(text1251); }

TEST(IntegerOfTextTest, IgnoresBlanksAndControlCharactersAround) {
  EXPECT_EQ(IntegerOfText("12        "), 12);  // a blank-padded C field
  EXPECT_EQ(IntegerOfText("   -7"), -7);
  EXPECT_EQ(IntegerOfText("\t+15\r\n"), 15);
  EXPECT_EQ(IntegerOfText("0"), 0);
}

TEST(IntegerOfTextTest, AnythingElseIsZero) {
  EXPECT_EQ(IntegerOfText(""), 0);
  EXPECT_EQ(IntegerOfText("   "), 0);
  EXPECT_EQ(IntegerOfText("1 2"), 0);
  EXPECT_EQ(IntegerOfText("1.5"), 0);
  EXPECT_EQ(IntegerOfText("12a"), 0);
  EXPECT_EQ(IntegerOfText("-"), 0);
  EXPECT_EQ(IntegerOfText("+-1"), 0);
}

TEST(IntegerOfTextTest, ThirtyTwoBitRange) {
  EXPECT_EQ(IntegerOfText("2147483647"), 2147483647);
  EXPECT_EQ(IntegerOfText("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(IntegerOfText("2147483648"), 0);
  EXPECT_EQ(IntegerOfText("99999999999999999999999"), 0);
}

TEST(CollectionPrefixTest, FederalAndRegionalColumns) {
  EXPECT_EQ(U(*CollectionPrefix("ER", "1")), "ФЕР");
  EXPECT_EQ(U(*CollectionPrefix("ER", "2")), "ТЕР");
  EXPECT_EQ(U(*CollectionPrefix("CL", "1")), "ФССЦ-");
  EXPECT_EQ(U(*CollectionPrefix("CN", "77")), "ТССЦ-");
  EXPECT_EQ(U(*CollectionPrefix("VR", "1")), "ФЕРр");
  EXPECT_EQ(U(*CollectionPrefix("CT", "5")), "ТЕРп");
  EXPECT_EQ(U(*CollectionPrefix("MO", "1")), "ФЕРм");
}

TEST(CollectionPrefixTest, EmptyRegionClearsThePrefix) {
  EXPECT_EQ(*CollectionPrefix("ER", ""), "");
}

TEST(CollectionPrefixTest, UnknownTypesHaveNoPrefix) {
  EXPECT_FALSE(CollectionPrefix("er", "1"));  // case counts
  EXPECT_FALSE(CollectionPrefix("ZZ", "1"));
  EXPECT_FALSE(CollectionPrefix("", ""));
  EXPECT_EQ(U(UnknownCollectionMessage("ZZ", "01-02 ")),
            "Тип сборника ZZ для 01-02  не определен. ");
}

TEST(ClassifyResourceTest, LabourCodesAreRewritten) {
  EXPECT_EQ(ClassifyResource("1-4").index, 0);
  EXPECT_EQ(ClassifyResource("1-4").code, "1-4-0");
  EXPECT_EQ(ClassifyResource("1-35").code, "1-3-5");
  EXPECT_EQ(ClassifyResource("1-3-5").code, "1-3--5");
  // An insert past the end appends.
  EXPECT_EQ(ClassifyResource("1-").code, "1--");
}

TEST(ClassifyResourceTest, KindsByCode) {
  EXPECT_EQ(ClassifyResource("3").index, 1);
  EXPECT_EQ(ClassifyResource("3").code, "3");
  EXPECT_EQ(ClassifyResource("101-1234").index, 3);
  EXPECT_EQ(ClassifyResource("2-1").index, 3);
  EXPECT_EQ(ClassifyResource("030101").index, 2);
  EXPECT_EQ(ClassifyResource("").index, 2);
  EXPECT_EQ(ClassifyResource("31").index, 2);
}

TEST(WorkClassOfTest, PartAfterThePhrase) {
  std::string name(Utf8ToCp1251("Рабочий строитель со средним разрядом 3,8"));
  EXPECT_EQ(*WorkClassOf(name), "3,8");
  EXPECT_FALSE(WorkClassOf(Utf8ToCp1251("Рабочий со средним разрядом3")));
  EXPECT_EQ(*WorkClassOf(Utf8ToCp1251("со средним разрядом ")), "");
}

TEST(ParamKeyTest, PaddedToTwenty) {
  EXPECT_EQ(ParamKey(17), "3+17                ");
  EXPECT_EQ(ParamKey(-5), "3+-5                ");
  EXPECT_EQ(ParamKey(17).size(), 20u);
}

TEST(CommentTest, MarkerRemoved) {
  EXPECT_EQ(CommentWithoutMarker("*note"), "note");
  EXPECT_EQ(CommentWithoutMarker("*"), "");
  EXPECT_EQ(CommentWithoutMarker(""), "");
  EXPECT_EQ(CommentWithoutMarker("  a"), " a");
}

TEST(RowMessageTest, FillsTheRowNumber) {
  EXPECT_EQ(U(RowMessage("Некорректные данные. Строка %d"_cp1251, 17)),
            "Некорректные данные. Строка 17");
}

TEST(OutputFileTest, NameFromTheHeaderCode) {
  EXPECT_EQ(OutputFilePath("/tmp/est", Utf8ToCp1251("ЛС-02-01")), PathFromUtf8("/tmp/est/ЛС-02-01.XML"));
  EXPECT_EQ(PathToUtf8(OutputFilePath("/tmp/est", Utf8ToCp1251("ЛС-02-01")).filename()), "ЛС-02-01.XML");
  EXPECT_EQ(OutputFilePath("/tmp/est", ""), std::filesystem::path("/tmp/est/.XML"));
}

TEST(OutputFileTest, WindowsDeviceNamesFailEverywhere) {
  for (const std::string& bad : std::vector<std::string>{"CON", "prn", "Aux", "nul.1", "COM1", "com9.est", "LPT5",
                                                          "CON ", "NUL .a"}) {
    try {
      OutputFilePath("/tmp/est", bad);
      ADD_FAILURE() << "accepted " << bad;
    } catch (const Error& error) {
      EXPECT_EQ(U(error.what()), "Недопустимое имя файла \"" + U(bad) + ".XML\"");
    }
  }
  for (const std::string& good : std::vector<std::string>{"CONS", "COM0", "COM10", "LPT", "ACON", "NUL-1", "CO.N"}) {
    EXPECT_NO_THROW(OutputFilePath("/tmp/est", good)) << good;
  }
}

TEST(OutputFileTest, ForbiddenCharactersFail) {
  for (const std::string& bad : std::vector<std::string>{"../../x", "a\\b", "c:d", "a*", "a?", "\"q\"", "<x>", "a|b",
                          "a\nb"}) {
    try {
      OutputFilePath("/tmp/est", bad);
      ADD_FAILURE() << "accepted " << bad;
    } catch (const Error& error) {
      EXPECT_EQ(U(error.what()), "Недопустимое имя файла \"" + U(bad) + ".XML\"");
    }
  }
  EXPECT_THROW(OutputFilePath("/tmp/est", std::string("a\0b", 3)), Error);
}

}  // namespace
}  // namespace ranta2kv
