// The rows of one statement's result, fetched whole from SQLite: column names and
// typed cells, the texts kept together in one buffer.
#include "source/sql_result.h"

#include <sqlite3.h>

#include <bit>

#include "common/error.h"

namespace ranta2kv {

SqlResult SqlResult::Fetch(sqlite3_stmt* statement) {
  SqlResult result;
  const int columns = sqlite3_column_count(statement);
  for (int c = 0; c < columns; ++c) {
    const char* name = sqlite3_column_name(statement, c);
    result.column_names_.emplace_back(name ? name : "");
  }
  for (;;) {
    int rc = sqlite3_step(statement);
    if (rc == SQLITE_DONE) break;
    if (rc != SQLITE_ROW) throw Error(sqlite3_errmsg(sqlite3_db_handle(statement)));
    for (int c = 0; c < columns; ++c) result.Append(statement, c);
    ++result.row_count_;
  }
  return result;
}

void SqlResult::Append(sqlite3_stmt* statement, int column) {
  Cell cell;
  switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
      break;
    case SQLITE_INTEGER:
      cell.type = SqlType::Integer;
      cell.payload = static_cast<std::uint64_t>(sqlite3_column_int64(statement, column));
      break;
    case SQLITE_FLOAT:
      cell.type = SqlType::Real;
      cell.payload = std::bit_cast<std::uint64_t>(sqlite3_column_double(statement, column));
      break;
    default: {  // TEXT and BLOB: the bytes as stored
      const void* bytes = sqlite3_column_blob(statement, column);
      cell.type = SqlType::Text;
      cell.payload = texts_.size();
      cell.size = static_cast<std::uint32_t>(sqlite3_column_bytes(statement, column));
      if (cell.size > 0) texts_.append(static_cast<const char*>(bytes), cell.size);
    }
  }
  cells_.push_back(cell);
}

SqlValue SqlResult::Value(std::int64_t row, int column) const {
  const Cell& cell = cells_[static_cast<std::size_t>(row) * column_names_.size() + column];
  SqlValue value;
  value.type = cell.type;
  switch (cell.type) {
    case SqlType::Null:
      break;
    case SqlType::Integer:
      value.integer = static_cast<std::int64_t>(cell.payload);
      break;
    case SqlType::Real:
      value.real = std::bit_cast<double>(cell.payload);
      break;
    case SqlType::Text:
      value.text = std::string_view(texts_).substr(cell.payload, cell.size);
      break;
  }
  return value;
}

}  // namespace ranta2kv
