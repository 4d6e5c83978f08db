// The datasets of the "OLE DB" pass (`tlbSMETA`, `qSubQuery`, `qPOSEXT`, `qACTS`):
// a statement or a table name, the rows of its result fetched at `Open`, a current
// row, and its columns read by name or position as text, integer, number or date.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "source/sql/sql_database.h"
#include "source/sql/sql_result.h"

namespace ranta2kv {

class OleDbConnection;
class OleDbDataset;

// A column of an open dataset; the accessors read it in the current row. A null
// value (also every value of an empty result) reads as "", 0 and the zero date.
class OleDbField {
 public:
  const std::string& Name() const { return name_; }
  bool IsNull() const;
  // INTEGER: its digits; REAL: the general number text with the dataset's decimal
  // separator; TEXT: its bytes; NULL: "".
  std::string AsString() const;
  std::int32_t AsInteger() const;  // Error when the value does not fit
  std::int64_t AsLargeInteger() const;
  double AsNumber() const;
  double AsDateTime() const;  // a 'YYYY-MM-DD' text at midnight; days since 30.12.1899

 private:
  friend class OleDbDataset;
  OleDbField(const OleDbDataset* dataset, int column, std::string name)
      : dataset_(dataset), column_(column), name_(std::move(name)) {}
  SqlValue Value() const;

  const OleDbDataset* dataset_;  // the dataset whose current row is read
  int column_;                   // position in the result, from 0
  std::string name_;             // as the result names it
};

class OleDbDataset {
 public:
  OleDbDataset(OleDbConnection& connection, char decimalSeparator);
  ~OleDbDataset();
  OleDbDataset(const OleDbDataset&) = delete;
  OleDbDataset& operator=(const OleDbDataset&) = delete;

  // A query: the statement that `Open` runs. Only while closed (Error otherwise).
  void SetSQL(std::string_view statement);
  // The same with the statement in pieces, joined into the room of the last one
  // (a pass sets a statement for every look-up).
  void SetSQL(std::initializer_list<std::string_view> pieces);
  // A table dataset: its rows are those of SELECT * FROM "table" ORDER BY rowid.
  void SetTableName(std::string table);
  const std::string& SQL() const { return statement_; }
  const std::string& TableName() const { return table_name_; }

  void Open();   // runs the statement; the first row is current; no effect when open
  void Close();  // no effect when closed
  bool Active() const { return active_; }

  void First();
  void Next();
  bool AtEnd() const;
  std::int64_t RecordCount() const;   // rows of the result
  std::int64_t RecordNumber() const;  // 1-based row of the current row; 0 when empty

  // Case-insensitive; Error "Field '%s' not found".
  const OleDbField& FieldNamed(std::string_view name) const;
  const OleDbField& Column(int index) const;  // the first column is 0
  int ColumnCount() const { return static_cast<int>(fields_.size()); }

  char DecimalSeparator() const { return decimal_separator_; }

 private:
  friend class OleDbField;
  void RequireActive() const;
  SqlValue CurrentValue(int column) const;
  std::int64_t RowCount() const;
  void MoveTo(std::int64_t row);
  void OpenTable();
  void ReadTableRow();  // the row at cursor_ into result_
  void NameFields();
  static std::uint32_t FieldKey(std::string_view name);

  OleDbConnection& connection_;
  char decimal_separator_;  // of REAL values' text
  std::string statement_;   // run by Open
  std::string table_name_;  // set for a table dataset
  bool active_ = false;
  SqlResult result_;                  // the rows while open; of a table, the current row
  std::vector<std::int64_t> rowids_;  // a table's rows in order
  SqlPreparedQuery walk_;             // a table's statement, stepped to the row walk_row_
  std::int64_t walk_row_ = -1;        // -1: before its first row
  std::vector<OleDbField> fields_;    // one per result column, rebuilt by Open when they change
  std::vector<std::uint32_t> field_keys_;             // FieldKey of each field's name
  std::uint64_t fields_version_ = ~std::uint64_t{0};  // the result's NamesVersion they were made for
  std::int64_t cursor_ = 0;           // current row, from 0; == row count at the end
};

}  // namespace ranta2kv
