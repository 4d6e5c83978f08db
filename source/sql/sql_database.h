// Thin owners of SQLite handles for the "OLE DB" source: a fresh in-memory
// database and a prepared statement, both closed by their destructors, with
// failures turned into `Error`s carrying SQLite's message.
#pragma once

#include <memory>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace ranta2kv {

class SqlDatabase {
 public:
  SqlDatabase();  // a new, empty in-memory database
  ~SqlDatabase();
  SqlDatabase(const SqlDatabase&) = delete;
  SqlDatabase& operator=(const SqlDatabase&) = delete;

  sqlite3* Handle() const { return db_; }
  void Execute(std::string_view sql);  // statements that return no rows
  std::string LastMessage() const;     // of the latest failed call

 private:
  sqlite3* db_ = nullptr;
};

class SqlStatement {
 public:
  SqlStatement(SqlDatabase& database, std::string_view sql);  // prepares or throws
  ~SqlStatement();
  SqlStatement(const SqlStatement&) = delete;
  SqlStatement& operator=(const SqlStatement&) = delete;

  sqlite3_stmt* Handle() const { return statement_; }
  bool Step();   // true while a row is delivered, false when done
  void Reset();  // ready to run again with new bindings

 private:
  SqlDatabase& database_;
  sqlite3_stmt* statement_ = nullptr;
};

// Owns a prepared statement that is stepped elsewhere (by SqlResult::Fetch).
struct SqlStatementOwner {
  void operator()(sqlite3_stmt* statement) const;
};
using SqlPreparedQuery = std::unique_ptr<sqlite3_stmt, SqlStatementOwner>;

// The name as an SQLite identifier: in double quotes, inner double quotes doubled.
std::string QuoteIdentifier(std::string_view name);

}  // namespace ranta2kv
