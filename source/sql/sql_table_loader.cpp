// Loading of one DBF file into an SQLite table of the "OLE DB" source: column
// types by value kind, C fields `COLLATE RTRIM` and converted from code page 866
// when the language driver byte says so, indexes on CODE, POSCODE, ID and AKTCODE.
#include "source/sql/sql_table_loader.h"

#include <sqlite3.h>

#include <array>
#include <cstdio>
#include <vector>

#include "common/ascii_case.h"
#include "common/codepage.h"
#include "common/date_time.h"
#include "common/error.h"
#include "source/dbf/dbf_table.h"
#include "source/sql/sql_database.h"

namespace ranta2kv {
namespace {

constexpr std::array<std::string_view, 4> kIndexedFields = {"CODE", "POSCODE", "ID", "AKTCODE"};

bool IsOem866(std::uint8_t languageDriver) { return languageDriver == 0x26 || languageDriver == 0x65; }

std::string_view ColumnType(DbfValueKind kind) {
  switch (kind) {
    case DbfValueKind::Text: return " TEXT COLLATE RTRIM";
    case DbfValueKind::Integer:
    case DbfValueKind::LargeInteger:
    case DbfValueKind::Boolean: return " INTEGER";
    case DbfValueKind::Float: return " REAL";
    case DbfValueKind::Date: return " TEXT";
    default: return "";  // memo and other fields hold NULL
  }
}

std::string CreateTableSql(const std::string& name, const std::vector<DbfField>& fields) {
  std::string sql = "CREATE TABLE " + QuoteIdentifier(name) + " (";
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) sql += ", ";
    sql += QuoteIdentifier(fields[i].Name());
    sql += ColumnType(fields[i].Kind());
  }
  return sql + ")";
}

std::string InsertSql(const std::string& name, std::size_t fieldCount) {
  std::string sql = "INSERT INTO " + QuoteIdentifier(name) + " VALUES (";
  for (std::size_t i = 0; i < fieldCount; ++i) sql += i == 0 ? "?" : ", ?";
  return sql + ")";
}

std::string DateText(double days) {
  int year = 0, month = 0, day = 0;
  DecodeDate(days, year, month, day);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}

// The text of a C field as the reader gives it (the bytes up to the first NUL,
// "" when null), into a buffer that keeps its storage from row to row.
void AssignText(const DbfField& field, bool oem, std::string& text) {
  text.assign(field.Value().Text());
  if (oem) {
    for (char& c : text) c = static_cast<char>(Oem866ToAnsiByte(static_cast<unsigned char>(c)));
  }
}

// Binds the field's value in the current record to parameter `index`; a text
// goes through `text`, which must live until the row is inserted.
void BindField(sqlite3_stmt* insert, int index, const DbfField& field, bool oem, std::string& text) {
  const DbfValueKind kind = field.Kind();
  if (kind == DbfValueKind::Text) {
    AssignText(field, oem, text);
    sqlite3_bind_text(insert, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
    return;
  }
  if (field.IsNull()) return;  // parameters are NULL unless bound
  switch (kind) {
    case DbfValueKind::Integer: sqlite3_bind_int64(insert, index, field.AsInteger()); break;
    case DbfValueKind::LargeInteger: sqlite3_bind_int64(insert, index, field.AsLargeInteger()); break;
    case DbfValueKind::Float: sqlite3_bind_double(insert, index, field.AsNumber()); break;
    case DbfValueKind::Boolean: sqlite3_bind_int(insert, index, field.AsLogical() ? 1 : 0); break;
    case DbfValueKind::Date:
      text = DateText(field.AsDateTime());
      sqlite3_bind_text(insert, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
      break;
    default: break;
  }
}

void InsertRecords(SqlDatabase& database, const std::string& name, DbfTable& table) {
  const std::vector<DbfField>& fields = table.Fields();
  const bool oem = IsOem866(table.LanguageDriver());
  SqlStatement insert(database, InsertSql(name, fields.size()));
  std::vector<std::string> texts(fields.size());
  for (table.First(); !table.AtEnd(); table.Next()) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      BindField(insert.Handle(), static_cast<int>(i) + 1, fields[i], oem, texts[i]);
    }
    insert.Step();
    insert.Reset();
  }
}

void CreateKeyIndexes(SqlDatabase& database, const std::string& name, const std::vector<DbfField>& fields) {
  for (std::string_view key : kIndexedFields) {
    for (const DbfField& field : fields) {
      if (!EqualsIgnoringAsciiCase(field.Name(), key)) continue;
      database.Execute("CREATE INDEX " + QuoteIdentifier(name + "$" + field.Name()) + " ON " +
                       QuoteIdentifier(name) + " (" + QuoteIdentifier(field.Name()) + ")");
      break;
    }
  }
}

void OpenForLoading(DbfTable& table, const std::string& name, const std::filesystem::path& file,
                    FileFaults* faults, std::optional<TableFileStamp> expected) {
  table.SetFileFaults(faults);
  table.ExpectFile(expected);
  table.SetFileName(file);
  table.Open();
  if (table.Fields().empty()) throw Error("Table \"" + name + "\" has no fields");
}

}  // namespace

void CheckDbfTable(const std::string& name, const std::filesystem::path& file, FileFaults* faults,
                   std::optional<TableFileStamp> expected) {
  DbfTable table(name);
  OpenForLoading(table, name, file, faults, expected);
}

void LoadDbfTable(SqlDatabase& database, const std::string& name, const std::filesystem::path& file,
                  FileFaults* faults, std::optional<TableFileStamp> expected) {
  DbfTable table(name);
  OpenForLoading(table, name, file, faults, expected);
  database.Execute("BEGIN");
  try {
    database.Execute(CreateTableSql(name, table.Fields()));
    InsertRecords(database, name, table);
    table.CheckUnchanged();  // the rows come from one version of the file
    CreateKeyIndexes(database, name, table.Fields());
    // The planner's statistics: without them a look-up on POSCODE and ID may walk
    // the index of the unselective ID and a pass would grow with the square.
    database.Execute("ANALYZE " + QuoteIdentifier(name));
    database.Execute("COMMIT");
  } catch (...) {
    sqlite3_exec(database.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

}  // namespace ranta2kv
