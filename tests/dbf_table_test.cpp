// Tests of the DBF table reader: header variants, damaged headers, the record
// walk, field value conversion, Visual FoxPro null flags and the exclusive lock.
#include "source/dbf/dbf_table.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <random>
#include <stdexcept>
#include <string>

#include "common/codepage.h"
#include "common/date_time.h"
#include "common/error.h"
#include "platform/file_faults.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/error_message.h"
#include "tests/support/scratch_folder.h"

namespace ranta2kv {
namespace {

using test::DbfBuilder;
using test::ErrorMessage;
using test::ScratchFolder;

class DbfTableTest : public ::testing::Test {
 protected:
  // Writes the builder's file as name and returns a table on it, not yet open.
  DbfTable& Table(const DbfBuilder& builder, const std::string& name = "T.DBF") {
    path_ = builder.WriteTo(folder_ / name);
    table_.SetFileName(path_);
    return table_;
  }
  DbfTable& Opened(const DbfBuilder& builder) {
    Table(builder).Open();
    return table_;
  }
  std::string Quoted() const { return "\"" + path_.string() + "\""; }

  ScratchFolder folder_{"dbf_table_test"};
  std::filesystem::path path_ = folder_ / "T.DBF";
  DbfTable table_{"DataTable", ','};
};

// A table with one field of the given type holding one record with text.
DbfBuilder OneValue(char type, std::uint16_t width, std::uint8_t decimals, const std::string& text) {
  if (text.size() != width) throw std::invalid_argument("'" + text + "' does not fill the field");
  DbfBuilder builder;
  builder.Field("V", type, width, decimals).RawRecord(" " + text);
  return builder;
}

// ---- header variants ----

class DbfVersionTest : public DbfTableTest, public ::testing::WithParamInterface<int> {};

TEST_P(DbfVersionTest, OpensAndReadsFields) {
  auto version = static_cast<std::uint8_t>(GetParam());
  DbfBuilder builder(version);
  builder.Field("NAME", 'C', 4).Field("QTY", 'N', 5).Record({"ab", "42"}).Record({"cd", "-7"});
  DbfTable& table = Opened(builder);
  EXPECT_EQ(table.VersionByte(), version);
  ASSERT_EQ(table.Fields().size(), 2u);
  EXPECT_EQ(table.RecordCount(), 2);
  EXPECT_EQ(table.FieldNamed("NAME").AsString(), "ab  ");
  EXPECT_EQ(table.FieldNamed("QTY").AsInteger(), 42);
  table.Next();
  EXPECT_EQ(table.FieldNamed("QTY").AsInteger(), -7);
}

INSTANTIATE_TEST_SUITE_P(EveryKnownVersion, DbfVersionTest,
                         ::testing::Values(0x03, 0x83, 0x07, 0x7B, 0x8B, 0x8E, 0x04, 0x8C, 0xF5, 0x30, 0x31));

TEST_F(DbfTableTest, UnknownVersionIsNotDbfFile) {
  for (std::uint8_t version : {0x02, 0x32, 0x00, 0xFF}) {
    DbfBuilder builder(version);
    builder.Field("A", 'C', 1);
    DbfTable& table = Table(builder);
    EXPECT_EQ(ErrorMessage([&] { table.Open(); }), "TQXSmartDBF.InternalOpen: File " + Quoted() + " is not DBF file");
    EXPECT_FALSE(table.Active());
  }
}

TEST_F(DbfTableTest, Dbase7DescriptorsAreFortyEightBytesFromOffset68) {
  DbfBuilder builder(0x04);
  builder.Field("A_LONG_DBASE7_FIELD_NAME", 'C', 3).Field("N", 'N', 6, 2).Record({"xyz", "1.25"});
  DbfTable& table = Opened(builder);
  ASSERT_EQ(table.Fields().size(), 2u);
  EXPECT_EQ(table.Fields()[0].Name(), "A_LONG_DBASE7_FIELD_NAME");
  EXPECT_EQ(table.Fields()[1].Offset(), 4);
  EXPECT_EQ(table.Fields()[1].Decimals(), 2);
  EXPECT_EQ(table.FieldNamed("a_long_dbase7_field_name").AsString(), "xyz");
  EXPECT_DOUBLE_EQ(table.FieldNamed("N").AsNumber(), 1.25);
}

TEST_F(DbfTableTest, TextFieldWidthTakesBothDescriptorBytes) {
  DbfBuilder builder;
  builder.Field("NAME", 'C', 400).Field("CODE", 'N', 3).Record({std::string(398, 'x') + "yz", "7"});
  DbfTable& table = Opened(builder);
  EXPECT_EQ(table.FieldNamed("NAME").Width(), 400);
  EXPECT_EQ(table.FieldNamed("NAME").Decimals(), 0);
  EXPECT_EQ(table.FieldNamed("CODE").Offset(), 401);
  EXPECT_EQ(table.FieldNamed("NAME").AsString().size(), 400u);
  EXPECT_EQ(table.FieldNamed("CODE").AsInteger(), 7);
}

TEST_F(DbfTableTest, LogicalDateAndMemoWidthsAreFixed) {
  DbfBuilder builder;
  builder.Field({"L", 'L', 1, 0, 0, 5})
      .Field({"D", 'D', 8, 0, 0, 3})
      .Field({"M", 'M', 10, 0, 0, 4})
      .Field("C", 'C', 2)
      .Record({"T", "20240115", "", "ok"});
  DbfTable& table = Opened(builder);
  EXPECT_EQ(table.FieldNamed("L").Width(), 1);
  EXPECT_EQ(table.FieldNamed("D").Width(), 8);
  EXPECT_EQ(table.FieldNamed("M").Width(), 10);
  EXPECT_EQ(table.FieldNamed("C").Offset(), 20);
  EXPECT_EQ(table.FieldNamed("C").AsString(), "ok");
}

TEST_F(DbfTableTest, VisualFoxProMemoFieldsAreFourBytes) {
  DbfBuilder builder(0x30);
  builder.Field({"M", 'M', 4, 0, 0, 10}).Field("C", 'C', 2).HeaderPadding(263).Record({"", "ok"});
  DbfTable& table = Opened(builder);
  EXPECT_EQ(table.FieldNamed("M").Width(), 4);
  EXPECT_EQ(table.FieldNamed("M").Kind(), DbfValueKind::Memo);
  EXPECT_EQ(table.FieldNamed("C").AsString(), "ok");
}

TEST_F(DbfTableTest, ValueKindsFollowTypeWidthAndDecimals) {
  DbfBuilder builder;
  builder.Field("C", 'C', 3).Field("I", 'N', 9).Field("BIG", 'N', 10).Field("F", 'F', 9, 2);
  builder.Field("N", 'N', 5, 1).Field("L", 'L', 1).Field("D", 'D', 8).Field("M", 'M', 10).Field("X", 'I', 4);
  DbfTable& table = Opened(builder);
  std::vector<DbfValueKind> kinds;
  for (const DbfField& field : table.Fields()) kinds.push_back(field.Kind());
  EXPECT_EQ(kinds, (std::vector<DbfValueKind>{DbfValueKind::Text, DbfValueKind::Integer, DbfValueKind::LargeInteger,
                                               DbfValueKind::Float, DbfValueKind::Float, DbfValueKind::Boolean,
                                               DbfValueKind::Date, DbfValueKind::Memo, DbfValueKind::Other}));
}

TEST_F(DbfTableTest, FieldNamesStopAtNulAreTrimmedAndUpperCased) {
  DbfBuilder builder;
  builder.Field(std::string(" code\0zz", 8), 'N', 3).Field("Price", 'N', 3).Field("price", 'N', 3);
  builder.Record({"1", "2", "3"});
  DbfTable& table = Opened(builder);
  EXPECT_EQ(table.Fields()[0].Name(), "CODE");
  EXPECT_EQ(table.Fields()[1].Name(), "PRICE");
  EXPECT_EQ(table.FieldNamed("code").AsInteger(), 1);
  EXPECT_EQ(table.FieldNamed("pRiCe").AsInteger(), 2);  // the first of two equal names
}

TEST_F(DbfTableTest, MissingFieldNamesTableAndField) {
  DbfBuilder builder;
  builder.Field("CODE", 'N', 3);
  DbfTable& table = Opened(builder);
  EXPECT_EQ(ErrorMessage([&] { table.FieldNamed("PRICE"); }), "DataTable: Field 'PRICE' not found");
}

// ---- open errors and damaged headers ----

TEST_F(DbfTableTest, MissingFileIsAnOpenError) {
  table_.SetFileName(folder_ / "NONE.DBF");
  EXPECT_EQ(ErrorMessage([&] { table_.Open(); }),
            "TQXSmartDBF.InternalOpen: Open error \"" + (folder_ / "NONE.DBF").string() + "\"");
  EXPECT_FALSE(table_.Active());
}

TEST_F(DbfTableTest, FolderIsAnOpenError) {
  table_.SetFileName(folder_.Path());
  EXPECT_EQ(ErrorMessage([&] { table_.Open(); }), "TQXSmartDBF.InternalOpen: Open error \"" + folder_.Path().string() + "\"");
}

TEST_F(DbfTableTest, FileNameInMessagesIsWindows1251) {
  table_.SetFileName(folder_ / "Смета.DBF");
  std::string expected = "TQXSmartDBF.InternalOpen: Open error \"" + Utf8ToCp1251((folder_ / "Смета.DBF").string()) + "\"";
  EXPECT_EQ(ErrorMessage([&] { table_.Open(); }), expected);
  EXPECT_NE(expected.find("\xD1\xEC\xE5\xF2\xE0"), std::string::npos);
}

TEST_F(DbfTableTest, RecordsLongerThanABlockAreRefused) {
  DbfBuilder wide;
  wide.Field("A", 'C', 4096);
  EXPECT_EQ(ErrorMessage([&] { Table(wide).Open(); }), "TQXSmartDBF.InternalOpen: BufferSize too small!");
  DbfBuilder fits;
  fits.Field("A", 'C', 4095).Record({"x"});
  EXPECT_EQ(Opened(fits).RecordCount(), 1);
}

class DbfDamagedHeaderTest : public DbfTableTest {
 protected:
  std::string Damaged(const std::string& reason) {
    return "TQXSmartDBF.InternalOpen: File " + Quoted() + " is damaged: " + reason;
  }
  std::string OpenError(const DbfBuilder& builder) {
    DbfTable& table = Table(builder);
    std::string message = ErrorMessage([&] { table.Open(); });
    EXPECT_FALSE(table.Active());
    return message;
  }
  std::string OpenError(const std::string& bytes) {
    path_ = folder_ / "T.DBF";
    FILE* file = std::fopen(path_.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    table_.SetFileName(path_);
    return ErrorMessage([&] { table_.Open(); });
  }
};

TEST_F(DbfDamagedHeaderTest, FileShorterThanHeader) {
  EXPECT_EQ(OpenError(std::string()), Damaged("the file is shorter than its header"));
  EXPECT_EQ(OpenError(std::string("\x03\x18\x01\x01", 4)), Damaged("the file is shorter than its header"));
  DbfBuilder dbase7(0x04);
  EXPECT_EQ(OpenError(dbase7.Bytes().substr(0, 60)), Damaged("the file is shorter than its header"));
}

TEST_F(DbfDamagedHeaderTest, RecordLengthZero) {
  DbfBuilder builder;
  builder.Field("A", 'C', 1).RecordLength(0);
  EXPECT_EQ(OpenError(builder), Damaged("the record length is 0"));
}

TEST_F(DbfDamagedHeaderTest, FieldEndingBeyondTheRecord) {
  DbfBuilder builder;
  builder.Field("A", 'C', 3).Field("B", 'N', 5).RecordLength(8);
  EXPECT_EQ(OpenError(builder), Damaged("field 'B' ends beyond the record length"));
}

TEST_F(DbfDamagedHeaderTest, RecordLongerThanItsFieldsIsValid) {
  DbfBuilder builder;
  builder.Field("A", 'C', 2).RecordLength(10).RawRecord(" ab       ").RawRecord("*cd       ");
  DbfTable& table = Table(builder);
  table.Open();
  EXPECT_EQ(table.RecordCount(), 2);
  table.Next();
  EXPECT_EQ(table.FieldNamed("A").AsString(), "cd");
}

TEST_F(DbfDamagedHeaderTest, DescriptorsRunningPastTheEndOfTheFile) {
  DbfBuilder builder;
  builder.Field("A", 'C', 2).Field("B", 'C', 2).WithoutTerminator().HeaderLength(2000);
  EXPECT_EQ(OpenError(builder.Bytes().substr(0, 96)), Damaged("the field descriptors run past the end of the file"));
  EXPECT_EQ(OpenError(builder.Bytes().substr(0, 80)), Damaged("the field descriptors run past the end of the file"));
}

TEST_F(DbfDamagedHeaderTest, DescriptorsWithoutTerminatorBeforeTheHeaderLength) {
  DbfBuilder builder;
  builder.Field("A", 'C', 2).Field("B", 'C', 2).WithoutTerminator().Record({"ab", "cd"});
  EXPECT_EQ(OpenError(builder), Damaged("the field descriptors run past the header length"));
}

TEST_F(DbfDamagedHeaderTest, HeaderLengthShorterThanTheDescriptorList) {
  DbfBuilder builder;
  builder.Field("A", 'C', 2).Field("B", 'C', 2).HeaderLength(64).Record({"ab", "cd"});
  EXPECT_EQ(OpenError(builder), Damaged("the field descriptors run past the header length"));
  DbfBuilder tiny;
  tiny.Field("A", 'C', 2).HeaderLength(10);
  EXPECT_EQ(OpenError(tiny), Damaged("the field descriptors run past the header length"));
}

TEST_F(DbfDamagedHeaderTest, FileEndingBeforeItsHeaderLength) {
  DbfBuilder builder;
  builder.Field("A", 'C', 2).HeaderPadding(100);
  EXPECT_EQ(OpenError(builder.HeaderLength(300).Bytes().substr(0, 140)),
            Damaged("the file ends before its header length"));
  builder.HeaderLength(140);
  EXPECT_EQ(OpenError(builder.Bytes().substr(0, 140)), "<no error>") << "a header without records is whole";
}

TEST_F(DbfDamagedHeaderTest, HeaderRecordCountIsNotTrusted) {
  DbfBuilder builder;
  builder.Field("A", 'C', 1).HeaderRecordCount(0xFFFFFFFF).Record({"x"});
  DbfTable& table = Opened(builder);
  EXPECT_EQ(table.RecordCount(), 1);
}

TEST_F(DbfDamagedHeaderTest, FailedOpenReleasesTheFile) {
  DbfBuilder builder;
  builder.Field("A", 'C', 2).RecordLength(0);
  DbfTable& table = Table(builder);
  EXPECT_NE(ErrorMessage([&] { table.Open(); }), "<no error>");
  DbfBuilder good;
  good.Field("A", 'C', 2).Record({"ok"});
  good.WriteTo(path_);
  table.Open();
  EXPECT_EQ(table.FieldNamed("A").AsString(), "ok");
}

// ---- record walk ----

DbfBuilder Numbers(int count) {
  DbfBuilder builder;
  builder.Field("N", 'N', 5);
  for (int i = 1; i <= count; ++i) builder.Record({std::to_string(i)});
  return builder;
}

std::vector<int> Walk(DbfTable& table) {
  std::vector<int> values;
  for (table.First(); !table.AtEnd(); table.Next()) values.push_back(table.FieldNamed("N").AsInteger());
  return values;
}

TEST_F(DbfTableTest, EmptyTableIsAtEndWithOrWithoutEndMarker) {
  for (std::string tail : {"", "\x1A"}) {
    DbfBuilder builder;
    builder.Field("N", 'N', 5).Tail(tail);
    DbfTable& table = Opened(builder);
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_TRUE(table.AtEnd());
    table.First();
    EXPECT_TRUE(table.AtEnd());
    EXPECT_EQ(table.RecordNumber(), 0);
    EXPECT_TRUE(table.FieldNamed("N").IsNull());
    table.Close();
  }
}

TEST_F(DbfTableTest, RecordCountComesFromTheFileSize) {
  DbfBuilder builder = Numbers(12);
  builder.HeaderRecordCount(10);
  EXPECT_EQ(Opened(builder).RecordCount(), 12);
  EXPECT_EQ(Walk(table_).size(), 12u);
  table_.Close();
  builder.Tail("\x1A");
  EXPECT_EQ(Opened(builder).RecordCount(), 12);
  EXPECT_EQ(Walk(table_).back(), 12);
}

TEST_F(DbfTableTest, PartialRecordIsNeverReturned) {
  DbfBuilder builder = Numbers(3);
  builder.Tail(" 99");
  DbfTable& table = Opened(builder);
  EXPECT_EQ(table.RecordCount(), 3);
  EXPECT_EQ(Walk(table), (std::vector<int>{1, 2, 3}));
}

TEST_F(DbfTableTest, WalkCrossesBlocksInFileOrder) {
  DbfBuilder builder = Numbers(5000);
  std::vector<int> expected(5000);
  for (int i = 0; i < 5000; ++i) expected[i] = i + 1;
  EXPECT_EQ(Walk(Opened(builder)), expected);
}

TEST_F(DbfTableTest, DeletedRecordsAreWalkedAndCounted) {
  DbfBuilder builder;
  builder.Field("N", 'N', 5).Record({"1"}).Record({"2"}, true).Record({"3"});
  DbfTable& table = Opened(builder);
  EXPECT_EQ(table.RecordCount(), 3);
  table.Next();
  EXPECT_TRUE(table.Deleted());
  EXPECT_EQ(table.RecordNumber(), 2);
  EXPECT_EQ(table.FieldNamed("N").AsInteger(), 2);
  EXPECT_EQ(Walk(table), (std::vector<int>{1, 2, 3}));
}

TEST_F(DbfTableTest, NextAfterTheLastRecordKeepsIt) {
  DbfTable& table = Opened(Numbers(2));
  table.Next();
  table.Next();
  EXPECT_TRUE(table.AtEnd());
  EXPECT_EQ(table.RecordNumber(), 2);
  table.Next();
  EXPECT_EQ(table.FieldNamed("N").AsInteger(), 2);
  table.First();
  EXPECT_FALSE(table.AtEnd());
  EXPECT_EQ(table.RecordNumber(), 1);
}

TEST_F(DbfTableTest, OpenAndCloseHaveNoEffectTwice) {
  DbfTable& table = Opened(Numbers(2));
  table.Next();
  table.Open();
  EXPECT_EQ(table.RecordNumber(), 2);
  table.Close();
  table.Close();
  EXPECT_FALSE(table.Active());
  EXPECT_TRUE(table.AtEnd());
  EXPECT_EQ(table.RecordCount(), 0);
  EXPECT_TRUE(table.Fields().empty());
}

TEST_F(DbfTableTest, ClosedTableRefusesTheCursor) {
  table_.SetFileName(folder_ / "T.DBF");
  EXPECT_EQ(ErrorMessage([&] { table_.First(); }), "DataTable: Cannot perform this operation on a closed dataset");
  EXPECT_EQ(ErrorMessage([&] { table_.Next(); }), "DataTable: Cannot perform this operation on a closed dataset");
}

TEST_F(DbfTableTest, FileNameCannotChangeWhileOpen) {
  DbfTable& table = Opened(Numbers(1));
  EXPECT_EQ(ErrorMessage([&] { table.SetFileName("OTHER.DBF"); }),
            "DataTable: Cannot perform this operation on an open dataset");
}

// ---- field values ----

class DbfValueTest : public DbfTableTest {
 protected:
  DbfField& Value(char type, std::uint16_t width, std::uint8_t decimals, const std::string& text) {
    table_.Close();
    return Opened(OneValue(type, width, decimals, text)).FieldNamed("V");
  }
};

TEST_F(DbfValueTest, TextKeepsTrailingBlanksAndStopsAtNul) {
  EXPECT_EQ(Value('C', 6, 0, "AB    ").AsString(), "AB    ");
  EXPECT_EQ(Value('C', 6, 0, std::string("AB\0CD ", 6)).AsString(), "AB");
  EXPECT_EQ(Value('C', 6, 0, std::string("AB\0CD ", 6)).Bytes(), std::string_view("AB\0CD ", 6));
  EXPECT_FALSE(Value('C', 3, 0, "   ").IsNull());
  EXPECT_EQ(Value('C', 3, 0, "   ").AsVariant().TextValue(), "   ");
}

TEST_F(DbfValueTest, IntegerFields) {
  DbfField& twelve = Value('N', 5, 0, "   12");
  EXPECT_EQ(twelve.AsInteger(), 12);
  EXPECT_EQ(twelve.AsString(), "12");
  EXPECT_DOUBLE_EQ(twelve.AsNumber(), 12);
  EXPECT_EQ(twelve.AsVariant().IntegerValue(), 12);
  EXPECT_EQ(Value('N', 5, 0, "  -12").AsInteger(), -12);
  EXPECT_EQ(Value('N', 5, 0, "  +12").AsString(), "12");
  EXPECT_EQ(Value('N', 5, 0, "00007").AsInteger(), 7);
}

TEST_F(DbfValueTest, IntegerFieldsThatAreNull) {
  for (const char* text : {"     ", " 12 3", "  12 ", " 1.50", "  1e2", "  - 1", "    -", "12abc"}) {
    DbfField& field = Value('N', 5, 0, text);
    EXPECT_TRUE(field.IsNull()) << text;
    EXPECT_EQ(field.AsInteger(), 0) << text;
    EXPECT_EQ(field.AsString(), "") << text;
    EXPECT_TRUE(field.AsVariant().IsNull()) << text;
  }
}

TEST_F(DbfValueTest, LargeIntegerFields) {
  DbfField& field = Value('N', 12, 0, "-12345678901");
  EXPECT_EQ(field.Kind(), DbfValueKind::LargeInteger);
  EXPECT_EQ(field.AsLargeInteger(), -12345678901);
  EXPECT_EQ(field.AsString(), "-12345678901");
  EXPECT_EQ(field.AsInteger(), static_cast<std::int32_t>(static_cast<std::uint32_t>(-12345678901LL & 0xFFFFFFFF)));
  EXPECT_EQ(Value('N', 20, 0, "-9223372036854775808").AsLargeInteger(), INT64_MIN);
  // Eighteen digits and fewer are read without the overflow check, nineteen with it.
  EXPECT_EQ(Value('N', 19, 0, "-999999999999999999").AsLargeInteger(), -999999999999999999);
  EXPECT_EQ(Value('N', 19, 0, "1234567890123456789").AsLargeInteger(), 1234567890123456789);
  EXPECT_TRUE(Value('N', 19, 0, "12345678901234567x8").IsNull());
  EXPECT_TRUE(Value('N', 20, 0, " 9223372036854775808").IsNull());
  EXPECT_TRUE(Value('N', 25, 0, "9999999999999999999999999").IsNull());
}

TEST_F(DbfValueTest, FloatFieldsUseThePointWhateverTheSeparator) {
  DbfField& field = Value('N', 15, 2, "          12.50");
  EXPECT_DOUBLE_EQ(field.AsNumber(), 12.5);
  EXPECT_EQ(field.AsString(), "12,5");  // the table's separator is ','
  EXPECT_DOUBLE_EQ(field.AsVariant().FloatValue(), 12.5);
  EXPECT_DOUBLE_EQ(Value('F', 10, 2, "  -1.5E3  ").AsNumber(), -1500);
  EXPECT_DOUBLE_EQ(Value('F', 6, 2, "   .5 ").AsNumber(), 0.5);
  EXPECT_DOUBLE_EQ(Value('F', 6, 2, "  +3. ").AsNumber(), 3);
  EXPECT_DOUBLE_EQ(Value('F', 8, 2, "2.5e-2  ").AsNumber(), 0.025);
}

TEST_F(DbfValueTest, FloatFieldsThatAreNull) {
  for (const char* text : {"      ", " 1,5  ", "1.2.3 ", "  .   ", " 1e   ", " 1 2  ", "  inf ", "  nan ", "1e999 "}) {
    DbfField& field = Value('N', 6, 2, text);
    EXPECT_TRUE(field.IsNull()) << text;
    EXPECT_EQ(field.AsNumber(), 0) << text;
    EXPECT_EQ(field.AsString(), "") << text;
  }
}

TEST_F(DbfValueTest, FloatAsIntegerRoundsHalvesToEven) {
  EXPECT_EQ(Value('N', 6, 1, "   2.5").AsInteger(), 2);
  EXPECT_EQ(Value('N', 6, 1, "   3.5").AsInteger(), 4);
  EXPECT_EQ(Value('N', 6, 1, "  -2.5").AsInteger(), -2);
  EXPECT_EQ(Value('N', 6, 1, "   2.6").AsInteger(), 3);
  EXPECT_EQ(Value('N', 10, 1, "1e300     ").AsInteger(), INT32_MAX);
  EXPECT_EQ(Value('N', 10, 1, "-1e300    ").AsLargeInteger(), INT64_MIN);
}

TEST_F(DbfValueTest, LogicalFields) {
  EXPECT_TRUE(Value('L', 1, 0, "T").AsLogical());
  EXPECT_EQ(Value('L', 1, 0, "T").AsString(), "True");
  EXPECT_FALSE(Value('L', 1, 0, "F").AsLogical());
  EXPECT_EQ(Value('L', 1, 0, "F").AsString(), "False");
  EXPECT_EQ(Value('L', 1, 0, "T").AsVariant().type(), Variant::Type::Boolean);
  for (const char* text : {"t", "f", "Y", "y", "N", "n", "?", " ", "1", "x"}) {
    DbfField& field = Value('L', 1, 0, text);
    EXPECT_TRUE(field.IsNull()) << text;
    EXPECT_FALSE(field.AsLogical()) << text;
    EXPECT_EQ(field.AsString(), "") << text;
  }
}

TEST_F(DbfValueTest, DateFields) {
  DbfField& leap = Value('D', 8, 0, "20040229");
  EXPECT_FALSE(leap.IsNull());
  EXPECT_DOUBLE_EQ(leap.AsDateTime(), EncodeDate(2004, 2, 29));
  EXPECT_EQ(leap.AsString(), "29.02.2004");
  EXPECT_EQ(leap.AsVariant().type(), Variant::Type::DateTime);
  EXPECT_DOUBLE_EQ(Value('D', 8, 0, "20000229").AsDateTime(), EncodeDate(2000, 2, 29));
  EXPECT_DOUBLE_EQ(Value('D', 8, 0, "00010101").AsDateTime(), EncodeDate(1, 1, 1));
}

TEST_F(DbfValueTest, DateFieldsThatAreNull) {
  for (const char* text : {"20030229", "19000229", "        ", "00000000", "20041301", "20040431", "2004AB01",
                           "NotAYear", "2004 2 1"}) {
    DbfField& field = Value('D', 8, 0, text);
    EXPECT_TRUE(field.IsNull()) << text;
    EXPECT_EQ(field.AsDateTime(), 0) << text;
    EXPECT_EQ(field.AsString(), "") << text;
  }
}

TEST_F(DbfValueTest, MemoFieldsReadNothing) {
  DbfField& field = Value('M', 10, 0, "        12");
  EXPECT_EQ(field.AsString(), "");
  EXPECT_EQ(field.AsInteger(), 0);
}

TEST_F(DbfValueTest, UnreadTypesAreSafe) {
  DbfField& field = Value('I', 4, 0, std::string("\xFF\xFF\xFF\x7F", 4));
  EXPECT_EQ(field.Kind(), DbfValueKind::Other);
  EXPECT_EQ(field.AsInteger(), 0);
  EXPECT_EQ(field.AsString().size(), 4u);
}

// ---- Visual FoxPro null flags ----

TEST_F(DbfTableTest, VisualFoxProNullFlagsMakeFieldsNull) {
  DbfBuilder builder(0x30);
  builder.Field("A", 'N', 3, 0, 0x02)     // null bit 0
      .Field("B", 'N', 3)                // never null by flag
      .Field("C", 'C', 2, 0, 0x02)        // null bit 1
      .Field("_NullFlags", '0', 1, 0, 0x05)
      .HeaderPadding(263)
      .RawRecord(std::string("   1  2ab", 9) + '\x03')
      .RawRecord(std::string("   1  2ab", 9) + '\x02')
      .RawRecord(std::string("   1  2ab", 9) + '\x00');
  DbfTable& table = Opened(builder);
  DbfField& a = table.FieldNamed("A");
  DbfField& b = table.FieldNamed("B");
  DbfField& c = table.FieldNamed("C");
  EXPECT_TRUE(a.IsNull());
  EXPECT_EQ(a.AsInteger(), 0);
  EXPECT_TRUE(c.IsNull());
  EXPECT_EQ(c.AsString(), "");
  EXPECT_EQ(b.AsInteger(), 2);
  table.Next();
  EXPECT_EQ(a.AsInteger(), 1);
  EXPECT_TRUE(c.AsVariant().IsNull());
  table.Next();
  EXPECT_EQ(c.AsString(), "ab");
}

TEST_F(DbfTableTest, NullFlagsOutsideTheNullFieldAreNotSet) {
  DbfBuilder builder(0x30);
  for (int i = 0; i < 9; ++i) builder.Field("F" + std::to_string(i), 'N', 1, 0, 0x02);
  builder.Field("_NullFlags", '0', 1, 0, 0x05).RawRecord(" 123456789\xFF");
  DbfTable& table = Opened(builder);
  EXPECT_TRUE(table.FieldNamed("F7").IsNull());
  EXPECT_EQ(table.FieldNamed("F8").AsInteger(), 9);  // bit 8 lies beyond the one flag byte
}

TEST_F(DbfTableTest, NullFlagsAreVisualFoxProOnly) {
  DbfBuilder builder(0x03);
  builder.Field("A", 'N', 3, 0, 0x02).Field("_NullFlags", '0', 1).RawRecord("   1\x01");
  EXPECT_EQ(Opened(builder).FieldNamed("A").AsInteger(), 1);
}

// ---- damaged bytes ----

// Opens the file and reads every accessor of every field of every record, in
// file order and in the order of an index; errors are fine, crashes are not.
void ReadEverything(DbfTable& table) {
  try {
    table.Open();
    for (table.First(); !table.AtEnd(); table.Next()) {
      for (const DbfField& field : table.Fields()) {
        (void)field.AsString();
        (void)field.AsInteger();
        (void)field.AsLargeInteger();
        (void)field.AsNumber();
        (void)field.AsLogical();
        (void)field.AsDateTime();
        (void)field.AsVariant();
      }
    }
    if (!table.Fields().empty()) {
      std::string name = table.Fields().back().Name();
      table.Close();
      table.BuildKeyIndex(name);
      table.Open();
      table.LocateRecord(name, 1);
      table.LimitToKey(name, "1");
      for (; !table.AtEnd(); table.Next()) (void)table.Fields().front().AsString();
    }
  } catch (const Error&) {
  }
  table.Close();
}

TEST_F(DbfTableTest, RandomlyDamagedFilesAreReadSafely) {
  DbfBuilder builder(0x30);
  builder.Field("C", 'C', 300).Field("I", 'N', 9).Field("BIG", 'N', 19).Field("F", 'F', 12, 3, 0x02);
  builder.Field("L", 'L', 1).Field("D", 'D', 8).Field("M", 'M', 4).Field("_NullFlags", '0', 1, 0, 0x05);
  for (int i = 0; i < 20; ++i) {
    builder.Record({"text " + std::to_string(i), std::to_string(i * 1000003), "-" + std::to_string(i) + "000000000000",
                    std::to_string(i) + ".125", i % 2 ? "T" : "?", "2024021" + std::to_string(i % 10), "", "\x01"});
  }
  const std::string original = builder.Bytes();
  std::mt19937 random(2024);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes = original;
    int changes = 1 + static_cast<int>(random() % 8);
    for (int c = 0; c < changes; ++c) {
      std::size_t at = random() % (round % 3 == 0 ? 400 : bytes.size());
      bytes[at] = static_cast<char>(random() % 4 == 0 ? "\x00\x0D\xFF\x20"[random() % 4] : random() % 256);
    }
    if (round % 7 == 0) bytes.resize(random() % bytes.size());
    std::FILE* file = std::fopen(path_.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    DbfTable table("Fuzz");
    table.SetFileName(path_);
    ReadEverything(table);
  }
}

// ---- exclusive use ----

TEST_F(DbfTableTest, SecondOpenInThisProcessFails) {
  DbfTable& first = Opened(Numbers(1));
  DbfTable second("Second");
  second.SetFileName(path_);
  EXPECT_EQ(ErrorMessage([&] { second.Open(); }), "TQXSmartDBF.InternalOpen: Open error " + Quoted());
  first.Close();
  second.Open();
  EXPECT_EQ(second.RecordCount(), 1);
}

TEST_F(DbfTableTest, FileHeldByAnotherProcessFailsToOpen) {
  Table(Numbers(1));
  int ready[2], release[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(release), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    int fd = open(path_.c_str(), O_RDONLY);
    char byte = flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
    (void)!write(ready[1], &byte, 1);
    (void)!read(release[0], &byte, 1);
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  ASSERT_EQ(byte, 'y');
  EXPECT_EQ(ErrorMessage([&] { table_.Open(); }), "TQXSmartDBF.InternalOpen: Open error " + Quoted());
  EXPECT_FALSE(table_.Active());
  (void)!write(release[1], &byte, 1);
  int status = 0;
  waitpid(child, &status, 0);
  table_.Open();
  EXPECT_TRUE(table_.Active());
  for (int fd : {ready[0], ready[1], release[0], release[1]}) close(fd);
}

// Some network mounts refuse flock itself: the table is then used without the
// lock. A lock that another process holds still refuses the open.
class RefusedLock : public FileFaults {
 public:
  explicit RefusedLock(int error) : error_(error) {}
  int Before(FileCall call, const std::filesystem::path&, std::size_t&) override {
    return call == FileCall::Lock ? error_ : 0;
  }

 private:
  int error_;
};

TEST_F(DbfTableTest, FileSystemWithoutLocksOpensWithoutTheLock) {
  for (int error : {ENOLCK, EOPNOTSUPP, EINVAL}) {
    RefusedLock refusal(error);
    DbfTable& table = Table(Numbers(2));
    table.SetFileFaults(&refusal);
    table.Open();
    EXPECT_EQ(table.RecordCount(), 2) << error;
    table.Close();
  }
  RefusedLock held(EWOULDBLOCK);
  table_.SetFileFaults(&held);
  EXPECT_EQ(ErrorMessage([&] { table_.Open(); }), "TQXSmartDBF.InternalOpen: Open error " + Quoted());
  EXPECT_FALSE(table_.Active());
}

}  // namespace
}  // namespace ranta2kv
