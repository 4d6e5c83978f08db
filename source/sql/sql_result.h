// The rows of one statement's result, fetched whole from SQLite: column names and
// typed cells, the texts kept together in a few large blocks.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3_stmt;

namespace ranta2kv {

class SqlDatabase;

enum class SqlType : std::uint8_t { Null, Integer, Real, Text };

// One cell as read; only the member of its type is meaningful. A BLOB reads as Text.
struct SqlValue {
  SqlType type = SqlType::Null;
  std::int64_t integer = 0;
  double real = 0;
  std::string_view text;  // valid while the result lives
};

class SqlResult {
 public:
  // Replaces the rows by those of the prepared statement of database, stepped to
  // its end; a failure is the database's last error (SqlDatabase::ThrowLastError).
  // columns, when not 0, stands for the statement's columns: a fetch with the
  // number of the fetch before it keeps the names that fetch read.
  void Fetch(SqlDatabase& database, sqlite3_stmt* statement, std::uint64_t columns = 0);
  // Replaces the rows by the next row of the statement, stepped once: false (and
  // no row) when the statement has no more rows. sameStatement: the rows were
  // fetched from this statement before, so the columns keep their names.
  bool FetchNext(SqlDatabase& database, sqlite3_stmt* statement, bool sameStatement = false);
  // Forgets the rows; a small result's storage is kept for the next one, and the
  // column names until the next fetch names its statement's columns.
  void Clear();

  const std::vector<std::string>& ColumnNames() const { return column_names_; }
  // Changes whenever a fetch finds other column names than the fetch before it.
  std::uint64_t NamesVersion() const { return names_version_; }
  std::int64_t RowCount() const { return row_count_; }
  SqlValue Value(std::int64_t row, int column) const;  // both in range

 private:
  struct Cell {
    std::uint64_t payload = 0;  // integer, real bits, or text block (high half) and offset
    std::uint32_t size = 0;     // text bytes
    SqlType type = SqlType::Null;
  };
  void NameColumns(sqlite3_stmt* statement);
  bool Step(SqlDatabase& database, sqlite3_stmt* statement);  // appends the row stepped to; false when done
  void Append(sqlite3_stmt* statement, int column);
  std::uint64_t StoreText(const char* bytes, std::uint32_t size);

  std::vector<std::string> column_names_;
  std::uint64_t names_version_ = 0;
  std::uint64_t named_columns_ = 0;  // the columns number the names were read for
  std::vector<Cell> cells_;          // row after row
  std::vector<std::string> blocks_;  // text bytes; a block never grows past its
                                     // first capacity, and a text never spans two
  std::int64_t row_count_ = 0;
};

}  // namespace ranta2kv
