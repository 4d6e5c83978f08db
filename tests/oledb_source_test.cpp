// Tests of the "OLE DB" source over DBF files: the set-up `OpenOleDbSource` with
// its log lines, the table catalogue, the tables as virtual tables over their files
// (column types, NULL, code page 866, deleted records, key look-ups) and the
// statements of the pass.
#include "source/sql/oledb_source.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/codepage.h"
#include "common/error.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/error_message.h"
#include "tests/support/scratch_folder.h"

namespace ranta2kv {
namespace {
namespace fs = std::filesystem;

// The separator the data source puts after the folder: the system's own.
const std::string kSeparator(1, static_cast<char>(fs::path::preferred_separator));

using test::DbfBuilder;
using test::ErrorMessage;
using test::ScratchFolder;

struct TableField {
  std::string name;
  char type;
  std::uint16_t width;
  std::uint8_t decimals = 0;
};

// A table with the given fields, dBase III unless another version byte is given.
DbfBuilder Table(const std::vector<TableField>& fields, std::uint8_t languageDriver = 0x65,
                 std::uint8_t version = 0x03) {
  DbfBuilder table(version);
  table.LanguageDriver(languageDriver);
  for (const TableField& field : fields) table.Field(field.name, field.type, field.width, field.decimals);
  return table;
}

DbfBuilder SmetaTable() {
  return Table({{"CODE", 'N', 10}, {"ID", 'N', 2}, {"NOMER", 'C', 10}})
      .Record({"1", "0", ""})
      .Record({"5", "3", "1"})
      .Record({"3", "3", "2"}, true);
}
DbfBuilder PosextTable() {
  return Table({{"CODE", 'N', 10}, {"CODERASC", 'C', 30}, {"Q", 'N', 15, 6}, {"OPRED", 'N', 4}})
      .Record({"5", "01-01-001-01", "12.500000", "7"})
      .Record({"3", "\x8F\xE0\xA8\xAC", "", "7"});  // "Прим" in code page 866
}
DbfBuilder PostoolsTable() {
  return Table({{"POSCODE", 'N', 10}, {"ID", 'N', 2}, {"CODE", 'N', 10}})
      .Record({"5", "0", "50"})
      .Record({"5", "1", "51"});
}
DbfBuilder ExecuteTable() {
  return Table({{"CODE", 'N', 10}, {"AKTCODE", 'N', 10}, {"FACT", 'N', 15, 6}})
      .Record({"51", "900", "1.5"})
      .Record({"51", "901", "2"})
      .Record({"52", "900", "3"});
}
DbfBuilder ActsTable() {
  return Table({{"CODE", 'N', 10}, {"DATE", 'D', 8}}).Record({"900", "20240315"}).Record({"901", "        "});
}
DbfBuilder ParamsTable() {
  return Table({{"ID", 'C', 20}, {"CODE", 'N', 4}, {"PARAM", 'N', 15, 4}})
      .Record({"3+5", "43", "15"})
      .Record({"3+5", "49", "-2.5"})
      .Record({"3+17", "43", "9"});
}

class OleDbSourceTest : public ::testing::Test {
 protected:
  fs::path NewFolder() {
    return folders_.emplace_back(std::make_unique<ScratchFolder>("oledb_source"))->Path();
  }
  // The three tables the set-up looks for, and the four the pass reads besides.
  static void WriteEstimate(const fs::path& folder) {
    SmetaTable().WriteTo(folder / "SMETA.DBF");
    PosextTable().WriteTo(folder / "POSEXT.DBF");
    PostoolsTable().WriteTo(folder / "POSTOOLS.DBF");
    ExecuteTable().WriteTo(folder / "EXECUTE.DBF");
    ActsTable().WriteTo(folder / "ACTS.DBF");
    ParamsTable().WriteTo(folder / "PARAMS.DBF");
  }

  bool Open(const fs::path& folder) {
    return OpenOleDbSource(source_, folder, [this](const std::string& line) { log_.push_back(line); });
  }
  // Runs the statement in qSubQuery and returns column `field` of every row.
  std::string Select(const std::string& statement, const std::string& field = "") {
    OleDbDataset& query = source_.qSubQuery;
    query.SetSQL(statement);
    query.Open();
    std::string values;
    for (query.First(); !query.AtEnd(); query.Next()) {
      values += (values.empty() ? "" : "|") +
                (field.empty() ? query.Column(0) : query.FieldNamed(field)).AsString();
    }
    query.Close();
    return values;
  }
  static std::string InitLine(std::string_view message) {
    return std::string("Ошибка инициализации : "_cp1251) + std::string(message);
  }

  std::vector<std::unique_ptr<ScratchFolder>> folders_;  // outlive the source
  fs::path folder_ = NewFolder();
  OleDbSource source_{','};
  std::vector<std::string> log_;
};

// --- the set-up

TEST_F(OleDbSourceTest, MissingFolderFailsSilently) {
  EXPECT_FALSE(Open(folder_ / "nowhere"));
  EXPECT_TRUE(log_.empty());
  EXPECT_FALSE(source_.ADOConnection1.Connected());
}

TEST_F(OleDbSourceTest, EachMissingDataTableIsNamed) {
  for (const char* missing : {"POSTOOLS.DBF", "SMETA.DBF", "POSEXT.DBF"}) {
    SCOPED_TRACE(missing);
    fs::path folder = NewFolder();
    WriteEstimate(folder);
    fs::remove(folder / missing);
    log_.clear();
    EXPECT_FALSE(Open(folder));
    EXPECT_EQ(log_, (std::vector<std::string>{InitLine("Не найдены таблицы данных"_cp1251),
                                              std::string("Нет файла: "_cp1251) + std::string(missing)}));
    EXPECT_FALSE(source_.ADOConnection1.Connected());
  }
  fs::path folder = NewFolder();
  WriteEstimate(folder);
  fs::remove(folder / "SMETA.DBF");
  fs::remove(folder / "POSTOOLS.DBF");
  log_.clear();
  EXPECT_FALSE(Open(folder));
  EXPECT_EQ(log_, (std::vector<std::string>{InitLine("Не найдены таблицы данных"_cp1251),
                                            std::string("Нет файлов: POSTOOLS.DBF, SMETA.DBF"_cp1251)}));
}

TEST_F(OleDbSourceTest, SetUpPointsTheConnectionAtTheFolder) {
  WriteEstimate(folder_);
  ASSERT_TRUE(Open(folder_)) << (log_.empty() ? "" : log_[0]);
  EXPECT_TRUE(log_.empty());
  EXPECT_TRUE(source_.ADOConnection1.Connected());
  EXPECT_EQ(source_.ADOConnection1.ConnectionString, "Provider=VFPOLEDB.1;Data Source=" + folder_.string() +
                                                         kSeparator + ";Password=\"\";Collating Sequence=MACHINE");
  EXPECT_EQ(source_.tlbSMETA.TableName(), "SMETA");
  EXPECT_FALSE(source_.qSubQuery.Active());
}

TEST_F(OleDbSourceTest, TrailingSeparatorGivesTheSameDataSource) {
  WriteEstimate(folder_);
  ASSERT_TRUE(Open(folder_));
  const std::string withoutSeparator = source_.ADOConnection1.ConnectionString;
  ASSERT_TRUE(Open(folder_.string() + kSeparator));
  EXPECT_EQ(source_.ADOConnection1.ConnectionString, withoutSeparator);
}

TEST_F(OleDbSourceTest, DataSourceItemRewrittenWhereverItStands) {
  WriteEstimate(folder_);
  source_.ADOConnection1.ConnectionString = "Data Source=/old/;Provider=VFPOLEDB.1";
  ASSERT_TRUE(Open(folder_));
  EXPECT_EQ(source_.ADOConnection1.ConnectionString,
            "Data Source=" + folder_.string() + kSeparator + ";Provider=VFPOLEDB.1");
}

TEST_F(OleDbSourceTest, SecondFolderIsReadAfterTheFirst) {
  WriteEstimate(folder_);
  fs::path second = NewFolder();
  WriteEstimate(second);
  Table({{"CODE", 'N', 10}, {"ID", 'N', 2}}).Record({"77", "0"}).WriteTo(second / "SMETA.DBF");
  ASSERT_TRUE(Open(folder_));
  EXPECT_EQ(Select("SELECT CODE FROM SMETA ORDER BY rowid"), "1|5|3");
  ASSERT_TRUE(Open(second));
  EXPECT_EQ(Select("SELECT CODE FROM SMETA ORDER BY rowid"), "77");
}

TEST_F(OleDbSourceTest, SetUpClosesWhatTheLastPassLeftOpen) {
  WriteEstimate(folder_);
  ASSERT_TRUE(Open(folder_));
  source_.tlbSMETA.Open();
  source_.qPOSEXT.SetSQL("SELECT * FROM POSEXT");
  source_.qPOSEXT.Open();
  ASSERT_TRUE(Open(folder_));
  EXPECT_FALSE(source_.tlbSMETA.Active());
  EXPECT_FALSE(source_.qPOSEXT.Active());
}

TEST_F(OleDbSourceTest, RestblMissingSetsUpAndItsStatementFails) {
  WriteEstimate(folder_);
  ASSERT_TRUE(Open(folder_));
  EXPECT_EQ(ErrorMessage([&] { Select("SELECT * FROM RESTBL WHERE CODE=50"); }), "Не найдена таблица RESTBL.DBF"_cp1251);
  // A field that the table lacks is named with its table.
  EXPECT_EQ(ErrorMessage([&] { Select("SELECT NORMRAS FROM \"EXECUTE\" WHERE CODE=50"); }),
            "В таблице EXECUTE.DBF нет поля NORMRAS"_cp1251);
}

TEST_F(OleDbSourceTest, UnreadableExtraTableFailsTheSetUp) {
  WriteEstimate(folder_);
  Table({{"A", 'C', 1}}, 0x65, 0x02).Record({"x"}).WriteTo(folder_ / "EXTRA.DBF");
  source_.qSubQuery.SetSQL("SELECT 1");
  EXPECT_FALSE(Open(folder_));
  const std::string file = (folder_ / "EXTRA.DBF").string();
  EXPECT_EQ(log_, (std::vector<std::string>{InitLine(std::string("Не удалось прочитать таблицу EXTRA.DBF:"_cp1251)),
                                            "TQXSmartDBF.InternalOpen: File \"" + file + "\" is not DBF file"}));
  EXPECT_FALSE(source_.ADOConnection1.Connected());
  EXPECT_FALSE(source_.qSubQuery.Active());
}

// Set-up attaches the estimate's tables and only opens the others: a table beside
// the estimate is attached by the first statement that reads it.
TEST_F(OleDbSourceTest, TableBesideTheEstimateIsAttachedByTheFirstStatementThatReadsIt) {
  WriteEstimate(folder_);
  Table({{"A", 'C', 1}}, 0x65).Record({"x"}).WriteTo(folder_ / "EXTRA.DBF");
  ASSERT_TRUE(Open(folder_));
  const std::string tables = "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite%' ORDER BY name";
  EXPECT_EQ(Select(tables), "ACTS|EXECUTE|PARAMS|POSEXT|POSTOOLS|SMETA");
  EXPECT_EQ(Select("SELECT A FROM EXTRA"), "x");
  EXPECT_EQ(Select(tables), "ACTS|EXECUTE|EXTRA|PARAMS|POSEXT|POSTOOLS|SMETA");
}

TEST_F(OleDbSourceTest, FolderNameWithSemicolonIsRefused) {
  fs::path folder = folder_ / "a;b";
  fs::create_directory(folder);
  WriteEstimate(folder);
  EXPECT_FALSE(Open(folder));
  EXPECT_EQ(log_,
            std::vector<std::string>{InitLine(std::string("Имя папки \""_cp1251) + folder.string() + kSeparator +
                                              std::string("\" содержит \";\", а строка подключения не может его передать"_cp1251))});
}

TEST_F(OleDbSourceTest, ConnectingToNoFolderFails) {
  source_.ADOConnection1.ConnectionString = "Provider=VFPOLEDB.1;Data Source=" + folder_.string() + "/none/";
  EXPECT_EQ(ErrorMessage([&] { source_.ADOConnection1.SetConnected(true); }),
            std::string("Папка источника данных \""_cp1251) + folder_.string() + "/none/" +
                std::string("\" не найдена"_cp1251));
  source_.ADOConnection1.ConnectionString = "Provider=VFPOLEDB.1";
  EXPECT_EQ(ErrorMessage([&] { source_.ADOConnection1.SetConnected(true); }),
            "В строке подключения не указана папка (Data Source)"_cp1251);
  EXPECT_FALSE(source_.ADOConnection1.Connected());
}

// --- the catalogue

TEST_F(OleDbSourceTest, CatalogueListsDbfFilesOfAnyLetterCase) {
  WriteEstimate(folder_);
  Table({{"A", 'C', 1}}).WriteTo(folder_ / "zeta.dbf");
  Table({{"A", 'C', 1}}).WriteTo(folder_ / "Alpha.Dbf");
  std::ofstream(folder_ / "NOTES.TXT") << "x";
  std::ofstream(folder_ / "DBF") << "x";
  fs::create_directory(folder_ / "DIR.DBF");
  ASSERT_TRUE(Open(folder_));
  EXPECT_EQ(source_.ADOConnection1.ListTables(),
            (std::vector<std::string>{"ACTS", "ALPHA", "EXECUTE", "PARAMS", "POSEXT", "POSTOOLS", "SMETA",
                                      "ZETA"}));
  EXPECT_EQ(Select("SELECT count(*) FROM zeta"), "0");
}

TEST_F(OleDbSourceTest, LowerCaseFileNamesServeTheSetUp) {
  SmetaTable().WriteTo(folder_ / "smeta.dbf");
  PosextTable().WriteTo(folder_ / "posext.dbf");
  PostoolsTable().WriteTo(folder_ / "PosTools.dbf");
  ASSERT_TRUE(Open(folder_));
  EXPECT_EQ(Select("SELECT CODE FROM POSTOOLS WHERE ID=1"), "51");
}

TEST_F(OleDbSourceTest, ListingNeedsTheConnection) {
  EXPECT_EQ(ErrorMessage([&] { source_.ADOConnection1.ListTables(); }), "Соединение с источником данных закрыто"_cp1251);
}

// --- the tables

TEST_F(OleDbSourceTest, ColumnTypesFollowTheFieldKinds) {
  WriteEstimate(folder_);
  Table({{"C", 'C', 4},
         {"I", 'N', 5},
         {"BIG", 'N', 12},
         {"R", 'N', 8, 2},
         {"F", 'F', 6, 1},
         {"D", 'D', 8},
         {"L", 'L', 1},
         {"M", 'M', 10}})
      .Record({"ab", "12", "9999999999", "12.50", "-0.5", "20040229", "T", "         1"})
      .WriteTo(folder_ / "KINDS.DBF");
  ASSERT_TRUE(Open(folder_));
  EXPECT_EQ(
      Select(
          "SELECT typeof(C)||typeof(I)||typeof(BIG)||typeof(R)||typeof(F)||typeof(D)||typeof(L)||typeof(M) "
          "FROM KINDS"),
      "textintegerintegerrealrealtextintegernull");
  EXPECT_EQ(Select("SELECT C||'|'||I||'|'||BIG||'|'||R||'|'||F||'|'||D||'|'||L FROM KINDS"),
            "ab  |12|9999999999|12.5|-0.5|2004-02-29|1");
}

TEST_F(OleDbSourceTest, NullValuesBecomeNull) {
  WriteEstimate(folder_);
  Table({{"I", 'N', 5}, {"R", 'N', 8, 2}, {"D", 'D', 8}, {"L", 'L', 1}, {"C", 'C', 3}})
      .Record({"", "", "", "?", ""})
      .Record({"1 2", "x", "20030229", " ", ""})
      .WriteTo(folder_ / "NULLS.DBF");
  ASSERT_TRUE(Open(folder_));
  EXPECT_EQ(Select("SELECT (I IS NULL)||(R IS NULL)||(D IS NULL)||(L IS NULL)||typeof(C) FROM NULLS"),
            "1111text|1111text");
}

TEST_F(OleDbSourceTest, TextKeepsTrailingBlanksAndEndsAtNul) {
  WriteEstimate(folder_);
  Table({{"C", 'C', 6}}).Record({"AB"}).Record({std::string("AB\0CD", 5)}).WriteTo(folder_ / "TEXTS.DBF");
  ASSERT_TRUE(Open(folder_));
  EXPECT_EQ(Select("SELECT '['||C||']' FROM TEXTS"), "[AB    ]|[AB]");
}

TEST_F(OleDbSourceTest, DeletedRecordsAreRowsInFileOrder) {
  WriteEstimate(folder_);
  ASSERT_TRUE(Open(folder_));
  OleDbDataset& smeta = source_.tlbSMETA;
  smeta.Open();
  EXPECT_EQ(smeta.RecordCount(), 3);
  std::string walk;
  for (smeta.First(); !smeta.AtEnd(); smeta.Next()) {
    walk += std::to_string(smeta.RecordNumber()) + ":" + smeta.FieldNamed("CODE").AsString() + " ";
  }
  EXPECT_EQ(walk, "1:1 2:5 3:3 ");
}

TEST_F(OleDbSourceTest, TableDatasetKeepsTheLastRowPastTheEnd) {
  WriteEstimate(folder_);
  ASSERT_TRUE(Open(folder_));
  OleDbDataset& smeta = source_.tlbSMETA;
  smeta.Open();
  const OleDbField& code = smeta.FieldNamed("code");
  smeta.Next();
  smeta.Next();
  smeta.Next();
  EXPECT_TRUE(smeta.AtEnd());
  EXPECT_EQ(smeta.RecordNumber(), 3);
  EXPECT_EQ(code.AsInteger(), 3);
  smeta.First();
  EXPECT_EQ(code.AsInteger(), 1);
  EXPECT_EQ(smeta.RecordNumber(), 1);
}

TEST_F(OleDbSourceTest, TableDatasetOfAnEmptyTable) {
  WriteEstimate(folder_);
  Table({{"CODE", 'N', 10}, {"NAME", 'C', 5}}).WriteTo(folder_ / "EMPTY.DBF");
  ASSERT_TRUE(Open(folder_));
  OleDbDataset table(source_.ADOConnection1, ',');
  table.SetTableName("EMPTY");
  table.Open();
  EXPECT_TRUE(table.AtEnd());
  EXPECT_EQ(table.RecordCount(), 0);
  EXPECT_EQ(table.RecordNumber(), 0);
  EXPECT_EQ(table.Column(1).Name(), "NAME");
  EXPECT_TRUE(table.FieldNamed("CODE").IsNull());
  table.Close();
  table.SetTableName("NOPE");
  EXPECT_EQ(ErrorMessage([&] { table.Open(); }), "Не найдена таблица NOPE.DBF"_cp1251);
}

TEST_F(OleDbSourceTest, OemTextConvertedByLanguageDriver) {
  WriteEstimate(folder_);
  const std::string oem = "\x91\xAC\xA5\xE2\xA0";  // "Смета" in code page 866
  for (std::uint8_t driver : {0x26, 0x65, 0x00, 0xC9}) {
    Table({{"C", 'C', 5}}, driver).Record({oem}).WriteTo(folder_ / ("T" + std::to_string(driver) + ".DBF"));
  }
  ASSERT_TRUE(Open(folder_));
  const std::string ansi(std::string_view("Смета"_cp1251));
  EXPECT_EQ(Select("SELECT C FROM T38"), ansi);
  EXPECT_EQ(Select("SELECT C FROM T101"), ansi);
  EXPECT_EQ(Select("SELECT C FROM T0"), oem);
  EXPECT_EQ(Select("SELECT C FROM T201"), oem);
}

TEST_F(OleDbSourceTest, KeyFieldsAreLookedUp) {
  WriteEstimate(folder_);
  ASSERT_TRUE(Open(folder_));
  auto plan = [this](const std::string& statement) { return Select("EXPLAIN QUERY PLAN " + statement, "detail"); };
  EXPECT_EQ(plan("SELECT * FROM POSTOOLS WHERE CODE=1"), "SCAN POSTOOLS VIRTUAL TABLE INDEX 2:CODE=?");
  EXPECT_EQ(plan("SELECT * FROM POSTOOLS WHERE POSCODE=1"), "SCAN POSTOOLS VIRTUAL TABLE INDEX 3:POSCODE=?");
  EXPECT_EQ(plan("SELECT * FROM POSTOOLS WHERE ID=1"), "SCAN POSTOOLS VIRTUAL TABLE INDEX 4:ID=?");
  EXPECT_EQ(plan("SELECT * FROM \"EXECUTE\" WHERE AKTCODE=1"), "SCAN EXECUTE VIRTUAL TABLE INDEX 3:AKTCODE=?");
  EXPECT_EQ(plan("SELECT * FROM SMETA WHERE rowid=2"), "SCAN SMETA VIRTUAL TABLE INDEX 1:rowid=?");
  EXPECT_EQ(plan("SELECT * FROM \"EXECUTE\" WHERE FACT=1"), "SCAN EXECUTE VIRTUAL TABLE INDEX 0:");
  // Rows come in rowid order: no sort for ORDER BY rowid.
  EXPECT_EQ(plan("SELECT * FROM SMETA ORDER BY rowid"), "SCAN SMETA VIRTUAL TABLE INDEX 0:");
}

// The look-ups of the pass go through the selective index, so that a pass stays
// linear: POSTOOLS by POSCODE (not by its two-valued ID), PARAMS by ID (not CODE).
TEST_F(OleDbSourceTest, LookUpsUseTheSelectiveIndex) {
  WriteEstimate(folder_);
  DbfBuilder postools = PostoolsTable(), params = ParamsTable();
  for (int code = 100; code < 400; ++code) {
    postools.Record({std::to_string(code), std::to_string(code % 2), std::to_string(code)});
    params.Record({"3+" + std::to_string(code), code % 2 ? "43" : "49", "1"});
  }
  postools.WriteTo(folder_ / "POSTOOLS.DBF");
  params.WriteTo(folder_ / "PARAMS.DBF");
  ASSERT_TRUE(Open(folder_));
  EXPECT_EQ(Select("EXPLAIN QUERY PLAN SELECT * FROM POSTOOLS WHERE POSCODE=5 AND ID=0", "detail"),
            "SCAN POSTOOLS VIRTUAL TABLE INDEX 3:POSCODE=?");
  EXPECT_EQ(Select("EXPLAIN QUERY PLAN SELECT * FROM PARAMS WHERE ID = '3+5                 ' AND CODE=43",
                   "detail"),
            "SCAN PARAMS VIRTUAL TABLE INDEX 3:ID=?");
}

TEST_F(OleDbSourceTest, TableThatCannotBeReadFailsEveryStatement) {
  WriteEstimate(folder_);
  ASSERT_TRUE(Open(folder_));
  Table({{"CODE", 'N', 10}}, 0x65, 0x02).WriteTo(folder_ / "RESTBL.DBF");
  const std::string message = std::string("Не удалось прочитать таблицу RESTBL.DBF:\n"_cp1251) +
                              "TQXSmartDBF.InternalOpen: File \"" + (folder_ / "RESTBL.DBF").string() +
                              "\" is not DBF file";
  EXPECT_EQ(ErrorMessage([&] { Select("SELECT * FROM RESTBL WHERE CODE=50"); }), message);
  EXPECT_EQ(ErrorMessage([&] { Select("SELECT * FROM RESTBL WHERE CODE=50"); }), message);
}

// --- the statements of the pass

TEST_F(OleDbSourceTest, ParamsKeyPaddedToTwentyMatchesThroughRtrim) {
  WriteEstimate(folder_);
  ASSERT_TRUE(Open(folder_));
  EXPECT_EQ(Select("SELECT * FROM PARAMS WHERE ID = '3+5                 ' AND CODE=43", "PARAM"), "15");
  EXPECT_EQ(Select("SELECT * FROM PARAMS WHERE ID = '3+5' AND CODE=49", "PARAM"), "-2,5");
  EXPECT_EQ(Select("SELECT * FROM PARAMS WHERE ID = '3+1                 ' AND CODE=43", "PARAM"), "");
}

TEST_F(OleDbSourceTest, StatementsOfThePass) {
  WriteEstimate(folder_);
  ASSERT_TRUE(Open(folder_));
  EXPECT_EQ(Select("SELECT DISTINCT(OPRED) FROM POSEXT"), "7");
  EXPECT_EQ(Select("SELECT * FROM POSTOOLS WHERE POSCODE=5 AND ID=0", "CODE"), "50");
  EXPECT_EQ(Select("SELECT * FROM \"EXECUTE\" WHERE CODE=51", "FACT"), "1,5|2");
  EXPECT_EQ(Select("SELECT * FROM POSEXT WHERE CODE=3", "CODERASC"),
            std::string("Прим"_cp1251) + std::string(26, ' '));
  EXPECT_EQ(Select("select * from posext where code=5", "Q"), "12,5");
}

// The second core's connection: the tables the first attached are read through
// their files and key indexes, held until both connections let them go; a table
// the first has not attached is attached by the statement that reads it.
TEST_F(OleDbSourceTest, ConnectionBesideReadsTheSameTablesOnAnotherThread) {
  WriteEstimate(folder_);
  Table({{"A", 'C', 1}}, 0x65).Record({"x"}).WriteTo(folder_ / "EXTRA.DBF");
  ASSERT_TRUE(Open(folder_));
  OleDbConnection beside;
  beside.ConnectBeside(source_.ADOConnection1);
  source_.ADOConnection1.SetConnected(false);
  std::string found;
  std::thread([&] {
    OleDbDataset query(beside, ',');
    for (const char* statement : {"SELECT * FROM \"EXECUTE\" WHERE CODE=51",
                                  "SELECT * FROM PARAMS WHERE ID = '3+5' AND CODE=49", "SELECT A FROM EXTRA"}) {
      query.SetSQL(statement);
      query.Open();
      for (; !query.AtEnd(); query.Next()) found += query.Column(query.ColumnCount() - 1).AsString() + " ";
      query.Close();
    }
  }).join();
  EXPECT_EQ(found, "1,5 2 -2,5 x ");
  EXPECT_EQ(beside.RecordsRead(), 5u);  // looked up: 2 of EXECUTE, 2 of PARAMS (ID '3+5'), 1 of EXTRA
}

TEST_F(OleDbSourceTest, LookUpsOfOneShapeAreCompiledOnce) {
  WriteEstimate(folder_);
  ASSERT_TRUE(Open(folder_));
  const std::uint64_t before = source_.ADOConnection1.StatementsCompiled();
  std::string found;
  for (int code : {5, 3, 4, 5}) {
    found += Select("SELECT * FROM POSEXT WHERE CODE=" + std::to_string(code), "CODE") + ";";
    found +=
        Select("SELECT * FROM PARAMS WHERE ID = '3+" + std::to_string(code) + "' AND CODE=43", "PARAM") + ";";
  }
  EXPECT_EQ(found, "5;15;3;;;;5;15;");
  EXPECT_EQ(source_.ADOConnection1.StatementsCompiled() - before, 2u);
}

TEST_F(OleDbSourceTest, FourResultsOpenAtOnce) {
  WriteEstimate(folder_);
  ASSERT_TRUE(Open(folder_));
  OleDbSource& s = source_;
  s.tlbSMETA.Open();
  s.tlbSMETA.Next();
  s.qPOSEXT.SetSQL("SELECT * FROM POSEXT WHERE CODE=" + s.tlbSMETA.FieldNamed("CODE").AsString());
  s.qPOSEXT.Open();
  s.qSubQuery.SetSQL("SELECT * FROM \"EXECUTE\" WHERE CODE=51");
  s.qSubQuery.Open();
  std::string acts;
  for (; !s.qSubQuery.AtEnd(); s.qSubQuery.Next()) {
    s.qACTS.SetSQL("SELECT * FROM ACTS WHERE CODE=" + s.qSubQuery.FieldNamed("AKTCODE").AsString());
    s.qACTS.Open();
    acts += std::to_string(s.qACTS.FieldNamed("DATE").AsDateTime()) + " ";
    EXPECT_EQ(s.qPOSEXT.FieldNamed("CODERASC").AsString().substr(0, 12), "01-01-001-01");
    EXPECT_EQ(s.tlbSMETA.RecordNumber(), 2);
    s.qACTS.Close();
  }
  EXPECT_EQ(acts, "45366.000000 0.000000 ");  // 15 March 2024; an empty date is the zero date
}

}  // namespace
}  // namespace ranta2kv
