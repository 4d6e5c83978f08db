// Tests of the key index and the look-ups: numeric keys, key order and ties,
// LocateRecord on the index and scan paths, and the ranges of LimitToKey.
#include "source/dbf/key_index.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "common/codepage.h"
#include "common/date_time.h"
#include "common/error.h"
#include "source/dbf/dbf_table.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/error_message.h"
#include "tests/support/scratch_folder.h"

namespace ranta2kv {
namespace {

using test::DbfBuilder;
using test::ErrorMessage;
using test::ScratchFolder;

// ---- numeric keys ----

TEST(NumericKeyTest, ZeroFilledToTheKeyLength) {
  EXPECT_EQ(NumericKey(12.0, 5, 0), "00012");
  EXPECT_EQ(NumericKey(0.0, 5, 0), "00000");
  EXPECT_EQ(NumericKey(12.5, 15, 2), "000000000012.50");
  EXPECT_EQ(NumericKey(std::int64_t{12}, 10), "0000000012");
  EXPECT_EQ(NumericKey(2.6, 3, 0), "003");
}

TEST(NumericKeyTest, NegativesMapEachCharacterTo92MinusItsCode) {
  EXPECT_EQ(NumericKey(-1.0, 5, 0), ",,,,+");
  EXPECT_EQ(NumericKey(-9.0, 5, 0), ",,,,#");
  EXPECT_EQ(NumericKey(std::int64_t{-10}, 5), ",,,+,");
  EXPECT_EQ(NumericKey(-1.5, 5, 1), ",,+.'");
}

TEST(NumericKeyTest, TooWideGivesZerosWithoutSign) {
  EXPECT_EQ(NumericKey(123456.0, 5, 0), "00000");
  EXPECT_EQ(NumericKey(-123456.0, 5, 0), "00000");
  EXPECT_EQ(NumericKey(std::int64_t{-123456}, 5), "00000");
  EXPECT_EQ(NumericKey(12345.0, 6, 2), "000.00");
  EXPECT_EQ(NumericKey(1e300, 10, 2), "0000000.00");
}

TEST(NumericKeyTest, KeysSortInNumericOrder) {
  std::vector<double> values = {-100, -99.5, -10, -9, -1, -0.5, 0, 0.5, 1, 9, 10, 99.5, 100};
  for (std::size_t i = 1; i < values.size(); ++i) {
    EXPECT_LT(NumericKey(values[i - 1], 8, 1), NumericKey(values[i], 8, 1)) << values[i - 1] << " " << values[i];
  }
  EXPECT_LT(std::string(8, ' '), NumericKey(-99999.0, 8, 1));  // a blank field sorts first
}

// ---- tables with an index ----

class KeyIndexTest : public ::testing::Test {
 protected:
  DbfTable& Indexed(const DbfBuilder& builder, const std::string& keyField) {
    table_.SetFileName(builder.WriteTo(folder_ / "T.DBF"));
    table_.BuildKeyIndex(keyField);
    table_.Open();
    return table_;
  }
  DbfTable& Plain(const DbfBuilder& builder) {
    table_.SetFileName(builder.WriteTo(folder_ / "T.DBF"));
    table_.Open();
    return table_;
  }
  std::vector<std::int64_t> Walk() {
    std::vector<std::int64_t> records;
    for (table_.First(); !table_.AtEnd(); table_.Next()) records.push_back(table_.RecordNumber());
    return records;
  }
  std::vector<std::int64_t> Rest() {
    std::vector<std::int64_t> records;
    for (; !table_.AtEnd(); table_.Next()) records.push_back(table_.RecordNumber());
    return records;
  }

  ScratchFolder folder_{"key_index_test"};
  DbfTable table_{"DataTable", '.'};
};

DbfBuilder Codes(const std::vector<std::string>& codes, std::uint16_t width = 10, std::uint8_t decimals = 0) {
  DbfBuilder builder;
  builder.Field("CODE", 'N', width, decimals);
  for (const std::string& code : codes) builder.Record({code});
  return builder;
}

TEST_F(KeyIndexTest, IndexDescribesItsKey) {
  DbfBuilder builder;
  builder.Field("NAME", 'C', 4).Field("Q", 'N', 15, 6).Field("D", 'D', 8).Field("L", 'L', 1).Record({"a", "1", "", "T"});
  const std::vector<std::tuple<std::string, int, int>> keys = {{"NAME", 4, 0}, {"Q", 15, 6}, {"D", 8, 0}, {"L", 1, 0}};
  for (const auto& [field, length, decimals] : keys) {
    table_.Close();
    Indexed(builder, field);
    const KeyIndex* index = table_.Index();
    ASSERT_NE(index, nullptr);
    EXPECT_EQ(index->Name(), "Index0");
    EXPECT_EQ(index->BagName(), "Bag0");
    EXPECT_EQ(index->OrderName(), "Order0");
    EXPECT_EQ(index->KeyExpression(), field);
    EXPECT_EQ(index->KeyLength(), length);
    EXPECT_EQ(index->KeyDecimals(), decimals);
    EXPECT_FALSE(index->Unique());
    EXPECT_FALSE(index->Descending());
    EXPECT_EQ(index->Size(), 1u);
  }
}

TEST_F(KeyIndexTest, BuildingClosesTheTableAndTheIndexOrdersTheNextOpen) {
  table_.SetFileName(Codes({"30", "10", "20"}).WriteTo(folder_ / "T.DBF"));
  table_.BuildKeyIndex("code");
  EXPECT_FALSE(table_.Active());
  table_.Open();
  EXPECT_EQ(Walk(), (std::vector<std::int64_t>{2, 3, 1}));
  table_.Close();
  table_.Open();
  EXPECT_EQ(table_.RecordNumber(), 2);
}

TEST_F(KeyIndexTest, NumericKeysWalkBlankThenNegativeThenAscendingWithTiesInFileOrder) {
  Indexed(Codes({"30", "10", "", "-5", "0", "10", "-10", "-9", "20"}), "CODE");
  EXPECT_EQ(Walk(), (std::vector<std::int64_t>{3, 7, 8, 4, 5, 2, 6, 9, 1}));
}

TEST_F(KeyIndexTest, FloatKeysWalkInNumericOrder) {
  Indexed(Codes({"1.50", "-0.25", "12.50", "", "-12.00"}, 15, 2), "CODE");
  EXPECT_EQ(Walk(), (std::vector<std::int64_t>{4, 5, 2, 1, 3}));
}

TEST_F(KeyIndexTest, DeletedRecordsAreIndexed) {
  DbfBuilder builder;
  builder.Field("CODE", 'N', 5).Record({"2"}).Record({"1"}, true);
  Indexed(builder, "CODE");
  EXPECT_EQ(Walk(), (std::vector<std::int64_t>{2, 1}));
}

TEST_F(KeyIndexTest, TextKeysCompareUnsignedBytesAndStopAtNul) {
  DbfBuilder builder;
  builder.Field("NAME", 'C', 3);
  for (std::string name : {std::string("b  "), std::string("\xC0  "), std::string("a\0z", 3), std::string("a  "),
                           std::string("   "), std::string("a\0a", 3), std::string("B  ")}) {
    builder.RawRecord(" " + name);
  }
  Indexed(builder, "NAME");
  EXPECT_EQ(Walk(), (std::vector<std::int64_t>{5, 7, 3, 6, 4, 1, 2}));
}

TEST_F(KeyIndexTest, DateAndLogicalKeys) {
  DbfBuilder builder;
  builder.Field("D", 'D', 8).Field("L", 'L', 1);
  builder.Record({"20040229", "T"}).Record({"", "F"}).Record({"19991231", " "}).Record({"20030229", "T"});
  Indexed(builder, "D");
  EXPECT_EQ(Walk(), (std::vector<std::int64_t>{2, 4, 3, 1}));  // 29 Feb 2003 is no date
  table_.Close();
  Indexed(builder, "L");
  EXPECT_EQ(Walk(), (std::vector<std::int64_t>{3, 2, 1, 4}));
}

TEST_F(KeyIndexTest, BuildingOnAMissingFieldFailsAndLeavesNoIndex) {
  table_.SetFileName(Codes({"1"}).WriteTo(folder_ / "T.DBF"));
  table_.BuildKeyIndex("CODE");
  EXPECT_EQ(ErrorMessage([&] { table_.BuildKeyIndex("NOPE"); }), "DataTable: Field 'NOPE' not found");
  EXPECT_FALSE(table_.Active());
  EXPECT_EQ(table_.Index(), nullptr);
}

TEST_F(KeyIndexTest, BuildingOnAMissingFileFails) {
  table_.SetFileName(folder_ / "NONE.DBF");
  EXPECT_EQ(ErrorMessage([&] { table_.BuildKeyIndex("CODE"); }),
            "TQXSmartDBF.InternalOpen: Open error \"" + (folder_ / "NONE.DBF").string() + "\"");
  EXPECT_EQ(table_.Index(), nullptr);
}

// An index built from another version of the file would walk and find records
// that are no longer there, or miss new ones: the open fails instead.
TEST_F(KeyIndexTest, IndexOfAnotherVersionOfTheFileFailsTheOpen) {
  DbfBuilder builder = Codes({"3", "1", "2"});
  table_.SetFileName(builder.WriteTo(folder_ / "T.DBF"));
  table_.BuildKeyIndex("CODE");
  Codes({"3", "1"}).WriteTo(folder_ / "T.DBF");
  const std::string changed = std::string("Таблица \""_cp1251) + (folder_ / "T.DBF").string() +
                              std::string("\" изменилась во время конвертации"_cp1251);
  EXPECT_EQ(ErrorMessage([&] { table_.Open(); }), changed);
  EXPECT_FALSE(table_.Active());
  std::filesystem::remove(folder_ / "T.DBF");
  EXPECT_EQ(ErrorMessage([&] { table_.Open(); }), changed);
}

// ---- LocateRecord on the index ----

TEST_F(KeyIndexTest, LocateByKeyFindsTheLowestRecordAndWalksOnInKeyOrder) {
  Indexed(Codes({"5", "9", "7", "1", "9", "9", "7"}), "CODE");
  ASSERT_TRUE(table_.LocateRecord("CODE", 7));
  EXPECT_EQ(table_.RecordNumber(), 3);
  table_.Next();
  EXPECT_EQ(Rest(), (std::vector<std::int64_t>{7, 2, 5, 6}));
}

TEST_F(KeyIndexTest, LocateByKeyWithoutMatchLeavesTheCursor) {
  Indexed(Codes({"5", "9", "7"}), "CODE");
  table_.Next();
  std::uint64_t before = table_.RecordsTouched();
  EXPECT_FALSE(table_.LocateRecord("CODE", 8));
  EXPECT_EQ(table_.RecordNumber(), 3);
  EXPECT_FALSE(table_.AtEnd());
  EXPECT_EQ(table_.RecordsTouched(), before);
}

TEST_F(KeyIndexTest, LocateByKeyConvertsTheValueToTheKeyKind) {
  Indexed(Codes({"5", "123", "-1"}), "CODE");
  EXPECT_TRUE(table_.LocateRecord("code", "123"));
  EXPECT_EQ(table_.RecordNumber(), 2);
  EXPECT_TRUE(table_.LocateRecord("CODE", 5.0));
  EXPECT_EQ(table_.RecordNumber(), 1);
  EXPECT_TRUE(table_.LocateRecord("CODE", "-1"));
  EXPECT_EQ(table_.RecordNumber(), 3);
  EXPECT_EQ(ErrorMessage([&] { table_.LocateRecord("CODE", "x1"); }),
            "Could not convert variant of type (String) into type (Double)");
}

TEST_F(KeyIndexTest, LocateByTextKeyMatchesALeadingPart) {
  DbfBuilder builder;
  builder.Field("NAME", 'C', 6).Record({"ABX"}).Record({"ABCDEF"}).Record({"AB"}).Record({"XY"});
  Indexed(builder, "NAME");
  ASSERT_TRUE(table_.LocateRecord("NAME", "AB"));
  EXPECT_EQ(table_.RecordNumber(), 3);
  ASSERT_TRUE(table_.LocateRecord("NAME", "ABC"));
  EXPECT_EQ(table_.RecordNumber(), 2);
  ASSERT_TRUE(table_.LocateRecord("NAME", "ABCDEFGH"));  // compared over the key length
  EXPECT_EQ(table_.RecordNumber(), 2);
  EXPECT_FALSE(table_.LocateRecord("NAME", "ABD"));
  EXPECT_FALSE(table_.LocateRecord("NAME", ""));
}

TEST_F(KeyIndexTest, LocateByNullNumericKeyFindsBlankFields) {
  Indexed(Codes({"5", "", "7"}), "CODE");
  ASSERT_TRUE(table_.LocateRecord("CODE", Variant::Null()));
  EXPECT_EQ(table_.RecordNumber(), 2);
}

// ---- LocateRecord by scanning ----

DbfBuilder PosTools() {
  DbfBuilder builder;
  builder.Field("POSCODE", 'N', 10).Field("ID", 'N', 2).Field("CODE", 'N', 10);
  builder.Record({"12", "1", "100"}).Record({"11", "0", "200"}).Record({"12", "", "300"}).Record({"12", "0", "400"});
  return builder;
}

TEST_F(KeyIndexTest, ScanFindsTheFirstRecordInFileOrderWithBlankAsZero) {
  Indexed(PosTools(), "POSCODE");
  ASSERT_TRUE(table_.LocateRecord("POSCODE;ID", {Variant(12), Variant(0)}));
  EXPECT_EQ(table_.RecordNumber(), 3);
  EXPECT_EQ(table_.FieldNamed("CODE").AsInteger(), 300);
  table_.Next();  // walks on in key order
  EXPECT_EQ(table_.RecordNumber(), 4);
  ASSERT_TRUE(table_.LocateRecord("POSCODE;ID", {Variant(12), Variant(1)}));
  EXPECT_EQ(table_.FieldNamed("CODE").AsInteger(), 100);
  EXPECT_FALSE(table_.LocateRecord("POSCODE;ID", {Variant(13), Variant(0)}));
  EXPECT_EQ(table_.RecordNumber(), 1);
}

TEST_F(KeyIndexTest, ScanOnATableWithoutIndexWalksOnInFileOrder) {
  Plain(PosTools());
  ASSERT_TRUE(table_.LocateRecord("ID", 0));
  EXPECT_EQ(table_.RecordNumber(), 2);
  table_.Next();
  EXPECT_EQ(table_.RecordNumber(), 3);
}

TEST_F(KeyIndexTest, ScanWithAMissingValueFindsNothing) {
  Plain(PosTools());
  table_.Next();
  EXPECT_FALSE(table_.LocateRecord("ID", Variant()));
  EXPECT_FALSE(table_.LocateRecord("ID", Variant::Null()));
  EXPECT_FALSE(table_.LocateRecord("POSCODE;ID", {Variant(12), Variant::Null()}));
  EXPECT_EQ(table_.RecordNumber(), 2);
}

TEST_F(KeyIndexTest, ScanComparesEachKindAsItsValue) {
  DbfBuilder builder;
  builder.Field("NAME", 'C', 4).Field("BIG", 'N', 12).Field("Q", 'N', 8, 2).Field("D", 'D', 8).Field("L", 'L', 1);
  builder.Record({"AB", "1", "1.50", "20040229", "F"}).Record({"AB", "12345678901", "", "", "T"});
  Plain(builder);
  EXPECT_FALSE(table_.LocateRecord("NAME", "AB"));  // the field's text keeps its blanks
  EXPECT_TRUE(table_.LocateRecord("NAME", "AB  "));
  EXPECT_TRUE(table_.LocateRecord("BIG", std::int64_t{12345678901}));
  EXPECT_EQ(table_.RecordNumber(), 2);
  EXPECT_TRUE(table_.LocateRecord("Q", 1.5));
  EXPECT_EQ(table_.RecordNumber(), 1);
  EXPECT_TRUE(table_.LocateRecord("Q", 0));  // null counts as 0
  EXPECT_EQ(table_.RecordNumber(), 2);
  EXPECT_TRUE(table_.LocateRecord("D", Variant::DateTime(EncodeDate(2004, 2, 29))));
  EXPECT_EQ(table_.RecordNumber(), 1);
  EXPECT_TRUE(table_.LocateRecord("L", Variant::Boolean(true)));
  EXPECT_EQ(table_.RecordNumber(), 2);
  EXPECT_TRUE(table_.LocateRecord("NAME;L", {Variant("AB  "), Variant::Boolean(false)}));
  EXPECT_EQ(table_.RecordNumber(), 1);
}

TEST_F(KeyIndexTest, ScanRefusesMismatchedListsAndMissingFields) {
  Plain(PosTools());
  EXPECT_EQ(ErrorMessage([&] { table_.LocateRecord("POSCODE;ID", 12); }), "DataTable: 1 values given for 2 fields");
  EXPECT_EQ(ErrorMessage([&] { table_.LocateRecord("POSCODE;NOPE", {Variant(1), Variant(2)}); }),
            "DataTable: Field 'NOPE' not found");
}

TEST_F(KeyIndexTest, ScanAgreesWithAPlainScanOnRandomData) {
  std::mt19937 random(7);
  DbfBuilder builder;
  builder.Field("A", 'N', 3).Field("B", 'C', 2);
  std::vector<std::pair<int, std::string>> rows;
  for (int i = 0; i < 3000; ++i) {
    rows.emplace_back(static_cast<int>(random() % 40), std::string(1, static_cast<char>('a' + random() % 5)) + " ");
    builder.Record({std::to_string(rows.back().first), rows.back().second});
  }
  Plain(builder);
  for (int a = -1; a < 42; ++a) {
    for (char b = 'a'; b < 'g'; ++b) {
      std::string text = std::string(1, b) + " ";
      std::int64_t expected = 0;
      for (std::size_t i = 0; i < rows.size() && expected == 0; ++i) {
        if (rows[i].first == a && rows[i].second == text) expected = static_cast<std::int64_t>(i) + 1;
      }
      bool found = table_.LocateRecord("A;B", {Variant(a), Variant(text)});
      EXPECT_EQ(found, expected != 0) << a << text;
      if (found) {
        EXPECT_EQ(table_.RecordNumber(), expected) << a << text;
      }
    }
  }
}

TEST_F(KeyIndexTest, ScanCostPerLookupDoesNotGrowWithTheTable) {
  for (int size : {1000, 20000}) {
    DbfBuilder builder;
    builder.Field("CODE", 'N', 10);
    for (int i = 0; i < size; ++i) builder.Record({std::to_string((i * 7919) % size)});
    table_.Close();
    Plain(builder);
    table_.LocateRecord("CODE", 0);
    std::uint64_t before = table_.RecordsTouched();
    for (int code = 0; code < 500; ++code) ASSERT_TRUE(table_.LocateRecord("CODE", code));
    EXPECT_FALSE(table_.LocateRecord("CODE", size));
    EXPECT_LE(table_.RecordsTouched() - before, 2u * 500) << size;
  }
}

// ---- LimitToKey ----

TEST_F(KeyIndexTest, RangeOnANumberAdmitsThatNumberOnly) {
  Indexed(Codes({"12", "120", "112", "12", "5", "1"}), "CODE");
  table_.LimitToKey("CODE", 12);
  EXPECT_EQ(table_.RecordNumber(), 1);
  EXPECT_EQ(Rest(), (std::vector<std::int64_t>{1, 4}));
  EXPECT_EQ(Walk(), (std::vector<std::int64_t>{1, 4}));
  EXPECT_EQ(table_.RecordCount(), 6);
  table_.LimitToKey("CODE", 13);
  EXPECT_TRUE(table_.AtEnd());
  EXPECT_EQ(table_.RecordNumber(), 0);
  EXPECT_TRUE(table_.FieldNamed("CODE").IsNull());
}

TEST_F(KeyIndexTest, RangeOnANegativeNumberText) {
  Indexed(Codes({"-1", "1", "-1", "0", "-11"}), "CODE");
  table_.LimitToKey("CODE", "-1");
  EXPECT_EQ(Rest(), (std::vector<std::int64_t>{1, 3}));
}

DbfBuilder Params() {
  DbfBuilder builder;
  builder.Field("ID", 'C', 20).Field("CODE", 'N', 4).Field("PARAM", 'N', 15, 4);
  builder.Record({"3+7", "43", "1"}).Record({"3+12", "49", "2"}).Record({"3+125", "43", "3"});
  builder.Record({"3+13", "43", "4"}).Record({"3+12", "43", "5"}).Record({"3+120", "43", "6"});
  builder.Record({"3+1", "43", "7"}).Record({"3+10", "43", "8"});
  return builder;
}

TEST_F(KeyIndexTest, RangeOnATextAdmitsEveryKeyThatBeginsWithIt) {
  Indexed(Params(), "ID");
  table_.LimitToKey("ID", "3+12" + std::string(16, ' '));
  EXPECT_EQ(Rest(), (std::vector<std::int64_t>{2, 5, 6, 3}));
  EXPECT_EQ(table_.RecordCount(), 8);
}

TEST_F(KeyIndexTest, RangeOfBlanksAdmitsNothing) {
  Indexed(Params(), "ID");
  table_.LimitToKey("ID", "   ");
  EXPECT_TRUE(table_.AtEnd());
  EXPECT_EQ(Walk(), std::vector<std::int64_t>{});
}

TEST_F(KeyIndexTest, ScanWithinARangeSeesOnlyItsRecords) {
  Indexed(Params(), "ID");
  table_.LimitToKey("ID", "3+12");
  ASSERT_TRUE(table_.LocateRecord("CODE", 43));
  EXPECT_EQ(table_.RecordNumber(), 3);
  EXPECT_EQ(table_.FieldNamed("PARAM").AsInteger(), 3);
  table_.LimitToKey("ID", "3+7");
  EXPECT_FALSE(table_.LocateRecord("CODE", 49));
  EXPECT_EQ(table_.RecordNumber(), 1);
}

TEST_F(KeyIndexTest, ScanWithinARangeLooksAtTheRangeOnly) {
  DbfBuilder builder;
  builder.Field("ID", 'C', 8).Field("CODE", 'N', 4);
  for (int i = 0; i < 5000; ++i) builder.Record({"3+" + std::to_string(i), i % 2 ? "43" : "49"});
  Indexed(builder, "ID");
  table_.LimitToKey("ID", "3+4999");
  std::uint64_t before = table_.RecordsTouched();
  ASSERT_TRUE(table_.LocateRecord("CODE", 43));
  EXPECT_LE(table_.RecordsTouched() - before, 2u);
}

TEST_F(KeyIndexTest, KeySearchWithinARangeFindsTheRangesFirstMatch) {
  Indexed(Params(), "ID");
  table_.LimitToKey("ID", "3+12");
  ASSERT_TRUE(table_.LocateRecord("ID", "3+1"));  // 3+1 and 3+10 lie outside
  EXPECT_EQ(table_.RecordNumber(), 2);
  EXPECT_FALSE(table_.LocateRecord("ID", "3+7"));
}

TEST_F(KeyIndexTest, RangeNeedsTheIndexOfItsField) {
  Plain(Params());
  EXPECT_EQ(ErrorMessage([&] { table_.LimitToKey("ID", "3+1"); }), "TQXSmartDBF: There is no suitable index for range!");
  table_.Close();
  Indexed(Params(), "ID");
  EXPECT_EQ(ErrorMessage([&] { table_.LimitToKey("CODE", 43); }), "TQXSmartDBF: There is no suitable index for range!");
  EXPECT_EQ(ErrorMessage([&] { table_.LimitToKey("ID;CODE", 43); }), "TQXSmartDBF: There is no suitable index for range!");
}

TEST_F(KeyIndexTest, RangeLastsUntilTheIndexIsRebuilt) {
  Indexed(Params(), "ID");
  table_.LimitToKey("ID", "3+13");
  table_.Close();
  table_.Open();
  EXPECT_EQ(Walk(), (std::vector<std::int64_t>{4}));
  table_.LimitToKey("ID", "3+7");
  EXPECT_EQ(Walk(), (std::vector<std::int64_t>{1}));
  table_.Close();
  table_.BuildKeyIndex("ID");
  table_.Open();
  EXPECT_EQ(Walk().size(), 8u);
}

}  // namespace
}  // namespace ranta2kv
