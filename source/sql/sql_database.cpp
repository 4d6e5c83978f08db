// Thin owners of SQLite handles for the "OLE DB" source: a fresh in-memory
// database and a prepared statement, both closed by their destructors.
#include "source/sql/sql_database.h"

#include <sqlite3.h>

#include <mutex>

#include "common/error.h"
#include "source/sql/sql_source_messages.h"

namespace ranta2kv {

namespace {

// Before SQLite's first use in the process: no count of the memory it holds. The
// count is kept under one lock of the whole process, which the two threads of a
// run would otherwise take for every allocation, each a meeting of the threads.
void ConfigureSqlite() {
  static std::once_flag configured;
  std::call_once(configured, [] {
    // SQLITE_MISUSE where SQLite was used already: it keeps its count then.
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
  });
}

}  // namespace

SqlDatabase::SqlDatabase() {
  ConfigureSqlite();
  // One thread uses a connection: SQLite need not lock it at every call.
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_MEMORY | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(":memory:", &db_, flags, nullptr) != SQLITE_OK) {
    sqlite3_close_v2(db_);
    throw Error(sql_messages::NoDatabase());
  }
  // Statements come from the conversion only; no other database may be attached.
  sqlite3_limit(db_, SQLITE_LIMIT_ATTACHED, 0);
  // The sorts of a statement (ORDER BY, DISTINCT) stay in memory.
  sqlite3_exec(db_, "PRAGMA temp_store=MEMORY", nullptr, nullptr, nullptr);
}

SqlDatabase::~SqlDatabase() { sqlite3_close_v2(db_); }

void SqlDatabase::Execute(std::string_view sql) {
  SqlStatement statement(*this, sql);
  while (statement.Step()) {
  }
}

std::string SqlDatabase::LastMessage() const { return sqlite3_errmsg(db_); }

int SqlDatabase::LastCode() const { return sqlite3_extended_errcode(db_); }

void SqlDatabase::KeepFailure(std::exception_ptr failure) {
  if (!kept_failure_) kept_failure_ = std::move(failure);
}

void SqlDatabase::ThrowKeptFailure() {
  if (!kept_failure_) return;
  std::exception_ptr failure = std::move(kept_failure_);
  kept_failure_ = nullptr;
  std::rethrow_exception(failure);
}

void SqlDatabase::ThrowLastError() {
  ThrowKeptFailure();
  throw Error(sql_messages::EngineFailure(LastCode()));
}

SqlStatement::SqlStatement(SqlDatabase& database, std::string_view sql) : database_(database) {
  if (sqlite3_prepare_v2(database.Handle(), sql.data(), static_cast<int>(sql.size()), &statement_, nullptr) !=
      SQLITE_OK) {
    database.ThrowLastError();
  }
}

SqlStatement::~SqlStatement() { sqlite3_finalize(statement_); }

bool SqlStatement::Step() {
  if (!statement_) return false;  // text without a statement
  int rc = sqlite3_step(statement_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) {
    database_.ThrowKeptFailure();
    return false;
  }
  database_.ThrowLastError();
}

void SqlStatement::Reset() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

void SqlStatementOwner::operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }

std::string QuoteIdentifier(std::string_view name) {
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + '"';
}

}  // namespace ranta2kv
