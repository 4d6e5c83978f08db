// The rows of one statement's result, fetched whole from SQLite: column names and
// typed cells, the texts kept together in a few large blocks.
#include "source/sql/sql_result.h"

#include <sqlite3.h>

#include <algorithm>
#include <bit>

#include "source/sql/sql_database.h"

namespace ranta2kv {
namespace {

// Blocks double from a small first one (most results are a row or a few) up to
// one large enough to hold many rows; filled blocks are never copied again, which
// the growth of a single buffer would do.
constexpr std::size_t kFirstTextBlockSize = 4096;
constexpr std::size_t kTextBlockSize = 1 << 20;
// Cells of a few rows are kept by Clear; a large result's storage is given back.
constexpr std::size_t kKeptCells = 256;

}  // namespace

void SqlResult::Fetch(SqlDatabase& database, sqlite3_stmt* statement, std::uint64_t columns) {
  Clear();
  if (columns == 0 || columns != named_columns_) NameColumns(statement);
  named_columns_ = columns;
  while (Step(database, statement)) {
  }
}

bool SqlResult::FetchNext(SqlDatabase& database, sqlite3_stmt* statement, bool sameStatement) {
  Clear();
  if (!sameStatement) NameColumns(statement);
  named_columns_ = 0;
  return Step(database, statement);
}

// A statement run again names the same columns: the names are compared, not copied again.
void SqlResult::NameColumns(sqlite3_stmt* statement) {
  const std::size_t columns = static_cast<std::size_t>(sqlite3_column_count(statement));
  bool changed = columns != column_names_.size();
  column_names_.resize(columns);
  for (std::size_t c = 0; c < columns; ++c) {
    const char* name = sqlite3_column_name(statement, static_cast<int>(c));
    if (!name) name = "";
    if (column_names_[c] == name) continue;
    column_names_[c].assign(name);
    changed = true;
  }
  if (changed) ++names_version_;
}

bool SqlResult::Step(SqlDatabase& database, sqlite3_stmt* statement) {
  const int rc = sqlite3_step(statement);
  if (rc == SQLITE_DONE) {
    database.ThrowKeptFailure();  // a failure SQLite did not see still ends the statement
    return false;
  }
  if (rc != SQLITE_ROW) database.ThrowLastError();
  for (int c = 0; c < static_cast<int>(column_names_.size()); ++c) Append(statement, c);
  ++row_count_;
  return true;
}

void SqlResult::Clear() {
  row_count_ = 0;
  if (cells_.capacity() > kKeptCells) {
    std::vector<Cell>().swap(cells_);
  } else {
    cells_.clear();
  }
  if (blocks_.size() == 1 && blocks_.front().capacity() <= kFirstTextBlockSize) {
    blocks_.front().clear();
  } else {
    blocks_.clear();
  }
}

void SqlResult::Append(sqlite3_stmt* statement, int column) {
  Cell cell;
  switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL: break;
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
      cell.size = static_cast<std::uint32_t>(sqlite3_column_bytes(statement, column));
      cell.payload = StoreText(static_cast<const char*>(bytes), cell.size);
    }
  }
  cells_.push_back(cell);
}

std::uint64_t SqlResult::StoreText(const char* bytes, std::uint32_t size) {
  if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < size) {
    const std::size_t next =
        blocks_.empty() ? kFirstTextBlockSize : std::min(2 * blocks_.back().capacity(), kTextBlockSize);
    blocks_.emplace_back().reserve(std::max<std::size_t>(next, size));
  }
  std::string& block = blocks_.back();
  const std::uint64_t at = (static_cast<std::uint64_t>(blocks_.size() - 1) << 32) | block.size();
  block.append(bytes, size);
  return at;
}

SqlValue SqlResult::Value(std::int64_t row, int column) const {
  const Cell& cell = cells_[static_cast<std::size_t>(row) * column_names_.size() + column];
  SqlValue value;
  value.type = cell.type;
  switch (cell.type) {
    case SqlType::Null: break;
    case SqlType::Integer: value.integer = static_cast<std::int64_t>(cell.payload); break;
    case SqlType::Real: value.real = std::bit_cast<double>(cell.payload); break;
    case SqlType::Text:
      value.text = std::string_view(blocks_[cell.payload >> 32]).substr(cell.payload & 0xFFFFFFFF, cell.size);
      break;
  }
  return value;
}

}  // namespace ranta2kv
