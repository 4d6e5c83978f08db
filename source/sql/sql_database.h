// Thin owners of SQLite handles for the "OLE DB" source: a fresh in-memory
// database and a prepared statement, both closed by their destructors, with
// failures turned into `Error`s carrying SQLite's message, or into the exception
// that code called back by SQLite kept for them.
#pragma once

#include <exception>
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
  // Of the latest failed call: the engine's own message (English, never shown)
  // and its result code.
  std::string LastMessage() const;
  int LastCode() const;

  // Code that SQLite calls back (a virtual table's) cannot throw through it: it
  // keeps its exception here and makes the call fail. The first one kept stands.
  void KeepFailure(std::exception_ptr failure);
  // Rethrows the exception kept, if any (and forgets it).
  void ThrowKeptFailure();
  // The failure of the latest call: the exception kept for it, else an Error
  // that tells the engine's result code.
  [[noreturn]] void ThrowLastError();

 private:
  sqlite3* db_ = nullptr;
  std::exception_ptr kept_failure_;
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
