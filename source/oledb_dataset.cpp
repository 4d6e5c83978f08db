// The datasets of the "OLE DB" pass: a statement or a table name, the rows of its
// result fetched at `Open`, a current row, and its columns by name or position.
#include "source/oledb_dataset.h"

#include <algorithm>

#include "common/error.h"
#include "source/oledb_ascii_case.h"
#include "source/oledb_connection.h"
#include "source/sql_database.h"

namespace ranta2kv {

OleDbDataset::OleDbDataset(OleDbConnection& connection, char decimalSeparator)
    : connection_(connection), decimal_separator_(decimalSeparator) {
  connection_.Attach(this);
}

OleDbDataset::~OleDbDataset() { connection_.Detach(this); }

void OleDbDataset::SetSQL(std::string statement) {
  if (active_) throw Error("The statement of an open dataset cannot change");
  statement_ = std::move(statement);
  table_name_.clear();
}

void OleDbDataset::SetTableName(std::string table) {
  if (active_) throw Error("The table of an open dataset cannot change");
  statement_ = "SELECT * FROM " + QuoteIdentifier(table) + " ORDER BY rowid";
  table_name_ = std::move(table);
}

void OleDbDataset::Open() {
  if (active_) return;
  if (statement_.empty()) throw Error("The dataset has no statement");
  connection_.Execute(statement_, result_);
  fields_.clear();
  for (int c = 0; c < static_cast<int>(result_.ColumnNames().size()); ++c) {
    fields_.push_back(OleDbField(this, c, result_.ColumnNames()[c]));
  }
  cursor_ = 0;
  active_ = true;
}

void OleDbDataset::Close() {
  if (!active_) return;
  active_ = false;
  result_.Clear();
  cursor_ = 0;
}

void OleDbDataset::First() {
  RequireActive();
  cursor_ = 0;
}

void OleDbDataset::Next() {
  RequireActive();
  if (cursor_ < result_.RowCount()) ++cursor_;
}

bool OleDbDataset::AtEnd() const { return !active_ || cursor_ >= result_.RowCount(); }

std::int64_t OleDbDataset::RecordCount() const {
  RequireActive();
  return result_.RowCount();
}

std::int64_t OleDbDataset::RecordNumber() const {
  RequireActive();
  return std::min(cursor_ + 1, result_.RowCount());
}

const OleDbField& OleDbDataset::FieldNamed(std::string_view name) const {
  RequireActive();
  for (const OleDbField& field : fields_) {
    if (EqualsIgnoringAsciiCase(field.Name(), name)) return field;
  }
  throw Error("Field '" + std::string(name) + "' not found");
}

const OleDbField& OleDbDataset::Column(int index) const {
  RequireActive();
  if (index < 0 || index >= ColumnCount()) {
    throw Error("Column " + std::to_string(index) + " not found");
  }
  return fields_[index];
}

void OleDbDataset::RequireActive() const {
  if (!active_) throw Error("The dataset is closed");
}

// After the last row the last row stays current; an empty result reads as NULL.
SqlValue OleDbDataset::CurrentValue(int column) const {
  RequireActive();
  if (result_.RowCount() == 0) return SqlValue();
  return result_.Value(std::min(cursor_, result_.RowCount() - 1), column);
}

}  // namespace ranta2kv
