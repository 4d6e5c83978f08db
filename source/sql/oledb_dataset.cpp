// The datasets of the "OLE DB" pass: a statement or a table name, the rows of its
// result fetched at `Open`, a current row, and its columns by name or position.
// A table dataset holds the row order only and steps its statement to the
// current row when it moves there, so that walking a large table does not copy it.
#include "source/sql/oledb_dataset.h"

#include <sqlite3.h>

#include <algorithm>

#include "common/ascii_case.h"
#include "common/error.h"
#include "source/sql/oledb_connection.h"
#include "source/sql/sql_database.h"
#include "source/sql/sql_source_messages.h"

namespace ranta2kv {

OleDbDataset::OleDbDataset(OleDbConnection& connection, char decimalSeparator)
    : connection_(connection), decimal_separator_(decimalSeparator) {
  connection_.Attach(this);
}

OleDbDataset::~OleDbDataset() { connection_.Detach(this); }

void OleDbDataset::SetSQL(std::string_view statement) { SetSQL({statement}); }

void OleDbDataset::SetSQL(std::initializer_list<std::string_view> pieces) {
  if (active_) throw Error(sql_messages::StatementOfOpenDataset());
  statement_.clear();
  for (std::string_view piece : pieces) statement_.append(piece);
  table_name_.clear();
}

void OleDbDataset::SetTableName(std::string table) {
  if (active_) throw Error(sql_messages::TableOfOpenDataset());
  statement_ = "SELECT * FROM " + QuoteIdentifier(table) + " ORDER BY rowid";
  table_name_ = std::move(table);
}

void OleDbDataset::Open() {
  if (active_) return;
  if (statement_.empty()) throw Error(sql_messages::DatasetWithoutStatement());
  cursor_ = 0;
  if (table_name_.empty()) {
    connection_.Execute(statement_, result_);
  } else {
    OpenTable();
  }
  if (result_.NamesVersion() != fields_version_) NameFields();
  active_ = true;
}

// The fields of the result's columns, made again only when the columns are others
// than those of the statement run before: most statements are run again and again.
void OleDbDataset::NameFields() {
  fields_.clear();
  field_keys_.clear();
  for (int c = 0; c < static_cast<int>(result_.ColumnNames().size()); ++c) {
    fields_.push_back(OleDbField(this, c, result_.ColumnNames()[c]));
    field_keys_.push_back(FieldKey(result_.ColumnNames()[c]));
  }
  fields_version_ = result_.NamesVersion();
}

// Equal for names equal but for the case of ASCII letters: the length and the
// first and last letters, folded.
std::uint32_t OleDbDataset::FieldKey(std::string_view name) {
  if (name.empty()) return 0;
  auto fold = [](char c) { return static_cast<std::uint32_t>(static_cast<unsigned char>(AsciiUpper(c))); };
  return static_cast<std::uint32_t>(name.size()) << 16 | fold(name.front()) << 8 | fold(name.back());
}

// The rows of SELECT * FROM "table" ORDER BY rowid, one at a time: the number
// of rows now, each row when the cursor reaches it.
void OleDbDataset::OpenTable() {
  SqlResult order;
  connection_.Execute("SELECT rowid FROM " + QuoteIdentifier(table_name_) + " ORDER BY rowid", order);
  rowids_.clear();
  rowids_.reserve(static_cast<std::size_t>(order.RowCount()));
  for (std::int64_t row = 0; row < order.RowCount(); ++row) rowids_.push_back(order.Value(row, 0).integer);
  walk_ = connection_.Prepare(statement_);
  walk_row_ = -1;
  ReadTableRow();  // also names the columns of an empty table
}

// The walk goes on from the row it is at, or starts again for a row before it.
void OleDbDataset::ReadTableRow() {
  if (walk_row_ >= cursor_) {
    sqlite3_reset(walk_.get());
    walk_row_ = -1;
  }
  while (walk_row_ < cursor_) {
    // The walk's first row names the columns, its next rows keep them.
    const bool named = walk_row_ >= 0;
    ++walk_row_;
    if (!connection_.FetchNext(walk_.get(), result_, named)) break;
  }
}

void OleDbDataset::Close() {
  if (!active_) return;
  active_ = false;
  result_.Clear();
  walk_.reset();
  walk_row_ = -1;
  std::vector<std::int64_t>().swap(rowids_);
  cursor_ = 0;
}

void OleDbDataset::First() {
  RequireActive();
  MoveTo(0);
}

void OleDbDataset::Next() {
  RequireActive();
  if (cursor_ < RowCount()) MoveTo(cursor_ + 1);
}

// Past the last row the last row stays current.
void OleDbDataset::MoveTo(std::int64_t row) {
  const bool moved = row != cursor_;
  cursor_ = row;
  if (!table_name_.empty() && moved && cursor_ < RowCount()) ReadTableRow();
}

std::int64_t OleDbDataset::RowCount() const {
  return table_name_.empty() ? result_.RowCount() : static_cast<std::int64_t>(rowids_.size());
}

bool OleDbDataset::AtEnd() const { return !active_ || cursor_ >= RowCount(); }

std::int64_t OleDbDataset::RecordCount() const {
  RequireActive();
  return RowCount();
}

std::int64_t OleDbDataset::RecordNumber() const {
  RequireActive();
  return std::min(cursor_ + 1, RowCount());
}

const OleDbField& OleDbDataset::FieldNamed(std::string_view name) const {
  RequireActive();
  const std::uint32_t key = FieldKey(name);
  for (std::size_t c = 0; c < fields_.size(); ++c) {
    if (field_keys_[c] == key && EqualsIgnoringAsciiCase(fields_[c].Name(), name)) return fields_[c];
  }
  throw Error("Field '" + std::string(name) + "' not found");
}

const OleDbField& OleDbDataset::Column(int index) const {
  RequireActive();
  if (index < 0 || index >= ColumnCount()) {
    throw Error(sql_messages::NoColumn(index));
  }
  return fields_[index];
}

void OleDbDataset::RequireActive() const {
  if (!active_) throw Error(sql_messages::DatasetClosed());
}

// An empty result reads as NULL.
SqlValue OleDbDataset::CurrentValue(int column) const {
  RequireActive();
  if (result_.RowCount() == 0) return SqlValue();
  const std::int64_t row = table_name_.empty() ? std::min(cursor_, result_.RowCount() - 1) : 0;
  return result_.Value(row, column);
}

}  // namespace ranta2kv
