// The connection `ADOConnection1` of the "OLE DB" pass: its connection string, the
// in-memory SQLite database it opens for the folder named by `Data Source`, the
// table catalogue of that folder, and the running of one SELECT statement (making
// the tables it names virtual tables over their files on first use).
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/table_file.h"
#include "source/sql/sql_database.h"
#include "source/sql/sql_result.h"
#include "source/sql/sql_statement_shape.h"

namespace ranta2kv {

class DbfVirtualTables;
class FileFaults;
class OleDbDataset;
struct TableCatalogue;

class OleDbConnection {
 public:
  OleDbConnection();
  ~OleDbConnection();
  OleDbConnection(const OleDbConnection&) = delete;
  OleDbConnection& operator=(const OleDbConnection&) = delete;

  // Items key=value separated by ";"; read when connecting. The folder of `Data
  // Source` is the file system's bytes (UTF-8), the other items are not interpreted.
  // Initially: Provider=VFPOLEDB.1;Data Source=<current folder>;Password="";Collating Sequence=MACHINE
  std::string ConnectionString;

  bool Connected() const;
  // true: opens a fresh database for the folder of `Data Source` (Error when it
  // is no existing folder); false: closes every open dataset, then the database.
  // Setting the state the connection is already in does nothing.
  void SetConnected(bool connected);
  // Connects to the folder of other, which is connected, for statements run on
  // another thread than other's: the tables other has attached are attached here
  // too, sharing their held files and key indexes (which nothing changes once
  // built); other tables are attached as statements name them, as other found
  // them at its connect (a table changed since fails as a change). Other's
  // catalogue and file faults are used too.
  void ConnectBeside(const OleDbConnection& other);

  // Upper-cased names of the folder's *.DBF files (any letter case), in ascending
  // byte order; read afresh from the folder at every call.
  std::vector<std::string> ListTables();

  // Runs one read-only statement and returns all its rows. A table of the
  // catalogue that the statement names is attached first (its file opened and
  // held, its key indexes built); errors carry the database's or the table
  // reader's message, and a table file's failure while the statement reads it
  // is its SourceFileError. Statements of one shape (texts that differ only in
  // literal comparison operands) are compiled once.
  void Execute(std::string_view statement, SqlResult& result);
  SqlResult Execute(std::string_view statement);
  // A statement compiled for stepping one row at a time with FetchNext; fails as
  // Execute would.
  SqlPreparedQuery Prepare(std::string_view statement);
  // The next row of a statement from Prepare into result; false when there is none.
  // sameStatement: result holds a row of this statement already, and so its columns' names.
  bool FetchNext(sqlite3_stmt* statement, SqlResult& result, bool sameStatement = false);
  // Compiles a statement without running it: attaches the tables it names, and
  // fails as Execute would when a table cannot be read or the text is no query.
  void Check(std::string_view statement);
  // Opens the catalogue's table of that name as attaching it would, and closes it
  // again: fails as the first statement that reads it would fail on opening it.
  // Reads no record; a table already attached passes.
  void CheckTable(const std::string& name);
  // Throws the change error of an attached table whose file changed since it was
  // attached: what a pass has read is then not one version of its tables.
  void CheckUnchanged() const;

  // Records that statements have read from the table files since the connect.
  std::uint64_t RecordsRead() const;

  // Statements compiled since the connect; lets tests show that statements of
  // one shape are compiled once.
  std::uint64_t StatementsCompiled() const { return statements_compiled_; }

  // Faults injected into the reads of the tables it attaches (tests); must
  // outlive the connection's use.
  void SetFileFaults(FileFaults* faults) { faults_ = faults; }

  // The folder the connection reads; empty while disconnected.
  const std::filesystem::path& Folder() const { return folder_; }

 private:
  friend class OleDbDataset;
  void Attach(OleDbDataset* dataset);  // datasets closed by a disconnect
  void Detach(OleDbDataset* dataset);
  bool AttachMissingTable(const std::string& name);  // false: no table of the folder to attach
  // The first table the statement names that is attached and lacks the field; "" when none.
  std::string TableLacking(std::string_view statement, std::string_view field) const;
  SqlPreparedQuery PrepareQuery(std::string_view statement);
  struct ShapedStatement {
    SqlPreparedQuery query;
    std::uint64_t columns;  // stands for its columns' names in SqlResult::Fetch
  };
  const ShapedStatement* ShapedQuery(const StatementShape& shape);  // null: run the text itself
  void RequireConnected() const;
  void OpenDatabase(std::filesystem::path folder);  // the catalogue and stamps are set
  std::optional<TableFileStamp> StampAtConnect(const std::filesystem::path& file) const;  // of stamps_

  // The tables outlive the database, which holds them until it is closed.
  std::unique_ptr<DbfVirtualTables> tables_;        // null while disconnected
  std::unique_ptr<SqlDatabase> database_;           // null while disconnected
  std::unique_ptr<TableCatalogue> catalogue_;       // tables of folder_, by name
  std::map<std::filesystem::path, TableFileStamp> stamps_;  // the table files as they were at the connect
  std::map<std::string, ShapedStatement> shaped_;  // compiled statements by shape text
  StatementShape shape_;  // of the statement run last, its room kept for the next
  std::uint64_t shaped_compiled_ = 0;  // never reset: a number for each statement put into shaped_
  std::filesystem::path folder_;                    // of the last connect
  std::uint64_t statements_compiled_ = 0;
  std::vector<OleDbDataset*> datasets_;  // every dataset using this connection
  FileFaults* faults_ = nullptr;
};

}  // namespace ranta2kv
