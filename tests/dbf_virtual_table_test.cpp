// Tests of the DBF virtual tables of the SQL source: a look-up through a key
// index gives exactly the rows, in the order, that a scan with the same condition
// gives, whatever kind of value the key column is compared with; and a table file
// that fails or changes while a statement reads it ends the statement with the
// file's own error, which no one who drops rows for their data lets pass.
#include "source/sql/dbf_virtual_table.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/codepage.h"
#include "common/error.h"
#include "platform/file_faults.h"
#include "source/sql/oledb_connection.h"
#include "source/sql/oledb_connection_string.h"
#include "source/sql/sql_database.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/scratch_folder.h"
#include "tools/gen/estimate_generator.h"

namespace ranta2kv {
namespace {
namespace fs = std::filesystem;

constexpr const char* kTables[] = {"SMETA", "POSTOOLS", "POSEXT", "RESTBL", "EXECUTE", "ACTS", "PARAMS"};
constexpr const char* kKeyColumns[] = {"CODE", "POSCODE", "ID", "AKTCODE"};

class Tables {
 public:
  explicit Tables(const fs::path& folder) {
    tables_.emplace(database_);
    for (const char* table : kTables) tables_->Attach(table, folder / (std::string(table) + ".DBF"));
  }
  std::vector<std::string> Column(const std::string& sql, int column = 0) {
    SqlStatement statement(database_, sql);
    std::vector<std::string> values;
    while (statement.Step()) {
      const unsigned char* text = sqlite3_column_text(statement.Handle(), column);
      values.push_back(text ? reinterpret_cast<const char*>(text) : "NULL");
    }
    return values;
  }

 private:
  std::optional<DbfVirtualTables> tables_;  // outlives the database, which holds its tables
  SqlDatabase database_;
};

// What "=" may be given: the value as its own literal, as a number and as a
// text, with blanks around it, in another letter case under NOCASE, and NULL.
std::vector<std::string> Operands(const std::string& quoted, const std::string& text) {
  std::vector<std::string> operands = {quoted,
                                       "'" + text + "'",
                                       "'" + text + "   '",
                                       "' " + text + "'",
                                       "NULL",
                                       "'" + text + "' COLLATE NOCASE"};
  if (!text.empty() && text.find_first_not_of("-0123456789") == std::string::npos && text.size() < 18) {
    operands.push_back(text);
    operands.push_back(text + ".0");
    operands.push_back(text + ".5");
  }
  return operands;
}

TEST(DbfVirtualTableTest, KeyLookUpsGiveTheRowsOfAScanInRecordOrder) {
  test::ScratchFolder folder("vtab-edge");
  gen::GenerateEstimate({.seed = 7, .positions = 300, .edge = true}, folder.Path());
  Tables tables(folder.Path());
  int compared = 0, found = 0;
  for (const char* table : kTables) {
    const std::vector<std::string> columns =
        tables.Column("SELECT name FROM pragma_table_info('" + std::string(table) + "')");
    for (const char* key : kKeyColumns) {
      if (std::find(columns.begin(), columns.end(), key) == columns.end()) continue;
      const std::string from = std::string(" FROM \"") + table + "\" WHERE ";
      const std::string lookUp = "SELECT rowid" + from + key + " = ";
      const std::string scan = "SELECT rowid" + from + "coalesce(" + key + " = ";
      ASSERT_NE(tables.Column("EXPLAIN QUERY PLAN " + lookUp + "1", 3)[0].find("INDEX"), std::string::npos)
          << table << "." << key;
      ASSERT_NE(tables.Column("EXPLAIN QUERY PLAN " + scan + "1, 0)", 3)[0].find("INDEX 0:"), std::string::npos);
      // Every value the column holds, taken a few rows apart.
      const std::vector<std::string> quoted = tables.Column("SELECT DISTINCT quote(" + std::string(key) + ")" +
                                                            " FROM \"" + table + "\" WHERE rowid % 7 = 1");
      const std::vector<std::string> texts =
          tables.Column("SELECT DISTINCT rtrim(" + std::string(key) + ")" + " FROM \"" + table +
                        "\" WHERE rowid % 7 = 1");
      for (std::size_t v = 0; v < quoted.size() && v < 40; ++v) {
        const std::string text = v < texts.size() && texts[v] != "NULL" ? texts[v] : "";
        if (text.find('\'') != std::string::npos) continue;
        for (const std::string& operand : Operands(quoted[v], text)) {
          const std::vector<std::string> rows = tables.Column(lookUp + operand);
          EXPECT_EQ(rows, tables.Column(scan + operand + ", 0)")) << table << "." << key << " = " << operand;
          found += rows.empty() ? 0 : 1;
          ++compared;
        }
      }
    }
  }
  EXPECT_GT(compared, 200);
  EXPECT_GT(found, 100);
}

// A table larger than the reader reads whole at opening, so that a statement
// reads its records from the file.
void WriteLargeTable(const fs::path& file) {
  test::DbfBuilder table;
  table.Field("CODE", 'N', 10).Field("NAME", 'C', 250);
  for (int code = 1; code <= 6000; ++code) table.Record({std::to_string(code % 1000), "name"});
  table.WriteTo(file);
}

class FailingReads : public FileFaults {
 public:
  int Before(FileCall call, const fs::path&, std::size_t&) override {
    return call == FileCall::Read && failing ? EIO : 0;
  }
  bool failing = false;
};

class StatementFailureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteLargeTable(file_);
    connection_.ConnectionString = RewriteDataSource(connection_.ConnectionString, folder_.Path().string() + "/");
    connection_.SetFileFaults(&faults_);
    connection_.SetConnected(true);
    connection_.Check("SELECT * FROM BIG");
  }
  // The message of the SourceFileError the statement ends with.
  std::string FileErrorOf(const std::string& statement) {
    try {
      connection_.Execute(statement);
    } catch (const SourceFileError& failure) {
      return failure.what();
    } catch (const std::exception& other) {
      return std::string("not the file's error: ") + other.what();
    }
    return "no error";
  }

  test::ScratchFolder folder_{"vtab-failure"};
  fs::path file_ = folder_ / "BIG.DBF";
  FailingReads faults_;
  OleDbConnection connection_;
};

TEST_F(StatementFailureTest, TableCutShortWhileAStatementReadsItEndsItWithTheChangeError) {
  fs::resize_file(file_, fs::file_size(file_) / 2);
  const std::string changed = "Таблица \"" + file_.string() + "\" изменилась во время конвертации";
  EXPECT_EQ(FileErrorOf("SELECT * FROM BIG"), Utf8ToCp1251(changed));
  EXPECT_EQ(FileErrorOf("SELECT NAME FROM BIG WHERE CODE=999"), Utf8ToCp1251(changed));
  EXPECT_EQ(FileErrorOf("SELECT count(*) FROM BIG"), "no error");  // reads no record
  EXPECT_EQ(FileErrorOf("SELECT NAME FROM BIG WHERE rowid=2"), "no error");  // in the half left
}

TEST_F(StatementFailureTest, FailedReadWhileAStatementReadsEndsItWithTheReadError) {
  faults_.failing = true;
  const std::string failed = "Ошибка чтения таблицы \"" + file_.string() + "\": Input/output error";
  // Statements of one shape (compiled once, values bound) and others alike.
  for (int code : {3, 4}) {
    EXPECT_EQ(FileErrorOf("SELECT * FROM BIG WHERE CODE=" + std::to_string(code)), Utf8ToCp1251(failed));
  }
  EXPECT_EQ(FileErrorOf("SELECT DISTINCT NAME FROM BIG"), Utf8ToCp1251(failed));
  faults_.failing = false;
  EXPECT_EQ(connection_.Execute("SELECT NAME FROM BIG WHERE rowid=6000").RowCount(), 1);
}

TEST_F(StatementFailureTest, ChangeAfterTheReadsIsFoundByTheCheck) {
  EXPECT_EQ(connection_.Execute("SELECT * FROM BIG WHERE CODE=5").RowCount(), 6);
  connection_.CheckUnchanged();
  fs::resize_file(file_, fs::file_size(file_) + 10);
  EXPECT_THROW(connection_.CheckUnchanged(), SourceFileError);
}

// A small table of short records is read whole when it is attached: the
// statements' look-ups come in an order no block can foresee, and each would
// otherwise cost a read of a few bytes.
TEST(DbfVirtualTableTest, LookUpsInASmallTableOfShortRecordsReadNothing) {
  struct CountedReads : FileFaults {
    int Before(FileCall call, const fs::path&, std::size_t&) override {
      if (call == FileCall::Read) ++reads;
      return 0;
    }
    int reads = 0;
  } faults;
  test::ScratchFolder folder("vtab-short");
  test::DbfBuilder builder;
  builder.Field("CODE", 'N', 10).Field("NAME", 'C', 12);
  constexpr int kRecords = 60000;  // of 23 bytes: larger than the reader's blocks
  for (int code = 1; code <= kRecords; ++code) builder.Record({std::to_string(code), "name"});
  builder.WriteTo(folder / "TOOLS.DBF");
  SqlDatabase database;
  DbfVirtualTables tables(database);
  tables.Attach("TOOLS", folder / "TOOLS.DBF", &faults);
  const int readsAtAttach = faults.reads;
  SqlStatement statement(database, "SELECT NAME FROM TOOLS WHERE CODE=?");
  for (int step = 0, code = 1; step < 2000; ++step, code = (code * 7919 + 17) % kRecords + 1) {
    sqlite3_bind_int(statement.Handle(), 1, code);
    ASSERT_TRUE(statement.Step()) << code;
    sqlite3_reset(statement.Handle());
  }
  EXPECT_EQ(faults.reads, readsAtAttach);
}

}  // namespace
}  // namespace ranta2kv
